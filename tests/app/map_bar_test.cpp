// The map bar on the offscreen platform: the tree of the active map, its
// node menus and what they do, the double click, and the bar's place kept
// in the profile.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QTreeWidget>
#include <string>
#include <vector>

#include "app/coordinate_window.h"
#include "app/dialogs/dialog_fields.h"
#include "app/dialogs/dialog_runner.h"
#include "app/dialogs/filter_dialog.h"
#include "app/dialogs/regression_dialog.h"
#include "app/main_window.h"
#include "app/map_bar.h"
#include "app/map_window.h"
#include "app/node_window.h"
#include "data/data_table.h"
#include "data/triangles_file.h"
#include "render/map_widget.h"
#include "tests/app/main_window_fixtures.h"

namespace gridova {
namespace {

using namespace apptest;
using Node = MapBar::Node;

std::vector<std::string> childTexts(const QTreeWidgetItem* item) {
    std::vector<std::string> texts;
    for (int i = 0; i < item->childCount(); ++i) {
        texts.push_back(item->child(i)->text(0).toStdString());
    }
    return texts;
}

// "text" for an enabled item, "(text)" for a disabled one.
std::vector<std::string> menuTexts(QMenu& menu) {
    std::vector<std::string> texts;
    for (QAction* a : menu.actions()) {
        const std::string t = a->text().toStdString();
        texts.push_back(a->isEnabled() ? t : "(" + t + ")");
    }
    return texts;
}

class MapBarTest : public MainWindowTest {
protected:
    MapBar& bar() { return *window_->mapBar(); }
    QTreeWidgetItem* node(Node kind) {
        settle();
        return bar().findNode(kind);
    }
};

TEST_F(MapBarTest, TheTreeShowsTheActiveMap) {
    EXPECT_EQ(bar().tree()->topLevelItemCount(), 0);
    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    QTreeWidgetItem* root = node(Node::Root);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->text(0).toStdString(), "Задание");
    EXPECT_EQ(childTexts(root),
              (std::vector<std::string>{"Карты", "Название карты", "Точки", "Сетка", "Граница",
                                        "Оси", "Изолинии", "Фоновая карта", "Линии"}));
    QTreeWidgetItem* maps = node(Node::Maps);
    EXPECT_EQ(childTexts(maps),
              (std::vector<std::string>{"Цветные изолини", "Расположение точек", "Простые изолинии",
                                        "Цветные ячейки", "Значения в виде кругов",
                                        "Сеть треугольников"}));
    // The map type shown is in bold.
    EXPECT_TRUE(maps->child(2)->font(0).bold());
    EXPECT_FALSE(maps->child(0)->font(0).bold());
    EXPECT_EQ(childTexts(node(Node::Points)), (std::vector<std::string>{"Точки данных", "Значки"}));
    ASSERT_EQ(node(Node::DataSets)->childCount(), 1);
    EXPECT_TRUE(node(Node::DataSets)->child(0)->font(0).bold());  // the main set
    const IsolineSet& isolines = *w->view().model().isolines();
    QTreeWidgetItem* isolineNodes = node(Node::Isolines);
    ASSERT_EQ(isolineNodes->childCount(), static_cast<int>(isolines.size()));
    char expected[64];
    std::snprintf(expected, sizeof expected, "Изолиния %g", isolines.at(1)->value);
    EXPECT_EQ(isolineNodes->child(1)->text(0).toStdString(), expected);

    // The tree follows the map: a drawn line shows under "Линии" (the line
    // command tells the model's observers once it has added the line).
    w->view().model().addLine(Line({{1, 1}, {20, 20}}));
    w->view().markChanged();
    ASSERT_EQ(node(Node::Lines)->childCount(), 1);
    EXPECT_EQ(MapBar::kindOf(node(Node::Lines)->child(0)->child(0)), Node::Line);

