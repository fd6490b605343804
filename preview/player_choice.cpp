#include "preview/player_choice.h"

#include <windows.h>
#include <string.h>

#include "platform/content_type.h"

#include <string>

namespace {

const char* const kRealPlayerExtensions[] = {
    ".ra", ".rm", ".rv", ".ram", ".rpm", ".rmvb", ".rpx", ".smi", ".smil", ".rp", ".rt",
};

bool IsRealPlayerExtension(const char* extension)
{
    for (const char* candidate : kRealPlayerExtensions) {
        if (lstrcmpiA(extension, candidate) == 0)
            return true;
    }
    return false;
}

PlayerChoice ChooseByContentType(const char* extension)
{
    // A content type of 78 bytes or more, terminator included, is no player's.
    std::string contentType;
    if (!LookUpContentType(extension, contentType, 77))
        return PlayerChoice::None;
    std::string majorType = contentType.substr(0, contentType.find('/'));
    if (lstrcmpiA(majorType.c_str(), "video") == 0 || lstrcmpiA(majorType.c_str(), "audio") == 0)
        return PlayerChoice::MediaPlayer;
    return PlayerChoice::None;
}

}  // namespace

PlayerChoice ChoosePlayer(const char* path)
{
    const char* extension = path ? strrchr(path, '.') : nullptr;
    if (!extension)
        return PlayerChoice::None;
    // Pages are not played: a cached page would only show itself again.
    if (lstrcmpiA(extension, ".html") == 0 || lstrcmpiA(extension, ".htm") == 0)
        return PlayerChoice::None;
    if (lstrcmpiA(extension, ".swf") == 0)
        return PlayerChoice::Flash;
    if (IsRealPlayerExtension(extension))
        return PlayerChoice::RealPlayer;
    return ChooseByContentType(extension);
}
