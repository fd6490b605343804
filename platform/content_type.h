// The registry's "Content Type" of a file extension: what the system says a
// kind of file is, read by every category that judges a file by its type.
#pragma once
#include <cstddef>
#include <string>

// No bound on a type's length but the registry's own.
constexpr size_t kAnyContentTypeLength = static_cast<size_t>(-1);

// The "Content Type" under HKEY_CLASSES_ROOT\<key>, where key is an extension
// with its dot (or a whole name without one). False when the value is
// missing or longer than longestType characters: a caller that judged types
// in a fixed buffer keeps that bound, so a type too long for it is no type.
bool LookUpContentType(const char* key, std::string& contentType,
                       size_t longestType = kAnyContentTypeLength);
