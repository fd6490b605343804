#include "caches/firefox_response.h"

ResponseHead ParseResponseHead(const std::string& text)
{
    ResponseHead head;
    size_t pos = 0;
    bool first = true;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        size_t lineEnd = end;
        if (lineEnd > pos && text[lineEnd - 1] == '\r')
            --lineEnd;
        size_t lineStart = pos;
        pos = end + 1;
        if (first) {
            head.statusLine = text.substr(lineStart, lineEnd - lineStart);
            head.status = StatusCodeOf(head.statusLine);
            first = false;
            continue;
        }
        if (head.headers.size() >= kMaxHeaderCount)
            break;
        head.headers.emplace_back();
        if (!SplitHeaderLine(text.data() + lineStart, lineEnd - lineStart, head.headers.back()))
            head.headers.pop_back();
    }
    return head;
}
