#include "files/content_pane.h"

#include "files/text_file.h"

#include <cstring>
#include <utility>

CContentPane::~CContentPane()
{
    m_reader.Join();
}

void CContentPane::Show(const char* path, const char* searchText)
{
    ContentReader content;
    if (*path)
        content = [file = std::string(path)](uint64_t, const std::function<bool()>& stop) {
            return ReadTextFile(file.c_str(), stop);
        };
    Start(std::move(content), searchText);
}

void CContentPane::Show(const CacheItem* row, const char* searchText)
{
    Start(row ? row->Content() : ContentReader(), searchText);
}

void CContentPane::Start(ContentReader content, const char* searchText)
{
    m_reader.Join();
    SetWindowText("");
    if (!content)
        return;
    m_request = { std::move(content), searchText };
    m_reader.Start([this] { Read(); });
}

void CContentPane::Read()
{
    std::unique_ptr<TextExcerpt> excerpt = ReadExcerpt();
    if (excerpt)
        m_reader.Post([this, shown = std::move(excerpt)] { Display(*shown); });
}

std::unique_ptr<TextExcerpt> CContentPane::ReadExcerpt() const
{
    auto stopRequested = [this] { return m_reader.StopRequested(); };
    std::unique_ptr<char[]> text = m_request.content(maxTextFileSize, stopRequested);
    if (!text)
        return nullptr;
    // The bytes up to the first NUL, as the edit would take them.
    uint64_t length = std::strlen(text.get());
    long hit = FindSearchText(text.get(), length, m_request.searchText.c_str(), stopRequested);
    if (m_reader.StopRequested())
        return nullptr;
    return std::make_unique<TextExcerpt>(
        ExcerptOf(text.get(), length, hit, m_request.searchText.size()));
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
