// The Caches window: one row per cache the user has, with a check box, its
// name, format, entry count and folder. Add Folder... lists a cache copied
// from elsewhere, Remove takes an added one off the list, OK keeps the
// choice. Entries are counted on a worker and rows filled as counts arrive.
#pragma once
#include "framework/afxcmn.h"
#include "framework/afxwin.h"
#include "framework/afxworker.h"
#include "sources/cache_census.h"
#include "sources/cache_choice.h"

#include <string>
#include <utility>
#include <vector>

class CCachesDlg : public CDialog {
public:
    explicit CCachesDlg(CWnd* parent = nullptr);
    ~CCachesDlg() override;

    static const char alreadyListedText[];
    static const char tooManyText[];

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

    void OnAddFolder();
    void OnRemoveFolder();
    void OnItemChanged(NMHDR* header, LRESULT* result);

    // The folder the user picks for Add Folder...; false when none was.
    virtual bool AskForCacheFolder(std::string& folder);
    // The caches listed when the window opens.
    virtual void LoadChoice();

    CCacheChoice m_choice;
    CListCtrl m_list;
    CWnd m_removeButton;

private:
    using Counted = std::pair<LPARAM, ChosenCache>;

    // Lists the row with its count to come (StartCensus starts it).
    void AddRow(const CCacheChoice::Row& row);
    int RowOf(LPARAM id) const;
    void StartCensus();
    void Census(const std::vector<Counted>& caches);
    void ShowCensus(LPARAM id, const CacheCensus& census);
    void UpdateRemoveButton();
    void StopCensus();

    CWorker m_census;
    // The rows still to be counted (this thread's own); a row added while
    // the worker runs waits for the next run.
    std::vector<Counted> m_toCount;
    LPARAM m_nextId = 1;

    DECLARE_MESSAGE_MAP()
};
