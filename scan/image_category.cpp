#include "scan/image_category.h"

#include "app/settings.h"
#include "scan/filter_rules.h"

#include <windows.h>

bool IsImageCandidate(const char* fileName, const char* lowerTypeList)
{
    const char* extension = ExtensionOfName(fileName);
    if (lowerTypeList && *lowerTypeList)
        return TypeListContains(lowerTypeList, extension);
    // The key is the extension with its dot, or the whole name without one.
    const char* key = extension == fileName ? fileName : extension - 1;
    // A content type of 127 bytes or more, terminator included, is no image's.
    char contentType[127];
    if (!ReadRegString(HKEY_CLASSES_ROOT, key, "Content Type", contentType, sizeof contentType))
        return false;
    return IsImageContentType(contentType);
}
