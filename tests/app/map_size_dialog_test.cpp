// The map-size dialog "Размеры карты": page sizes of the paper formats,
// the margins held to the paper, the two ways of printing over pages, the
// refusals, and what "Да" gives the view and the profile.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <functional>
#include <string>
#include <vector>

#include "app/dialogs/map_size_dialog.h"
#include "tests/app/main_window_fixtures.h"

namespace gridova {
namespace {

using namespace apptest;
using Side = MapSizeDialog::Side;

MapSizeSettings defaults() {
    MapSizeSettings s;
    s.pixelMargins = {2, 2, 2, 2};
    return s;
}

ScreenMetrics screen96() {
    ScreenMetrics screen;  // 96 pixels per inch, 1920 × 1080
    return screen;
}

std::string shownSize(const MapSizeDialog& d) {
    return d.widthEdit()->text().toStdString() + "x" + d.heightEdit()->text().toStdString();
}

class MapSizeDialogTest : public MainWindowTest {};

// Page sizes at 96 pixels per inch with the default paper margins (0.1 on
// the left, 0.07 elsewhere): A4 is 8.268 × 11.693 in, so 96 · 0.83 · 8.268
// = 658 and 96 · 0.86 · 11.693 = 965 pixels.
TEST_F(MapSizeDialogTest, TheFormatGivesThePageSize) {
    struct Case {
        const char* name;
        std::function<void(MapSizeDialog&)> set;
        std::string size;
        bool typed;  // the size fields are open for typing
    };
    const std::vector<Case> cases{
        {"A4 portrait", [](MapSizeDialog& d) { d.formatList()->setCurrentIndex(1); }, "658x965",
         false},
        {"A4 landscape: the sides exchanged",
         [](MapSizeDialog& d) {
             d.formatList()->setCurrentIndex(1);
             d.landscapeButton()->setChecked(true);
         },
         "965x658", false},
        {"Letter, no margins: 8.5 × 11 in",
         [](MapSizeDialog& d) {
             d.formatList()->setCurrentIndex(6);
             for (Side s : {Side::Left, Side::Right, Side::Top, Side::Bottom}) {
                 d.paperEdit(s)->setText(QStringLiteral("0"));
                 emit d.paperEdit(s)->editingFinished();
             }
         },
         "816x1056", false},
        {"the screen, landscape or not",
         [](MapSizeDialog& d) {
             d.formatList()->setCurrentIndex(10);
             d.landscapeButton()->setChecked(true);
         },
         "1920x1080", false},
        {"pixels: the size stays as typed",
         [](MapSizeDialog& d) { d.formatList()->setCurrentIndex(0); }, "800x800", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MapSizeDialog dialog(defaults(), true, screen96(), nullptr);
        c.set(dialog);
        EXPECT_EQ(shownSize(dialog), c.size);
        EXPECT_EQ(dialog.widthEdit()->isEnabled(), c.typed);
    }
}

// A right margin larger than what the left one leaves is held to it, and
// the page then has no width: "Да" refuses it.
TEST_F(MapSizeDialogTest, ARightMarginIsHeldToWhatTheLeftLeaves) {
    MapSizeDialog dialog(defaults(), true, screen96(), nullptr);
    dialog.formatList()->setCurrentIndex(1);
    dialog.paperEdit(Side::Right)->setText(QStringLiteral("0.95"));
    emit dialog.paperEdit(Side::Right)->editingFinished();
    EXPECT_EQ(dialog.paperEdit(Side::Right)->text().toStdString(), "0.9");
    EXPECT_EQ(dialog.widthEdit()->text().toStdString(), "0");
    EXPECT_FALSE(dialog.settings().has_value());
    ASSERT_FALSE(boxes_.warnings.empty());
    EXPECT_EQ(boxes_.warnings.back(), "Ширина: нужно целое число от 1 до 32767");
}

// Applying one way of printing over pages switches the other off; the
// overlaps are open while one of them is applied, the Y units only when
// the aspect ratio is free.
TEST_F(MapSizeDialogTest, TheTwoWaysOfPrintingOverPagesExcludeEachOther) {
    for (const bool locked : {true, false}) {
        SCOPED_TRACE(locked ? "aspect locked" : "aspect free");
        MapSizeDialog d(defaults(), locked, screen96(), nullptr);
        EXPECT_FALSE(d.overlapEdit(Side::Left)->isEnabled());
        EXPECT_FALSE(d.acrossBox()->isEnabled());
        d.multiPageBox()->setChecked(true);
        EXPECT_TRUE(d.acrossBox()->isEnabled());
        EXPECT_TRUE(d.overlapEdit(Side::Left)->isEnabled());
        EXPECT_FALSE(d.unitsXEdit()->isEnabled());
        d.scaleBox()->setChecked(true);
        EXPECT_FALSE(d.multiPageBox()->isChecked());
        EXPECT_FALSE(d.acrossBox()->isEnabled());
        EXPECT_TRUE(d.unitsXEdit()->isEnabled());
        EXPECT_EQ(d.unitsYEdit()->isEnabled(), !locked);
        EXPECT_TRUE(d.overlapEdit(Side::Left)->isEnabled());
        EXPECT_EQ(d.unitsLabel()->text().toStdString(), "Единиц на дюйм");
        d.unitList()->setCurrentIndex(1);
        EXPECT_EQ(d.unitsLabel()->text().toStdString(), "Единиц на см");
    }
}

TEST_F(MapSizeDialogTest, FieldsOutOfRangeAreRefused) {
    struct Case {
        const char* name;
        std::function<void(MapSizeDialog&)> set;
        std::string warning;
    };
    const std::vector<Case> cases{
        {"a negative screen margin",
         [](MapSizeDialog& d) { d.pixelEdit(Side::Left)->setText(QStringLiteral("-1")); },
         "Pixels Слева: нужно целое число от 0 до 1000"},
        {"a paper margin above 1",
         [](MapSizeDialog& d) { d.paperEdit(Side::Top)->setText(QStringLiteral("2")); },
         "Стр Сверху: нужно число от 0 до 1"},
        {"an overlap that is not a number",
         [](MapSizeDialog& d) {
             d.multiPageBox()->setChecked(true);
             d.overlapEdit(Side::Bottom)->setText(QStringLiteral("чуть"));
         },
         "Накладка Снизу: нужно число от 0 до 1"},
        {"a typed width of 0",
         [](MapSizeDialog& d) {
             d.formatList()->setCurrentIndex(0);
             d.widthEdit()->setText(QStringLiteral("0"));
         },
         "Ширина: нужно целое число от 1 до 32767"},
        {"map units per inch of 0",
         [](MapSizeDialog& d) {
             d.scaleBox()->setChecked(true);
             d.unitsXEdit()->setText(QStringLiteral("0"));
         },
         "X: нужно положительное число"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        boxes_.warnings.clear();
        MapSizeDialog dialog(defaults(), true, screen96(), nullptr);
        c.set(dialog);
        EXPECT_FALSE(dialog.settings().has_value());
        ASSERT_FALSE(boxes_.warnings.empty());
        EXPECT_EQ(boxes_.warnings.back(), c.warning);
    }
}

// "Размер карты...": "Да" gives the view the page, the margins and the
// printing settings, keeps them in the profile, and the map's pictures
// take the page size.
TEST_F(MapSizeDialogTest, TheMapTakesTheSettings) {
    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    std::string typedSize;
    answerDialogs([&](QDialog& dialog) {
        auto& d = dynamic_cast<MapSizeDialog&>(dialog);
        d.formatList()->setCurrentIndex(1);
        d.landscapeButton()->setChecked(true);
        EXPECT_TRUE(saveScreenshot(d, "map_size_dialog.png"));
        d.formatList()->setCurrentIndex(0);
        d.widthEdit()->setText(QStringLiteral("640"));
        d.heightEdit()->setText(QStringLiteral("480"));
        d.pixelEdit(Side::Left)->setText(QStringLiteral("10"));
        d.paperEdit(Side::Left)->setText(QStringLiteral("0.2"));
        d.scaleBox()->setChecked(true);
        d.unitsXEdit()->setText(QStringLiteral("1000"));
        d.unitList()->setCurrentIndex(1);
        d.overlapEdit(Side::Right)->setText(QStringLiteral("0.05"));
        return static_cast<int>(QDialog::Accepted);
    });
    ASSERT_TRUE(window_->actionFor(MapCommand::MapSize)->isEnabled());
    w->view().model().mapChanged = false;
    window_->actionFor(MapCommand::MapSize)->trigger();
    CVexaView& view = w->view();
    EXPECT_TRUE(view.model().mapChanged);  // the page is kept in the document
    EXPECT_EQ(view.canvas().pageSize(), (gdi::Size{640, 480}));
    EXPECT_EQ(view.pixelMargins[0], 10);
    EXPECT_EQ(view.printSetup.marginLeftCoeff, 0.2);
    EXPECT_EQ(view.printSetup.scale, 1);
    EXPECT_EQ(view.printSetup.unitsPerInchX, 1000);
    EXPECT_EQ(view.printSetup.unitsPerInchY, 1000);  // the aspect ratio is locked
    EXPECT_EQ(view.printSetup.pageUnits, 1);
    EXPECT_DOUBLE_EQ(view.printSetup.unitCoef, 1 / 2.54);
    EXPECT_EQ(view.multiPage.rightOverlap, 0.05);
    EXPECT_EQ(profileText("PrintSetup", "PageSizeX"), "640");
    EXPECT_EQ(profileText("PrintSetup", "Page"), "0");
    EXPECT_EQ(profileText("PrintSetup", "Scale"), "1");
    EXPECT_EQ(profileText("Canvas View", "MarginPixelLeft"), "10");
    ASSERT_TRUE(profileText("MultiPage Print", "ScaleRightMargin").has_value());
    EXPECT_EQ(std::stod(*profileText("MultiPage Print", "ScaleRightMargin")), 0.05);
    const std::optional<gdi::Dib> picture = view.drawPicture();
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->width, 640);
    EXPECT_EQ(picture->height, 480);
}

}  // namespace
}  // namespace gridova
