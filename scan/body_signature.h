// What a body is by its first bytes, for entries whose content type and name
// say nothing (application/octet-stream, a .php address, no type at all).
#pragma once
#include <cstddef>
#include <cstdint>

// Enough of a body's start for every signature below.
constexpr size_t kSignatureBytes = 512;

// The content type whose signature head begins with (lower case, one of
// scan/web_types' table), or null when none is recognised. Formats without
// a signature of their own (TGA, PCX, WBMP, plain text) are never guessed.
const char* ContentTypeOfSignature(const uint8_t* head, size_t size);
