// Every thumbnail tile of a scan, however many, in bounded memory: the first
// tiles stay in memory up to a budget, the rest go to a temporary file the
// system deletes when it is closed (or the program ends). A scan of 100,000
// pictures keeps 4 GB of tiles at the default edge; no 32-bit address space
// holds that, the disk does.
#pragma once
#include "framework/afxmt.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class CTileStore {
public:
    static constexpr size_t defaultMemoryBudget = 128u << 20;

    CTileStore() = default;
    ~CTileStore();
    CTileStore(const CTileStore&) = delete;
    CTileStore& operator=(const CTileStore&) = delete;

    // Drops every tile and takes tiles of tileBytes from now on. Called while
    // no other thread uses the store.
    void Reset(size_t tileBytes, size_t memoryBudget = defaultMemoryBudget);

    // From any thread. Append answers the new tile's index, or -1 when it
    // cannot be kept (no memory, no temporary file, the disk full).
    int Append(const uint8_t* tile);
    bool Read(int index, uint8_t* tile) const;

private:
    uint8_t* MemoryTile(size_t index) const;
    bool AppendToMemory(const uint8_t* tile);
    bool AppendToFile(const uint8_t* tile);
    bool ReadFromFile(size_t index, uint8_t* tile) const;
    bool SeekToFileTile(size_t index) const;
    void Clear();

    // The worker appends while the user-interface thread reads: one lock
    // guards the chunks, the count and the file position.
    mutable CCriticalSection m_lock;
    size_t m_tileBytes = 0;
    size_t m_memoryTiles = 0;  // how many tiles the budget keeps in memory
    size_t m_count = 0;
    std::vector<uint8_t*> m_chunks;  // tilesPerChunk tiles each
    HANDLE m_file = INVALID_HANDLE_VALUE;
    bool m_fileFailed = false;
};
