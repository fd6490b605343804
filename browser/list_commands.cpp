#include "browser/list_commands.h"

#include "scan/cache_list_ctrl.h"
#include "platform/text_code_pages.h"

#include <cstring>

namespace {

bool StartsWithNoCase(const std::string& text, const char* prefix)
{
    const size_t length = std::strlen(prefix);
    return text.size() >= length && ::CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, text.data(),
                                                     static_cast<int>(length), prefix,
                                                     static_cast<int>(length)) == CSTR_EQUAL;
}

}  // namespace

ListSelectionFacts SelectionFactsOf(const CCacheListCtrl& list, RowUrls& urls)
{
    ListSelectionFacts facts;
    facts.rows = list.GetItemCount();
    const std::vector<const CacheItem*> rows = list.SelectedRows();
    facts.selected = static_cast<int>(rows.size());
    for (const CacheItem* row : rows) {
        if (!urls.UrlOf(*row).empty()) {
            facts.selectedUrl = true;
            break;
        }
    }
    return facts;
}

std::vector<std::string> UrlsOf(const std::vector<const CacheItem*>& rows, RowUrls& urls)
{
    std::vector<std::string> found;
    for (const CacheItem* row : rows) {
        std::string url = urls.UrlOf(*row);
        if (!url.empty())
            found.push_back(std::move(url));
    }
    return found;
}

bool CopyUrlsToClipboard(HWND owner, const std::vector<std::string>& urls)
{
    std::string lines;
    for (const std::string& url : urls)
        lines += (lines.empty() ? "" : "\r\n") + url;
    const std::wstring text = Utf8ToWide(lines);
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!memory)
        return false;
    void* data = ::GlobalLock(memory);
    if (!data) {
        ::GlobalFree(memory);
        return false;
    }
    std::memcpy(data, text.c_str(), bytes);
    ::GlobalUnlock(memory);
    if (!::OpenClipboard(owner)) {
        ::GlobalFree(memory);
        return false;
    }
    ::EmptyClipboard();
    // The clipboard owns the memory once it has taken it.
    const bool taken = ::SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    ::CloseClipboard();
    if (!taken)
        ::GlobalFree(memory);
    return taken;
}

bool IsWebUrl(const std::string& url)
{
    return StartsWithNoCase(url, "http://") || StartsWithNoCase(url, "https://") ||
           StartsWithNoCase(url, "ftp://");
}

void SelectAllRows(CCacheListCtrl& list)
{
    LVITEMA state = {};
    state.stateMask = LVIS_SELECTED;
    state.state = LVIS_SELECTED;
    list.SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
}
