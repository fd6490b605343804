#include "platform/normalize_path.h"

#include <string.h>

void NormalizePath(char* path)
{
    for (char* p = path; *p; ++p)
        if (*p == '/')
            *p = '\\';
    size_t length = strlen(path);
    if (length < 3)
        return;

    // The first two characters are kept as they are: "\\server" must stay a
    // network path, and a drive letter is never part of a run.
    size_t out = 2;
    for (size_t in = 2; in < length; ++in) {
        if (path[in] == '\\' && path[out - 1] == '\\' && out > 2)
            continue;
        path[out++] = path[in];
    }
    while (out > 3 && path[out - 1] == '\\')
        --out;
    path[out] = '\0';
}
