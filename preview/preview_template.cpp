#include "preview/preview_template.h"

#include <string.h>

#include "framework/afxapp.h"

PreviewTemplate LoadPreviewTemplate(WORD id)
{
    PreviewTemplate result;
    HMODULE module = AfxGetResourceHandle();
    HRSRC resource = ::FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(23));
    if (!resource)
        return result;
    HGLOBAL loaded = ::LoadResource(module, resource);
    DWORD size = ::SizeofResource(module, resource);
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (!bytes)
        return result;
    // Resource data is not terminated; the copy must be, to serve as a format.
    char* copy = static_cast<char*>(malloc(size + 16));
    if (!copy)
        return result;
    memcpy(copy, bytes, size);
    copy[size] = 0;
    copy[size + 1] = 0;
    result.text.reset(copy);
    result.size = size;
    return result;
}
