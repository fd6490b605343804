#include "media/media_category.h"

#include <windows.h>
#include <string.h>

#include <string>

#include "platform/content_type.h"

namespace {

bool IsFlash(const char* extension)
{
    return lstrcmpiA(extension, ".swf") == 0;
}

// The first five characters of the type against the major type, so that
// "videox" is a video as much as "video/avi".
bool ContentTypeBeginsWith(const char* extension, const char* major)
{
    std::string contentType;
    if (!LookUpContentType(extension, contentType))
        return false;
    return lstrcmpiA(contentType.substr(0, 5).c_str(), major) == 0;
}

}  // namespace

bool IsMediaOfKind(int32_t kind, const char* path)
{
    const char* extension = strrchr(path, '.');
    if (!extension)
        return false;
    switch (kind) {
    case Flashes:
        return IsFlash(extension);
    case Movies:
        return !IsFlash(extension) && ContentTypeBeginsWith(extension, "video");
    case Audios:
        return ContentTypeBeginsWith(extension, "audio");
    default:
        return false;
    }
}
