// The main window's menus on the offscreen platform: every command of the
// map view's table has its item in its pop-up, the item's state follows the
// map, and triggering it does what the command says; the menu without a
// document; the keys.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTableWidget>
#include <QToolBar>
#include <QTreeWidget>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/border_window.h"
#include "app/coordinate_window.h"
#include "app/data_points_window.h"
#include "app/dialogs/badge_dialog.h"
#include "app/dialogs/dialog_runner.h"
#include "app/dialogs/font_dialog.h"
#include "app/dialogs/grid_dialog.h"
#include "app/dialogs/grid_size_dialog.h"
#include "app/dialogs/input_format_dialog.h"
#include "app/dialogs/inverse_distance_dialog.h"
#include "app/dialogs/isoline_format_dialog.h"
#include "app/dialogs/isoline_list_dialog.h"
#include "app/dialogs/kriging_dialog.h"
#include "app/dialogs/map_type_dialog.h"
#include "app/dialogs/method_dialog.h"
#include "app/dialogs/solver_dialog.h"
#include "app/dialogs/title_dialog.h"
#include "app/main_window.h"
#include "app/map_bar.h"
#include "app/map_window.h"
#include "app/menu_table.h"
#include "app/overview_window.h"
#include "data/data_table.h"
#include "data/font_block.h"
#include "platform/numbers.h"
#include "render/map_commands.h"
#include "render/map_widget.h"
#include "tests/app/main_window_fixtures.h"

namespace gridova {
namespace {

using namespace apptest;
namespace fs = std::filesystem;
using testing::writeFile;

// Where each map command stands and what it does to a map of isolines.
// An empty `observe` marks a command that is shown but disabled on such a
// map: its dialog or window is not there yet, or the map lacks what it
// needs.
struct CommandCase {
    MapCommand command;
    MenuPopup popup;
    // A text that changes when the command has done its work.
    std::function<std::string(MapWindow&)> observe;
    // Set-up before the command is triggered.
    std::function<void(MapWindow&, ScriptedChooser&)> prepare = nullptr;
    // Enabled, and opens a modal dialog (answered in the tests of the
    // dialog): not triggered here.
    bool modalDialog = false;
};

std::string flag(bool on) { return on ? "1" : "0"; }

std::vector<CommandCase> commandCases() {
    using C = MapCommand;
    using P = MenuPopup;
    const auto model = [](MapWindow& w) -> MapModel& { return w.view().model(); };
    return {
        {C::Border, P::Objects,
         [](MapWindow& w) {
             return flag(w.borderWindow() != nullptr && w.borderWindow()->isVisible());
         }},
        {C::Grid, P::Objects, [=](MapWindow& w) { return std::to_string(model(w).grid()->nx()); },
         [](MapWindow&, ScriptedChooser&) {
             answerDialogs([](QDialog& dialog) {
                 dynamic_cast<GridDialog&>(dialog).nodesXEdit()->setText(QStringLiteral("30"));
                 return static_cast<int>(QDialog::Accepted);
             });
         }},
        {C::ToggleGridLines, P::Format,
         [=](MapWindow& w) { return flag(model(w).grid()->showGrid != 0); }},
        {C::MapType, P::Objects,
         [=](MapWindow& w) { return std::to_string(static_cast<int>(model(w).settings.mapType)); },
         [](MapWindow&, ScriptedChooser&) {
             answerDialogs([](QDialog& dialog) {
                 if (auto* types = dynamic_cast<MapTypeDialog*>(&dialog)) {
                     types->choose(MapType::ColorCells);
                 }
                 return static_cast<int>(QDialog::Accepted);
             });
         }},
        {C::Title, P::Objects,
         [](MapWindow& w) {
             const MapTitle* t = w.view().mapTitle();
             return t != nullptr && !t->lines.empty() ? t->lines[0].text.value_or("") : "";
         },
         [](MapWindow&, ScriptedChooser&) {
             answerDialogs([](QDialog& dialog) {
                 dynamic_cast<TitleDialog&>(dialog).lineEdit(0)->setText(
                     QStringLiteral("Новый заголовок"));
                 return static_cast<int>(QDialog::Accepted);
             });
         }},
        {C::BackgroundPicture, P::Objects, nullptr},
        {C::Interpolation, P::Objects,
         [=](MapWindow& w) { return std::to_string(static_cast<int>(model(w).grid()->method)); },
         [](MapWindow&, ScriptedChooser&) {
             answerDialogs([](QDialog& dialog) {
                 dynamic_cast<MethodDialog&>(dialog).choose(InterpolationMethod::InverseDistance);
                 return static_cast<int>(QDialog::Accepted);
             });
         }},
        {C::Digitizing, P::Objects, nullptr},
        {C::ToggleColorFill, P::Format,
         [=](MapWindow& w) { return flag(model(w).colorFill() != nullptr); }},
        {C::ToggleColorBar, P::Format,
         [=](MapWindow& w) { return flag(model(w).grid()->colorScale.visible != 0); }},
        {C::ToggleFrame, P::Format,
         [=](MapWindow& w) { return flag(model(w).settings.frameVisible != 0); }},
        {C::IsolineList, P::Format,
         [=](MapWindow& w) { return std::to_string(model(w).isolines()->size()); },
         [](MapWindow&, ScriptedChooser&) {
             answerDialogs([](QDialog& dialog) {
                 auto& list = dynamic_cast<IsolineListDialog&>(dialog);
                 list.list()->selectRow(0);
                 list.removeButton()->click();
                 return static_cast<int>(QDialog::Accepted);
             });
         }},
        {C::BadgeFormat, P::Format,
         [=](MapWindow& w) {
             return std::to_string(model(w).mainPoints()->badgeFormat.badgeRadius);
         },
         [](MapWindow&, ScriptedChooser&) {
             answerDialogs([](QDialog& dialog) {
                 dynamic_cast<BadgeDialog&>(dialog).radiusBox()->setValue(7);
                 return static_cast<int>(QDialog::Accepted);
             });
         }},
        {C::BackgroundColor, P::Format, nullptr, nullptr, true},  // main_window_test
        {C::ZoomPart, P::View, [](MapWindow& w) { return flag(w.view().zoom().isOpen()); }},
        {C::ZoomAll, P::View, nullptr},       // no zoom window yet
        {C::ZoomNext, P::View, nullptr},      // no history yet
        {C::ZoomPrevious, P::View, nullptr},  // no history yet
        {C::DrawLine, P::View, [](MapWindow& w) { return flag(w.view().lineDrawing()); }},
        {C::ToggleScaleBar, P::Format,
         [](MapWindow& w) { return flag(w.view().scaleBar->visible()); }},
        {C::MirrorPoints, P::Objects,
         [=](MapWindow& w) { return std::to_string(model(w).mainPoints()->points()[0].y); }},
        {C::ColorScale, P::Format, nullptr},
        {C::LockAspectRatio, P::Format, [](MapWindow& w) { return flag(w.view().aspectRatio); }},
        {C::ToggleConnectPoints, P::Format,
         [=](MapWindow& w) { return flag(model(w).settings.connectPoints != 0); }},
        {C::CopyToClipboard, P::Edit,
         [](MapWindow&) {
             const QImage image = QApplication::clipboard()->image();
             return std::to_string(image.width()) + "x" + std::to_string(image.height());
         },
         [](MapWindow&, ScriptedChooser&) { QApplication::clipboard()->clear(); }},
        {C::PasteData, P::Edit,
         [=](MapWindow& w) { return std::to_string(model(w).pointTree().pointSets().size()); },
         [](MapWindow&, ScriptedChooser&) {
             QApplication::clipboard()->setText(QStringLiteral("1\t2\t3\r\n4\t5\t6\r\n7\t1\t2"));
         }},
        {C::SavePicture, P::File,
         [](MapWindow&) { return flag(fs::exists(inTestDir("menu.png"))); },
         [](MapWindow&, ScriptedChooser& chooser) { chooser.paths = {inTestDir("menu.png")}; }},
        {C::MapSize, P::File, nullptr},
        {C::WriteGridText, P::File, nullptr},
        {C::WriteGridGrd, P::File,
         [](MapWindow&) {
             return fs::exists(inTestDir("menu.grd"))
                        ? testing::readFile(inTestDir("menu.grd")).substr(0, 4)
                        : std::string();
         },
         [](MapWindow&, ScriptedChooser& chooser) { chooser.paths = {inTestDir("menu.grd")}; }},
        {C::CrossSection, P::Objects, nullptr},  // no line drawn
        {C::View3D, P::View, nullptr},
        {C::ViewOpenGL, P::View, nullptr},
        {C::PointEditor, P::Edit,
         [](MapWindow& w) {
             return flag(w.dataPointsWindow() != nullptr && w.dataPointsWindow()->isVisible());
         }},
        {C::CoordinateInput, P::Edit,
         [](MapWindow& w) {
             return flag(w.coordinateWindow() != nullptr && w.coordinateWindow()->isVisible());
         }},
        {C::Language, P::View, nullptr},
        {C::SolverSettings, P::Objects,
         [=](MapWindow& w) { return std::to_string(model(w).grid()->maxIterations); },
         [](MapWindow&, ScriptedChooser&) {
             answerDialogs([](QDialog& dialog) {
                 dynamic_cast<SolverDialog&>(dialog).iterationsEdit()->setText(
                     QStringLiteral("1234"));
                 return static_cast<int>(QDialog::Accepted);
             });
         }},
        {C::GridSize, P::Objects,
         [=](MapWindow& w) { return std::to_string(model(w).grid()->nx()); },
         [](MapWindow&, ScriptedChooser&) {
             answerDialogs([](QDialog& dialog) {
                 // More columns of the same size: the grid still covers the data.
                 dynamic_cast<GridSizeDialog&>(dialog).nodesXEdit()->setText(QStringLiteral("150"));
                 return static_cast<int>(QDialog::Accepted);
             });
         }},
    };
}

// The map's modal dialogs are answered by a runner: OK with what they
// start with, unless a test installs its own.
class MenusTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        answerDialogs([this](QDialog&) {
            ++dialogsRun_;
            return static_cast<int>(QDialog::Accepted);
        });
    }
    void TearDown() override {
        setDialogRunner({});
        MainWindowTest::TearDown();
    }
    int dialogsRun_ = 0;  // by the default runner
};

// One case per command of the view's table, in the table's order.
TEST_F(MenusTest, EveryMapCommandHasItsItemStateAndEffect) {
    const std::vector<CommandCase> cases = commandCases();
    ASSERT_EQ(cases.size(), mapCommands().size());
    int number = 0;
    for (const CommandCase& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.command));
        ASSERT_EQ(c.command, mapCommands()[static_cast<std::size_t>(number)].id);
        MapWindow* w =
            openIsolines(writeFile("map" + std::to_string(number++) + ".dat", planeText()));
        ASSERT_NE(w, nullptr);
        QAction* action = window_->actionFor(c.command);
        ASSERT_NE(action, nullptr);
        QMenu* popup = window_->popupMenu(c.popup, true);
        ASSERT_NE(popup, nullptr);
        EXPECT_TRUE(popup->actions().contains(action));
        if (c.prepare) c.prepare(*w, chooser_);
        window_->refreshActions();
        const CommandState state = w->commandState(c.command);
        EXPECT_EQ(action->isEnabled(), state.enabled);
        if (action->isCheckable()) {
            EXPECT_EQ(action->isChecked(), state.checked);
        }

        if (c.modalDialog) {
            EXPECT_TRUE(action->isEnabled());
            continue;
        }
        if (!c.observe) {
            EXPECT_FALSE(action->isEnabled());
            const bool changed = w->view().model().mapChanged;
            action->trigger();  // a disabled item does nothing
            EXPECT_EQ(w->view().model().mapChanged, changed);
            continue;
        }
        EXPECT_TRUE(action->isEnabled());
        const std::string before = c.observe(*w);
        action->trigger();
        settle();
        EXPECT_NE(c.observe(*w), before);
        if (action->isCheckable()) {
            // The check mark follows the map when a menu opens.
            window_->refreshActions();
            EXPECT_EQ(action->isChecked(), w->commandState(c.command).checked);
            EXPECT_NE(action->isChecked(), state.checked);
        }
    }
    EXPECT_TRUE(boxes_.warnings.empty()) << (boxes_.warnings.empty() ? "" : boxes_.warnings[0]);
}

