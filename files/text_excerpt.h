// Which part of a text file the content pane shows. An edit control lays out
// every line it holds, and a line without spaces costs it time that grows
// faster than the line (one of a megabyte holds the window for good under
// some platforms), so the pane shows a bounded excerpt: the text from its
// start, or from just before the search hit when the hit lies further on, up
// to a total and a line length the control lays out at once. Portable, so the
// host tree tests it.
#pragma once
#include <cstdint>
#include <string>

// Measured with the pane of the Text browser under Wine: a select of the
// largest excerpt, with its hit, takes well under half a second.
constexpr uint64_t shownBytesBound = 256u << 10;
constexpr uint64_t shownLineBound = 4u << 10;

struct TextExcerpt {
    std::string text;  // what the pane shows, with a note where the file was cut
    int64_t hit = -1;  // the hit's offset in text, -1 when not shown
};

// text holds length bytes (the file up to its first NUL); hit is the search
// text's offset in it, or -1.
TextExcerpt ExcerptOf(const char* text, uint64_t length, int64_t hit, uint64_t hitLength);
