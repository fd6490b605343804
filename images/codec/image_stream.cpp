#include "images/codec/image_stream.h"

#include <cstring>

int CImageStream::GetByte()
{
    uint8_t b;
    return Read(&b, 1, 1) == 1 ? b : -1;
}

int64_t CImageStream::Remaining()
{
    int64_t left = Size() - Tell();
    return left > 0 ? left : 0;
}

size_t CFileStream::Read(void* buffer, size_t size, size_t count)
{
    if (size == 0 || count == 0)
        return 0;
    return fread(buffer, size, count, m_file);
}

#ifdef _WIN32
#define zema_fseek _fseeki64
#define zema_ftell _ftelli64
#else
#define zema_fseek fseeko
#define zema_ftell ftello
#endif

bool CFileStream::Seek(int64_t offset, int origin)
{
    static const int kWhence[] = { SEEK_SET, SEEK_CUR, SEEK_END };
    if (origin < kSet || origin > kEnd)
        return false;
    if (origin == kCurrent) {
        offset += Tell();
        origin = kSet;
    }
    if (origin == kSet && offset < 0)
        return false;
    return zema_fseek(m_file, offset, kWhence[origin]) == 0;
}

int64_t CFileStream::Tell()
{
    return zema_ftell(m_file);
}

int64_t CFileStream::Size()
{
    int64_t here = Tell();
    if (zema_fseek(m_file, 0, SEEK_END) != 0)
        return 0;
    int64_t size = Tell();
    zema_fseek(m_file, here, SEEK_SET);
    return size;
}

size_t CMemoryStream::Read(void* buffer, size_t size, size_t count)
{
    if (size == 0 || count == 0 || m_pos >= static_cast<int64_t>(m_size))
        return 0;
    size_t whole = (m_size - static_cast<size_t>(m_pos)) / size;
    if (whole > count)
        whole = count;
    memcpy(buffer, m_data + m_pos, whole * size);
    m_pos += whole * size;
    return whole;
}

bool CMemoryStream::Seek(int64_t offset, int origin)
{
    int64_t base = origin == kSet ? 0 : origin == kCurrent ? m_pos : static_cast<int64_t>(m_size);
    if (origin < kSet || origin > kEnd)
        return false;
    int64_t target = base + offset;
    if (target < 0)
        return false;
    // Seeking past the end is allowed, as with a file; reads there answer nothing.
    m_pos = target;
    return true;
}