// Without a map only the menu without a document shows: "Файл", "Вид" and
// "?"; the map's items are there but disabled.
TEST_F(MenusTest, WithoutAMapTheMenuWithoutADocumentShows) {
    const auto shownPopups = [&] {
        std::vector<std::string> titles;
        for (QAction* a : window_->menuBar()->actions()) {
            if (a->isVisible()) titles.push_back(a->text().toStdString());
        }
        return titles;
    };
    EXPECT_EQ(shownPopups(), (std::vector<std::string>{"Файл", "&Вид", "&?"}));
    EXPECT_FALSE(window_->actionFor(MapCommand::CopyToClipboard)->isEnabled());
    EXPECT_TRUE(window_->actionFor(FrameCommand::Open)->isEnabled());
    EXPECT_FALSE(window_->actionFor(FrameCommand::SaveDocument)->isEnabled());

    ASSERT_NE(openIsolines(dataPath_), nullptr);
    EXPECT_EQ(shownPopups(), (std::vector<std::string>{"Файл", "Правка", "Объекты", "Формат",
                                                       "&Вид", "Окна", "&?"}));
    EXPECT_TRUE(window_->actionFor(FrameCommand::SaveDocument)->isEnabled());

    // The last map closed: back to the menu without a document.
    window_->runFrameCommand(FrameCommand::Close);
    settle();
    EXPECT_EQ(shownPopups(), (std::vector<std::string>{"Файл", "&Вид", "&?"}));
}

// Ctrl+S saves the picture, as in every drawing window; Ctrl+C copies and
// Ctrl+V pastes.
TEST_F(MenusTest, KeysOfTheMapMenu) {
    EXPECT_EQ(window_->actionFor(MapCommand::SavePicture)->shortcut(),
              QKeySequence(Qt::CTRL | Qt::Key_S));
    EXPECT_TRUE(window_->actionFor(FrameCommand::SaveDocument)->shortcut().isEmpty());
    EXPECT_EQ(window_->actionFor(MapCommand::CopyToClipboard)->shortcut(),
              QKeySequence(Qt::CTRL | Qt::Key_C));
    EXPECT_EQ(window_->actionFor(MapCommand::PasteData)->shortcut(),
              QKeySequence(Qt::CTRL | Qt::Key_V));
    EXPECT_EQ(window_->actionFor(FrameCommand::NewMap)->shortcut(),
              QKeySequence(Qt::CTRL | Qt::Key_N));
}

// "Новая карта" makes a map that data can be pasted into: the pasted set
// becomes the main set and gets a grid over it.
TEST_F(MenusTest, ANewMapTakesPastedData) {
    window_->runFrameCommand(FrameCommand::NewMap);
    settle();
    MapWindow* w = window_->activeMapWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->view().model().mainPoints(), nullptr);
    QApplication::clipboard()->clear();
    window_->refreshActions();
    EXPECT_FALSE(window_->actionFor(MapCommand::PasteData)->isEnabled());

    QApplication::clipboard()->setText(QStringLiteral("10\t20\t1\r\n30\t20\t2\r\n20\t40\t3\r\n"));
    window_->refreshActions();
    ASSERT_TRUE(window_->actionFor(MapCommand::PasteData)->isEnabled());
    window_->actionFor(MapCommand::PasteData)->trigger();
    const PointSet* main = w->view().model().mainPoints();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->size(), 3u);
    ASSERT_NE(w->view().model().grid(), nullptr);
    EXPECT_TRUE(w->view().model().grid()->extent().contains(DRect(10, 20, 30, 40)));
    EXPECT_EQ(w->document().tables().size(), 1u);
    // The map of the pasted points can be built at once.
    EXPECT_EQ(w->view().applyMapType(MapType::Isolines), 0);
}

// "Новое окно" shows the same document in a second window with a map of
// its own; "Столбцами" puts the windows side by side.
TEST_F(MenusTest, NewWindowAndWindowsSideBySide) {
    MapWindow* first = openIsolines(dataPath_);
    ASSERT_NE(first, nullptr);
    window_->runFrameCommand(FrameCommand::NewWindow);
    settle();
    MapWindow* second = window_->activeMapWindow();
    ASSERT_NE(second, first);
    EXPECT_EQ(&second->document(), &first->document());
    EXPECT_NE(&second->view().model(), &first->view().model());
    ASSERT_NE(second->view().model().mainPoints(), nullptr);
    EXPECT_EQ(second->view().model().mainPoints()->size(), 30u);
    EXPECT_EQ(captionOf(first), "points.dat:1");
    EXPECT_EQ(captionOf(second), "points.dat:2");

    window_->runFrameCommand(FrameCommand::Column);
    settle();
    const QRect a = subWindowOf(first)->geometry();
    const QRect b = subWindowOf(second)->geometry();
    EXPECT_EQ(a.top(), 0);
    EXPECT_EQ(b.top(), 0);
    EXPECT_EQ(a.width(), b.width());
    EXPECT_EQ(a.right() + 1, b.left());
}

}  // namespace
}  // namespace gridova

namespace gridova {
namespace {

// Each pop-up of the map window's menu opened over the window, as a
// picture: written to $GRIDOVA_SCREENSHOT_DIR when it is set (to look at),
// else to the test's folder. Every pop-up holds items and draws them.
TEST_F(MenusTest, EveryPopupOpensOverTheMap) {
    ASSERT_NE(openIsolines(dataPath_), nullptr);
    window_->resize(1100, 800);
    settle();
    const char* dir = std::getenv("GRIDOVA_SCREENSHOT_DIR");
    const fs::path out = dir != nullptr && *dir != '\0' ? fs::path(dir) : testing::testDir();
    int shown = 0;
    for (QAction* top : window_->menuBar()->actions()) {
        if (!top->isVisible() || top->menu() == nullptr) continue;
        QMenu* menu = top->menu();
        const QRect place = window_->menuBar()->actionGeometry(top);
        menu->popup(window_->menuBar()->mapToGlobal(place.bottomLeft()));
        settle();
        ASSERT_TRUE(menu->isVisible()) << top->text().toStdString();
        EXPECT_FALSE(menu->actions().isEmpty());
        QImage picture = window_->grab().toImage();
        const QImage items = menu->grab().toImage();
        QPainter painter(&picture);
        painter.drawImage(window_->mapFromGlobal(menu->pos()), items);
        painter.end();
        // The pop-up draws more than its background.
        const QImage rgb = items.convertToFormat(QImage::Format_RGB32);
        bool varied = false;
        for (int y = 0; y < rgb.height() && !varied; ++y) {
            for (int x = 0; x < rgb.width() && !varied; ++x)
                varied = rgb.pixel(x, y) != rgb.pixel(0, 0);
        }
        EXPECT_TRUE(varied) << top->text().toStdString();
        const std::string name = "menu" + std::to_string(++shown) + ".png";
        EXPECT_TRUE(picture.save(QString::fromStdString((out / name).string())));
        menu->hide();
        settle();
    }
    EXPECT_EQ(shown, 7);

    // The map bar's menu of the isolines.
    QTreeWidget* tree = window_->mapBar()->tree();
    QTreeWidgetItem* isolines = window_->mapBar()->findNode(MapBar::Node::Isolines);
    ASSERT_NE(isolines, nullptr);
    const std::unique_ptr<QMenu> barMenu = window_->mapBar()->menuFor(isolines);
    tree->setCurrentItem(isolines);
    barMenu->popup(tree->viewport()->mapToGlobal(tree->visualItemRect(isolines).center()));
    settle();
    ASSERT_TRUE(barMenu->isVisible());
    QImage picture = window_->grab().toImage();
    QPainter painter(&picture);
    painter.drawImage(window_->mapFromGlobal(barMenu->pos()), barMenu->grab().toImage());
    painter.end();
    EXPECT_TRUE(picture.save(QString::fromStdString((out / "mapbar.png").string())));
    barMenu->hide();
}

}  // namespace
}  // namespace gridova

namespace gridova {
namespace {

// The position under the mouse goes to the coordinate pane; the status
// text keeps its own message.
TEST_F(MenusTest, TheCoordinatePaneFollowsTheMouse) {
    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    const gdi::Rect map = w->view().mapRect();
    const QPoint centre((map.left + map.right) / 2, (map.top + map.bottom) / 2);
    QTest::mouseMove(&w->mapWidget(), centre);
    settle();
    const std::string shown = window_->coordinateText().toStdString();
    EXPECT_EQ(shown, w->view().statusText(w->view().canvas().toWorldX(centre.x()),
                                          w->view().canvas().toWorldY(centre.y())));
    EXPECT_EQ(shown.rfind("X ", 0), 0u) << shown;
    EXPECT_EQ(shown.find("e+"), std::string::npos) << shown;  // plain decimals on this map
    EXPECT_EQ(shown.find("e-"), std::string::npos) << shown;
    EXPECT_EQ(window_->statusText().toStdString(), "Готов");
}

}  // namespace
}  // namespace gridova

