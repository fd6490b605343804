// Built where no SQLite is linked: the SQL backend is recognised and said to
// be unreadable rather than taken for an empty folder.
#include "caches/chromium_sql.h"

std::unique_ptr<CacheReader> OpenSqlCache(const std::string&, std::string& problem)
{
    problem = "SQL cache: this build has no SQLite";
    return nullptr;
}
