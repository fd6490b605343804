// What kind of file a cache entry is. A WinINet file is judged by its
// extension through the registry; an entry carries the server's content
// type, which is asked first, then the extension of the name, then the
// body's first bytes.
#pragma once
#include "scan/web_types.h"

#include <cstddef>
#include <cstdint>
#include <string>

enum class CategorySource { None, ContentType, Extension, Body };

struct EntryCategory {
    CategorySource source = CategorySource::None;  // None: the kind is unknown
    WebKind kind = WebKind::Document;
    std::string contentType;  // the bare type the kind stands on, "" when unknown
    bool decodable = false;   // a picture of a type the viewer decodes
    // The decoder's type number for a decodable picture, from the content
    // type or the body's signature, never from the name; 0 lets the codec
    // find it by trying its decoders.
    uint32_t imageType = 0;
};

// contentType as stored (parameters allowed); name as made for the row
// (scan/entry_name), whose extension is asked when the content type is
// missing or generic. head is the decoded body's start (kSignatureBytes of
// it suffice) or null: without it a kind the headers leave open stays
// unknown, and a picture's decoder type rests on its content type alone.
EntryCategory CategorizeEntry(const std::string& contentType, const std::string& name,
                              const uint8_t* head, size_t headSize);
