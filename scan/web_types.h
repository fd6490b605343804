// The content types the web serves most, with the extension a file of each
// type is saved under and the kind of file it is. Cache entries carry a
// content type where a WinINet file carries an extension: this table turns
// one into the other.
#pragma once
#include <cstdint>
#include <string>

enum class WebKind { Picture, Movie, Audio, Flash, Text, Document };

struct WebType {
    const char* contentType;  // lower case, no parameters
    const char* extension;    // without the dot
    WebKind kind;
    uint32_t imageType;  // the decoder's type number for a picture it decodes, else 0
};

// "Image/PNG; charset=x" -> "image/png": lower case, parameters and white
// space dropped.
std::string BareContentType(const std::string& contentType);

// Whether a content type says nothing about what the body is (none,
// application/octet-stream and the like), so that the name or the bytes
// have to tell.
bool IsGenericContentType(const std::string& bareType);

// The table's row for a bare content type, or null.
const WebType* WebTypeOfContentType(const std::string& bareType);
// The table's first row saved under this extension (no dot, any case), or
// null.
const WebType* WebTypeOfExtension(const std::string& extension);
