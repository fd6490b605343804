// The byte source every decoder reads through: an open file, or a block in
// memory (the fuzz target and the tests feed bytes without touching the disk).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

class CImageStream {
public:
    enum { kSet = 0, kCurrent = 1, kEnd = 2 };
    virtual ~CImageStream() = default;
    // Reads up to count elements of size bytes; answers how many whole elements came.
    virtual size_t Read(void* buffer, size_t size, size_t count) = 0;
    // Answers false when the target lies before the start or the source refuses.
    virtual bool Seek(int64_t offset, int origin) = 0;
    virtual int64_t Tell() = 0;
    virtual int64_t Size() = 0;

    // Convenience for decoders: exactly n bytes or false.
    bool ReadAll(void* buffer, size_t n) { return n == 0 || Read(buffer, n, 1) == 1; }
    int GetByte();  // -1 at the end
    int64_t Remaining();
};

class CFileStream : public CImageStream {
public:
    explicit CFileStream(FILE* file) : m_file(file) {}
    size_t Read(void* buffer, size_t size, size_t count) override;
    bool Seek(int64_t offset, int origin) override;
    int64_t Tell() override;
    int64_t Size() override;

private:
    FILE* m_file;
};

class CMemoryStream : public CImageStream {
public:
    CMemoryStream(const void* data, size_t size)
        : m_data(static_cast<const uint8_t*>(data)), m_size(size)
    {}
    size_t Read(void* buffer, size_t size, size_t count) override;
    bool Seek(int64_t offset, int origin) override;
    int64_t Tell() override { return m_pos; }
    int64_t Size() override { return static_cast<int64_t>(m_size); }

private:
    const uint8_t* m_data;
    size_t m_size;
    int64_t m_pos = 0;  // may lie past the end, as a file position can
};
