// The codings a Content-Encoding header value names.
#pragma once

#include <string>
#include <vector>

enum class ContentCoding { Gzip, Deflate, Brotli, Zstd };

// More than this many codings on one body is no server's doing; each costs a
// decoder's state and buffers, so a longer list is refused.
constexpr size_t kMaxContentCodings = 4;

// Fills `codings` in the order the sender applied them (the header's order),
// skipping "identity" and empty items. False when an item names a coding this
// reader does not decode or the list is longer than kMaxContentCodings.
bool ParseContentCodings(const std::string& headerValue, std::vector<ContentCoding>& codings);