namespace gridova {
namespace {

// The tool bar holds the menu items' own actions, in the table's order,
// and the two lists.
TEST_F(MenusTest, TheToolBarRunsTheMenuItems) {
    QToolBar* bar = window_->toolBar();
    ASSERT_NE(bar, nullptr);
    const QList<QAction*> actions = bar->actions();
    ASSERT_EQ(static_cast<std::size_t>(actions.size()), toolBarItems().size());
    for (std::size_t k = 0; k < toolBarItems().size(); ++k) {
        const ToolBarItem& item = toolBarItems()[k];
        QAction* placed = actions[static_cast<int>(k)];
        SCOPED_TRACE(k);
        switch (item.place) {
            case ToolBarPlace::Gap:
                EXPECT_TRUE(placed->isSeparator());
                break;
            case ToolBarPlace::Button:
                EXPECT_EQ(placed, item.map ? window_->actionFor(*item.map)
                                           : window_->actionFor(item.frame));
                EXPECT_FALSE(placed->icon().isNull());
                break;
            case ToolBarPlace::LayerList:
                EXPECT_EQ(bar->widgetForAction(placed), window_->layerList());
                break;
            case ToolBarPlace::MethodList:
                EXPECT_EQ(bar->widgetForAction(placed), window_->methodList());
                break;
        }
    }
    // Shown and hidden from the "Вид" menu.
    window_->runFrameCommand(FrameCommand::ToolBar);
    EXPECT_TRUE(bar->isHidden());
    window_->refreshActions();
    EXPECT_FALSE(window_->actionFor(FrameCommand::ToolBar)->isChecked());
    window_->runFrameCommand(FrameCommand::ToolBar);
    EXPECT_FALSE(bar->isHidden());
}

// The method list shows the grid's method; a choice sets the method for
// the next build (and the profile) without computing anything now.
TEST_F(MenusTest, TheMethodListSetsTheGridsMethod) {
    QComboBox* list = window_->methodList();
    ASSERT_EQ(list->count(), 8);
    EXPECT_EQ(list->itemText(2).toStdString(), "Метод обратного расстояния");
    EXPECT_EQ(list->itemText(6).toStdString(), "No apply");
    EXPECT_FALSE(list->isEnabled());  // no map, no grid

    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    window_->refreshActions();
    EXPECT_TRUE(list->isEnabled());
    EXPECT_EQ(list->currentIndex(), 0);  // the equation system
    const std::vector<double> before = w->view().model().grid()->values();
    list->setCurrentIndex(2);
    emit list->activated(2);
    EXPECT_EQ(w->view().model().grid()->method, InterpolationMethod::InverseDistance);
    EXPECT_EQ(w->view().model().grid()->values(), before);
    std::int32_t stored = -1;
    readProfileInt("Interpolation", "Type", stored);
    EXPECT_EQ(stored, 2);
    // The next build uses it: a map of the inverse distance.
    ASSERT_EQ(w->view().reinterpolate(), 0);
    EXPECT_NE(w->view().model().grid()->values(), before);

    list->setCurrentIndex(6);
    emit list->activated(6);
    EXPECT_EQ(w->view().model().grid()->method, InterpolationMethod::NoApply);
    window_->refreshActions();
    EXPECT_EQ(list->currentIndex(), 6);
}

}  // namespace
}  // namespace gridova

namespace gridova {
namespace {

// "?" → "Contents" opens the shipped help page in the desktop's browser.
TEST_F(MenusTest, ContentsOpensTheHelpPage) {
    const QByteArray before = qgetenv("GRIDOVA_HELP");
    qputenv("GRIDOVA_HELP", QByteArray(GRIDOVA_SOURCE_DIR "/docs/help"));
    std::vector<QUrl> opened;
    window_->setUrlOpener([&](const QUrl& url) {
        opened.push_back(url);
        return true;
    });
    window_->refreshActions();
    ASSERT_TRUE(window_->actionFor(FrameCommand::Contents)->isEnabled());
    window_->actionFor(FrameCommand::Contents)->trigger();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_TRUE(opened[0].isLocalFile());
    EXPECT_TRUE(opened[0].toLocalFile().endsWith(QStringLiteral("docs/help/index.html")));

    // No pages: the item is greyed.
    qputenv("GRIDOVA_HELP", QByteArray("/nonexistent-gridova-help"));
    window_->refreshActions();
    EXPECT_FALSE(window_->actionFor(FrameCommand::Contents)->isEnabled());
    if (before.isEmpty()) {
        qunsetenv("GRIDOVA_HELP");
    } else {
        qputenv("GRIDOVA_HELP", before);
    }
}

}  // namespace
}  // namespace gridova

namespace gridova {
namespace {

// A session with the mouse and the menus: a zoom rectangle dragged and the
// history stepped back and forth, a line drawn and its cross-section in a
// new window, the copy, the colour fill.
TEST_F(MenusTest, ASessionWithTheMouseAndTheMenus) {
    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    MapWidget& widget = w->mapWidget();
    const auto trigger = [&](MapCommand c) {
        window_->refreshActions();
        QAction* action = window_->actionFor(c);
        EXPECT_TRUE(action->isEnabled()) << static_cast<int>(c);
        action->trigger();
        settle();
    };
    const auto enabled = [&](MapCommand c) {
        window_->refreshActions();
        return window_->actionFor(c)->isEnabled();
    };

    // The zoom window, then a rectangle dragged on the map.
    trigger(MapCommand::ZoomPart);
    ASSERT_TRUE(w->view().zoom().isOpen());
    const WorldRect first = w->view().zoom().rect();
    EXPECT_FALSE(enabled(MapCommand::ZoomPrevious));
    const gdi::Rect map = w->view().mapRect();
    const QPoint from(map.left + 30, map.top + 30), to(map.left + 230, map.top + 180);
    QTest::mousePress(&widget, Qt::LeftButton, {}, from);
    QTest::mouseMove(&widget, (from + to) / 2);
    QTest::mouseMove(&widget, to);
    QTest::mouseRelease(&widget, Qt::LeftButton, {}, to);
    settle();
    const WorldRect dragged = w->view().zoom().rect();
    EXPECT_NE(dragged.xmin, first.xmin);
    EXPECT_LT(dragged.xmin, dragged.xmax);
    EXPECT_LT(dragged.ymin, dragged.ymax);
    // Back and forth through the history.
    trigger(MapCommand::ZoomPrevious);
    EXPECT_EQ(w->view().zoom().rect().xmin, first.xmin);
    EXPECT_TRUE(enabled(MapCommand::ZoomNext));
    trigger(MapCommand::ZoomNext);
    EXPECT_EQ(w->view().zoom().rect().xmin, dragged.xmin);
    trigger(MapCommand::ZoomAll);
    EXPECT_FALSE(w->view().zoom().isOpen());

    // A line of two clicks, and the cross-section along it.
    trigger(MapCommand::DrawLine);
    ASSERT_TRUE(w->view().lineDrawing());
    EXPECT_FALSE(enabled(MapCommand::CrossSection));
    QTest::mouseClick(&widget, Qt::LeftButton, {}, QPoint(map.left + 20, map.top + 20));
    QTest::mouseClick(&widget, Qt::LeftButton, {}, QPoint(map.right - 20, map.bottom - 20));
    settle();
    ASSERT_NE(w->view().enteredLine(), nullptr);
    EXPECT_EQ(w->view().enteredLine()->size(), 2u);
    trigger(MapCommand::CrossSection);
    ASSERT_EQ(window_->mapWindows().size(), 2u);
    MapWindow* section = window_->activeMapWindow();
    ASSERT_NE(section, w);
    ASSERT_NE(section->view().mapTitle(), nullptr);
    EXPECT_EQ(section->view().mapTitle()->lines[0].text, "Разрез 1");

    // The section copied to the clipboard as a picture of its window.
    QApplication::clipboard()->clear();
    trigger(MapCommand::CopyToClipboard);
    EXPECT_EQ(QApplication::clipboard()->image().size(), section->mapWidget().size());

    // Back in the first window, the colour fill on.
    window_->mdiArea()->setActiveSubWindow(subWindowOf(w));
    settle();
    EXPECT_EQ(w->view().model().colorFill(), nullptr);
    trigger(MapCommand::ToggleColorFill);
    EXPECT_NE(w->view().model().colorFill(), nullptr);
    window_->refreshActions();
    EXPECT_TRUE(window_->actionFor(MapCommand::ToggleColorFill)->isChecked());
}

}  // namespace
}  // namespace gridova

namespace gridova {
namespace {

// No item that is enabled on a map with data does nothing: each one asks
// for a file, changes a map, opens a window, fills the clipboard, shows or
// hides a bar, or opens a page. (Modal boxes and closing are tested on
// their own.)
TEST_F(MenusTest, NoEnabledItemDoesNothing) {
    struct Count final : MapModelObserver {
        int changes = 0;
        void mapModelChanged(unsigned) override { ++changes; }
    };
    int pagesOpened = 0;
    window_->setUrlOpener([&](const QUrl&) {
        ++pagesOpened;
        return true;
    });
    const QByteArray help = qgetenv("GRIDOVA_HELP");
    qputenv("GRIDOVA_HELP", QByteArray(GRIDOVA_SOURCE_DIR "/docs/help"));
    int tried = 0;
    for (const MenuItem& item : menuItems()) {
        if (item.frame == FrameCommand::About || item.frame == FrameCommand::Exit ||
            item.frame == FrameCommand::Close || item.map == MapCommand::BackgroundColor) {
            continue;
        }
        QAction* action = item.map ? window_->actionFor(*item.map) : window_->actionFor(item.frame);
        if (action == nullptr) continue;  // the places of lists
        // A fresh map of isolines with a drawn line for each item.
        MapWindow* w =
            openIsolines(writeFile("each" + std::to_string(tried) + ".dat", planeText()));
        ASSERT_NE(w, nullptr);
        w->view().run(MapCommand::DrawLine);
        w->view().lineAddWorldPoint(2, 3);
        w->view().lineAddWorldPoint(48, 45);
        QApplication::clipboard()->setText(QStringLiteral("1\t2\t3\r\n4\t5\t6\r\n"));
        window_->refreshActions();
        if (!action->isEnabled()) continue;
        ++tried;
        SCOPED_TRACE(action->text().toStdString());
        Count count;
        w->view().model().addObserver(&count);
        const std::size_t requests = chooser_.requests.size();
        const std::size_t windows = window_->mapWindows().size();
        const bool zoom = w->view().zoom().isOpen();
        const bool drawing = w->view().lineDrawing();
        const bool bars[] = {window_->mapBar()->isHidden(), window_->toolBar()->isHidden(),
                             window_->statusBar()->isHidden()};
        const qint64 clipboardBefore = QApplication::clipboard()->image().cacheKey();
        const auto shownWindows = [] {
            int n = 0;
            for (QWidget* top : QApplication::topLevelWidgets()) n += top->isVisible() ? 1 : 0;
            return n;
        };
        const int shownBefore = shownWindows();
        // The titles of the windows shown (a tool window switched to
        // another task says so in its title).
        const auto shownTitles = [] {
            QStringList titles;
            for (QWidget* top : QApplication::topLevelWidgets()) {
                if (top->isVisible()) titles << top->windowTitle();
            }
            return titles;
        };
        const QStringList titlesBefore = shownTitles();
        const int dialogsBefore = dialogsRun_;
        const std::int32_t aspect = w->view().aspectRatio;
        const std::int32_t connect = w->view().model().settings.connectPoints;
        std::vector<QRect> places;
        for (MapWindow* m : window_->mapWindows()) places.push_back(subWindowOf(m)->geometry());
        const int pages = pagesOpened;
        action->trigger();
        settle();
        const bool stillOpen = !window_->mapWindows().empty() &&
                               std::find(window_->mapWindows().begin(), window_->mapWindows().end(),
                                         w) != window_->mapWindows().end();
        if (stillOpen) w->view().model().removeObserver(&count);
        const bool barsChanged = bars[0] != window_->mapBar()->isHidden() ||
                                 bars[1] != window_->toolBar()->isHidden() ||
                                 bars[2] != window_->statusBar()->isHidden();
        std::vector<QRect> placesAfter;
        for (MapWindow* m : window_->mapWindows())
            placesAfter.push_back(subWindowOf(m)->geometry());
        const bool viewChanged =
            stillOpen && (w->view().zoom().isOpen() != zoom || w->view().lineDrawing() != drawing ||
                          w->view().aspectRatio != aspect ||
                          w->view().model().settings.connectPoints != connect);
        const bool effect = count.changes > 0 || chooser_.requests.size() > requests ||
                            window_->mapWindows().size() != windows || barsChanged ||
                            pagesOpened > pages || viewChanged || placesAfter != places ||
                            shownWindows() != shownBefore || shownTitles() != titlesBefore ||
                            dialogsRun_ != dialogsBefore ||
                            QApplication::clipboard()->image().cacheKey() != clipboardBefore;
        EXPECT_TRUE(effect);
        // Bars back as they were for the next item.
        window_->mapBar()->setHidden(bars[0]);
        window_->toolBar()->setHidden(bars[1]);
        window_->statusBar()->setHidden(bars[2]);
    }
    EXPECT_GE(tried, 25);
    if (help.isEmpty()) {
        qunsetenv("GRIDOVA_HELP");
    } else {
        qputenv("GRIDOVA_HELP", help);
    }
}

}  // namespace
}  // namespace gridova

