// The main window's menus as one table: each item's pop-up, its text by
// number, its keys, the menus it stands in (the menu of a map window, the
// menu without a document) and what it runs: a command of the map view's
// table (render/map_commands.h) or one of the main window's own.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "grid/eq_net.h"
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
    PrintPreview,  // "Предварительный просмотр"
    RecentFiles,   // the place of the recent files
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
    Language,  // "Язык...": the chooser "Выбор"
    // The 3D window's settings sheet "Формат" on its pages; shown only
    // while a 3D window is active.
    ReliefRotation,  // "Поворот..."
    ReliefFormat,    // "Изменить вид"
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
// The number of the item's status-bar prompt; 0 for none.
int promptOf(const MenuItem& item);

// The menu item of a map command; nullptr for a command that no menu holds.
const MenuItem* menuItemFor(MapCommand command);

// The main tool bar: buttons that run the items of the menus (the same
// actions, so their states are the menus' states), gaps, and the places of
// the two drop-down lists.
enum class ToolBarPlace { Button, Gap, LayerList, MethodList };
struct ToolBarItem {
    ToolBarPlace place = ToolBarPlace::Button;
    std::optional<MapCommand> map;
    FrameCommand frame = FrameCommand::None;
    // The button's picture: a standard icon's name ("new", "open", "save",
    // "print", "copy", "paste"), or these characters drawn.
    const char* glyph = "";
};
std::span<const ToolBarItem> toolBarItems();

// The methods of the method list, in their order, with their texts by
// number (0: the text is `name`).
struct MethodChoice {
    InterpolationMethod method;
    int text;
    const char* name;
};
std::span<const MethodChoice> methodChoices();

}  // namespace gridova