    // Another window: its map; none: an empty tree.
    window_->runFrameCommand(FrameCommand::NewMap);
    EXPECT_EQ(node(Node::DataSets)->childCount(), 0);
    window_->runFrameCommand(FrameCommand::Close);
    settle();
    EXPECT_EQ(node(Node::DataSets)->childCount(), 1);
    window_->runFrameCommand(FrameCommand::Close);
    settle();
    EXPECT_EQ(bar().tree()->topLevelItemCount(), 0);
}

// Each kind of node opens its menu; items whose dialog or window is not
// built yet are shown greyed.
TEST_F(MapBarTest, EachNodeHasItsMenu) {
    ASSERT_NE(openIsolines(dataPath_), nullptr);
    struct Case {
        Node kind;
        std::vector<std::string> items;
    };
    const std::vector<Case> cases = {
        {Node::MapType, {"Нарисовать...", "Mетод интерполяции..."}},
        {Node::PointSet,
         {"(Сделать активной)", "(Изолировать серию)", "Соединить точки линией",
          "Интерполировать...", "Полином регрессии...", "(Удалить полином регрессии)", "Удалить"}},
        {Node::DataSets,
         {"Загрузить новую серию...", "Добавить новую серию...", "(Выделить в новую серию)"}},
        {Node::Grid,
         {"Значения...", "Определить значающие элементы...", "Перерисовать",
          "Запись числ. данных..."}},
        {Node::Border, {"Изменить вид..", "(Удалить)"}},
        {Node::Isolines,
         {"Изменить вид..", "Вставить...", "Копировать изолинии в Линии",
          "(Копировать цветные изолинии в Линии)", "Удалить"}},
        {Node::Background, {"(Изменить вид..)", "(Загрузить...)", "(Удалить)", "(Оцифровать)"}},
        {Node::Lines,
         {"(Изменить вид..)", "Нарисовать линию", "Добавить линию", "Добавить группу",
          "Добавить текст...", "(Cохранить...)", "Импортировать линии...", "(Удалить)"}},
        {Node::Axes, {"Добавить ось...", "(Удалить)", "(Установить по умолчанию)"}},
        {Node::Root, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.kind));
        QTreeWidgetItem* item = node(c.kind);
        ASSERT_NE(item, nullptr);
        const std::unique_ptr<QMenu> menu = bar().menuFor(item);
        EXPECT_EQ(menuTexts(*menu), c.items);
    }
}

TEST_F(MapBarTest, MenusChangeTheMap) {
    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    MapModel& model = w->view().model();
    const std::size_t levels = model.isolines()->size();

    // An isoline into the lines, then away.
    QTreeWidgetItem* isoline = node(Node::Isolines)->child(0);
    auto menu = bar().menuFor(isoline);
    menuItem(*menu, "Копировать изолинии в Линии")->trigger();
    ASSERT_NE(model.objectTreeIfAny(), nullptr);
    ASSERT_EQ(model.objectTree().childCount(), 1u);
    EXPECT_EQ(model.objectTree().child(0).childCount(), 1u);  // that isoline only
    menu = bar().menuFor(node(Node::Isolines)->child(0));
    menuItem(*menu, "Удалить")->trigger();
    EXPECT_EQ(model.isolines()->size(), levels - 1);

    // A group added to the lines, and the copied group deleted.
    menu = bar().menuFor(node(Node::Lines));
    menuItem(*menu, "Добавить группу")->trigger();
    EXPECT_EQ(model.objectTree().childCount(), 2u);
    QTreeWidgetItem* copied = node(Node::Lines)->child(0);
    ASSERT_EQ(MapBar::kindOf(copied), Node::Lines);
    menu = bar().menuFor(copied);
    menuItem(*menu, "Удалить")->trigger();
    EXPECT_EQ(model.objectTree().childCount(), 1u);

    // The points joined by a line; the set deleted leaves no main set.
    menu = bar().menuFor(node(Node::DataSets)->child(0));
    menuItem(*menu, "Соединить точки линией")->trigger();
    EXPECT_EQ(model.objectTree().childCount(), 2u);
    menu = bar().menuFor(node(Node::DataSets)->child(0));
    menuItem(*menu, "Удалить")->trigger();
    EXPECT_EQ(model.mainPoints(), nullptr);
    EXPECT_EQ(node(Node::DataSets)->childCount(), 0);
}