namespace gridova {
namespace {

// "Показать часть карты" opens the zoom window "Общий вид" with the whole
// map; a click there centres the zoom rectangle; closing it, or "Показать
// всю карту", shows the whole map again.
TEST_F(MenusTest, TheZoomWindowShowsTheWholeMapAndMovesTheRectangle) {
    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    window_->actionFor(MapCommand::ZoomPart)->trigger();
    settle();
    OverviewWindow* overview = w->overviewWindow();
    ASSERT_NE(overview, nullptr);
    EXPECT_TRUE(overview->isVisible());
    EXPECT_EQ(overview->windowTitle().toStdString(), "Общий вид");
    // Drawing the overview does not make the two windows draw each other
    // for ever.
    settle();
    const auto drawings = w->view().fullDrawings();
    settle();
    settle();
    EXPECT_EQ(w->view().fullDrawings(), drawings);

    // The picture's pixels map to the world: its corners are the map's.
    const DRect world = w->view().worldRect();
    const QLabel* picture = overview->findChild<QLabel*>();
    ASSERT_NE(picture, nullptr);
    const QPoint inside =
        picture->mapTo(overview, QPoint(picture->width() / 2, picture->height() / 2));
    const std::optional<LinePoint> centre = overview->worldAt(inside);
    ASSERT_TRUE(centre.has_value());
    EXPECT_GT(centre->x, world.minX);
    EXPECT_LT(centre->x, world.maxX);
    EXPECT_GT(centre->y, world.minY);
    EXPECT_LT(centre->y, world.maxY);

    // Its picture, to look at.
    const char* dir = std::getenv("GRIDOVA_SCREENSHOT_DIR");
    const std::string out = dir != nullptr && *dir != '\0' ? std::string(dir) : inTestDir("");
    EXPECT_TRUE(overview->grab().save(QString::fromStdString(out + "/overview.png")));

    // A click centres the rectangle there, keeping its size.
    const WorldRect before = w->view().zoom().rect();
    QTest::mouseClick(overview, Qt::LeftButton, {}, inside);
    settle();
    const WorldRect after = w->view().zoom().rect();
    EXPECT_NEAR((after.xmin + after.xmax) / 2, centre->x, 1e-9 * (world.maxX - world.minX));
    EXPECT_NEAR((after.ymin + after.ymax) / 2, centre->y, 1e-9 * (world.maxY - world.minY));
    EXPECT_NEAR(after.xmax - after.xmin, before.xmax - before.xmin, 1e-9);
    window_->refreshActions();
    EXPECT_TRUE(window_->actionFor(MapCommand::ZoomPrevious)->isEnabled());

    // Closing it shows the whole map; opening it again and "Показать всю
    // карту" hides it.
    overview->close();
    settle();
    EXPECT_FALSE(w->view().zoom().isOpen());
    window_->actionFor(MapCommand::ZoomPart)->trigger();
    settle();
    EXPECT_TRUE(overview->isVisible());
    window_->refreshActions();
    window_->actionFor(MapCommand::ZoomAll)->trigger();
    settle();
    EXPECT_FALSE(overview->isVisible());
}

}  // namespace
}  // namespace gridova

namespace gridova {
namespace {

// The coordinate window: typed points join the line being drawn, a typed
// position is marked on the map, and the window follows the mouse.
TEST_F(MenusTest, TheCoordinateWindowTypesPointsAndMarksPositions) {
    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    window_->actionFor(MapCommand::DrawLine)->trigger();
    settle();
    CoordinateWindow* coordinates = w->coordinateWindow();
    ASSERT_NE(coordinates, nullptr);
    EXPECT_TRUE(coordinates->isVisible());
    EXPECT_EQ(coordinates->windowTitle().toStdString(), "Добавить точку");

    coordinates->xEdit()->setText(QStringLiteral("10"));
    coordinates->yEdit()->setText(QStringLiteral("abc"));
    EXPECT_FALSE(coordinates->confirm());  // not a number: nothing added
    coordinates->yEdit()->setText(QStringLiteral(" 20.5 "));
    QTest::mouseClick(coordinates->okButton(), Qt::LeftButton);
    coordinates->xEdit()->setText(QStringLiteral("30"));
    EXPECT_TRUE(coordinates->confirm());
    ASSERT_NE(w->view().enteredLine(), nullptr);
    ASSERT_EQ(w->view().enteredLine()->size(), 2u);
    EXPECT_EQ(w->view().enteredLine()->points()[0].x, 10.0);
    EXPECT_EQ(w->view().enteredLine()->points()[0].y, 20.5);

    const gdi::Rect map = w->view().mapRect();
    QTest::mouseMove(&w->mapWidget(), QPoint((map.left + map.right) / 2, map.top + 40));
    settle();
    EXPECT_TRUE(coordinates->mouseText().startsWith(QStringLiteral("X ")));

    // The line ended: the window goes; the line joins the map.
    window_->actionFor(MapCommand::DrawLine)->trigger();
    settle();
    EXPECT_FALSE(coordinates->isVisible());
    ASSERT_NE(w->view().model().objectTreeIfAny(), nullptr);

    // "Ввод координат": the position is marked; the command hides it again.
    window_->refreshActions();
    window_->actionFor(MapCommand::CoordinateInput)->trigger();
    settle();
    EXPECT_TRUE(coordinates->isVisible());
    EXPECT_EQ(coordinates->windowTitle().toStdString(), "Ввод координат");
    coordinates->xEdit()->setText(QStringLiteral("12.25"));
    coordinates->yEdit()->setText(QStringLiteral("30"));
    ASSERT_TRUE(coordinates->confirm());
    ASSERT_TRUE(w->view().markedPosition.has_value());
    EXPECT_EQ(w->view().markedPosition->x, 12.25);
    EXPECT_EQ(w->view().markedPosition->y, 30.0);
    window_->actionFor(MapCommand::CoordinateInput)->trigger();
    settle();
    EXPECT_FALSE(coordinates->isVisible());
}

}  // namespace
}  // namespace gridova

namespace gridova {
namespace {

// "Тип карты...": the "Карты" dialog starts at the type shown; OK builds the
// chosen type and, with "Установить как изначальную", keeps it as the type
// new documents get; Cancel builds nothing.
TEST_F(MenusTest, TheMapTypeDialogBuildsTheChosenType) {
    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    std::optional<MapType> startedAt;
    answerDialogs([&](QDialog& dialog) {
        auto& types = dynamic_cast<MapTypeDialog&>(dialog);
        startedAt = types.chosen();
        EXPECT_EQ(types.windowTitle().toStdString(), "Карты");
        types.choose(MapType::ColorIsolines);
        types.setAsDefault(true);
        // Its picture, to look at.
        const char* dir = std::getenv("GRIDOVA_SCREENSHOT_DIR");
        const std::string out = dir != nullptr && *dir != '\0' ? std::string(dir) : inTestDir("");
        types.adjustSize();
        EXPECT_TRUE(types.grab().save(QString::fromStdString(out + "/map_types.png")));
        return static_cast<int>(QDialog::Accepted);
    });
    window_->actionFor(MapCommand::MapType)->trigger();
    EXPECT_EQ(startedAt, MapType::Isolines);
    EXPECT_EQ(w->view().model().settings.mapType, MapType::ColorIsolines);
    EXPECT_NE(w->view().model().colorFill(), nullptr);
    std::int32_t enabled = 0, map = -1;
    readProfileInt("Maps", "Default", enabled);
    readProfileInt("Maps", "Map", map);
    EXPECT_EQ(enabled, 1);
    EXPECT_EQ(map, static_cast<int>(MapType::ColorIsolines));

    // A new document gets that map.
    MapWindow* other = openIsolines(writeFile("other.dat", planeText()));
    ASSERT_NE(other, nullptr);
    window_->runFrameCommand(FrameCommand::NewWindow);
    settle();
    EXPECT_EQ(window_->activeMapWindow()->view().model().settings.mapType, MapType::ColorIsolines);

    answerDialogs([](QDialog& dialog) {
        dynamic_cast<MapTypeDialog&>(dialog).choose(MapType::ColorCells);
        return static_cast<int>(QDialog::Rejected);
    });
    window_->mdiArea()->setActiveSubWindow(subWindowOf(w));
    settle();
    window_->actionFor(MapCommand::MapType)->trigger();
    EXPECT_EQ(w->view().model().settings.mapType, MapType::ColorIsolines);
}

}  // namespace
}  // namespace gridova

namespace gridova {
namespace {

// "Интерполяция...": the method dialog starts at the grid's method, offers
// "Солвер..." only for the equation systems, and "Выбрать" stores the
// choice for the next build. "Характеристики солвера" refuses values that
// are not positive and stores the others in the grid and the profile.
TEST_F(MenusTest, TheMethodAndSolverDialogsStoreTheirSettings) {
    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    EqNet& grid = *w->view().model().grid();
    const std::vector<double> before = grid.values();
    answerDialogs([&](QDialog& dialog) {
        auto& methods = dynamic_cast<MethodDialog&>(dialog);
        EXPECT_EQ(methods.chosen(), InterpolationMethod::EquationSystem);
        EXPECT_TRUE(methods.solverButton()->isEnabled());
        methods.choose(InterpolationMethod::Kriging);
        EXPECT_FALSE(methods.solverButton()->isEnabled());
        methods.choose(InterpolationMethod::LargeGridEquationSystem);
        EXPECT_TRUE(methods.solverButton()->isEnabled());
        methods.choose(InterpolationMethod::BlockKriging);
        EXPECT_TRUE(saveScreenshot(methods, "method_dialog.png"));
        return static_cast<int>(QDialog::Accepted);
    });
    window_->actionFor(MapCommand::Interpolation)->trigger();
    EXPECT_EQ(grid.method, InterpolationMethod::BlockKriging);
    EXPECT_EQ(grid.values(), before);  // nothing computed yet
    window_->refreshActions();
    EXPECT_EQ(window_->methodList()->currentText().toStdString(), "Block Kriging");

    // The solver: a value that is not positive is said and nothing is kept.
    const std::int32_t iterations = grid.maxIterations;
    answerDialogs([](QDialog& dialog) {
        auto& solver = dynamic_cast<SolverDialog&>(dialog);
        solver.precisionEdit()->setText(QStringLiteral("-1e-6"));
        solver.iterationsEdit()->setText(QStringLiteral("777"));
        return static_cast<int>(QDialog::Accepted);
    });
    window_->actionFor(MapCommand::SolverSettings)->trigger();
    EXPECT_EQ(grid.maxIterations, iterations);
    ASSERT_FALSE(boxes_.warnings.empty());
    EXPECT_EQ(boxes_.warnings.back(), "Допустимая ошибка: нужно положительное число");

    answerDialogs([](QDialog& dialog) {
        auto& solver = dynamic_cast<SolverDialog&>(dialog);
        solver.precisionEdit()->setText(QStringLiteral("2.5e-7"));
        solver.iterationsEdit()->setText(QStringLiteral("777"));
        solver.relaxationEdit()->setText(QStringLiteral("1.5"));
        solver.lsorButton()->setChecked(true);
        EXPECT_TRUE(saveScreenshot(solver, "solver_dialog.png"));
        return static_cast<int>(QDialog::Accepted);
    });
    window_->actionFor(MapCommand::SolverSettings)->trigger();
    EXPECT_EQ(grid.precision, 2.5e-7);
    EXPECT_EQ(grid.maxIterations, 777);
    EXPECT_EQ(grid.relaxation, 1.5);
    EXPECT_EQ(grid.solver, 1);
    double stored = 0;
    readProfileDouble("Solver", "Precision", stored);
    EXPECT_EQ(stored, 2.5e-7);

    // The last run shows in the dialog once the equation system ran.
    w->view().model().setMethod(InterpolationMethod::EquationSystem);
    ASSERT_EQ(w->view().reinterpolate(), 0);
    ASSERT_NE(grid.lastRunValid, 0);
    std::string shown;
    answerDialogs([&](QDialog& dialog) {
        shown = dynamic_cast<SolverDialog&>(dialog).lastRunText()->text().toStdString();
        return static_cast<int>(QDialog::Rejected);
    });
    window_->actionFor(MapCommand::SolverSettings)->trigger();
    EXPECT_EQ(shown.rfind("Время ", 0), 0u) << shown;
    EXPECT_NE(shown.find("Число итераций " + std::to_string(grid.lastIterations)),
              std::string::npos)
        << shown;
}

}  // namespace
}  // namespace gridova

