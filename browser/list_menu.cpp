#include "browser/list_menu.h"

#include "res/resource.h"

#include <algorithm>

namespace {

// What each item needs of the list besides the window's offer.
enum class ItemNeeds { Rows, Selection, SelectedUrl };

struct ListMenuItem {
    UINT command;
    ItemNeeds needs;
};

const ListMenuItem listMenuItems[] = {
    { ID_LIST_OPEN, ItemNeeds::Selection },       { IDC_COPY_TO, ItemNeeds::Selection },
    { IDC_DRILL, ItemNeeds::Selection },          { ID_LIST_COPY_URL, ItemNeeds::SelectedUrl },
    { ID_LIST_OPEN_URL, ItemNeeds::SelectedUrl }, { ID_LIST_SELECT_ALL, ItemNeeds::Rows },
    { ID_LIST_SAVE_LIST, ItemNeeds::Rows },
};

bool Satisfied(ItemNeeds needs, const ListSelectionFacts& facts)
{
    switch (needs) {
    case ItemNeeds::Rows:
        return facts.rows > 0;
    case ItemNeeds::Selection:
        return facts.selected > 0;
    case ItemNeeds::SelectedUrl:
        return facts.selected > 0 && facts.selectedUrl;
    }
    return false;
}

}  // namespace

const ListMenuOffer kPictureListOffer = {
    { ID_LIST_OPEN, IDC_COPY_TO, IDC_DRILL, ID_LIST_COPY_URL, ID_LIST_OPEN_URL, ID_LIST_SELECT_ALL,
      ID_LIST_SAVE_LIST },
    ReportKind::Pictures,
};

const ListMenuOffer kFileListOffer = {
    { ID_LIST_OPEN, IDC_COPY_TO, IDC_DRILL, ID_LIST_COPY_URL, ID_LIST_OPEN_URL, ID_LIST_SELECT_ALL,
      ID_LIST_SAVE_LIST },
    ReportKind::Files,
};

const ListMenuOffer kTextListOffer = {
    { IDC_COPY_TO, IDC_DRILL, ID_LIST_COPY_URL, ID_LIST_OPEN_URL, ID_LIST_SELECT_ALL,
      ID_LIST_SAVE_LIST },
    ReportKind::Files,
};

bool OffersCommand(const ListMenuOffer& offer, UINT command)
{
    return std::find(offer.commands.begin(), offer.commands.end(), command) != offer.commands.end();
}

bool ListCommandEnabled(const ListMenuOffer& offer, UINT command, const ListSelectionFacts& facts)
{
    if (!OffersCommand(offer, command))
        return false;
    for (const ListMenuItem& item : listMenuItems)
        if (item.command == command)
            return Satisfied(item.needs, facts);
    return false;
}

HMENU LoadListMenu(const ListMenuOffer& offer, const ListSelectionFacts& facts, HMENU& popup)
{
    HMENU menu = ::LoadMenuA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_LIST_MENU));
    popup = menu ? ::GetSubMenu(menu, 0) : nullptr;
    if (!popup) {
        DestroyListMenu(menu);
        return nullptr;
    }
    for (const ListMenuItem& item : listMenuItems)
        ::EnableMenuItem(
            popup, item.command,
            MF_BYCOMMAND |
                (ListCommandEnabled(offer, item.command, facts) ? MF_ENABLED : MF_GRAYED));
    return menu;
}

void DestroyListMenu(HMENU menu)
{
    if (menu)
        ::DestroyMenu(menu);
}