// "Полином регрессии...": a degree or width out of range is refused with
// its message and keeps nothing; "Да" fits the points, draws the curve in
// the chosen colour and keeps the choice for the next dialog.
TEST_F(MapBarTest, TheRegressionDialogFitsAndDrawsAPolynomial) {
    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    MapModel& model = w->view().model();
    PointSet& set = *model.mainPoints();
    const gdi::ColorRef magenta = gdi::rgb(255, 0, 255);
    struct Case {
        const char* what;
        const char* degree;
        const char* width;
        int answer;
        const char* warning;  // nullptr: accepted
    };
    const Case refused[] = {
        {"degree 11", "11", "2", QDialog::Accepted,
         "Степень полинома: нужно целое число от 0 до 10"},
        {"a negative degree", "-1", "2", QDialog::Accepted,
         "Степень полинома: нужно целое число от 0 до 10"},
        {"a degree that is not a number", "two", "2", QDialog::Accepted,
         "Степень полинома: нужно целое число от 0 до 10"},
        {"a negative width", "2", "-3", QDialog::Accepted, "Ширина: нужно целое число от 0 до 20"},
        {"cancelled", "2", "3", QDialog::Rejected, nullptr},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(c.what);
        const std::size_t warnings = boxes_.warnings.size();
        answerDialogs([&](QDialog& dialog) {
            auto& d = dynamic_cast<RegressionDialog&>(dialog);
            d.degreeEdit()->setText(QString::fromUtf8(c.degree));
            d.widthEdit()->setText(QString::fromUtf8(c.width));
            return c.answer;
        });
        auto menu = bar().menuFor(node(Node::DataSets)->child(0));
        menuItem(*menu, "Полином регрессии...")->trigger();
        EXPECT_EQ(set.regression(), nullptr);
        if (c.warning) {
            ASSERT_EQ(boxes_.warnings.size(), warnings + 1);
            EXPECT_EQ(boxes_.warnings.back(), c.warning);
        } else {
            EXPECT_EQ(boxes_.warnings.size(), warnings);
        }
    }
    EXPECT_FALSE(profileText("Regression Option", "Order"));

    // The curve is drawn over the points in the chosen colour.
    const auto magentaPixels = [&] {
        settle();
        const QImage picture =
            w->mapWidget().grab().toImage().convertToFormat(QImage::Format_RGB32);
        int count = 0;
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                if (picture.pixel(x, y) == qRgb(255, 0, 255)) ++count;
            }
        }
        return count;
    };
    EXPECT_EQ(magentaPixels(), 0);
    answerDialogs([&](QDialog& dialog) {
        auto& d = dynamic_cast<RegressionDialog&>(dialog);
        d.degreeEdit()->setText(QStringLiteral("2"));
        d.widthEdit()->setText(QStringLiteral("3"));
        d.colorButton()->setColor(magenta);
        return static_cast<int>(QDialog::Accepted);
    });
    auto menu = bar().menuFor(node(Node::DataSets)->child(0));
    menuItem(*menu, "Полином регрессии...")->trigger();
    ASSERT_NE(set.regression(), nullptr);
    EXPECT_EQ(set.regression()->m(), 3);
    EXPECT_EQ(set.regression()->color, magenta);
    EXPECT_EQ(set.regression()->width, 3);
    EXPECT_EQ(profileText("Regression Option", "Order"), "2");
    EXPECT_EQ(profileText("Regression Option", "WidthLine"), "3");
    EXPECT_GT(magentaPixels(), 100);

    // The next dialog starts from the fit, and shows it.
    std::string shownDegree, shownText, shownChisq;
    answerDialogs([&](QDialog& dialog) {
        auto& d = dynamic_cast<RegressionDialog&>(dialog);
        shownDegree = d.degreeEdit()->text().toStdString();
        shownText = d.polynomialText()->text().toStdString();
        shownChisq = d.chisqText()->text().toStdString();
        EXPECT_EQ(d.colorButton()->color(), magenta);
        EXPECT_TRUE(saveScreenshot(d, "regression_dialog.png"));
        return static_cast<int>(QDialog::Rejected);
    });
    menu = bar().menuFor(node(Node::DataSets)->child(0));
    menuItem(*menu, "Полином регрессии...")->trigger();
    EXPECT_EQ(shownDegree, "2");
    EXPECT_EQ(shownText, set.regression()->text());
    EXPECT_EQ(shownChisq.rfind("chisq = ", 0), 0u);
    EXPECT_TRUE(saveScreenshot(w->mapWidget(), "regression_map.png"));

    // Removed, the curve goes.
    menu = bar().menuFor(node(Node::DataSets)->child(0));
    menuItem(*menu, "Удалить полином регрессии")->trigger();
    EXPECT_EQ(set.regression(), nullptr);
    EXPECT_EQ(magentaPixels(), 0);
    setDialogRunner(nullptr);
}