namespace gridova {
namespace {

// "Сетка...": counts below 6 are refused; square cells start from the
// proposed length; OK lays the grid over the data, writes "EqNet.net" and
// builds the map again on it.
TEST_F(MenusTest, TheGridDialogLaysANewGrid) {
    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    MapModel& model = w->view().model();
    answerDialogs([](QDialog& dialog) {
        auto& grid = dynamic_cast<GridDialog&>(dialog);
        EXPECT_EQ(grid.nodesXEdit()->text().toStdString(), "102");
        grid.nodesYEdit()->setText(QStringLiteral("5"));
        return static_cast<int>(QDialog::Accepted);
    });
    window_->actionFor(MapCommand::Grid)->trigger();
    EXPECT_EQ(model.grid()->ny(), 102);  // refused: nothing changed
    ASSERT_FALSE(boxes_.warnings.empty());
    EXPECT_EQ(boxes_.warnings.back(), "Число узлов по Y: нужно не меньше 6 узлов");

    // The data spans 53 × 48: a = 53/204 = 0.2598; the number with the
    // fewest digits in [0.2468, 0.2728] is 0.27.
    std::string proposed;
    answerDialogs([&](QDialog& dialog) {
        auto& grid = dynamic_cast<GridDialog&>(dialog);
        grid.squareBox()->setChecked(true);
        proposed = grid.cellEdit()->text().toStdString();
        grid.cellEdit()->setText(QStringLiteral("2.5"));
        grid.showBox()->setChecked(true);
        EXPECT_TRUE(saveScreenshot(grid, "grid_dialog.png"));
        return static_cast<int>(QDialog::Accepted);
    });
    window_->actionFor(MapCommand::Grid)->trigger();
    EXPECT_EQ(proposed, "0.27");
    const EqNet& grid = *model.grid();
    EXPECT_EQ(grid.gridType, 1);
    EXPECT_EQ(grid.cellLength, 2.5);
    EXPECT_EQ(grid.nx(), 21 + 6);  // trunc(53 / 2.5) + 6
    EXPECT_EQ(grid.showGrid, 1);
    EXPECT_TRUE(std::filesystem::exists(inTestDir("EqNet.net")));
    // The isolines were built again on it.
    EXPECT_TRUE(grid.hasValues());
    ASSERT_NE(model.isolines(), nullptr);
    EXPECT_FALSE(model.isolines()->empty());
}

}  // namespace
}  // namespace gridova

namespace gridova {
namespace {

// "Граница...": a border drawn on the map while the window is open joins the
// border and its file; the border value is kept; deleting asks about the
// file and, answered No, removes it.
TEST_F(MenusTest, TheBorderWindowDrawsKeepsAndDeletesTheBorder) {
    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    MapModel& model = w->view().model();
    window_->actionFor(MapCommand::Border)->trigger();
    settle();
    BorderWindow* border = w->borderWindow();
    ASSERT_NE(border, nullptr);
    EXPECT_TRUE(border->isVisible());
    EXPECT_FALSE(border->deleteButton()->isEnabled());  // no border yet

    QTest::mouseClick(border->defineButton(), Qt::LeftButton);
    for (const auto& [x, y] : {std::pair{5.0, 5.0}, {45.0, 5.0}, {45.0, 40.0}, {5.0, 40.0}}) {
        w->view().lineAddWorldPoint(x, y);
    }
    QTest::mouseClick(border->addButton(), Qt::LeftButton);
    settle();
    ASSERT_NE(model.border(), nullptr);
    ASSERT_EQ(model.border()->size(), 1u);
    EXPECT_TRUE(std::filesystem::exists(inTestDir("Border.brd")));
    EXPECT_TRUE(border->deleteButton()->isEnabled());
    EXPECT_TRUE(saveScreenshot(*border, "border_window.png"));

    // Hidden and shown again from the window.
    border->shownBox()->setChecked(false);
    EXPECT_EQ(model.settings.showBorder, 0);
    border->shownBox()->setChecked(true);
    EXPECT_EQ(model.settings.showBorder, 1);

    // The border value: a value that is not a number is refused.
    answerDialogs([](QDialog& dialog) {
        auto& value = dynamic_cast<BorderValueDialog&>(dialog);
        value.enabledBox()->setChecked(true);
        value.valueEdit()->setText(QStringLiteral("x"));
        return static_cast<int>(QDialog::Accepted);
    });
    QTest::mouseClick(border->valueButton(), Qt::LeftButton);
    EXPECT_FALSE(model.settings.borderValue.present());
    answerDialogs([](QDialog& dialog) {
        auto& value = dynamic_cast<BorderValueDialog&>(dialog);
        value.enabledBox()->setChecked(true);
        value.valueEdit()->setText(QStringLiteral("12.5"));
        return static_cast<int>(QDialog::Accepted);
    });
    QTest::mouseClick(border->valueButton(), Qt::LeftButton);
    ASSERT_TRUE(model.settings.borderValue.present());
    EXPECT_EQ(model.settings.borderValue.value, 12.5);
    OptionalValue stored;
    readProfileOptionalDouble("Border", "BorderValue", stored);
    EXPECT_TRUE(stored.present());
    EXPECT_EQ(stored.value, 12.5);

    // Deleted; the question answered No removes the file.
    QTest::mouseClick(border->deleteButton(), Qt::LeftButton);
    settle();
    EXPECT_EQ(model.border(), nullptr);
    ASSERT_FALSE(boxes_.asked.empty());
    EXPECT_EQ(boxes_.asked.back(), "Сохранить файл границы?");
    EXPECT_FALSE(std::filesystem::exists(inTestDir("Border.brd")));
}

}  // namespace
}  // namespace gridova

namespace gridova {
namespace {

// Inverse distance with entered parameters: before the run its dialog shows
// what the run would compute and takes what is entered; the method dialog's
// "Опции..." enters them ahead of the run.
TEST_F(MenusTest, TheInverseDistanceDialogEntersTheParametersOfTheRun) {
    writeProfileInt("Inverse Distance", "Type Init", 1);  // "Произвольные"
    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    MapModel& model = w->view().model();
    model.setMethod(InterpolationMethod::InverseDistance);

    // A radius that is not positive is refused; the run then takes the
    // dialog's answer only once it is right.
    std::string radiusShown;
    int asked = 0;
    answerDialogs([&](QDialog& dialog) {
        auto& idw = dynamic_cast<InverseDistanceDialog&>(dialog);
        ++asked;
        radiusShown = idw.radiusEdit()->text().toStdString();
        EXPECT_TRUE(idw.customButton()->isChecked());
        idw.radiusEdit()->setText(QStringLiteral("0"));
        EXPECT_FALSE(idw.settings().has_value());
        idw.radiusEdit()->setText(QStringLiteral("1000"));
        idw.powerEdit()->setText(QStringLiteral("1"));
        return static_cast<int>(QDialog::Accepted);
    });
    ASSERT_EQ(w->view().reinterpolate(), 0);
    EXPECT_EQ(asked, 1);
    // The data spans 53 × 48: the radius the run computes is the diagonal.
    EXPECT_EQ(radiusShown, formatDouble(std::hypot(53.0, 48.0)));
    ASSERT_FALSE(boxes_.warnings.empty());
    EXPECT_EQ(boxes_.warnings.back(), "Радиус поиска: нужно положительное число");
    double power = 0;
    readProfileDouble("Inverse Distance", "Power", power);
    EXPECT_EQ(power, 1.0);  // the parameters that ran are kept

    // "Опции..." of the method dialog stores them ahead of the run.
    answerDialogs([](QDialog& dialog) {
        if (auto* methods = dynamic_cast<MethodDialog*>(&dialog)) {
            methods->choose(InterpolationMethod::InverseDistance);
            EXPECT_TRUE(methods->optionsButton()->isEnabled());
            methods->optionsButton()->click();
            return static_cast<int>(QDialog::Accepted);
        }
        auto& idw = dynamic_cast<InverseDistanceDialog&>(dialog);
        idw.previousButton()->setChecked(true);
        EXPECT_EQ(idw.powerEdit()->text().toStdString(), "1");  // the stored power
        idw.powerEdit()->setText(QStringLiteral("3"));
        return static_cast<int>(QDialog::Accepted);
    });
    window_->actionFor(MapCommand::Interpolation)->trigger();
    readProfileDouble("Inverse Distance", "Power", power);
    EXPECT_EQ(power, 3.0);
    std::int32_t source = -1;
    readProfileInt("Inverse Distance", "Type Init", source);
    EXPECT_EQ(source, 2);  // "Предыдущие"
}

}  // namespace
}  // namespace gridova

