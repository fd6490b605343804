#include "files/content_pane.h"

#include "files/text_file.h"

#include <cstring>

namespace {
constexpr UINT WM_CONTENT_READ = WM_APP + 0x131;
}  // namespace

BEGIN_MESSAGE_MAP(CContentPane, CEdit)
    ON_MESSAGE(WM_CONTENT_READ, OnContentRead)
END_MESSAGE_MAP()

CContentPane::~CContentPane()
{
    StopReader();
}

void CContentPane::Show(const char* path, const char* searchText)
{
    StopReader();
    SetWindowText("");
    if (!*path)
        return;
    m_request = {path, searchText};
    m_excerpt.reset();
    m_stop = 0;
    ++m_serial;
    m_reader = AfxBeginOwnedThread(ReaderThreadProc, this);
}

// The reader stops at its next block once asked; its read message, if it has
// posted one, is told apart by its serial.
void CContentPane::StopReader()
{
    m_stop = 1;
    AfxJoinThread(m_reader);
}

UINT CContentPane::ReaderThreadProc(LPVOID parameter)
{
    static_cast<CContentPane*>(parameter)->Read();
    return 0;
}

// Whatever it finds, the reader says it is done, so that the pane joins it.
void CContentPane::Read()
{
    m_excerpt = ReadExcerpt();
    PostMessage(WM_CONTENT_READ, m_serial);
}

std::unique_ptr<TextExcerpt> CContentPane::ReadExcerpt() const
{
    auto stopRequested = [this] { return m_stop != 0; };
    std::unique_ptr<char[]> text = ReadTextFile(m_request.path.c_str(), stopRequested);
    if (!text)
        return nullptr;
    // The bytes up to the first NUL, as the edit would take them.
    uint64_t length = std::strlen(text.get());
    long hit = FindSearchText(text.get(), length, m_request.searchText.c_str(), stopRequested);
    if (m_stop)
        return nullptr;
    return std::make_unique<TextExcerpt>(
        ExcerptOf(text.get(), length, hit, m_request.searchText.size()));
}

LRESULT CContentPane::OnContentRead(WPARAM serial, LPARAM)
{
    if (serial != m_serial)
        return 0;
    AfxJoinThread(m_reader);
    if (m_excerpt)
        Display(*m_excerpt);
    m_excerpt.reset();
    return 0;
}

// The bytes as they are, unconverted; the hit's line becomes the first
// visible one.
void CContentPane::Display(const TextExcerpt& excerpt)
{
    SetWindowText(excerpt.text.c_str());
    if (excerpt.hit < 0)
        return;
    LRESULT line = SendMessage(EM_LINEFROMCHAR, static_cast<WPARAM>(excerpt.hit));
    if (line > 0)
        SendMessage(EM_LINESCROLL, 0, line);
    SetSel(static_cast<int>(excerpt.hit),
           static_cast<int>(excerpt.hit + static_cast<int64_t>(m_request.searchText.size())));
    SendMessage(EM_SCROLLCARET);
}
