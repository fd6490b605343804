#include "images/image_category.h"

#include "platform/content_type.h"
#include "scan/filter_rules.h"

#include <windows.h>

#include <string>

bool IsImageCandidate(const char* fileName, const char* lowerTypeList)
{
    const char* extension = ExtensionOfName(fileName);
    if (lowerTypeList && *lowerTypeList)
        return TypeListContains(lowerTypeList, extension);
    // The key is the extension with its dot, or the whole name without one.
    const char* key = extension == fileName ? fileName : extension - 1;
    // A content type of 127 bytes or more, terminator included, is no image's.
    std::string contentType;
    if (!LookUpContentType(key, contentType, 126))
        return false;
    return IsImageContentType(contentType.c_str());
}
