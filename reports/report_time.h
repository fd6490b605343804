// The cached time as ISO 8601 text, from a FILETIME's count: computed here
// rather than by the C library, whose time_t and gmtime differ by platform
// and cannot take an offset that is not the machine's own.
#pragma once

#include <cstdint>
#include <string>

// "2026-12-09T14:02:31Z"; "" for 0 (unknown) or a time past the year 9999.
std::string IsoUtcTime(uint64_t fileTime);

// "2026-12-09T15:02:31+01:00": the moment at the given offset east of UTC
// (at most 14 hours either way, else ""); "" as IsoUtcTime.
std::string IsoLocalTime(uint64_t fileTime, int32_t offsetMinutes);
