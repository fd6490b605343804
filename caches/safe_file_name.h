// File names for bodies written out of a cache: made from a URL, safe to
// create on Windows, never outside the target folder, never over a file that
// is already there.
#pragma once
#include <functional>
#include <string>

// The last path segment of url (its host when that is empty), cleaned for
// Windows: no separators, no "..", no reserved device names, no trailing dots
// or spaces, no control characters or <>:"/\|?*, at most maxLength bytes.
// Never empty.
std::string SafeFileName(const std::string& url, size_t maxLength = 120);
// The last segment of url's path as it stands (still escaped; query and
// fragment dropped), "" when the path has none; host, when given, receives
// the host without user or port.
std::string UrlLastSegment(const std::string& url, std::string* host = nullptr);
// name cleaned as SafeFileName cleans a segment (maxLength at least 16, an
// extension of up to 16 bytes kept when cut, no UTF-8 sequence split); ""
// when nothing is left of it.
std::string CleanFileName(const std::string& name, size_t maxLength = 120);
// name, or "name (2).ext", "name (3).ext", ... the first that taken() says is free.
std::string UniqueFileName(const std::string& name,
                           const std::function<bool(const std::string&)>& taken);