namespace gridova {
namespace {

// Kriging with entered parameters: its dialog starts from the engine's
// defaults (the data diagonal, nugget 1, sill 3), refuses a range that is not
// positive, and what is entered runs and is kept.
TEST_F(MenusTest, TheKrigingDialogEntersTheParametersOfTheRun) {
    writeProfileInt("Kriging", "Type Init", 1);  // "Произвольные"
    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    w->view().model().setMethod(InterpolationMethod::Kriging);
    std::string range, nugget, sill;
    answerDialogs([&](QDialog& dialog) {
        auto& kriging = dynamic_cast<KrigingDialog&>(dialog);
        range = kriging.rangeEdit()->text().toStdString();
        nugget = kriging.nuggetEdit()->text().toStdString();
        sill = kriging.sillEdit()->text().toStdString();
        kriging.rangeEdit()->setText(QStringLiteral("0"));
        EXPECT_FALSE(kriging.entry().has_value());
        kriging.modelList()->setCurrentIndex(1);  // "Spherical"
        kriging.rangeEdit()->setText(QStringLiteral("30"));
        kriging.nuggetEdit()->setText(QStringLiteral("0"));
        kriging.sillEdit()->setText(QStringLiteral("500"));
        return static_cast<int>(QDialog::Accepted);
    });
    ASSERT_EQ(w->view().reinterpolate(), 0);
    EXPECT_EQ(range, formatDouble(std::hypot(53.0, 48.0)));
    EXPECT_EQ(nugget, "1");
    EXPECT_EQ(sill, "3");
    ASSERT_FALSE(boxes_.warnings.empty());
    EXPECT_EQ(boxes_.warnings.back(), "Range: нужно положительное число");
    std::int32_t model = -1;
    double storedRange = 0;
    readProfileInt("Kriging", "Mode", model);
    readProfileDouble("Kriging", "Range", storedRange);
    EXPECT_EQ(model, 1);
    EXPECT_EQ(storedRange, 30.0);
    EXPECT_TRUE(w->view().model().grid()->hasValues());
}

// "Подобрать" fits the chosen model to the variogram of the map's points and
// "Взять подобранные" enters the fit; on the generated set with a known
// spherical variogram (tests/fixtures/variogram_spherical.dat) the fit is
// gstat's within 5 % (range 12.97, nugget 0.431, sill 2.364 from
// tests/fixtures/variogram_gstat.txt) and it is what the run stores.
TEST_F(MenusTest, TheKrigingDialogFitsTheVariogramOfTheData) {
    writeProfileInt("Kriging", "Type Init", 1);  // "Произвольные"
    const std::string data = testing::readFile(std::string(GRIDOVA_SOURCE_DIR) +
                                               "/tests/fixtures/variogram_spherical.dat");
    MapWindow* w = openIsolines(writeFile("spherical.dat", data));
    ASSERT_NE(w, nullptr);
    w->view().model().setMethod(InterpolationMethod::Kriging);
    std::optional<FittedVariogram> fitted;
    std::string fitSaid;
    answerDialogs([&](QDialog& dialog) {
        auto& kriging = dynamic_cast<KrigingDialog&>(dialog);
        EXPECT_FALSE(kriging.takeButton()->isEnabled());
        kriging.modelList()->setCurrentIndex(1);  // "Spherical"
        kriging.fitButton()->click();
        fitted = kriging.fitted();
        fitSaid = kriging.fitText()->text().toStdString();
        // Fields change only when the fit is taken.
        EXPECT_EQ(kriging.nuggetEdit()->text().toStdString(), "1");
        EXPECT_TRUE(kriging.takeButton()->isEnabled());
        kriging.takeButton()->click();
        EXPECT_TRUE(kriging.customButton()->isChecked());
        EXPECT_TRUE(saveScreenshot(kriging, "kriging_dialog_fit.png"));
        // Another model drops the fit.
        kriging.modelList()->setCurrentIndex(2);
        EXPECT_FALSE(kriging.fitted().has_value());
        EXPECT_FALSE(kriging.takeButton()->isEnabled());
        kriging.modelList()->setCurrentIndex(1);
        return static_cast<int>(QDialog::Accepted);
    });
    ASSERT_EQ(w->view().reinterpolate(), 0);
    ASSERT_TRUE(fitted.has_value());
    EXPECT_TRUE(fitted->levelsOff);
    EXPECT_NEAR(fitted->range, 12.972814142284768, 0.05 * 12.972814142284768);
    EXPECT_NEAR(fitted->nugget, 0.4314137228088516, 0.05 * 0.4314137228088516);
    EXPECT_NEAR(fitted->sill(), 2.3643651492, 0.05 * 2.3643651492);
    EXPECT_EQ(fitSaid.rfind("Подобрано: Range ", 0), 0u) << fitSaid;
    std::int32_t model = -1;
    double range = 0, sill = 0;
    readProfileInt("Kriging", "Mode", model);
    readProfileDouble("Kriging", "Range", range);
    readProfileDouble("Kriging", "Sill", sill);
    EXPECT_EQ(model, 1);
    EXPECT_EQ(range, fitted->range);
    EXPECT_EQ(sill, fitted->sill());
}

}  // namespace
}  // namespace gridova

namespace gridova {
namespace {

std::vector<std::string> rowTexts(const QTableWidget& list, int row) {
    std::vector<std::string> cells;
    for (int c = 0; c < list.columnCount(); ++c) {
        cells.push_back(list.item(row, c) ? list.item(row, c)->text().toStdString() : "");
    }
    return cells;
}

void selectRow(QTableWidget& list, int row) {
    list.clearSelection();
    list.selectRow(row);
}

// "Точки...": the main set's points listed; points added, deleted and
// changed on the window's own sets, the editor refusing values that are
// not numbers and taking a double-clicked position; "Сохранить" writes a
// data file that reads back as the list; "Обновить" makes the list the
// main set and builds the map again; closing with unsaved points asks.
TEST_F(MenusTest, TheDataPointsWindowEditsTheMainSet) {
    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    MapModel& model = w->view().model();
    ASSERT_TRUE(window_->actionFor(MapCommand::PointEditor)->isEnabled());
    window_->actionFor(MapCommand::PointEditor)->trigger();
    DataPointsWindow* points = w->dataPointsWindow();
    ASSERT_NE(points, nullptr);
    ASSERT_TRUE(points->isVisible());
    QTableWidget& list = *points->list();
    EXPECT_EQ(points->windowTitle().toStdString(), "Точки данных (30)");
    ASSERT_EQ(list.rowCount(), 30);
    EXPECT_EQ(rowTexts(list, 1), (std::vector<std::string>{"10", "0", "5", ""}));

    // Added: the value must be a number; the name may be empty.
    PointEditor& editor = *points->editor();
    points->addButton()->click();
    ASSERT_TRUE(editor.isVisible());
    EXPECT_EQ(editor.windowTitle().toStdString(), "Добавить точку");
    editor.xEdit()->setText(QStringLiteral("5"));
    editor.yEdit()->setText(QStringLiteral("7"));
    editor.valueEdit()->setText(QStringLiteral("много"));
    editor.accept();
    EXPECT_TRUE(editor.isVisible());
    EXPECT_EQ(points->added().size(), 0u);
    editor.valueEdit()->setText(QStringLiteral("99.5"));
    editor.nameEdit()->setText(QStringLiteral("Скв-новая"));
    editor.accept();
    EXPECT_FALSE(editor.isVisible());
    ASSERT_EQ(list.rowCount(), 31);
    EXPECT_EQ(rowTexts(list, 30), (std::vector<std::string>{"5", "7", "99.5", "Скв-новая"}));
    EXPECT_TRUE(points->unsaved());

    // A double click on the map fills the open editor and marks the place.
    points->addButton()->click();
    ASSERT_TRUE(w->view().positionPicked(12.5, 20.25));
    EXPECT_EQ(editor.xEdit()->text().toStdString(), "12.5");
    EXPECT_EQ(editor.yEdit()->text().toStdString(), "20.25");
    ASSERT_NE(w->view().editingPoints, nullptr);
    EXPECT_EQ(w->view().editingPoints->points().at(0).x, 12.5);
    editor.reject();
    EXPECT_FALSE(w->view().positionPicked(1, 1));  // the editor is closed

    // Deleted, and changed (the old point leaves, the new one is added).
    selectRow(list, 0);
    points->deleteButton()->click();
    EXPECT_EQ(points->existing().size(), 29u);
    EXPECT_EQ(points->deleted().size(), 1u);
    selectRow(list, 0);  // was the point (10, 0)
    points->replaceButton()->click();
    EXPECT_EQ(editor.windowTitle().toStdString(), "Изменить точку");
    EXPECT_EQ(editor.xEdit()->text().toStdString(), "10");
    editor.valueEdit()->setText(QStringLiteral("-4"));
    editor.accept();
    EXPECT_EQ(points->existing().size(), 28u);
    EXPECT_EQ(points->added().size(), 2u);
    EXPECT_EQ(points->deleted().size(), 2u);
    ASSERT_EQ(list.rowCount(), 30);
    EXPECT_EQ(rowTexts(list, 29), (std::vector<std::string>{"10", "0", "-4", ""}));

    // Saved: a data file that reads back as the list.
    const std::string saved = inTestDir("edited.dat");
    chooser_.paths = {saved};
    ASSERT_TRUE(points->saveToFile());
    EXPECT_FALSE(points->unsaved());
    DataTable table;
    table.readFile(saved);
    PointSet back;
    back.buildFromTable(table);
    ASSERT_EQ(back.size(), 30u);
    for (int row = 0; row < 30; ++row) {
        const DataPoint& p = back.points()[static_cast<std::size_t>(row)];
        EXPECT_EQ(formatDouble(p.x), rowTexts(list, row)[0]);
        EXPECT_EQ(formatDouble(p.value.value), rowTexts(list, row)[2]);
    }
    EXPECT_EQ(back.points()[28].label, "Скв-новая");

    // Applied: the main set is the list and the map is built on it.
    const std::vector<double> before = model.grid()->values();
    points->applyButton()->click();
    ASSERT_EQ(model.mainPoints()->size(), 30u);
    EXPECT_EQ(model.mainPoints()->points()[28].value.value, 99.5);
    EXPECT_EQ(model.mainPoints()->hasLabels, 1);
    EXPECT_NE(model.grid()->values(), before);
    EXPECT_EQ(points->added().size(), 0u);
    EXPECT_EQ(list.rowCount(), 30);

    // Closing with a point added and not saved asks; No closes unsaved,
    // Cancel keeps the window.
    points->addButton()->click();
    editor.xEdit()->setText(QStringLiteral("1"));
    editor.yEdit()->setText(QStringLiteral("1"));
    editor.valueEdit()->setText(QStringLiteral("1"));
    editor.accept();
    boxes_.answers = {Answer::Cancel};
    EXPECT_FALSE(points->closeWindow());
    EXPECT_TRUE(points->isVisible());
    EXPECT_TRUE(saveScreenshot(*points, "data_points_window.png"));
    EXPECT_TRUE(points->closeWindow());  // answered No
    ASSERT_EQ(boxes_.asked.size(), 2u);
    EXPECT_EQ(boxes_.asked.back(), "Сохранить новые точки?");
    EXPECT_FALSE(points->isVisible());
    EXPECT_EQ(model.mainPoints()->size(), 30u);
    EXPECT_EQ(w->view().editingPoints, nullptr);
}

}  // namespace
}  // namespace gridova

