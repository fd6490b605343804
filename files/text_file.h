// Cache files read whole as text, for the Text browser's content test and
// its content pane.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>

// Files larger than this are neither searched nor shown: a 32-bit process
// cannot count on more contiguous memory, and an edit control holding more
// is of no use to a reader.
constexpr uint64_t maxTextFileSize = 64u << 20;

// Asked between blocks of reading and searching: true when the result is no
// longer wanted.
using StopCheck = std::function<bool()>;

// The file's bytes followed by a NUL; null when the file cannot be opened or
// read, is larger than maxTextFileSize, the memory is not there, or the
// reading was stopped.
std::unique_ptr<char[]> ReadTextFile(const char* path, const StopCheck& stopRequested = {});

// The offset of the first occurrence of the search text in a text of length
// bytes that ends with a NUL there, ignoring case; -1 when there is none, the
// search text is empty, or a stop was requested. Searched in blocks, so that
// a stop request is heard while a large text is searched.
long FindSearchText(const char* text, uint64_t length, const char* searchText,
                    const StopCheck& stopRequested);
