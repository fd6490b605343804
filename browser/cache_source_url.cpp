#include "browser/cache_source_url.h"

#include <wininet.h>

#include <vector>

namespace {

// An index enumeration whose entries are read into a buffer that grows as
// the entries demand.
class CacheIndexWalk {
public:
    ~CacheIndexWalk()
    {
        if (m_find)
            ::FindCloseUrlCache(m_find);
    }

    const INTERNET_CACHE_ENTRY_INFOA* First()
    {
        return Read([this](INTERNET_CACHE_ENTRY_INFOA* entry, DWORD* size) {
            m_find = ::FindFirstUrlCacheEntryA(nullptr, entry, size);
            return m_find != nullptr;
        });
    }

    const INTERNET_CACHE_ENTRY_INFOA* Next()
    {
        return Read([this](INTERNET_CACHE_ENTRY_INFOA* entry, DWORD* size) {
            return ::FindNextUrlCacheEntryA(m_find, entry, size) != FALSE;
        });
    }

private:
    // The call is told the buffer's size in bytes and may ask for more.
    template <typename Call> const INTERNET_CACHE_ENTRY_INFOA* Read(Call call)
    {
        for (int attempt = 0; attempt < 2; ++attempt) {
            DWORD size = static_cast<DWORD>(m_words.size() * sizeof(DWORD));
            if (call(Entry(), &size))
                return Entry();
            if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER)
                return nullptr;
            m_words.resize(size / sizeof(DWORD) + 1);
        }
        return nullptr;
    }

    INTERNET_CACHE_ENTRY_INFOA* Entry()
    {
        return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(m_words.data());
    }

    HANDLE m_find = nullptr;
    // Whole DWORDs keep the entry structure aligned.
    std::vector<DWORD> m_words = std::vector<DWORD>(1024);
};

}  // namespace

bool FindCacheSourceUrl(LPCSTR localPath, CString& url)
{
    if (!localPath || !*localPath)
        return false;
    CacheIndexWalk walk;
    for (const INTERNET_CACHE_ENTRY_INFOA* entry = walk.First(); entry; entry = walk.Next()) {
        if (entry->lpszLocalFileName && entry->lpszSourceUrlName &&
            ::lstrcmpiA(entry->lpszLocalFileName, localPath) == 0) {
            url = entry->lpszSourceUrlName;
            return true;
        }
    }
    return false;
}

void ForEachCacheSourceUrl(const std::function<void(LPCSTR localPath, LPCSTR url)>& visit)
{
    CacheIndexWalk walk;
    for (const INTERNET_CACHE_ENTRY_INFOA* entry = walk.First(); entry; entry = walk.Next()) {
        if (entry->lpszLocalFileName && entry->lpszSourceUrlName)
            visit(entry->lpszLocalFileName, entry->lpszSourceUrlName);
    }
}
