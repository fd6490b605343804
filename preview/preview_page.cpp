#include "preview/preview_page.h"

#include <stdio.h>
#include <string.h>

#include "preview/player_choice.h"
#include "preview/preview_template.h"

const char kEmptyPreviewPage[] = "<HTML></HTML>";

namespace {

// Far more than the longest path the one "%s" can receive.
const size_t kPathHeadroom = 8192;

HeapText CopyText(const char* text)
{
    size_t size = strlen(text) + 1;
    HeapText copy(static_cast<char*>(malloc(size)));
    if (copy)
        memcpy(copy.get(), text, size);
    return copy;
}

WORD TemplateOf(PlayerChoice player)
{
    switch (player) {
    case PlayerChoice::Flash:
        return IDR_HTML_FLASH;
    case PlayerChoice::MediaPlayer:
        return IDR_HTML_MEDIAPLAYER;
    case PlayerChoice::RealPlayer:
        return IDR_HTML_REALPLAYER;
    case PlayerChoice::None:
        break;
    }
    return 0;
}

}  // namespace

HeapText BuildPreviewPage(const char* path)
{
    PlayerChoice player = ChoosePlayer(path);
    if (player == PlayerChoice::None)
        return CopyText(kEmptyPreviewPage);
    PreviewTemplate format = LoadPreviewTemplate(TemplateOf(player));
    if (!format.text)
        return CopyText(kEmptyPreviewPage);
    size_t size = format.size + kPathHeadroom;
    HeapText page(static_cast<char*>(malloc(size)));
    if (!page)
        return page;
    // The path is an argument, never part of the format, so its own "%" and
    // "&" reach the page as they are. The bound only matters for a path that
    // is longer than a path can be.
    snprintf(page.get(), size, format.text.get(), path);
    return page;
}
