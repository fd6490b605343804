// Chromium's SQL backend: `index` naming it, and the entries sharded over the
// SQLite databases `sqldb0`..`sqldbN` (tables `resources` and `blobs`).
#pragma once
#include "caches/cache_reader.h"

#include <memory>
#include <string>

// The reader, or null with `problem` saying why.
std::unique_ptr<CacheReader> OpenSqlCache(const std::string& folder, std::string& problem);