// "Цвет блоков..." under "Цветные ячейки" asks the colour dialog, starting
// at the cells' colour; the grid takes the colour chosen.
TEST_F(MapBarTest, TheCellColourComesFromTheColourDialog) {
    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    QTreeWidgetItem* maps = node(Node::Maps);
    QTreeWidgetItem* cells = nullptr;
    for (int k = 0; k < maps->childCount(); ++k) {
        if (maps->child(k)->text(0) == QStringLiteral("Цветные ячейки")) cells = maps->child(k);
    }
    ASSERT_NE(cells, nullptr);
    w->view().model().grid()->cellColor = gdi::rgb(1, 2, 3);
    QColor started;
    answerDialogs([&](QDialog& dialog) {
        auto& colours = dynamic_cast<QColorDialog&>(dialog);
        started = colours.currentColor();
        colours.setCurrentColor(QColor(200, 100, 50));
        return static_cast<int>(QDialog::Accepted);
    });
    auto menu = bar().menuFor(cells);
    menuItem(*menu, "Цвет блоков...")->trigger();
    EXPECT_EQ(started, QColor(1, 2, 3));
    EXPECT_EQ(w->view().model().grid()->cellColor, gdi::rgb(200, 100, 50));
}

// "Записать треугольники" under "Сеть треугольников" writes the Delaunay
// network of the points in the TRIANGLES layout; it reads back with every
// vertex exact.
TEST_F(MapBarTest, TheTriangleNetworkIsWrittenAsATrianglesFile) {
    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    QTreeWidgetItem* maps = node(Node::Maps);
    QTreeWidgetItem* network = nullptr;
    for (int k = 0; k < maps->childCount(); ++k) {
        if (maps->child(k)->text(0) == QStringLiteral("Сеть треугольников"))
            network = maps->child(k);
    }
    ASSERT_NE(network, nullptr);
    const std::string path = inTestDir("network.txt");
    chooser_.paths = {path};
    auto menu = bar().menuFor(network);
    QAction* write = menuItem(*menu, "Записать треугольники");
    ASSERT_NE(write, nullptr);
    ASSERT_TRUE(write->isEnabled());
    write->trigger();
    EXPECT_EQ(chooser_.requests.back().extension, "txt");
    TriangleNetwork back;
    ASSERT_EQ(readTriangles(path, back), 0);
    const PointSet& points = *w->view().model().mainPoints();
    ASSERT_EQ(back.vertexCount(), static_cast<std::int32_t>(points.size()));
    for (std::size_t k = 0; k < points.size(); ++k) {
        EXPECT_EQ(back.xy[2 * k], points.points()[k].x);
        EXPECT_EQ(back.xy[2 * k + 1], points.points()[k].y);
        EXPECT_EQ(back.values[k], points.points()[k].value.value);
    }
    // A triangulation of n points, h of them on the hull's boundary, has
    // 2n − 2 − h triangles. Here n = 30 and h = 15: the bottom and top rows
    // (6 each), (0, 24) on the left edge, (53, 12) and (53, 36) on the right.
    EXPECT_EQ(back.triangleCount(), 43);
    ASSERT_GT(back.triangleCount(), 0);
    for (std::int32_t corner : back.corners) {
        EXPECT_GE(corner, 1);
        EXPECT_LE(corner, back.vertexCount());
    }
}

