// What the HTML reports share: the page's head, which allows it to load
// nothing from anywhere, and a URL shown as a link only when it is safe.
#pragma once

#include <string>

// From the doctype to the opening body and its heading. scriptPolicy is the
// Content-Security-Policy's script-src ("'none'", "'unsafe-inline'").
void AppendPageStart(const std::string& title, const char* style, const char* scriptPolicy,
                     std::string& out);

// The URL as a link to itself when IsLinkableUrl, else as plain text.
void AppendUrl(const std::string& url, std::string& out);
