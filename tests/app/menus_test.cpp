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
#include "app/dialogs/color_scale_dialog.h"
#include "app/dialogs/dialog_runner.h"
#include "app/dialogs/digit_output_dialog.h"
#include "app/dialogs/font_dialog.h"
#include "app/dialogs/grid_dialog.h"
#include "app/dialogs/grid_size_dialog.h"
#include "app/dialogs/input_format_dialog.h"
#include "app/dialogs/inverse_distance_dialog.h"
#include "app/dialogs/isoline_format_dialog.h"
#include "app/dialogs/isoline_list_dialog.h"
#include "app/dialogs/kriging_dialog.h"
#include "app/dialogs/map_size_dialog.h"
#include "app/dialogs/map_type_dialog.h"
#include "app/dialogs/method_dialog.h"
#include "app/dialogs/solver_dialog.h"
#include "app/dialogs/title_dialog.h"
#include "app/main_window.h"
#include "app/map_bar.h"
#include "app/map_window.h"
#include "app/menu_table.h"
#include "app/overview_window.h"
#include "app/relief_window.h"
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
        {C::ColorScale, P::Format,
         [=](MapWindow& w) { return std::to_string(model(w).grid()->colorScale.count()); },
         [](MapWindow&, ScriptedChooser&) {
             answerDialogs([](QDialog& dialog) {
                 dynamic_cast<ColorScaleDialog&>(dialog).countBox()->setValue(6);
                 return static_cast<int>(QDialog::Accepted);
             });
         }},
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
        {C::MapSize, P::File,
         [](MapWindow& w) {
             const gdi::Size page = w.view().canvas().pageSize();
             return std::to_string(page.cx) + "x" + std::to_string(page.cy);
         },
         [](MapWindow&, ScriptedChooser&) {
             answerDialogs([](QDialog& dialog) {
                 auto& d = dynamic_cast<MapSizeDialog&>(dialog);
                 d.formatList()->setCurrentIndex(0);
                 d.widthEdit()->setText(QStringLiteral("500"));
                 return static_cast<int>(QDialog::Accepted);
             });
         }},
        {C::WriteGridText, P::File,
         [](MapWindow&) {
             return fs::exists(inTestDir("menu.txt"))
                        ? testing::readFile(inTestDir("menu.txt")).substr(0, 4)
                        : std::string();
         },
         [](MapWindow&, ScriptedChooser& chooser) {
             chooser.paths = {inTestDir("menu.txt")};
             // The format dialog as it opens.
             answerDialogs([](QDialog& dialog) {
                 EXPECT_NE(dynamic_cast<DigitOutputDialog*>(&dialog), nullptr);
                 return static_cast<int>(QDialog::Accepted);
             });
         }},
        {C::WriteGridGrd, P::File,
         [](MapWindow&) {
             return fs::exists(inTestDir("menu.grd"))
                        ? testing::readFile(inTestDir("menu.grd")).substr(0, 4)
                        : std::string();
         },
         [](MapWindow&, ScriptedChooser& chooser) { chooser.paths = {inTestDir("menu.grd")}; }},
        {C::CrossSection, P::Objects, nullptr},  // no line drawn
        // The map has values: its 3D window opens in the main window.
        {C::View3D, P::View,
         [](MapWindow& w) {
             return std::to_string(w.window()->findChildren<Relief3DWindow*>().size());
         }},
        {C::ViewOpenGL, P::View, nullptr},
        {C::PointEditor, P::Edit,
         [](MapWindow& w) {
             return flag(w.dataPointsWindow() != nullptr && w.dataPointsWindow()->isVisible());
         }},
        {C::CoordinateInput, P::Edit,
         [](MapWindow& w) {
             return flag(w.coordinateWindow() != nullptr && w.coordinateWindow()->isVisible());
         }},
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
        // A map of data has no series (array_window_test has).
        {C::SmoothSeries, P::Objects, nullptr},
        {C::SeriesOutliers, P::Objects, nullptr},
        {C::SaveSeries, P::Objects, nullptr},
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
        // A window of the area opened (a 3D window is no map window).
        const qsizetype areaWindows = window_->mdiArea()->subWindowList().size();
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
                            window_->mdiArea()->subWindowList().size() != areaWindows ||
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
