// Which cache files the Media browser lists for each media kind.
#pragma once
#include <cstdint>

enum MediaKind : int32_t { Flashes = 0, Movies = 1, Audios = 2 };

// The extension runs from the last "." of the full path, so a dot in a folder
// name counts when the file name has none. Flashes are .swf files in any
// case; Movies and Audios go by the extension's registry "Content Type",
// whose first five characters must be "video" or "audio" (Movies never take
// a .swf, whatever its type says). Any other kind takes nothing.
bool IsMediaOfKind(int32_t kind, const char* path);
