#include "files/text_excerpt.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

namespace {

// Where an excerpt that begins at begin ends: at the end of the text, when it
// has reached the total bound, or inside a line that reaches the line bound.
uint64_t ExcerptEnd(const char* text, uint64_t length, uint64_t begin)
{
    uint64_t last = std::min(length, begin + shownBytesBound);
    uint64_t lineLength = 0;
    for (uint64_t at = begin; at < last; ++at) {
        lineLength = text[at] == '\n' ? 0 : lineLength + 1;
        if (lineLength > shownLineBound)
            return at;
    }
    return last;
}

// A hit beyond the excerpt from the start is shown from its own line, or
// from half a line's bound before it when its line is longer than that.
uint64_t BeginNear(const char* text, uint64_t hit)
{
    uint64_t earliest = hit > shownLineBound / 2 ? hit - shownLineBound / 2 : 0;
    uint64_t begin = hit;
    while (begin > earliest && text[begin - 1] != '\n')
        --begin;
    return begin;
}

}  // namespace

TextExcerpt ExcerptOf(const char* text, uint64_t length, int64_t hit, uint64_t hitLength)
{
    uint64_t begin = 0;
    uint64_t end = ExcerptEnd(text, length, begin);
    bool hitFound = hit >= 0 && static_cast<uint64_t>(hit) + hitLength <= length;
    if (hitFound && static_cast<uint64_t>(hit) + hitLength > end) {
        begin = BeginNear(text, static_cast<uint64_t>(hit));
        end = ExcerptEnd(text, length, begin);
    }
    TextExcerpt excerpt;
    if (begin > 0)
        excerpt.text = "[...]\r\n";
    uint64_t shownFrom = excerpt.text.size();
    excerpt.text.append(text + begin, static_cast<size_t>(end - begin));
    if (hitFound && static_cast<uint64_t>(hit) >= begin &&
        static_cast<uint64_t>(hit) + hitLength <= end)
        excerpt.hit = static_cast<int64_t>(shownFrom + (static_cast<uint64_t>(hit) - begin));
    if (begin > 0 || end < length) {
        char note[160];
        std::snprintf(note, sizeof note,
                      "\r\n\r\n[Shown in part: bytes %" PRIu64 " to %" PRIu64 " of %" PRIu64 ".]",
                      begin + 1, end, length);
        excerpt.text += note;
    }
    return excerpt;
}