namespace gridova {
namespace {

// "Файл данных..." stores the columns chosen (Cancel keeps the old ones);
// with "Показывать диалог" the dialog is asked before a data file is read,
// and the points are built from the columns it gives.
TEST_F(MenusTest, TheInputFormatDialogChoosesTheColumnsOfTheData) {
    QAction* action = window_->actionFor(FrameCommand::InputFormat);
    ASSERT_NE(action, nullptr);
    window_->refreshActions();
    ASSERT_TRUE(action->isEnabled());
    int asked = 0;
    answerDialogs([&](QDialog& dialog) {
        auto& editor = dynamic_cast<InputFormatEditor&>(dialog);
        ++asked;
        EXPECT_EQ(editor.xList()->currentText().toStdString(), "1");
        EXPECT_EQ(editor.nameList()->currentText().toStdString(), "4");
        editor.xList()->setCurrentIndex(1);  // "2"
        return static_cast<int>(QDialog::Rejected);
    });
    action->trigger();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(InputFormat::load().columnX, 0);  // cancelled

    // Value first, then X and Y: "3 10 20" is the point (10, 20) of value 3.
    answerDialogs([&](QDialog& dialog) {
        auto& editor = dynamic_cast<InputFormatEditor&>(dialog);
        ++asked;
        editor.valueList()->setCurrentIndex(0);  // "1"
        editor.xList()->setCurrentIndex(1);      // "2"
        editor.yList()->setCurrentIndex(2);      // "3"
        editor.showBox()->setChecked(true);
        EXPECT_TRUE(saveScreenshot(editor, "input_format_dialog.png"));
        return static_cast<int>(QDialog::Accepted);
    });
    action->trigger();
    const InputFormat stored = InputFormat::load();
    EXPECT_EQ(stored.columnValue, 0);
    EXPECT_EQ(stored.columnX, 1);
    EXPECT_EQ(stored.columnY, 2);
    EXPECT_EQ(stored.showDialog, 1);

    // The next read asks again; its answer builds the points.
    answerDialogs([&](QDialog& dialog) {
        auto& editor = dynamic_cast<InputFormatEditor&>(dialog);
        ++asked;
        EXPECT_EQ(editor.valueList()->currentText().toStdString(), "1");
        EXPECT_TRUE(editor.showBox()->isChecked());
        return static_cast<int>(QDialog::Accepted);
    });
    MapWindow* w = openIsolines(writeFile("swapped.dat", "3 10 20\n5 30 20\n7 20 40\n9 5 35\n"));
    EXPECT_EQ(asked, 3);
    ASSERT_NE(w, nullptr);
    const PointSet& set = *w->view().model().mainPoints();
    ASSERT_EQ(set.size(), 4u);
    EXPECT_EQ(set.points()[0].x, 10);
    EXPECT_EQ(set.points()[0].y, 20);
    EXPECT_EQ(set.points()[0].value.value, 3);
}

}  // namespace
}  // namespace gridova

namespace gridova {
namespace {

// "Размеры сетки...": counts below 2, cell sizes that are not positive and
// corners that are not numbers are refused; "Да" gives the grid the steps
// and corner, writes EqNet.net and builds the map again; "Разные по Y"
// takes a list of sizes; "Записать в файл" and "Ввести из файла" carry the
// sizes through a ".net" file.
TEST_F(MenusTest, TheGridSizeDialogChangesTheGridsSteps) {
    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    EqNet& grid = *w->view().model().grid();
    const std::int32_t ny = grid.ny();
    struct Refusal {
        const char* nodesX;
        const char* cellX;
        const char* cornerX;
        const char* warning;
    };
    const Refusal refusals[] = {
        {"1", "5", "0", "Число узлов X: нужно не меньше 2 узлов"},
        {"много", "5", "0", "Число узлов X: нужно не меньше 2 узлов"},
        {"2000000000", "5", "0", "Число узлов X: узлов больше 1073741824"},
        {"11", "0", "0", "Размер ячеек X: нужно положительное число"},
        {"11", "-2", "0", "Размер ячеек X: нужно положительное число"},
        {"11", "5", "левее", "X: нужно число"},
    };
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.warning);
        const std::vector<double> steps = grid.stepX();
        answerDialogs([&](QDialog& dialog) {
            auto& d = dynamic_cast<GridSizeDialog&>(dialog);
            d.nodesXEdit()->setText(QString::fromUtf8(r.nodesX));
            d.cellXEdit()->setText(QString::fromUtf8(r.cellX));
            d.cornerXEdit()->setText(QString::fromUtf8(r.cornerX));
            return static_cast<int>(QDialog::Accepted);
        });
        window_->actionFor(MapCommand::GridSize)->trigger();
        ASSERT_FALSE(boxes_.warnings.empty());
        EXPECT_EQ(boxes_.warnings.back(), r.warning);
        EXPECT_EQ(grid.stepX(), steps);
    }

    // Eleven columns of 6 from x = -2; rows of 10, 10, 10, 10 and 15 from
    // y = -3: the grid covers the data (0..53 by 0..48).
    answerDialogs([&](QDialog& dialog) {
        if (auto* list = dynamic_cast<NumberListDialog*>(&dialog)) {
            EXPECT_EQ(list->windowTitle().toStdString(), "Размер ячеек по Y");
            list->textEdit()->setPlainText(QStringLiteral("10 10\n10; 10\n15"));
            return static_cast<int>(QDialog::Accepted);
        }
        auto& d = dynamic_cast<GridSizeDialog&>(dialog);
        EXPECT_EQ(d.nodesYEdit()->text().toInt(), ny);
        d.nodesXEdit()->setText(QStringLiteral("11"));
        d.cellXEdit()->setText(QStringLiteral("6"));
        d.cornerXEdit()->setText(QStringLiteral("-2"));
        d.cornerYEdit()->setText(QStringLiteral("-3"));
        EXPECT_TRUE(d.editSteps(false));
        EXPECT_EQ(d.nodesYEdit()->text().toStdString(), "6");
        EXPECT_EQ(d.cellYEdit()->text().toStdString(), "");  // different sizes
        EXPECT_TRUE(saveScreenshot(d, "grid_size_dialog.png"));
        return static_cast<int>(QDialog::Accepted);
    });
    window_->actionFor(MapCommand::GridSize)->trigger();
    EXPECT_EQ(grid.nx(), 11);
    EXPECT_EQ(grid.stepX(), std::vector<double>(10, 6.0));
    EXPECT_EQ(grid.stepY(), (std::vector<double>{10, 10, 10, 10, 15}));
    EXPECT_EQ(grid.nodeX().front(), -2);
    EXPECT_EQ(grid.nodeX().back(), 58);
    EXPECT_EQ(grid.nodeY().front(), -3);
    EXPECT_EQ(grid.nodeY().back(), 52);
    EXPECT_TRUE(grid.hasValues());  // the map was built again
    EqNet written;
    ASSERT_TRUE(written.readFile(inTestDir("EqNet.net")));
    EXPECT_EQ(written.stepY(), grid.stepY());
    EXPECT_EQ(written.nodeX().front(), -2);

    // Saved to a file and read back into another dialog.
    const std::string path = inTestDir("sizes.net");
    chooser_.paths = {path, path};
    std::vector<std::string> loaded;
    answerDialogs([&](QDialog& dialog) {
        auto& d = dynamic_cast<GridSizeDialog&>(dialog);
        EXPECT_TRUE(d.saveToFile());
        d.nodesXEdit()->setText(QStringLiteral("7"));
        d.cornerXEdit()->setText(QStringLiteral("0"));
        EXPECT_TRUE(d.loadFromFile());
        loaded = {d.nodesXEdit()->text().toStdString(), d.cellXEdit()->text().toStdString(),
                  d.cornerXEdit()->text().toStdString(), d.nodesYEdit()->text().toStdString()};
        return static_cast<int>(QDialog::Rejected);
    });
    window_->actionFor(MapCommand::GridSize)->trigger();
    EXPECT_EQ(loaded, (std::vector<std::string>{"11", "6", "-2", "6"}));
    EXPECT_EQ(chooser_.requests.back().extension, "net");
    EXPECT_EQ(grid.nx(), 11);  // cancelled: unchanged
}

}  // namespace
}  // namespace gridova

namespace gridova {
namespace {

// A map built again asks its levels in "Задание изолиний": "Через шаг" with
// the first level and the step gives the count and those levels; a first
// level that is not a number is said and the dialog stays; a cancel keeps
// the isolines; "Предыдущие" takes the stored list.
TEST_F(MenusTest, TheLevelsDialogGivesTheLevelsOfAMapBuiltAgain) {
    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    MapModel& model = w->view().model();
    const double gridMax = model.grid()->maxValue();
    ASSERT_GT(gridMax, 70);
    ASSERT_LT(gridMax, 90);
    const std::vector<double> before = model.isolines()->values();

    // Cancelled: nothing changes.
    setDialogRunner([](QDialog& dialog) {
        EXPECT_NE(dynamic_cast<LevelsDialog*>(&dialog), nullptr);
        return static_cast<int>(QDialog::Rejected);
    });
    w->view().reinterpolate();
    EXPECT_EQ(model.isolines()->values(), before);

    std::string shownCount;
    setDialogRunner([&](QDialog& dialog) {
        auto& levels = dynamic_cast<LevelsDialog&>(dialog);
        levels.stepButton()->setChecked(true);
        EXPECT_TRUE(levels.firstEdit()->isEnabled());
        levels.firstEdit()->setText(QStringLiteral("десять"));
        EXPECT_FALSE(levels.firstOrStepEdited(true));
        EXPECT_FALSE(levels.result().has_value());
        levels.firstEdit()->setText(QStringLiteral("10"));
        levels.stepEdit()->setText(QStringLiteral("20"));
        EXPECT_TRUE(levels.firstOrStepEdited(false));
        shownCount = levels.countEdit()->text().toStdString();
        EXPECT_TRUE(saveScreenshot(levels, "levels_dialog.png"));
        return static_cast<int>(QDialog::Accepted);
    });
    w->view().reinterpolate();
    ASSERT_GE(boxes_.warnings.size(), 2u);
    EXPECT_EQ(boxes_.warnings[boxes_.warnings.size() - 2], "Значение первой изолинии не число");
    // trunc((max − 10) / 20) + 1 levels: 10, 30, 50, 70.
    EXPECT_EQ(shownCount, "4");
    EXPECT_EQ(model.isolines()->values(), (std::vector<double>{10, 30, 50, 70}));

    // "Предыдущие": the list stored by the last build.
    setDialogRunner([&](QDialog& dialog) {
        auto& levels = dynamic_cast<LevelsDialog&>(dialog);
        EXPECT_TRUE(levels.stepButton()->isChecked());  // remembered
        levels.previousButton()->setChecked(true);
        EXPECT_FALSE(levels.firstEdit()->isEnabled());
        return static_cast<int>(QDialog::Accepted);
    });
    w->view().reinterpolate();
    EXPECT_EQ(model.isolines()->values(), (std::vector<double>{10, 30, 50, 70}));
}

}  // namespace
}  // namespace gridova

