// The main window's menus as one table: each item's pop-up, its text by
// number, its keys, the menus it stands in (the menu of a map window, the
// menu without a document) and what it runs: a command of the map view's
// table (render/map_commands.h) or one of the main window's own.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "render/map_view.h"

namespace gridova {

enum class MenuPopup { File, Edit, Objects, Format, View, Windows, Help };

// The main window's own commands.
enum class FrameCommand {
    None,
    NewMap,
    Open,
    Close,
    SaveDocument,
    SaveDocumentAs,
    OpenTriangles,
    OpenArray,
    PrintSetup,
    Print,
    RecentFiles,  // the place of the recent files
    Exit,
    MapBar,
    ToolBar,
    StatusBar,
    InputFormat,
    NewWindow,
    Cascade,
    Tile,
    Column,
    ArrangeIcons,
    WindowList,  // the place of the list of windows
    About,
    Contents,
};

// The menus an item stands in.
enum MenuKinds : unsigned {
    kMapMenu = 1u << 0,         // a map window is active
    kNoDocumentMenu = 1u << 1,  // no window is open
    kBothMenus = kMapMenu | kNoDocumentMenu,
};

struct MenuItem {
    MenuPopup popup;
    int text;  // the item's text by number
    std::optional<MapCommand> map;
    FrameCommand frame = FrameCommand::None;
    const char* keys = "";  // QKeySequence's portable text, "" for none
    unsigned kinds = kMapMenu;
    bool separatorBefore = false;
    bool checkable = false;
};

// The pop-ups in their order with their texts, and the items in their
// order within each pop-up.
struct MenuPopupEntry {
    MenuPopup popup;
    int text;
    unsigned kinds;
};
std::span<const MenuPopupEntry> menuPopups();
std::span<const MenuItem> menuItems();

// The item of a map command; nullptr for a command that no menu holds.
const MenuItem* menuItemFor(MapCommand command);

}  // namespace gridova
