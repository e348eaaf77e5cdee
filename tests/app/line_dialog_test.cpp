// The line dialog "Изменить вид линии" from the map bar: only the changed
// fields reach the lines, a group's lines keep their own names and
// colours, "Все линии" styles the whole tree, the changes become the
// defaults for new lines; its sums and its preview.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSpinBox>
#include <QTreeWidget>
#include <functional>
#include <string>
#include <vector>

#include "app/dialogs/isoline_list_dialog.h"
#include "app/dialogs/line_dialog.h"
#include "app/map_bar.h"
#include "render/map_widget.h"
#include "tests/app/main_window_fixtures.h"

namespace gridova {
namespace {

using namespace apptest;
using Node = MapBar::Node;

constexpr std::int32_t kRed = static_cast<std::int32_t>(gdi::rgb(255, 0, 0));
constexpr std::int32_t kBlue = static_cast<std::int32_t>(gdi::rgb(0, 0, 255));
constexpr std::int32_t kGreen = static_cast<std::int32_t>(gdi::rgb(0, 128, 0));

void selectData(QComboBox& list, int value) {
    const int k = list.findData(value);
    ASSERT_GE(k, 0) << value;
    list.setCurrentIndex(k);
}

class LineDialogTest : public MainWindowTest {
protected:
    // A group "Участок" of the object tree: a red filled square 10..40 and
    // a blue open line of length 5.
    MapWindow* openWithLines() {
        MapWindow* w = openFreshMap(1);
        if (w == nullptr) return nullptr;
        Bush& tree = w->view().model().objectTree();
        Bush& group = tree.addChild(std::make_unique<Bush>());
        Line square({{10, 10}, {40, 10}, {40, 40}, {10, 40}, {10, 10}});
        square.name = "Пруд";
        square.style.colorLine = kRed;
        square.style.typeDraw = LineStyle::kFilled;
        square.style.fillColor = kRed;
        group.addItem(BushItem(std::move(square)));
        Line open({{0, 0}, {3, 4}});
        open.name = "Канава";
        open.style.colorLine = kBlue;
        group.addItem(BushItem(std::move(open)));
        w->view().markChanged();
        settle();
        return w;
    }
    static Bush& group(MapWindow* w) { return w->view().model().objectTree().child(0); }
    static Line& lineOf(MapWindow* w, std::size_t k) { return *group(w).item(k).line(); }
    QTreeWidgetItem* groupNode() {
        settle();
        return window_->mapBar()->findNode(Node::Lines)->child(0);
    }
    // "Изменить вид.." of the node, the dialog answered by `fill`.
    void changeLook(QTreeWidgetItem* node, const std::function<void(LineDialog&)>& fill) {
        answerDialogs([&](QDialog& dialog) {
            if (auto* colors = dynamic_cast<QColorDialog*>(&dialog)) {
                colors->setCurrentColor(QColor(10, 20, 30));
                return static_cast<int>(QDialog::Accepted);
            }
            fill(dynamic_cast<LineDialog&>(dialog));
            return static_cast<int>(QDialog::Accepted);
        });
        auto menu = window_->mapBar()->menuFor(node);
        QAction* look = menuItem(*menu, "Изменить вид..");
        if (look == nullptr) look = menuItem(*menu, "Изменить вид...");
        ASSERT_NE(look, nullptr);
        ASSERT_TRUE(look->isEnabled());
        look->trigger();
        settle();
    }
};

// Each case changes some fields of one line or of the group; the other
// fields, and the other lines, keep theirs.
TEST_F(LineDialogTest, OnlyTheChangedFieldsReachTheLines) {
    struct Case {
        const char* name;
        bool wholeGroup;  // the group's node, else the square's
        std::function<void(LineDialog&)> fill;
        std::function<void(MapWindow*)> check;
    };
    const std::vector<Case> cases{
        {"the square's width and colour", false,
         [](LineDialog& d) {
             d.widthBox()->setValue(3);
             selectData(*d.colorList(), kBlue);
         },
         [](MapWindow* w) {
             const Line& square = lineOf(w, 0);
             EXPECT_EQ(square.style.widthLine, 3);
             EXPECT_EQ(square.style.colorLine, kBlue);
             EXPECT_EQ(square.style.fillColor, kRed);  // untouched
             EXPECT_EQ(square.style.typeDraw, LineStyle::kFilled);
             EXPECT_EQ(lineOf(w, 1).style.widthLine, 0);  // the other line
             EXPECT_EQ(profileText("Line Option", "WidthLine"), "3");
             EXPECT_EQ(profileText("Line Option", "ColorLine"), std::to_string(kBlue));
             EXPECT_EQ(profileText("Line Option", "TypeDraw"), std::nullopt);
         }},
        {"the group's hatch: each line keeps its colour and name", true,
         [](LineDialog& d) {
             selectData(*d.fillList(), LineStyle::kHatched);
             selectData(*d.hatchList(), 4);
             d.nameEdit()->setText(QStringLiteral("Общее"));
         },
         [](MapWindow* w) {
             for (std::size_t k = 0; k < 2; ++k) {
                 EXPECT_EQ(lineOf(w, k).style.typeDraw, LineStyle::kHatched);
                 EXPECT_EQ(lineOf(w, k).style.hatch, 4);
             }
             EXPECT_EQ(lineOf(w, 0).style.colorLine, kRed);
             EXPECT_EQ(lineOf(w, 1).style.colorLine, kBlue);
             EXPECT_EQ(lineOf(w, 0).name, "Пруд");
             EXPECT_EQ(lineOf(w, 1).name, "Канава");
             EXPECT_EQ(profileText("Line Option", "TypeDraw"), "3");
         }},
        {"Все линии: the square's style for every line", false,
         [](LineDialog& d) {
             selectData(*d.fillColorList(), kGreen);
             d.allBox()->setChecked(true);
         },
         [](MapWindow* w) {
             EXPECT_EQ(lineOf(w, 0).style.fillColor, kGreen);
             EXPECT_EQ(lineOf(w, 1).style, lineOf(w, 0).style);
             EXPECT_EQ(lineOf(w, 1).name, "Канава");
         }},
        {"a colour of its own through Другой...", false,
         [](LineDialog& d) {
             QComboBox& list = *d.patternColorList();
             const int other = list.findText(QStringLiteral("Другой..."));
             ASSERT_GE(other, 0);
             list.setCurrentIndex(other);
             emit list.activated(other);
         },
         [](MapWindow* w) {
             EXPECT_EQ(lineOf(w, 0).style.patternColor,
                       static_cast<std::int32_t>(gdi::rgb(10, 20, 30)));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        removeProfileSection("Line Option");
        MapWindow* w = openWithLines();
        ASSERT_NE(w, nullptr);
        QTreeWidgetItem* node = c.wholeGroup ? groupNode() : groupNode()->child(0);
        ASSERT_EQ(MapBar::kindOf(node), c.wholeGroup ? Node::Lines : Node::Line);
        changeLook(node, c.fill);
        c.check(w);
        w->close();
        settle();
    }
}

// Untouched fields are no changes: a cancelled "Другой..." keeps the
// colour shown before it, and styles the lists lack (a null pen, a width
// beyond the spin box's range) are shown as they are.
TEST_F(LineDialogTest, UntouchedFieldsChangeNothing) {
    Line odd({{0, 0}, {5, 5}});
    odd.style.colorLine = kBlue;
    odd.style.penStyle = 5;
    odd.style.widthLine = 80;
    odd.style.hatch = 9;
    setDialogRunner([](QDialog& dialog) {
        EXPECT_NE(dynamic_cast<QColorDialog*>(&dialog), nullptr);
        return static_cast<int>(QDialog::Rejected);
    });
    LineDialog dialog({&odd}, nullptr, nullptr);
    QComboBox& list = *dialog.colorList();
    const int other = list.findText(QStringLiteral("Другой..."));
    list.setCurrentIndex(other);
    emit list.activated(other);
    EXPECT_EQ(list.currentData().toInt(), kBlue);
    const LineLook look = dialog.look();
    EXPECT_FALSE(look.anyChanged());
    EXPECT_EQ(look.style, odd.style);
}

// A renamed line names the next drawn line; the names typed and the value
// assigned stay with the line.
TEST_F(LineDialogTest, TheNameBecomesTheDefaultForNewLines) {
    MapWindow* w = openWithLines();
    ASSERT_NE(w, nullptr);
    changeLook(groupNode()->child(1),
               [](LineDialog& d) { d.nameEdit()->setText(QStringLiteral("Дренаж")); });
    EXPECT_EQ(lineOf(w, 1).name, "Дренаж");
    EXPECT_EQ(profileText("Line Option", "DefaultLineName"), "Дренаж");

    ASSERT_TRUE(w->view().run(MapCommand::DrawLine));
    const gdi::Rect map = w->view().mapRect();
    QTest::mouseClick(&w->mapWidget(), Qt::LeftButton, {}, QPoint(map.left + 20, map.top + 20));
    QTest::mouseClick(&w->mapWidget(), Qt::LeftButton, {}, QPoint(map.right - 20, map.bottom - 20));
    settle();
    ASSERT_TRUE(w->view().run(MapCommand::DrawLine));
    Bush& tree = w->view().model().objectTree();
    const Bush& drawn = tree.child(tree.childCount() - 1);
    ASSERT_EQ(drawn.itemCount(), 1u);
    EXPECT_EQ(drawn.item(0).line()->name, "Дренаж");

    // "Присвоить значение...".
    answerDialogs([](QDialog& dialog) {
        dynamic_cast<IsolineValueDialog&>(dialog).newEdit()->setText(QStringLiteral("12.5"));
        return static_cast<int>(QDialog::Accepted);
    });
    auto menu = window_->mapBar()->menuFor(groupNode()->child(1));
    menuItem(*menu, "Присвоить значение...")->trigger();
    EXPECT_EQ(lineOf(w, 1).value, 12.5);
}

// L, S and V: the square 30 × 30 over the plane v = x / 2 + y has length
// 120, area 900 and a volume near 900 · (25 / 2 + 25) = 33750; the open
// line has a length and no area.
TEST_F(LineDialogTest, TheDialogShowsLengthAreaAndVolume) {
    MapWindow* w = openWithLines();
    ASSERT_NE(w, nullptr);
    const EqNet* grid = w->view().model().grid();
    ASSERT_NE(grid, nullptr);
    ASSERT_TRUE(grid->hasValues());
    LineDialog square({&lineOf(w, 0)}, grid, nullptr);
    EXPECT_EQ(square.lengthText()->text().toStdString(), "L = 120");
    EXPECT_EQ(square.areaText()->text().toStdString(), "S = 900");
    const std::string v = square.volumeText()->text().toStdString();
    ASSERT_EQ(v.rfind("V = ", 0), 0u) << v;
    EXPECT_NEAR(std::stod(v.substr(4)), 33750, 0.1 * 33750);

    LineDialog open({&lineOf(w, 1)}, grid, nullptr);
    EXPECT_EQ(open.lengthText()->text().toStdString(), "L = 5");
    EXPECT_TRUE(open.areaText()->text().isEmpty());
    EXPECT_TRUE(open.volumeText()->text().isEmpty());
}

// The preview follows the fields: the filled square is red inside until
// the fill is taken away, and the outline keeps its colour on the edge.
TEST_F(LineDialogTest, ThePreviewDrawsTheLineInTheFieldsStyle) {
    Line square({{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}});
    square.style.typeDraw = LineStyle::kFilled;
    square.style.fillColor = kRed;
    square.style.colorLine = kBlue;
    square.style.widthLine = 3;
    LineDialog dialog({&square}, nullptr, nullptr);
    const auto centre = [&dialog] {
        const QImage p = dialog.preview()->pixmap().toImage();
        return p.pixel(p.width() / 2, p.height() / 2) & 0xffffff;
    };
    EXPECT_EQ(centre(), 0xff0000u);
    selectData(*dialog.fillList(), LineStyle::kOutline);
    EXPECT_EQ(centre(), 0xffffffu);
    selectData(*dialog.fillList(), LineStyle::kFilled);
    selectData(*dialog.fillColorList(), kGreen);
    EXPECT_EQ(centre(), 0x008000u);
    // The outline: blue pixels along the middle row.
    const QImage p = dialog.preview()->pixmap().toImage();
    int blue = 0;
    for (int x = 0; x < p.width(); ++x) blue += (p.pixel(x, p.height() / 2) & 0xffffff) == 0x0000ff;
    EXPECT_GE(blue, 2);
    EXPECT_TRUE(saveScreenshot(dialog, "line_dialog.png"));
}

}  // namespace
}  // namespace gridova
