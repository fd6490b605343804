// Which player control shows a cached file, judged from its name and, failing
// that, from the registry's "Content Type" of its extension.
#pragma once

enum class PlayerChoice { None, Flash, MediaPlayer, RealPlayer };

PlayerChoice ChoosePlayer(const char* path);
