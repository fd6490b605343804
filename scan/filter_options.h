// The values an Options dialog hands to a list control's scan. Each scan
// reads the fields of its own category; they are written before the worker
// starts and only read afterwards, so the worker needs no lock for them.
#pragma once
#include "framework/afxstr.h"

#include <cstdint>

struct FilterOptions {
    int32_t dateMode = 0;  // 0 Any date, 1 Before, 2 Since, 3 Exactly
    int32_t dayNumber = 0;
    int32_t sizeMode = 0;  // 0 Any size, 1 Not smaller than, 2 Smaller than, 3 Exactly
    uint32_t width = 320;
    uint32_t height = 200;
    CString typeList;  // extensions separated by ";"; empty means none
    uint32_t thumbnailEdge = 120;
    int32_t mediaKind = 0;  // 0 Flashes, 1 Movies, 2 Audios
    CString searchText;
    CString wildcard;
};
