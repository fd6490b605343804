// What the four Options dialogs share: the date group (radio buttons 1022 to
// 1025 and the date picker 1026) and the day number computed from it on OK.
#pragma once
#include "framework/afxwin.h"
#include "scan/filter_options.h"

#include <cstdint>

// The local calendar date of the value as year*10000 + month*100 + day.
int32_t DayNumberOf(const COleDateTime& date);

class COptionsDlg : public CDialog {
public:
    // Read after DoModal returned IDOK.
    int m_dateMode = 0;       // 0 Any date, 1 Before, 2 Since, 3 Exactly
    COleDateTime m_date;      // the current local date and time at construction
    int32_t m_dayNumber = 0;  // computed from m_date on OK

    // The values a scan receives, read after OK.
    virtual FilterOptions Filters() const;

protected:
    explicit COptionsDlg(UINT templateId);

    // OK reads the controls once, lets the dialog check and tidy what it
    // read, computes the day number and closes. A failed exchange has shown
    // the framework's message and focused the control; the dialog stays.
    void OnOK() final;
    // Tidies the values just read; false (after telling the user why) keeps
    // the dialog open.
    virtual bool Validate() { return true; }

    void ExchangeDateMode(CDataExchange* pDX);
    void ExchangeDate(CDataExchange* pDX);
};
