#include "scan/cached_entry.h"

#include "caches/cache_reader.h"
#include "scan/body_signature.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

namespace {

// A copy is written as it is decoded, so memory stays small; the bound only
// keeps a body that decodes without end from filling the user's disk.
constexpr uint64_t copyBound = 0xFFFFFFFFull;

// The text a row's entry keeps in the records' heap; every other field is
// copied as it is.
std::string CacheEntry::*const kTextFields[] = {
    &CacheEntry::key,        &CacheEntry::url,         &CacheEntry::topLevelSite,
    &CacheEntry::statusLine, &CacheEntry::contentType, &CacheEntry::contentEncoding,
    &CacheEntry::problem,    &CacheEntry::bodyFile,
};
}  // namespace

std::shared_ptr<const CachedEntry> CachedEntry::Make(std::shared_ptr<const ChosenCache> cache,
                                                     const CacheEntry& entry, uint64_t decodedSize)
{
    return std::allocate_shared<CachedEntry>(RecordAllocator<CachedEntry>(), std::move(cache),
                                             entry, decodedSize);
}

CachedEntry::CachedEntry(std::shared_ptr<const ChosenCache> cache, const CacheEntry& entry,
                         uint64_t decodedSize)
    : m_cache(std::move(cache)), m_numbers(entry), m_decodedSize(decodedSize)
{
    static_assert(sizeof kTextFields / sizeof kTextFields[0] == kTextFieldCount,
                  "one kept text per text field");
    m_numbers.headers.clear();
    m_numbers.headers.shrink_to_fit();
    for (size_t field = 0; field < kTextFieldCount; ++field) {
        std::string& text = m_numbers.*kTextFields[field];
        m_text[field].assign(text.data(), text.size());
        std::string().swap(text);
    }
}

CacheEntry CachedEntry::Entry() const
{
    CacheEntry entry = m_numbers;
    for (size_t field = 0; field < kTextFieldCount; ++field)
        (entry.*kTextFields[field]).assign(m_text[field].data(), m_text[field].size());
    return entry;
}

std::string CachedEntry::Url() const
{
    for (size_t field = 0; field < kTextFieldCount; ++field)
        if (kTextFields[field] == &CacheEntry::url)
            return std::string(m_text[field].data(), m_text[field].size());
    return std::string();
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
    return ReadEntryBody(*opened.reader, Entry(), bound, stop, sink);
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
