// The Text browser's content pane: a read-only edit that shows one row, a
// file or an entry's decoded body, with the first occurrence of the search
// text selected on its top line.
//
// The row is read, searched and cut to an excerpt the edit lays out at once
// (files/text_excerpt.h) on a reader thread of the pane's own, so that
// neither a large file nor a long line holds the window: the user can select
// another row or close the browser at any moment, and a reader whose file is
// no longer wanted stops within one block of reading.
#pragma once
#include "framework/afxwin.h"
#include "framework/afxworker.h"
#include "files/text_excerpt.h"
#include "scan/cache_item.h"

#include <memory>
#include <string>

class CContentPane : public CEdit {
public:
    CContentPane() = default;
    ~CContentPane() override;

    // Empties the pane and starts reading the file; an empty path, or a file
    // that cannot be read, leaves the pane empty. On the user-interface
    // thread.
    void Show(const char* path, const char* searchText);
    // The same for a row of the list; null empties the pane. An entry's body
    // is decoded anew, within the bound a file is read to.
    void Show(const CacheItem* row, const char* searchText);
    // Whether a file is still being read for the pane (on the user-interface
    // thread: false once its excerpt is shown).
    bool IsReading() const { return m_reader.IsRunning(); }

private:
    struct Request {
        ContentReader content;
        std::string searchText;
    };

    void Start(ContentReader content, const char* searchText);

    // On the reader thread: reads the file and posts its excerpt.
    void Read();
    // The excerpt to show; null when the file cannot be read or the reader
    // was stopped.
    std::unique_ptr<TextExcerpt> ReadExcerpt() const;
    void Display(const TextExcerpt& excerpt);

    // Written before the reader starts and only read afterwards, by either
    // thread, until the next Show has joined the reader.
    Request m_request;
    // Its stop request is heeded between blocks of the file; joining it
    // drops an excerpt it posted that was not shown yet, so a file no longer
    // wanted never reaches the pane.
    CWorker m_reader;
};
