#include "images/tile_store.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace {

// Memory tiles come in chunks, not one allocation each: fewer, larger blocks
// leave the address space less fragmented for the pictures being decoded.
constexpr size_t tilesPerChunk = 64;

HANDLE CreateTemporaryFile()
{
    char folder[MAX_PATH];
    char path[MAX_PATH];
    DWORD length = ::GetTempPathA(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH || !::GetTempFileNameA(folder, "zth", 0, path))
        return INVALID_HANDLE_VALUE;
    // Temporary: the system keeps it in its cache while memory lasts.
    return ::CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
}

}  // namespace

CTileStore::~CTileStore()
{
    Clear();
}

void CTileStore::Clear()
{
    for (uint8_t* chunk : m_chunks)
        free(chunk);
    m_chunks.clear();
    if (m_file != INVALID_HANDLE_VALUE)
        ::CloseHandle(m_file);
    m_file = INVALID_HANDLE_VALUE;
    m_fileFailed = false;
    m_count = 0;
}

void CTileStore::Reset(size_t tileBytes, size_t memoryBudget)
{
    Clear();
    m_tileBytes = tileBytes;
    m_memoryTiles = tileBytes ? memoryBudget / tileBytes : 0;
}

int CTileStore::Append(const uint8_t* tile)
{
    CSingleLock hold(&m_lock, TRUE);
    if (m_tileBytes == 0 || m_count >= static_cast<size_t>(INT32_MAX))
        return -1;
    bool kept = m_count < m_memoryTiles ? AppendToMemory(tile) : AppendToFile(tile);
    return kept ? static_cast<int>(m_count++) : -1;
}

bool CTileStore::Read(int index, uint8_t* tile) const
{
    CSingleLock hold(&m_lock, TRUE);
    if (index < 0 || static_cast<size_t>(index) >= m_count)
        return false;
    size_t at = static_cast<size_t>(index);
    if (at < m_memoryTiles) {
        memcpy(tile, MemoryTile(at), m_tileBytes);
        return true;
    }
    return ReadFromFile(at - m_memoryTiles, tile);
}

uint8_t* CTileStore::MemoryTile(size_t index) const
{
    return m_chunks[index / tilesPerChunk] + index % tilesPerChunk * m_tileBytes;
}

bool CTileStore::AppendToMemory(const uint8_t* tile)
{
    if (m_count / tilesPerChunk == m_chunks.size()) {
        uint8_t* chunk = static_cast<uint8_t*>(malloc(tilesPerChunk * m_tileBytes));
        if (!chunk)
            return false;
        try {
            m_chunks.push_back(chunk);
        } catch (const std::bad_alloc&) {
            free(chunk);
            return false;
        }
    }
    memcpy(MemoryTile(m_count), tile, m_tileBytes);
    return true;
}

// Tiles past the budget follow one another in the file: file tile i lies at
// i * tileBytes, past 4 GB in a large scan.
bool CTileStore::SeekToFileTile(size_t index) const
{
    LARGE_INTEGER offset;
    offset.QuadPart = static_cast<LONGLONG>(static_cast<uint64_t>(index) * m_tileBytes);
    return ::SetFilePointerEx(m_file, offset, nullptr, FILE_BEGIN) != 0;
}

bool CTileStore::AppendToFile(const uint8_t* tile)
{
    // Created on the first tile past the budget; a failure is not retried
    // for every later tile.
    if (m_file == INVALID_HANDLE_VALUE && !m_fileFailed) {
        m_file = CreateTemporaryFile();
        m_fileFailed = m_file == INVALID_HANDLE_VALUE;
    }
    if (m_file == INVALID_HANDLE_VALUE || !SeekToFileTile(m_count - m_memoryTiles))
        return false;
    DWORD written = 0;
    return ::WriteFile(m_file, tile, static_cast<DWORD>(m_tileBytes), &written, nullptr) &&
           written == m_tileBytes;
}

bool CTileStore::ReadFromFile(size_t index, uint8_t* tile) const
{
    DWORD read = 0;
    return SeekToFileTile(index) &&
           ::ReadFile(m_file, tile, static_cast<DWORD>(m_tileBytes), &read, nullptr) &&
           read == m_tileBytes;
}
