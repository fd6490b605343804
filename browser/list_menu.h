// The context menu of every browser's list: one menu from the resources,
// whose items each window enables by data, the commands it offers, and by
// what the selection holds.
#pragma once
#include "reports/report_row.h"

#include <windows.h>

#include <vector>

// What a window's list offers: the menu's commands it carries out (the
// others stay greyed) and the report Save List writes of it.
struct ListMenuOffer {
    std::vector<UINT> commands;
    ReportKind reportKind;
};

// The Image browser: Open shows the picture window, as a double-click does.
extern const ListMenuOffer kPictureListOffer;
// The Other-files and Media browsers: Open hands the row to its default
// program, as a double-click does.
extern const ListMenuOffer kFileListOffer;
// The Text browser, whose double-click does nothing (its pane shows the
// selected file already): no Open, which would do what no gesture there does.
extern const ListMenuOffer kTextListOffer;

struct ListSelectionFacts {
    int rows = 0;
    int selected = 0;
    bool selectedUrl = false;  // some selected row has a URL
};

bool OffersCommand(const ListMenuOffer& offer, UINT command);
bool ListCommandEnabled(const ListMenuOffer& offer, UINT command, const ListSelectionFacts& facts);

// The list's popup menu with each item enabled or greyed; null when the
// resource cannot be loaded. The caller destroys the menu it returns
// (DestroyListMenu), which owns the popup.
HMENU LoadListMenu(const ListMenuOffer& offer, const ListSelectionFacts& facts, HMENU& popup);
void DestroyListMenu(HMENU menu);
