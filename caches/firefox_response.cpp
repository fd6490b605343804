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
        std::string line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        pos = end + 1;
        if (first) {
            head.statusLine = line;
            head.status = StatusCodeOf(line);
            first = false;
            continue;
        }
        if (head.headers.size() >= kMaxHeaderCount)
            break;
        HttpHeader header;
        if (SplitHeaderLine(line, header))
            head.headers.push_back(std::move(header));
    }
    return head;
}
