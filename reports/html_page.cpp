#include "reports/html_page.h"

#include "reports/html_text.h"

void AppendPageStart(const std::string& title, const char* style, const char* scriptPolicy,
                     std::string& out)
{
    // A report opened from disk must not reach the network: thumbnails are
    // data URIs, the style and the script are inline, and nothing else loads.
    out += "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">\n"
           "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
           "img-src data:; style-src 'unsafe-inline'; script-src ";
    out += scriptPolicy;
    out += "\">\n<meta name=\"referrer\" content=\"no-referrer\">\n<title>";
    AppendHtmlText(title, out);
    out += "</title>\n<style>\n";
    out += style;
    out += "</style></head>\n<body>\n<h1>";
    AppendHtmlText(title, out);
    out += "</h1>\n";
}

void AppendUrl(const std::string& url, std::string& out)
{
    if (!IsLinkableUrl(url)) {
        AppendHtmlText(url, out);
        return;
    }
    out += "<a href=\"";
    AppendHtmlText(url, out);
    out += "\" rel=\"noreferrer\">";
    AppendHtmlText(url, out);
    out += "</a>";
}