// "Полигоны точек" under "Сетка": "Нарисовать..." builds the polygons around
// the points over the grid and draws them; the area report gives each point
// its polygon's area (they add up to the grid's extent), the volume report
// the grid's volume over it (they add up to the grid's volume); the
// polygons copy to the lines and go.
TEST_F(MapBarTest, PolygonsAroundThePointsGiveAreasAndVolumes) {
    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    MapModel& model = w->view().model();
    const EqNet& grid = *model.grid();
    ASSERT_TRUE(grid.hasValues());
    QTreeWidgetItem* polygons = node(Node::PointPolygons);
    ASSERT_NE(polygons, nullptr);
    EXPECT_EQ(polygons->text(0).toStdString(), "Полигоны точек");
    auto menu = bar().menuFor(polygons);
    EXPECT_EQ(menuTexts(*menu), (std::vector<std::string>{"Нарисовать...", "(Копировать в Линии)",
                                                          "(Записать площади...)",
                                                          "(Записать объемы...)", "(Удалить)"}));
    menuItem(*menu, "Нарисовать...")->trigger();
    ASSERT_NE(grid.pointPolygons, nullptr);
    ASSERT_EQ(grid.pointPolygons->size(), 30u);
    settle();
    const QImage picture = w->mapWidget().grab().toImage().convertToFormat(QImage::Format_RGB32);
    int drawn = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x)
            drawn += picture.pixel(x, y) == qRgb(90, 110, 160);
    }
    EXPECT_GT(drawn, 200);
    EXPECT_TRUE(saveScreenshot(w->mapWidget(), "point_polygons.png"));

    const auto reportSum = [&](const char* item, const std::string& name) {
        const std::string path = inTestDir(name);
        chooser_.paths = {path};
        auto m = bar().menuFor(node(Node::PointPolygons));
        menuItem(*m, item)->trigger();
        DataTable table;
        table.readFile(path);
        PointSet read;
        read.buildFromTable(table);
        EXPECT_EQ(read.size(), 30u);
        double sum = 0;
        for (const DataPoint& p : read.points()) sum += p.value.value;
        return sum;
    };
    const DRect& e = grid.extent();
    EXPECT_NEAR(reportSum("Записать площади...", "areas.txt"),
                (e.maxX - e.minX) * (e.maxY - e.minY),
                1e-9 * (e.maxX - e.minX) * (e.maxY - e.minY));
    // The grid's volume: each node inside the area, its value times its
    // share of the cells beside it.
    double volume = 0;
    const std::vector<double>& sx = grid.stepX();
    const std::vector<double>& sy = grid.stepY();
    for (int j = 0; j < grid.ny(); ++j) {
        for (int i = 0; i < grid.nx(); ++i) {
            const auto ui = static_cast<std::size_t>(i), uj = static_cast<std::size_t>(j);
            const double wx = ((i > 0 ? sx[ui - 1] : 0) + (i < grid.nx() - 1 ? sx[ui] : 0)) / 2;
            const double wy = ((j > 0 ? sy[uj - 1] : 0) + (j < grid.ny() - 1 ? sy[uj] : 0)) / 2;
            const std::size_t node = ui + uj * static_cast<std::size_t>(grid.nx());
            if (grid.mask()[node] != 0) volume += grid.values()[node] * wx * wy;
        }
    }
    EXPECT_NEAR(reportSum("Записать объемы...", "volumes.txt"), volume, 0.01 * std::fabs(volume));

    menu = bar().menuFor(node(Node::PointPolygons));
    menuItem(*menu, "Копировать в Линии")->trigger();
    ASSERT_NE(model.objectTreeIfAny(), nullptr);
    EXPECT_EQ(model.objectTree().child(0).itemCount(), 30u);
    menu = bar().menuFor(node(Node::PointPolygons));
    menuItem(*menu, "Удалить")->trigger();
    EXPECT_EQ(grid.pointPolygons, nullptr);
}

