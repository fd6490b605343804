#include "setup/reg_tree.h"

#include <string.h>

#include <vector>

#include "platform/settings.h"

namespace {

const size_t kTreeBufferSize = 8192;

bool KeyOpens(HKEY root, const char* path)
{
    HKEY key = OpenRegKeyForRead(root, path);
    if (!key)
        return false;
    ::RegCloseKey(key);
    return true;
}

// The name of the key's first subkey, written after "path\" in the buffer.
bool FirstSubkey(HKEY root, std::vector<char>& buffer, size_t pathLength)
{
    buffer[pathLength] = '\0';
    HKEY key = OpenRegKeyForRead(root, buffer.data());
    buffer[pathLength] = '\\';
    if (!key)
        return false;
    DWORD nameSize = static_cast<DWORD>(kTreeBufferSize - 1 - pathLength);
    LONG result = ::RegEnumKeyExA(key, 0, buffer.data() + pathLength + 1, &nameSize, nullptr,
                                  nullptr, nullptr, nullptr);
    ::RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

}  // namespace

int DeleteRegTree(HKEY root, const char* path)
{
    if (!path || !*path)
        return 0;
    size_t pathLength = strlen(path);
    if (pathLength + 2 > kTreeBufferSize)
        return 0;
    std::vector<char> buffer(kTreeBufferSize, '\0');
    memcpy(buffer.data(), path, pathLength);
    buffer[pathLength] = '\\';

    // Index 0 again after every deletion, since deleting renumbers the rest.
    while (FirstSubkey(root, buffer, pathLength)) {
        if (!DeleteRegTree(root, buffer.data()))
            return 0;
    }
    ::RegDeleteKeyA(root, path);
    return !KeyOpens(root, path);
}
