// Reads a DIALOGEX resource back into plain values, so tests can compare a
// compiled template with the layout it must have.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct DialogItem {
    int id;
    std::string className;  // "Button", "Static", ... or the class name given
    std::string text;
    DWORD style;
    short x, y, cx, cy;
};

struct DialogTemplate {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::string title;
    int pointSize = 0;
    std::string typeface;
    std::vector<DialogItem> items;
};

// Parses the DIALOGEX resource of the module; false when it is missing or not
// an extended template.
bool LoadDialogTemplate(HMODULE module, int id, DialogTemplate& out);
