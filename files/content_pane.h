// The Text browser's content pane: a read-only edit that shows one file with
// the first occurrence of the search text selected on its top line.
//
// The file is read, searched and cut to an excerpt the edit lays out at once
// (files/text_excerpt.h) on a reader thread of the pane's own, so that
// neither a large file nor a long line holds the window: the user can select
// another row or close the browser at any moment, and a reader whose file is
// no longer wanted stops within one block of reading.
#pragma once
#include "framework/afxwin.h"
#include "files/text_excerpt.h"

#include <atomic>
#include <cstdint>
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
    // Whether a file is still being read for the pane.
    bool IsReading() const { return m_reader != nullptr; }

private:
    struct Request {
        std::string path;
        std::string searchText;
    };

    static UINT ReaderThreadProc(LPVOID parameter);
    void Read();
    // The excerpt to show; null when the file cannot be read or the reader
    // was stopped.
    std::unique_ptr<TextExcerpt> ReadExcerpt() const;
    void StopReader();
    LRESULT OnContentRead(WPARAM serial, LPARAM);
    void Display(const TextExcerpt& excerpt);

    // Written before the reader starts and only read afterwards, by either
    // thread, until the next Show has joined the reader.
    Request m_request;
    // Written by the reader as its last act but one, before it posts the
    // read message; read by the user-interface thread only once the reader
    // has been joined.
    std::unique_ptr<TextExcerpt> m_excerpt;
    // Set by the user-interface thread when the file is no longer wanted;
    // the reader polls it between blocks.
    std::atomic<int32_t> m_stop{0};
    // Tells a read message of the current reader from one a stopped reader
    // posted before it was joined.
    uint32_t m_serial = 0;
    CWinThread* m_reader = nullptr;

    DECLARE_MESSAGE_MAP()
};
