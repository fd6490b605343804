// The name a cache entry's row shows and its copy is saved under: made from
// the entry's URL, in the program's 8-bit code page, safe to create on
// Windows.
#pragma once
#include <functional>
#include <string>

// The platform's conversion to the ANSI code page: true with the 8-bit text
// only when every character has an exact form there (no best-fit look-alike,
// no default character).
using AnsiConverter = std::function<bool(const std::u16string& text, std::string& ansi)>;

// Longest name made, in bytes.
constexpr size_t kEntryNameLength = 120;

// The last segment of the URL's path (query and fragment dropped),
// percent-decoded when the decoded bytes are UTF-8 that toAnsi converts
// exactly, else kept escaped with every non-ASCII byte escaped too; cleaned
// as cachedump's names are (caches/safe_file_name); with the extension of
// contentType added when the name has none. A URL without a path segment
// gives its host name, which always takes the type's extension. Never
// empty, never longer than kEntryNameLength.
std::string EntryRowName(const std::string& url, const std::string& contentType,
                         const AnsiConverter& toAnsi);
