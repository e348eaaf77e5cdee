#include "app/menu_table.h"

#include <array>
#include <utility>

namespace gridova {
namespace {

using C = MapCommand;
using F = FrameCommand;
using P = MenuPopup;

constexpr std::array kPopups = {
    MenuPopupEntry{P::File, 9010, kBothMenus},  MenuPopupEntry{P::Edit, 9100, kMapMenu},
    MenuPopupEntry{P::Objects, 9101, kMapMenu}, MenuPopupEntry{P::Format, 9102, kMapMenu},
    MenuPopupEntry{P::View, 9103, kBothMenus},  MenuPopupEntry{P::Windows, 9104, kMapMenu},
    MenuPopupEntry{P::Help, 9105, kBothMenus},
};

// An item running a map command.
constexpr MenuItem map(P popup, int text, C command, const char* keys = "",
                       bool separatorBefore = false, bool checkable = false) {
    return MenuItem{popup, text, command, F::None, keys, kMapMenu, separatorBefore, checkable};
}
constexpr MenuItem check(P popup, int text, C command, bool separatorBefore = false) {
    return map(popup, text, command, "", separatorBefore, true);
}
// An item running a command of the main window.
constexpr MenuItem frame(P popup, int text, F command, unsigned kinds, const char* keys = "",
                         bool separatorBefore = false, bool checkable = false) {
    return MenuItem{popup, text, std::nullopt, command, keys, kinds, separatorBefore, checkable};
}

constexpr std::array kItems = {
    // "Файл"
    frame(P::File, 9011, F::NewMap, kBothMenus, "Ctrl+N"),
    frame(P::File, 9012, F::Open, kBothMenus, "Ctrl+O"),
    frame(P::File, 9013, F::Close, kMapMenu),
    frame(P::File, 9014, F::SaveDocument, kMapMenu, "", true),
    frame(P::File, 9015, F::SaveDocumentAs, kMapMenu),
    frame(P::File, 9106, F::OpenTriangles, kBothMenus, "", true),
    frame(P::File, 9107, F::OpenArray, kBothMenus),
    // Ctrl+S saves the picture, as in every drawing window.
    map(P::File, 9016, C::SavePicture, "Ctrl+S", true),
    map(P::File, 9108, C::WriteGridText),
    map(P::File, 9109, C::WriteGridGrd),
    frame(P::File, 9110, F::PrintSetup, kMapMenu, "", true),
    frame(P::File, 9111, F::Print, kMapMenu, "Ctrl+P"),
    frame(P::File, 9450, F::PrintPreview, kMapMenu),
    map(P::File, 9112, C::MapSize),
    frame(P::File, 9126, F::InputFormat, kNoDocumentMenu, "", true),
    frame(P::File, 0, F::RecentFiles, kBothMenus),
    frame(P::File, 9017, F::Exit, kBothMenus, "", true),
    // "Правка"
    map(P::Edit, 9113, C::CopyToClipboard, "Ctrl+C"),
    map(P::Edit, 9114, C::PasteData, "Ctrl+V"),
    map(P::Edit, 9115, C::PointEditor, "", true),
    map(P::Edit, 9133, C::CoordinateInput),
    // "Объекты"
    map(P::Objects, 9116, C::Border),
    map(P::Objects, 9117, C::Grid),
    map(P::Objects, 9172, C::GridSize),
    map(P::Objects, 9118, C::MapType),
    map(P::Objects, 9119, C::Title),
    map(P::Objects, 9120, C::BackgroundPicture),
    map(P::Objects, 9121, C::Interpolation, "", true),
    map(P::Objects, 9151, C::SolverSettings),
    map(P::Objects, 9122, C::Digitizing),
    map(P::Objects, 9150, C::CrossSection, "", true),
    map(P::Objects, 9148, C::MirrorPoints),
    map(P::Objects, 9428, C::SmoothSeries, "", true),
    map(P::Objects, 9429, C::SeriesOutliers),
    map(P::Objects, 9438, C::SaveSeries),
    // "Формат"
    check(P::Format, 9123, C::ToggleColorFill),
    check(P::Format, 9124, C::ToggleColorBar),
    map(P::Format, 9149, C::ColorScale),
    check(P::Format, 9125, C::ToggleFrame),
    check(P::Format, 9147, C::ToggleScaleBar),
    check(P::Format, 9141, C::ToggleGridLines),
    frame(P::Format, 9126, F::InputFormat, kMapMenu, "", true),
    map(P::Format, 9127, C::IsolineList),
    map(P::Format, 9128, C::BadgeFormat),
    map(P::Format, 9129, C::BackgroundColor),
    check(P::Format, 9137, C::LockAspectRatio, true),
    check(P::Format, 9138, C::ToggleConnectPoints),
    // "Вид"
    frame(P::View, 9130, F::MapBar, kBothMenus, "", false, true),
    frame(P::View, 9131, F::ToolBar, kBothMenus, "", false, true),
    frame(P::View, 9132, F::StatusBar, kBothMenus, "", false, true),
    map(P::View, 9142, C::ZoomPart, "", true),
    map(P::View, 9143, C::ZoomAll),
    map(P::View, 9145, C::ZoomPrevious),
    map(P::View, 9144, C::ZoomNext),
    check(P::View, 9146, C::DrawLine, true),
    map(P::View, 9135, C::View3D, "", true),
    map(P::View, 9136, C::ViewOpenGL),
    frame(P::View, 9463, F::ReliefRotation, kMapMenu),
    frame(P::View, 9464, F::ReliefFormat, kMapMenu),
    // The language is chosen with or without a map.
    frame(P::View, 9134, F::Language, kBothMenus, "", true),
    // "Окна"
    frame(P::Windows, 9024, F::NewWindow, kMapMenu),
    frame(P::Windows, 9019, F::Cascade, kMapMenu),
    frame(P::Windows, 9020, F::Tile, kMapMenu),
    frame(P::Windows, 9025, F::Column, kMapMenu),
    frame(P::Windows, 9021, F::ArrangeIcons, kMapMenu),
    frame(P::Windows, 0, F::WindowList, kMapMenu, "", true),
    // "?"
    frame(P::Help, 9140, F::Contents, kBothMenus),
    frame(P::Help, 9139, F::About, kBothMenus, "", true),
};

// The status-bar prompt of each item, by the item's text.
constexpr std::array kPrompts = {
    std::pair{9011, 9362}, std::pair{9012, 9363}, std::pair{9013, 9364}, std::pair{9014, 9365},
    std::pair{9015, 9366}, std::pair{9106, 9367}, std::pair{9107, 9368}, std::pair{9016, 9369},
    std::pair{9108, 9370}, std::pair{9109, 9371}, std::pair{9110, 9372}, std::pair{9111, 9373},
    std::pair{9112, 9374}, std::pair{9126, 9375}, std::pair{9017, 9376}, std::pair{9113, 9377},
    std::pair{9114, 9378}, std::pair{9115, 9379}, std::pair{9133, 9380}, std::pair{9116, 9381},
    std::pair{9117, 9382}, std::pair{9172, 9383}, std::pair{9118, 9384}, std::pair{9119, 9385},
    std::pair{9120, 9386}, std::pair{9121, 9387}, std::pair{9151, 9388}, std::pair{9122, 9389},
    std::pair{9150, 9390}, std::pair{9148, 9391}, std::pair{9123, 9392}, std::pair{9124, 9393},
    std::pair{9149, 9394}, std::pair{9125, 9395}, std::pair{9147, 9396}, std::pair{9141, 9397},
    std::pair{9127, 9398}, std::pair{9128, 9399}, std::pair{9129, 9400}, std::pair{9137, 9401},
    std::pair{9138, 9402}, std::pair{9130, 9403}, std::pair{9131, 9404}, std::pair{9132, 9405},
    std::pair{9142, 9406}, std::pair{9143, 9407}, std::pair{9145, 9408}, std::pair{9144, 9409},
    std::pair{9146, 9410}, std::pair{9135, 9411}, std::pair{9136, 9412}, std::pair{9134, 9413},
    std::pair{9024, 9414}, std::pair{9019, 9415}, std::pair{9020, 9416}, std::pair{9025, 9417},
    std::pair{9021, 9418}, std::pair{9140, 9419}, std::pair{9139, 9420}, std::pair{9450, 9451},
    std::pair{9428, 9455}, std::pair{9429, 9456}, std::pair{9438, 9457}, std::pair{9463, 9478},
    std::pair{9464, 9479},
};

constexpr ToolBarItem button(C command, const char* glyph) {
    return ToolBarItem{ToolBarPlace::Button, command, F::None, glyph};
}
constexpr ToolBarItem button(F command, const char* glyph) {
    return ToolBarItem{ToolBarPlace::Button, std::nullopt, command, glyph};
}
constexpr ToolBarItem place(ToolBarPlace where) {
    return ToolBarItem{where, std::nullopt, F::None, ""};
}
constexpr ToolBarItem gap() { return place(ToolBarPlace::Gap); }

constexpr std::array kToolBar = {
    button(F::NewMap, "new"),
    button(F::Open, "open"),
    button(F::SaveDocument, "save"),
    button(C::SavePicture, "Pic"),
    button(F::Print, "print"),
    button(C::MapSize, "A4"),
    gap(),
    button(C::CopyToClipboard, "copy"),
    button(C::PasteData, "paste"),
    gap(),
    button(C::Grid, "#"),
    button(C::Interpolation, "f(x)"),
    button(C::Title, "T"),
    gap(),
    button(C::MapType, "Map"),
    button(C::View3D, "3D"),
    button(C::ViewOpenGL, "GL"),
    button(C::CrossSection, "\\/"),
    gap(),
    button(C::ZoomPart, "+"),
    button(C::ZoomAll, "[ ]"),
    button(C::ZoomPrevious, "<"),
    button(C::ZoomNext, ">"),
    gap(),
    button(C::DrawLine, "/"),
    button(C::ToggleColorFill, "≈"),
    gap(),
    button(F::Language, "Aa"),
    place(ToolBarPlace::LayerList),
    button(F::MapBar, "≡"),
    place(ToolBarPlace::MethodList),
};

constexpr std::array kMethods = {
    MethodChoice{InterpolationMethod::EquationSystem, 291, ""},
    MethodChoice{InterpolationMethod::Triangles, 290, ""},
    MethodChoice{InterpolationMethod::InverseDistance, 319, ""},
    MethodChoice{InterpolationMethod::Kriging, 0, "Kriging"},
    MethodChoice{InterpolationMethod::BlockKriging, 0, "Block Kriging"},
    MethodChoice{InterpolationMethod::DataPointsOnly, 0, "Data points only"},
    MethodChoice{InterpolationMethod::NoApply, 0, "No apply"},
    MethodChoice{InterpolationMethod::LargeGridEquationSystem, 526, ""},
};

}  // namespace

std::span<const ToolBarItem> toolBarItems() { return kToolBar; }

std::span<const MethodChoice> methodChoices() { return kMethods; }

std::span<const MenuPopupEntry> menuPopups() { return kPopups; }

std::span<const MenuItem> menuItems() { return kItems; }

int promptOf(const MenuItem& item) {
    for (const auto& [text, prompt] : kPrompts) {
        if (text == item.text) return prompt;
    }
    return 0;
}

const MenuItem* menuItemFor(MapCommand command) {
    for (const MenuItem& item : kItems) {
        if (item.map == command) return &item;
    }
    return nullptr;
}

}  // namespace gridova
