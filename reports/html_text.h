// Text from a cache made safe for an HTML page: whatever its bytes, it can
// only ever be text or a quoted attribute's value, never markup.
#pragma once

#include <string>

// Appends the UTF-8 text with & < > " ' as character references; bytes that
// are not UTF-8 and control characters other than tab, CR and LF become
// U+FFFD, so the page stays valid UTF-8 and shows where they were.
void AppendHtmlText(const std::string& text, std::string& out);

// True when the URL may become a link: an http or https URL of printable
// ASCII without quotes, angle brackets, backslashes or backticks. Any other
// (javascript:, data:, file:, a quote that could end the attribute...) is
// shown as text only.
bool IsLinkableUrl(const std::string& url);
