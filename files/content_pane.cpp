#include "files/content_pane.h"

#include "files/text_file.h"

void ShowFileContent(CEdit& pane, const char* path, const char* searchText)
{
    pane.SetWindowText("");
    if (!*path)
        return;
    std::unique_ptr<char[]> text = ReadTextFile(path);
    if (!text)
        return;
    long hit = FindSearchText(text.get(), searchText);
    // The bytes as they are, up to the first NUL.
    pane.SetWindowText(text.get());
    if (hit < 0)
        return;
    LRESULT line = pane.SendMessage(EM_LINEFROMCHAR, static_cast<WPARAM>(hit));
    if (line > 0)
        pane.SendMessage(EM_LINESCROLL, 0, line);
    pane.SetSel(static_cast<int>(hit), static_cast<int>(hit + lstrlenA(searchText)));
    pane.SendMessage(EM_SCROLLCARET);
}