// A series from a file: added, or loaded as the main set.
TEST_F(MapBarTest, SeriesFromDataFiles) {
    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    MapModel& model = w->view().model();
    PointSet* first = model.mainPoints();
    chooser_.paths = {testing::writeFile("more.dat", "1 1 5\n2 3 6\n"),
                      testing::writeFile("main.dat", "5 5 1\n6 7 2\n8 1 3\n")};
    auto menu = bar().menuFor(node(Node::DataSets));
    menuItem(*menu, "Добавить новую серию...")->trigger();
    ASSERT_EQ(model.pointTree().pointSets().size(), 2u);
    EXPECT_EQ(model.mainPoints(), first);
    EXPECT_EQ(chooser_.requests.back().extension, "dat");
    menu = bar().menuFor(node(Node::DataSets));
    menuItem(*menu, "Загрузить новую серию...")->trigger();
    ASSERT_EQ(model.pointTree().pointSets().size(), 3u);
    ASSERT_NE(model.mainPoints(), nullptr);
    EXPECT_EQ(model.mainPoints()->size(), 3u);
    EXPECT_EQ(w->document().tables().size(), 3u);

    // A double click on a set makes it the main set; on a map type, draws it.
    bar().activate(node(Node::DataSets)->child(0));
    EXPECT_EQ(model.mainPoints(), first);
    bar().activate(node(Node::Maps)->child(3));  // "Цветные ячейки"
    EXPECT_EQ(model.settings.mapType, MapType::ColorCells);
}

// A line double-clicked in the map is selected in the bar.
TEST_F(MapBarTest, ALineOfTheMapIsSelectedInTheBar) {
    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    BushItem& line = w->view().model().addLine(Line({{1, 1}, {20, 20}}));
    w->view().markChanged();
    settle();
    w->selectLine(w->view(), line);
    QTreeWidgetItem* current = bar().tree()->currentItem();
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(MapBar::kindOf(current), Node::Line);
}

// "Добавить линию" on a group: the line drawn next joins that group
// instead of a new group of its own.
TEST_F(MapBarTest, AddedLinesJoinTheirGroup) {
    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    MapModel& model = w->view().model();
    Bush& group = *model.addGroup(model.objectTree());
    w->view().markChanged();
    QTreeWidgetItem* groupNode = node(Node::Lines)->child(0);
    ASSERT_EQ(MapBar::kindOf(groupNode), Node::Lines);
    auto menu = bar().menuFor(groupNode);
    menuItem(*menu, "Добавить линию")->trigger();
    ASSERT_TRUE(w->view().lineDrawing());
    const gdi::Rect map = w->view().mapRect();
    QTest::mouseClick(&w->mapWidget(), Qt::LeftButton, {}, QPoint(map.left + 20, map.top + 20));
    QTest::mouseClick(&w->mapWidget(), Qt::LeftButton, {}, QPoint(map.left + 90, map.top + 60));
    settle();
    ASSERT_TRUE(w->view().run(MapCommand::DrawLine));
    EXPECT_EQ(model.objectTree().childCount(), 1u);
    ASSERT_EQ(group.itemCount(), 1u);
    EXPECT_EQ(group.item(0).line()->size(), 2u);

    // The next line drawn with the ordinary command makes its own group.
    ASSERT_TRUE(w->view().run(MapCommand::DrawLine));
    QTest::mouseClick(&w->mapWidget(), Qt::LeftButton, {}, QPoint(map.left + 30, map.top + 30));
    QTest::mouseClick(&w->mapWidget(), Qt::LeftButton, {}, QPoint(map.left + 80, map.top + 90));
    settle();
    ASSERT_TRUE(w->view().run(MapCommand::DrawLine));
    EXPECT_EQ(model.objectTree().childCount(), 2u);
    EXPECT_EQ(group.itemCount(), 1u);
}