namespace gridova {
namespace {

// "Изолинии": rows by number and value; "Вставить" proposes the level
// between the selected row and the one above and traces it; "Значение"
// replaces a level (a value that is not a number is said and asked again);
// "Убрать" removes the first selected; "Показывать" hides the set; a
// template saved and loaded gives back the levels.
TEST_F(MenusTest, TheIsolineListEditsTheLevels) {
    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    MapModel& model = w->view().model();
    // Levels 10, 30, 50, 70 to start from.
    model.setIsolines(nullptr);
    for (double level : {10.0, 30.0, 50.0, 70.0}) ASSERT_TRUE(model.insertIsoline(level));
    const std::string saved = inTestDir("levels.ist");
    chooser_.paths = {saved, saved};
    std::vector<std::string> rows;
    int asked = 0;
    answerDialogs([&](QDialog& dialog) {
        if (auto* value = dynamic_cast<IsolineValueDialog*>(&dialog)) {
            ++asked;
            if (asked == 1) {
                // "Вставить" between 30 (row 2) and 10: 20 proposed, taken.
                EXPECT_EQ(value->newEdit()->text().toStdString(), "20.000000");
                return static_cast<int>(QDialog::Accepted);
            }
            value->newEdit()->setText(QStringLiteral("сорок"));
            EXPECT_FALSE(value->level().has_value());
            value->newEdit()->setText(QStringLiteral("45"));
            return static_cast<int>(QDialog::Accepted);
        }
        auto& list = dynamic_cast<IsolineListDialog&>(dialog);
        EXPECT_EQ(list.list()->rowCount(), 4);
        EXPECT_EQ(list.list()->item(0, 0)->text().toStdString(), "Изолиния 1");
        EXPECT_EQ(list.list()->item(1, 1)->text().toStdString(), "30.00");
        list.list()->selectRow(1);
        EXPECT_TRUE(list.insertLevel());
        EXPECT_EQ(list.list()->rowCount(), 5);
        EXPECT_TRUE(list.saveTemplate());
        list.list()->selectRow(3);  // 50
        EXPECT_TRUE(list.changeSelected());
        list.list()->selectRow(0);
        EXPECT_TRUE(list.removeSelected());
        list.showBox()->setChecked(false);
        for (int k = 0; k < list.list()->rowCount(); ++k) {
            rows.push_back(list.list()->item(k, 1)->text().toStdString());
        }
        EXPECT_TRUE(saveScreenshot(list, "isoline_list.png"));
        return static_cast<int>(QDialog::Accepted);
    });
    window_->actionFor(MapCommand::IsolineList)->trigger();
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(boxes_.warnings.back(), "'сорок' не является числом");
    EXPECT_EQ(rows, (std::vector<std::string>{"20.00", "30.00", "45.00", "70.00"}));
    EXPECT_EQ(model.isolines()->values(), (std::vector<double>{20, 30, 45, 70}));
    EXPECT_EQ(model.isolines()->show, 0);
    for (std::size_t k = 0; k < model.isolines()->size(); ++k) {
        EXPECT_GT(model.isolines()->at(static_cast<int>(k))->pieces().size(), 0u);
    }

    // The template saved before the changes brings its five levels back.
    answerDialogs([&](QDialog& dialog) {
        auto& list = dynamic_cast<IsolineListDialog&>(dialog);
        EXPECT_TRUE(list.loadTemplate());
        return static_cast<int>(QDialog::Accepted);
    });
    window_->actionFor(MapCommand::IsolineList)->trigger();
    EXPECT_EQ(model.isolines()->values(), (std::vector<double>{10, 20, 30, 50, 70}));
    EXPECT_EQ(chooser_.requests.back().extension, "ist");
}

}  // namespace
}  // namespace gridova

namespace gridova {
namespace {

int pixelsOf(const QImage& picture, QRgb color) {
    int n = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) n += picture.pixel(x, y) == color;
    }
    return n;
}

// "Вид" of the isoline list: "Изменить вид изолинии" shows the isoline's
// longest piece as the map draws it and changes the look of the selected
// isoline, or with "Все изолинии" of all of them and the default; "Шрифт"
// sets the labels' font and colour.
TEST_F(MenusTest, TheIsolineFormatDialogChangesTheLookOfIsolines) {
    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    MapModel& model = w->view().model();
    ASSERT_GE(model.isolines()->size(), 3u);
    const IsolineFormat before = model.isolines()->at(0)->format;
    const gdi::ColorRef red = gdi::rgb(220, 0, 0), fill = gdi::rgb(255, 240, 120);
    int previewRed = 0, previewFill = 0;
    bool all = false;
    answerDialogs([&](QDialog& dialog) {
        if (auto* font = dynamic_cast<FontDialog*>(&dialog)) {
            font->sizeBox()->setValue(12);
            font->boldBox()->setChecked(true);
            font->colorButton()->setColor(gdi::rgb(0, 0, 200));
            EXPECT_EQ(font->sample()->text().toStdString(), "Пример текста");
            return static_cast<int>(QDialog::Accepted);
        }
        if (auto* look = dynamic_cast<IsolineFormatDialog*>(&dialog)) {
            look->widthBox()->setValue(3);
            look->lineColorButton()->setColor(red);
            look->fillColorButton()->setColor(fill);
            look->fontButton()->click();
            look->allBox()->setChecked(all);
            look->showPreview();
            const QImage shown =
                look->preview()->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
            previewRed = pixelsOf(shown, qRgb(220, 0, 0));
            previewFill = pixelsOf(shown, qRgb(255, 240, 120));
            EXPECT_TRUE(saveScreenshot(*look, "isoline_format_dialog.png"));
            return static_cast<int>(QDialog::Accepted);
        }
        auto& list = dynamic_cast<IsolineListDialog&>(dialog);
        list.list()->selectRow(1);
        list.lookButton()->click();
        return static_cast<int>(QDialog::Accepted);
    });
    window_->actionFor(MapCommand::IsolineList)->trigger();
    // The preview draws the line in its colour and its labels' boxes.
    EXPECT_GT(previewRed, 50);
    EXPECT_GT(previewFill, 20);
    const IsolineFormat& changed = model.isolines()->at(1)->format;
    EXPECT_EQ(changed.widthLine, 3);
    EXPECT_EQ(changed.colorLine, red);
    EXPECT_EQ(changed.colorLabelPattern, fill);
    EXPECT_EQ(changed.font.height, -16);  // 12 pt at 96 dpi
    EXPECT_EQ(changed.font.weight, 700);
    EXPECT_EQ(changed.colorText, gdi::rgb(0, 0, 200));
    EXPECT_TRUE(model.isolines()->at(0)->format == before);  // not selected

    // "Все изолинии": every isoline, and the default kept in the profile.
    all = true;
    window_->actionFor(MapCommand::IsolineList)->trigger();
    for (std::size_t k = 0; k < model.isolines()->size(); ++k) {
        EXPECT_EQ(model.isolines()->at(static_cast<int>(k))->format.colorLine, red);
    }
    IsolineFormat stored;
    stored.readProfile();
    EXPECT_EQ(stored.colorLine, red);
    EXPECT_EQ(stored.widthLine, 3);
}

}  // namespace
}  // namespace gridova

namespace gridova {
namespace {

// "Изменить значок": the main set's badges take the look; a least radius
// above the greatest is refused; the look is kept as the new sets'.
TEST_F(MenusTest, TheBadgeDialogChangesHowThePointsAreDrawn) {
    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    const PointSet& set = *w->view().model().mainPoints();
    answerDialogs([](QDialog& dialog) {
        auto& badges = dynamic_cast<BadgeDialog&>(dialog);
        badges.circlesBox()->setChecked(true);
        badges.minRadiusBox()->setValue(9);
        badges.maxRadiusBox()->setValue(4);
        EXPECT_FALSE(badges.format().has_value());
        return static_cast<int>(QDialog::Accepted);
    });
    window_->actionFor(MapCommand::BadgeFormat)->trigger();
    EXPECT_EQ(boxes_.warnings.back(), "Мин.: больше наибольшего радиуса");
    EXPECT_EQ(set.badgeFormat.valueShow, 0);

    answerDialogs([](QDialog& dialog) {
        auto& badges = dynamic_cast<BadgeDialog&>(dialog);
        badges.radiusBox()->setValue(6);
        badges.pointColorButton()->setColor(gdi::rgb(255, 0, 255));
        badges.circlesBox()->setChecked(true);
        badges.minRadiusBox()->setValue(2);
        badges.maxRadiusBox()->setValue(12);
        badges.textList()->setCurrentIndex(2);  // "Значение"
        badges.digitsBox()->setValue(3);
        EXPECT_TRUE(saveScreenshot(badges, "badge_dialog.png"));
        return static_cast<int>(QDialog::Accepted);
    });
    window_->actionFor(MapCommand::BadgeFormat)->trigger();
    EXPECT_EQ(set.badgeFormat.badgeRadius, 6);
    EXPECT_EQ(set.badgeFormat.pointColor, gdi::rgb(255, 0, 255));
    EXPECT_EQ(set.badgeFormat.valueShow, 1);
    EXPECT_EQ(set.badgeFormat.minRadius, 2);
    EXPECT_EQ(set.badgeFormat.maxRadius, 12);
    EXPECT_EQ(set.badgeFormat.showLabel, 0);
    EXPECT_EQ(set.badgeFormat.showDigit, 1);
    EXPECT_EQ(set.badgeFormat.formatNumber(), "%.3lf");
    BadgeFormat stored;
    stored.readProfile(-1);
    EXPECT_EQ(stored.badgeRadius, 6);
    EXPECT_EQ(stored.pointColor, gdi::rgb(255, 0, 255));
    settle();
    const QImage map = w->mapWidget().grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_GT(pixelsOf(map, qRgb(255, 0, 255)), 30 * 20);  // 30 markers of radius 6
}

}  // namespace
}  // namespace gridova

namespace gridova {
namespace {

// "Заголовок карты": the three lines replaced, a line's font chosen (the
// canvas's general font, kept in the profile), the title hidden and shown.
TEST_F(MenusTest, TheTitleDialogEditsTheTitle) {
    MapWindow* w = openIsolines(writeFile("titled.dat", "Карта напоров\nАпрель\n" + planeText()));
    ASSERT_NE(w, nullptr);
    ASSERT_NE(w->view().mapTitle(), nullptr);
    std::string shownFirst;
    answerDialogs([&](QDialog& dialog) {
        if (auto* font = dynamic_cast<FontDialog*>(&dialog)) {
            font->sizeBox()->setValue(18);
            font->italicBox()->setChecked(true);
            return static_cast<int>(QDialog::Accepted);
        }
        auto& title = dynamic_cast<TitleDialog&>(dialog);
        shownFirst = title.lineEdit(0)->text().toStdString();
        title.lineEdit(1)->setText(QStringLiteral("Май 2026"));
        title.lineEdit(2)->setText(QStringLiteral("Скважины Q-II"));
        title.fontButton(0)->click();
        EXPECT_TRUE(saveScreenshot(title, "title_dialog.png"));
        return static_cast<int>(QDialog::Accepted);
    });
    window_->actionFor(MapCommand::Title)->trigger();
    EXPECT_EQ(shownFirst, "Карта напоров");
    const MapTitle& title = *w->view().mapTitle();
    ASSERT_EQ(title.lines.size(), 3u);
    EXPECT_EQ(title.lines[0].text, "Карта напоров");
    EXPECT_EQ(title.lines[1].text, "Май 2026");
    EXPECT_EQ(title.lines[2].text, "Скважины Q-II");
    EXPECT_EQ(w->view().canvas().generalFont(2).height, -24);  // 18 pt at 96 dpi
    gdi::LogFont stored;
    readLogFontProfile("GeneralFont2", stored);
    EXPECT_EQ(stored.height, -24);
    EXPECT_EQ(stored.italic, 1);

    answerDialogs([](QDialog& dialog) {
        dynamic_cast<TitleDialog&>(dialog).showBox()->setChecked(false);
        return static_cast<int>(QDialog::Accepted);
    });
    window_->actionFor(MapCommand::Title)->trigger();
    EXPECT_EQ(w->view().mapTitle()->show, 0);
    EXPECT_EQ(w->view().mapTitle()->lines[1].text, "Май 2026");
}

}  // namespace
}  // namespace gridova
