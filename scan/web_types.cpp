#include "scan/web_types.h"

#include "images/codec/image_types.h"

#include <cctype>
#include <cstring>

namespace {

using K = WebKind;

// Looked up from the top: a type's first row gives its extension, an
// extension's first row its type, so the usual spelling of each comes first
// and the aliases after it.
const WebType kWebTypes[] = {
    { "image/jpeg", "jpg", K::Picture, kImageJPEG },
    { "image/jpeg", "jpeg", K::Picture, kImageJPEG },
    { "image/jpeg", "jpe", K::Picture, kImageJPEG },
    { "image/pjpeg", "jpg", K::Picture, kImageJPEG },
    { "image/jpg", "jpg", K::Picture, kImageJPEG },
    { "image/png", "png", K::Picture, kImagePNG },
    { "image/x-png", "png", K::Picture, kImagePNG },
    { "image/apng", "png", K::Picture, kImagePNG },
    { "image/gif", "gif", K::Picture, kImageGIF },
    { "image/webp", "webp", K::Picture, kImageWEBP },
    { "image/bmp", "bmp", K::Picture, kImageBMP },
    { "image/x-bmp", "bmp", K::Picture, kImageBMP },
    { "image/x-ms-bmp", "bmp", K::Picture, kImageBMP },
    { "image/x-icon", "ico", K::Picture, kImageICO },
    { "image/vnd.microsoft.icon", "ico", K::Picture, kImageICO },
    { "image/ico", "ico", K::Picture, kImageICO },
    { "image/tiff", "tif", K::Picture, kImageTIFF },
    { "image/tiff", "tiff", K::Picture, kImageTIFF },
    // The code-stream decoder takes both JP2 files and bare code streams, as
    // it does for a .jp2 file.
    { "image/jp2", "jp2", K::Picture, kImageJ2K },
    { "image/x-tga", "tga", K::Picture, kImageTGA },
    { "image/x-pcx", "pcx", K::Picture, kImagePCX },
    { "image/vnd.wap.wbmp", "wbmp", K::Picture, kImageWBMP },
    { "image/x-portable-anymap", "pnm", K::Picture, kImagePNM },
    { "image/x-portable-pixmap", "ppm", K::Picture, kImagePNM },
    { "image/x-portable-graymap", "pgm", K::Picture, kImagePNM },
    { "image/wmf", "wmf", K::Picture, kImageWMF },
    { "image/x-wmf", "wmf", K::Picture, kImageWMF },
    { "image/emf", "emf", K::Picture, kImageWMF },
    { "image/x-emf", "emf", K::Picture, kImageWMF },
    // Pictures the viewer has no decoder for.
    { "image/svg+xml", "svg", K::Picture, kImageUnknown },
    { "image/avif", "avif", K::Picture, kImageUnknown },
    { "image/heic", "heic", K::Picture, kImageUnknown },
    { "image/jxl", "jxl", K::Picture, kImageUnknown },

    { "video/mp4", "mp4", K::Movie, 0 },
    { "video/mp4", "m4v", K::Movie, 0 },
    { "video/webm", "webm", K::Movie, 0 },
    { "video/ogg", "ogv", K::Movie, 0 },
    { "video/quicktime", "mov", K::Movie, 0 },
    { "video/x-msvideo", "avi", K::Movie, 0 },
    { "video/x-ms-wmv", "wmv", K::Movie, 0 },
    { "video/x-ms-asf", "asf", K::Movie, 0 },
    { "video/x-flv", "flv", K::Movie, 0 },
    { "video/mpeg", "mpg", K::Movie, 0 },
    { "video/mpeg", "mpeg", K::Movie, 0 },
    { "video/mp2t", "ts", K::Movie, 0 },
    { "video/3gpp", "3gp", K::Movie, 0 },
    { "video/x-matroska", "mkv", K::Movie, 0 },

    { "audio/mpeg", "mp3", K::Audio, 0 },
    { "audio/mp3", "mp3", K::Audio, 0 },
    { "audio/mp4", "m4a", K::Audio, 0 },
    { "audio/aac", "aac", K::Audio, 0 },
    { "audio/ogg", "ogg", K::Audio, 0 },
    { "audio/ogg", "oga", K::Audio, 0 },
    { "audio/opus", "opus", K::Audio, 0 },
    { "audio/wav", "wav", K::Audio, 0 },
    { "audio/x-wav", "wav", K::Audio, 0 },
    { "audio/wave", "wav", K::Audio, 0 },
    { "audio/webm", "weba", K::Audio, 0 },
    { "audio/flac", "flac", K::Audio, 0 },
    { "audio/x-ms-wma", "wma", K::Audio, 0 },
    { "audio/midi", "mid", K::Audio, 0 },
    { "audio/midi", "midi", K::Audio, 0 },
    { "audio/x-midi", "mid", K::Audio, 0 },
    { "audio/basic", "au", K::Audio, 0 },
    { "audio/x-aiff", "aif", K::Audio, 0 },

    { "application/x-shockwave-flash", "swf", K::Flash, 0 },

    { "text/html", "html", K::Text, 0 },
    { "text/html", "htm", K::Text, 0 },
    { "application/xhtml+xml", "xhtml", K::Text, 0 },
    { "text/plain", "txt", K::Text, 0 },
    { "text/css", "css", K::Text, 0 },
    { "text/javascript", "js", K::Text, 0 },
    { "text/javascript", "mjs", K::Text, 0 },
    { "application/javascript", "js", K::Text, 0 },
    { "application/x-javascript", "js", K::Text, 0 },
    { "application/ecmascript", "js", K::Text, 0 },
    { "text/ecmascript", "js", K::Text, 0 },
    { "text/vbscript", "vbs", K::Text, 0 },
    { "application/json", "json", K::Text, 0 },
    { "application/manifest+json", "webmanifest", K::Text, 0 },
    { "application/ld+json", "jsonld", K::Text, 0 },
    { "text/xml", "xml", K::Text, 0 },
    { "application/xml", "xml", K::Text, 0 },
    { "application/rss+xml", "rss", K::Text, 0 },
    { "application/atom+xml", "atom", K::Text, 0 },
    { "text/csv", "csv", K::Text, 0 },
    { "text/markdown", "md", K::Text, 0 },
    { "text/vtt", "vtt", K::Text, 0 },
    { "text/calendar", "ics", K::Text, 0 },

    { "application/pdf", "pdf", K::Document, 0 },
    { "application/zip", "zip", K::Document, 0 },
    { "application/gzip", "gz", K::Document, 0 },
    { "application/x-gzip", "gz", K::Document, 0 },
    { "application/x-tar", "tar", K::Document, 0 },
    { "application/x-7z-compressed", "7z", K::Document, 0 },
    { "application/vnd.rar", "rar", K::Document, 0 },
    { "application/x-rar-compressed", "rar", K::Document, 0 },
    { "application/wasm", "wasm", K::Document, 0 },
    { "font/woff2", "woff2", K::Document, 0 },
    { "font/woff", "woff", K::Document, 0 },
    { "application/font-woff", "woff", K::Document, 0 },
    { "font/ttf", "ttf", K::Document, 0 },
    { "font/otf", "otf", K::Document, 0 },
    { "application/vnd.ms-fontobject", "eot", K::Document, 0 },
    { "application/rtf", "rtf", K::Document, 0 },
    { "application/msword", "doc", K::Document, 0 },
    { "application/vnd.ms-excel", "xls", K::Document, 0 },
    { "application/vnd.ms-powerpoint", "ppt", K::Document, 0 },
    { "application/vnd.openxmlformats-officedocument.wordprocessingml.document", "docx",
      K::Document, 0 },
    { "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet", "xlsx", K::Document, 0 },
    { "application/vnd.openxmlformats-officedocument.presentationml.presentation", "pptx",
      K::Document, 0 },
    { "application/java-archive", "jar", K::Document, 0 },
    { "application/x-msdownload", "exe", K::Document, 0 },
    { "application/vnd.android.package-archive", "apk", K::Document, 0 },
};

// Types servers send when they do not know or will not say.
const char* const kGenericTypes[] = {
    "application/octet-stream",   "binary/octet-stream",
    "application/binary",         "application/unknown",
    "application/x-unknown",      "unknown/unknown",
    "application/force-download", "application/x-download",
    "application/download",       "*/*",
};

bool SameNoCase(const char* a, const std::string& b)
{
    size_t i = 0;
    for (; a[i] && i < b.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return !a[i] && i == b.size();
}

}  // namespace

std::string BareContentType(const std::string& contentType)
{
    std::string bare;
    for (char c : contentType.substr(0, contentType.find(';'))) {
        if (c != ' ' && c != '\t')
            bare.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    }
    return bare;
}

bool IsGenericContentType(const std::string& bareType)
{
    if (bareType.empty())
        return true;
    for (const char* generic : kGenericTypes) {
        if (bareType == generic)
            return true;
    }
    return false;
}

const WebType* WebTypeOfContentType(const std::string& bareType)
{
    for (const WebType& type : kWebTypes) {
        if (bareType == type.contentType)
            return &type;
    }
    return nullptr;
}

const WebType* WebTypeOfExtension(const std::string& extension)
{
    if (extension.empty())
        return nullptr;
    for (const WebType& type : kWebTypes) {
        if (SameNoCase(type.extension, extension))
            return &type;
    }
    return nullptr;
}
