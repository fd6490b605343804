#include "platform/content_type.h"

#include "platform/settings.h"

bool LookUpContentType(const char* key, std::string& contentType, size_t longestType)
{
    if (!ReadRegText(HKEY_CLASSES_ROOT, key, "Content Type", contentType))
        return false;
    if (contentType.size() > longestType) {
        contentType.clear();
        return false;
    }
    return true;
}