// Where the bar docks and whether it shows come from the profile, and the
// menu item shows and hides it.
TEST_F(MapBarTest, PlaceAndVisibilityFromTheProfile) {
    EXPECT_EQ(window_->dockWidgetArea(&bar()), Qt::LeftDockWidgetArea);
    EXPECT_TRUE(bar().isVisible());

    writeProfileInt(MapBar::kSection, "Docking", MapBar::kDockRight);
    makeWindow();
    EXPECT_EQ(window_->dockWidgetArea(&bar()), Qt::RightDockWidgetArea);
    EXPECT_EQ(bar().dockingValue(), MapBar::kDockRight);

    writeProfileInt(MapBar::kSection, "Docking", 0);
    makeWindow();
    EXPECT_TRUE(bar().isFloating());

    writeProfileInt(MapBar::kSection, "Docking", MapBar::kDockLeft);
    writeProfileInt(MapBar::kSection, "Visible", 0);
    makeWindow();
    EXPECT_FALSE(bar().isVisible());
    window_->refreshActions();
    QAction* toggle = window_->actionFor(FrameCommand::MapBar);
    EXPECT_FALSE(toggle->isChecked());
    toggle->trigger();
    settle();
    EXPECT_TRUE(bar().isVisible());
    EXPECT_TRUE(toggle->isChecked());
    std::int32_t visible = -1;
    readProfileInt(MapBar::kSection, "Visible", visible);
    EXPECT_EQ(visible, 1);
}

// "Значения..." on the grid opens the node window: a click on the map picks
// the nearest node and the window shows its column, row and value; closing
// it ends the picking.
TEST_F(MapBarTest, TheNodeWindowShowsTheClickedNode) {
    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    auto menu = bar().menuFor(node(Node::Grid));
    menuItem(*menu, "Значения...")->trigger();
    settle();
    NodeWindow* nodes = w->nodeWindow();
    ASSERT_NE(nodes, nullptr);
    EXPECT_TRUE(nodes->isVisible());
    EXPECT_EQ(nodes->windowTitle().toStdString(), "Узел сетки");
    EXPECT_EQ(nodes->shownText().toStdString(), "Щёлкните узел на карте");
    EXPECT_TRUE(w->view().nodePicking().open);

    const gdi::Rect map = w->view().mapRect();
    QTest::mouseClick(&w->mapWidget(), Qt::LeftButton, {},
                      QPoint((map.left + map.right) / 2, (map.top + map.bottom) / 2));
    settle();
    const auto picked = w->view().pickedNode();
    ASSERT_TRUE(picked.has_value());
    const std::string expected = "Столбец " + std::to_string(picked->column) + "  Строка " +
                                 std::to_string(picked->rowFromTop) + "  Значение " +
                                 coordinateNumber(picked->value);
    EXPECT_EQ(nodes->shownText().toStdString(), expected);
    // The middle of a 102 × 102 grid.
    EXPECT_NEAR(picked->column, 51, 2);
    EXPECT_NEAR(picked->rowFromTop, 51, 2);

    nodes->close();
    settle();
    EXPECT_FALSE(w->view().nodePicking().open);
    EXPECT_FALSE(w->view().pickedNode().has_value());
}

