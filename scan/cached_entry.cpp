#include "scan/cached_entry.h"

#include "caches/cache_reader.h"
#include "scan/body_signature.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <utility>

namespace {

// A copy is written as it is decoded, so memory stays small; the bound only
// keeps a body that decodes without end from filling the user's disk.
constexpr uint64_t copyBound = 0xFFFFFFFFull;

std::string LocalTimeText(int64_t microseconds)
{
    if (microseconds <= 0)
        return "unknown";
    ULARGE_INTEGER ticks;
    ticks.QuadPart = static_cast<ULONGLONG>(microseconds) * 10u;
    FILETIME utc = { ticks.LowPart, ticks.HighPart };
    FILETIME local;
    SYSTEMTIME calendar;
    if (!::FileTimeToLocalFileTime(&utc, &local) || !::FileTimeToSystemTime(&local, &calendar))
        return "unknown";
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", calendar.wYear,
                  calendar.wMonth, calendar.wDay, calendar.wHour, calendar.wMinute,
                  calendar.wSecond);
    return text;
}

}  // namespace

CachedEntry::CachedEntry(std::shared_ptr<const ChosenCache> cache, CacheEntry entry,
                         uint64_t decodedSize)
    : m_cache(std::move(cache)), m_entry(std::move(entry)), m_decodedSize(decodedSize)
{
    m_entry.headers.clear();
    m_entry.headers.shrink_to_fit();
}

BodyDecodeResult CachedEntry::ReadBody(uint64_t bound, const CacheStopCheck& stop,
                                       const DecodedBodySink& sink) const
{
    OpenedCache opened = OpenCacheFolder(m_cache->folder);
    if (!opened.reader) {
        BodyDecodeResult failed;
        failed.status = BodyDecodeStatus::ReadFailed;
        return failed;
    }
    return ReadEntryBody(*opened.reader, m_entry, bound, stop, sink);
}

bool CachedEntry::WriteBody(const char* target) const
{
    HANDLE file = ::CreateFileA(target, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool written = true;
    BodyDecodeResult result = ReadBody(copyBound, {}, [&](const uint8_t* data, size_t size) {
        DWORD done = 0;
        written = ::WriteFile(file, data, static_cast<DWORD>(size), &done, nullptr) && done == size;
        return written;
    });
    bool closed = ::CloseHandle(file) != FALSE;
    return written && closed && result.status == BodyDecodeStatus::Ok;
}

std::unique_ptr<char[]> CachedEntry::ReadContent(uint64_t bound, const CacheStopCheck& stop) const
{
    if (m_decodedSize > bound || m_decodedSize >= 0xFFFFFFFFu)
        return nullptr;
    const size_t size = static_cast<size_t>(m_decodedSize);
    std::unique_ptr<char[]> text(new (std::nothrow) char[size + 1]);
    if (!text)
        return nullptr;
    size_t filled = 0;
    BodyDecodeResult result = ReadBody(m_decodedSize, stop, [&](const uint8_t* data, size_t count) {
        if (count > size - filled)
            return false;
        std::memcpy(text.get() + filled, data, count);
        filled += count;
        return true;
    });
    if (result.status != BodyDecodeStatus::Ok || filled != size)
        return nullptr;
    text[size] = '\0';
    return text;
}

std::string CachedEntry::Description() const
{
    std::string text = m_cache->name + ": ";
    text += m_entry.statusLine.empty() ? std::to_string(m_entry.status) : m_entry.statusLine;
    text += ", " + (m_entry.contentType.empty() ? std::string("no type") : m_entry.contentType);
    if (!m_entry.contentEncoding.empty())
        text += ", " + m_entry.contentEncoding;
    text += ", " + std::to_string(m_entry.storedSize) + " bytes stored, " +
            std::to_string(m_decodedSize) + " decoded";
    text += ", cached " + LocalTimeText(m_entry.responseTime);
    if (!m_entry.topLevelSite.empty())
        text += ", visiting " + m_entry.topLevelSite;
    if (m_entry.body != BodyAvailability::Complete)
        text += m_entry.body == BodyAvailability::Partial ? ", stored in part" : ", unreadable";
    if (!m_entry.problem.empty())
        text += " (" + m_entry.problem + ")";
    return text;
}

BodyDecodeStatus
ReadBodyInMemory(const std::function<BodyDecodeResult(const DecodedBodySink&)>& read,
                 std::vector<uint8_t>& body)
{
    body.clear();
    BodyDecodeResult result = read([&](const uint8_t* data, size_t size) {
        try {
            body.insert(body.end(), data, data + size);
        } catch (const std::bad_alloc&) {
            return false;
        }
        return true;
    });
    if (result.status == BodyDecodeStatus::Ok && result.decodedBytes != body.size())
        return BodyDecodeStatus::TooLarge;
    return result.status;
}

BodyDecodeStatus MeasureBody(const std::function<BodyDecodeResult(const DecodedBodySink&)>& read,
                             std::vector<uint8_t>& head, uint64_t& decodedSize)
{
    head.clear();
    head.reserve(kSignatureBytes);
    decodedSize = 0;
    BodyDecodeResult result = read([&](const uint8_t* data, size_t size) {
        size_t wanted = std::min(size, kSignatureBytes - head.size());
        head.insert(head.end(), data, data + wanted);
        return true;
    });
    decodedSize = result.decodedBytes;
    return result.status;
}

bool ConvertToAnsi(const std::u16string& text, std::string& ansi)
{
    ansi.clear();
    if (text.empty())
        return true;
    const wchar_t* wide = reinterpret_cast<const wchar_t*>(text.data());
    int wideLength = static_cast<int>(text.size());
    BOOL lossy = FALSE;
    int length = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, wideLength, nullptr, 0,
                                       nullptr, &lossy);
    if (length <= 0 || lossy)
        return false;
    ansi.resize(static_cast<size_t>(length));
    length = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, wideLength, &ansi[0], length,
                                   nullptr, &lossy);
    return length > 0 && !lossy;
}
