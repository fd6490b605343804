// The three page templates as their lines are listed, rebuilt independently
// of the resource files, and the page a path should produce from them.
#pragma once
#include <initializer_list>
#include <string>

namespace expected {

inline std::string JoinLines(std::initializer_list<const char*> lines, bool finalLineEnd)
{
    std::string text;
    for (const char* line : lines)
        text.append(line).append("\r\n");
    if (!finalLineEnd)
        text.resize(text.size() - 2);
    return text;
}

#define ZEMA_PAGE_FRAME                                                                            \
    "<html>", "<head>", "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html\">",                \
        "<STYLE TYPE=\"TEXT/CSS\">",                                                               \
        "body{margin-left:0;margin-top:0;margin-right:0;margin-bottom:0;cursor:default}",          \
        "</STYLE>", "</head>", "<body bgColor=\"#000000\" scroll=\"no\">"

inline std::string MediaPlayerTemplate()
{
    return JoinLines(
        { ZEMA_PAGE_FRAME,
          "<object classid=\"clsid:22D6F312-B0F6-11D0-94AB-0080C74C7E95\" id=\"player\" "
          "width=\"100%%\" height=\"100%%\">",
          "  <param name=\"AutoStart\" value=\"-1\">", "  <param name=\"AutoRewind\" value=\"-1\">",
          "  <param name=\"Filename\" value=\"%s\">", "  <param name=\"PlayCount\" value=\"-1\">",
          "</object>", "</body>", "</html>" },
        true);
}

inline std::string RealPlayerTemplate()
{
    return JoinLines(
        { ZEMA_PAGE_FRAME,
          "<object classid=\"clsid:CFCDAA03-8BE4-11CF-B84B-0020AFBBCCFA\" id=\"player\" "
          "width=\"100%%\" height=\"100%%\">",
          "<PARAM NAME=\"SRC\" VALUE=\"%s\">", "<PARAM NAME=\"AUTOSTART\" VALUE=\"true\">",
          "<PARAM NAME=\"CONTROLS\" VALUE=\"ImageWindow,ControlPanel\">", "</OBJECT>", "</body>",
          "</html>" },
        false);
}

inline std::string FlashTemplate()
{
    return JoinLines(
        { ZEMA_PAGE_FRAME,
          "<OBJECT classid=\"clsid:D27CDB6E-AE6D-11cf-96B8-444553540000\" "
          "width=\"100%%\" height=\"100%%\">",
          "<PARAM name=\"Movie\" value=\"%s\">", "<PARAM NAME=\"Loop\" Value=\"True\">",
          "<PARAM NAME=\"Play\" Value=\"True\">", "<PARAM NAME=\"BGColor\" Value=\"#000000\">",
          "<PARAM NAME=\"Quality\" Value=\"AutoHigh\">", "<PARAM NAME=\"Scale\" Value=\"Showall\">",
          "</OBJECT>", "</body>", "</html>" },
        true);
}

#undef ZEMA_PAGE_FRAME

// Formats by hand rather than with printf, so that a wrong use of the format
// in the page builder cannot hide behind the same mistake here.
inline std::string PageFor(const std::string& format, const std::string& path)
{
    std::string page;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size()) {
            char next = format[++i];
            if (next == 's')
                page += path;
            else
                page += next;
        } else {
            page += format[i];
        }
    }
    return page;
}

}  // namespace expected