// Space and Backspace in the map step through the map bar's items; Enter
// takes the typed point while a line is being entered.
TEST_F(MapBarTest, KeysOfTheMapStepThroughTheBar) {
    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    settle();
    w->mapWidget().setFocus();
    QTest::keyClick(&w->mapWidget(), Qt::Key_Space);
    ASSERT_NE(bar().tree()->currentItem(), nullptr);
    EXPECT_EQ(MapBar::kindOf(bar().tree()->currentItem()), Node::Root);
    QTest::keyClick(&w->mapWidget(), Qt::Key_Space);
    EXPECT_EQ(MapBar::kindOf(bar().tree()->currentItem()), Node::Maps);
    QTest::keyClick(&w->mapWidget(), Qt::Key_Space);
    EXPECT_EQ(MapBar::kindOf(bar().tree()->currentItem()), Node::MapType);
    QTest::keyClick(&w->mapWidget(), Qt::Key_Backspace);
    EXPECT_EQ(MapBar::kindOf(bar().tree()->currentItem()), Node::Maps);

    window_->actionFor(MapCommand::DrawLine)->trigger();
    settle();
    ASSERT_NE(w->coordinateWindow(), nullptr);
    w->coordinateWindow()->xEdit()->setText(QStringLiteral("5"));
    w->coordinateWindow()->yEdit()->setText(QStringLiteral("6"));
    QTest::keyClick(&w->mapWidget(), Qt::Key_Return);
    ASSERT_NE(w->view().enteredLine(), nullptr);
    ASSERT_EQ(w->view().enteredLine()->size(), 1u);
    EXPECT_EQ(w->view().enteredLine()->points()[0].x, 5.0);
}

// "Определить значающие элементы...": the nodes whose value fails the
// comparison go out of the map, after every build; a value that is not a
// number is refused.
TEST_F(MapBarTest, TheFilterDialogKeepsTheNodesThatMeetTheComparison) {
    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    answerDialogs([](QDialog& dialog) {
        auto& filter = dynamic_cast<FilterDialog&>(dialog);
        EXPECT_TRUE(filter.onBox()->isChecked());
        EXPECT_EQ(filter.signList()->currentText().toStdString(), ">");
        filter.valueEdit()->setText(QStringLiteral("ten"));
        return static_cast<int>(QDialog::Accepted);
    });
    auto menu = bar().menuFor(node(Node::Grid));
    menuItem(*menu, "Определить значающие элементы...")->trigger();
    EXPECT_EQ(w->view().model().grid()->filterOn, 0);  // refused
    ASSERT_FALSE(boxes_.warnings.empty());
    EXPECT_EQ(boxes_.warnings.back(), "Значение: нужно число");

    answerDialogs([](QDialog& dialog) {
        auto& filter = dynamic_cast<FilterDialog&>(dialog);
        filter.signList()->setCurrentIndex(3);  // ">="
        filter.valueEdit()->setText(QStringLiteral("40"));
        filter.defaultBox()->setChecked(true);
        return static_cast<int>(QDialog::Accepted);
    });
    menu = bar().menuFor(node(Node::Grid));
    menuItem(*menu, "Определить значающие элементы...")->trigger();
    setDialogRunner({});
    const EqNet& grid = *w->view().model().grid();
    EXPECT_EQ(grid.filterOn, 1);
    EXPECT_EQ(grid.filterSign, 3);
    std::size_t kept = 0, dropped = 0;
    for (std::size_t k = 0; k < grid.values().size(); ++k) {
        if (grid.mask()[k] == 0) {
            ++dropped;
            continue;
        }
        ++kept;
        EXPECT_GE(grid.values()[k], 40.0) << k;
    }
    // The plane runs from 0 to 73: both kinds of node exist.
    EXPECT_GT(kept, 0u);
    EXPECT_GT(dropped, 0u);
    std::int32_t stored = -1;
    readProfileInt("Grid", "Filter Sign", stored);
    EXPECT_EQ(stored, 3);
}

}  // namespace
}  // namespace gridova
