// The response info Chromium keeps in stream 0 of an entry (`head` in the SQL
// backend): a base::Pickle written by HttpResponseInfo::Persist.
#pragma once
#include "caches/cache_entry.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Fills the entry's status, headers, content facts and times. False, with
// `problem` saying why, when the bytes are not a response info this reader knows.
// `truncated` tells whether the browser marked the download as cut short (its
// stored body then lacks an end, whatever the length header says).
bool ParseHttpResponseInfo(const uint8_t* data, size_t size, CacheEntry& entry,
                           std::string& problem, bool* truncated = nullptr);
