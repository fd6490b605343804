// Cache files read whole as text, for the Text browser's content test and
// its content pane.
#pragma once
#include <cstdint>
#include <memory>

// Files larger than this are neither searched nor shown: a 32-bit process
// cannot count on more contiguous memory, and an edit control holding more
// is of no use to a reader.
constexpr uint64_t maxTextFileSize = 64u << 20;

// The file's bytes followed by a NUL; null when the file cannot be opened or
// read, is larger than maxTextFileSize, or the memory is not there.
std::unique_ptr<char[]> ReadTextFile(const char* path);

// The offset of the first occurrence of the search text in the text up to its
// first NUL, ignoring case; -1 when there is none or the search text is empty.
long FindSearchText(const char* text, const char* searchText);
