// The colour-scale dialog "Шкала цветов": its fields reach the grid's
// scale and the map (isolines at the new boundaries, bands in the new
// colours), its refusals, its colour files and its preview.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QColorDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <functional>
#include <string>
#include <vector>

#include "app/dialogs/color_scale_dialog.h"
#include "app/dialogs/dialog_fields.h"
#include "app/dialogs/grid_size_dialog.h"
#include "render/map_widget.h"
#include "tests/app/main_window_fixtures.h"

namespace gridova {
namespace {

using namespace apptest;

constexpr gdi::ColorRef kBlue = gdi::rgb(0, 0, 255);
constexpr gdi::ColorRef kYellow = gdi::rgb(255, 255, 0);  // the default lowest colour

class ColorScaleDialogTest : public MainWindowTest {
protected:
    // The plane as a map of colour isolines ("-m 2").
    MapWindow* openColorIsolines() { return openFreshMap(2); }
    static const ColorScale& scaleOf(MapWindow* w) { return w->view().model().grid()->colorScale; }
    static std::vector<double> levelsOf(MapWindow* w) {
        const IsolineSet* set = w->view().model().isolines();
        return set != nullptr ? set->values() : std::vector<double>{};
    }
    // The dialog answered by `fill`; a colour dialog it opens takes blue and
    // the list of values the numbers of `values`.
    void runScaleDialog(MapWindow* w, const std::function<void(ColorScaleDialog&)>& fill,
                        const QString& values = {}) {
        answerDialogs([&](QDialog& dialog) {
            if (auto* colors = dynamic_cast<QColorDialog*>(&dialog)) {
                colors->setCurrentColor(QColor(0, 0, 255));
            } else if (auto* list = dynamic_cast<NumberListDialog*>(&dialog)) {
                list->textEdit()->setPlainText(values);
            } else {
                fill(dynamic_cast<ColorScaleDialog&>(dialog));
            }
            return static_cast<int>(QDialog::Accepted);
        });
        ASSERT_TRUE(w->view().run(MapCommand::ColorScale));
    }
};

// Rows of `picture` between x0 and x1 whose pixel is neither white nor
// black: the first and the last such pixel from the top.
struct ColoredSpan {
    QRgb top = 0;
    QRgb bottom = 0;
    bool found = false;
};
ColoredSpan coloredSpan(const QImage& picture, int x0, int x1) {
    ColoredSpan span;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = x0; x < x1; ++x) {
            const QRgb p = picture.pixel(x, y) & 0xffffff;
            if (p == 0xffffff || p == 0) continue;
            if (!span.found) span.top = p;
            span.bottom = p;
            span.found = true;
        }
    }
    return span;
}

QRgb rgbOf(gdi::ColorRef c) { return qColorOf(c).rgb() & 0xffffff; }

// Each field, accepted, reaches the grid's scale and what the map builds.
TEST_F(ColorScaleDialogTest, TheFieldsReachTheScaleAndTheMap) {
    struct Case {
        const char* name;
        std::function<void(ColorScaleDialog&)> fill;
        QString values;  // typed into "Значения"
        std::function<void(MapWindow*, const std::vector<double>& levelsBefore)> check;
    };
    const std::vector<Case> cases{
        {"Число цветов: four equal bands, an isoline at each edge above the lowest",
         [](ColorScaleDialog& d) { d.countBox()->setValue(4); },
         {},
         [](MapWindow* w, const std::vector<double>&) {
             const ColorScale& s = scaleOf(w);
             ASSERT_EQ(s.count(), 4);
             EXPECT_EQ(s.paletteMode, 0);
             EXPECT_EQ(s.colors()[0], s.minColor);
             EXPECT_EQ(s.colors()[3], s.maxColor);
             const double step = (s.max() - s.min()) / 4;
             std::vector<double> edges;
             for (int i = 1; i <= 4; ++i) {
                 EXPECT_NEAR(s.boundaries()[static_cast<std::size_t>(i)], s.min() + i * step,
                             1e-9 * (s.max() - s.min()));
                 edges.push_back(s.boundaries()[static_cast<std::size_t>(i)]);
             }
             EXPECT_EQ(levelsOf(w), edges);
             EXPECT_NE(w->view().model().colorFill(), nullptr);
             EXPECT_EQ(s.changed, 0);  // taken by the map
         }},
        {"Максимум: the highest colour becomes blue; the levels stay",
         [](ColorScaleDialog& d) { d.maxColorButton()->click(); },
         {},
         [](MapWindow* w, const std::vector<double>& before) {
             const ColorScale& s = scaleOf(w);
             EXPECT_EQ(s.maxColor, kBlue);
             EXPECT_EQ(s.colors()[static_cast<std::size_t>(s.count() - 1)], kBlue);
             EXPECT_EQ(s.colors()[0], kYellow);
             EXPECT_EQ(levelsOf(w), before);
         }},
        {"Расположение, Порядок, digits and Показать go to the profile",
         [](ColorScaleDialog& d) {
             d.leftButton()->setChecked(true);
             d.maxDownButton()->setChecked(true);
             d.digitsBox()->setValue(4);
             d.upEdit()->setText(QStringLiteral("0.25"));
             d.showBox()->setChecked(false);
         },
         {},
         [](MapWindow* w, const std::vector<double>& before) {
             const ColorScale& s = scaleOf(w);
             EXPECT_EQ(s.location, 0);
             EXPECT_EQ(s.upDown, 1);
             EXPECT_EQ(s.digit, 4);
             EXPECT_EQ(s.frUp, 0.25);
             EXPECT_EQ(s.visible, 0);
             EXPECT_EQ(profileText(ColorScale::kProfileSection, "Location"), "0");
             EXPECT_EQ(profileText(ColorScale::kProfileSection, "UpDown"), "1");
             EXPECT_EQ(profileText(ColorScale::kProfileSection, "Digit"), "4");
             EXPECT_EQ(levelsOf(w), before);
         }},
        {"Установить значения holds the range at 0..100 with equal bands",
         [](ColorScaleDialog& d) {
             d.countBox()->setValue(5);
             d.minEdit()->setText(QStringLiteral("0"));
             d.maxEdit()->setText(QStringLiteral("100"));
             d.fixedRangeBox()->setChecked(true);
         },
         {},
         [](MapWindow* w, const std::vector<double>&) {
             const ColorScale& s = scaleOf(w);
             EXPECT_EQ(s.setMinMax, 1);
             EXPECT_EQ(s.min(), 0);
             EXPECT_EQ(s.max(), 100);
             EXPECT_EQ(s.boundaries(), (std::vector<double>{0, 20, 40, 60, 80, 100}));
             EXPECT_EQ(levelsOf(w), (std::vector<double>{20, 40, 60, 80, 100}));
             EXPECT_EQ(profileText(ColorScale::kProfileSection, "SetMinMax"), "1");
         }},
        {"Значения: edges typed in any order make three bands",
         [](ColorScaleDialog& d) { d.valuesButton()->click(); }, QStringLiteral("50 0\n10; 20"),
         [](MapWindow* w, const std::vector<double>&) {
             const ColorScale& s = scaleOf(w);
             ASSERT_EQ(s.count(), 3);
             EXPECT_EQ(s.boundaries(), (std::vector<double>{0, 10, 20, 50}));
             EXPECT_EQ(s.min(), 0);
             EXPECT_EQ(s.max(), 50);
             EXPECT_EQ(levelsOf(w), (std::vector<double>{10, 20, 50}));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        removeProfileSection(ColorScale::kProfileSection);  // each case from the defaults
        MapWindow* w = openColorIsolines();
        ASSERT_NE(w, nullptr);
        ASSERT_NE(w->view().model().grid(), nullptr);
        const std::vector<double> before = levelsOf(w);
        ASSERT_FALSE(before.empty());
        runScaleDialog(w, c.fill, c.values);
        c.check(w, before);
        w->close();
        settle();
    }
}

// A fraction outside 0..1 and a fixed range whose Max is not above Min
// are refused with their messages; the dialog gives no scale.
TEST_F(ColorScaleDialogTest, FieldsOutOfRangeAreRefused) {
    struct Case {
        const char* name;
        std::function<void(ColorScaleDialog&)> fill;
        std::string warning;
    };
    const std::vector<Case> cases{
        {"Сверху above 1", [](ColorScaleDialog& d) { d.upEdit()->setText(QStringLiteral("1.5")); },
         "Сверху: нужно число от 0 до 1"},
        {"Снизу not a number",
         [](ColorScaleDialog& d) { d.downEdit()->setText(QStringLiteral("низ")); },
         "Снизу: нужно число от 0 до 1"},
        {"Max below Min",
         [](ColorScaleDialog& d) {
             d.fixedRangeBox()->setChecked(true);
             d.minEdit()->setText(QStringLiteral("10"));
             d.maxEdit()->setText(QStringLiteral("10"));
         },
         "Max: нужно число больше Min"},
    };
    ColorScale scale;
    scale.setRange(0, 50);
    scale.minValue = 0;
    scale.maxValue = 50;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        boxes_.warnings.clear();
        ColorScaleDialog dialog(scale, nullptr);
        c.fill(dialog);
        EXPECT_FALSE(dialog.edited().has_value());
        ASSERT_FALSE(boxes_.warnings.empty());
        EXPECT_EQ(boxes_.warnings.back(), c.warning);
    }
}

// Colours written with the maximum at the top and read into a scale with
// the maximum at the bottom come in reversed; a position that is not a
// whole number is refused and asked again.
TEST_F(ColorScaleDialogTest, ColourFilesAreWrittenAndReadFromAPosition) {
    ColorScale source;
    source.setCount(3);
    source.setColor(0, gdi::rgb(1, 2, 3));
    source.setColor(1, gdi::rgb(40, 50, 60));
    source.setColor(2, gdi::rgb(200, 100, 0));
    const std::string path = inTestDir("bands.clr");
    chooser_.paths = {path};
    {
        ColorScaleDialog dialog(source, nullptr);
        dialog.saveButton()->click();
    }
    // From the top: the highest band first.
    EXPECT_EQ(testing::readFile(path), "ScaleColors:01\nColors Count:\n3\n" +
                                           std::to_string(gdi::rgb(200, 100, 0)) + "\n" +
                                           std::to_string(gdi::rgb(40, 50, 60)) + "\n" +
                                           std::to_string(gdi::rgb(1, 2, 3)) + "\n");

    ColorScale target;
    target.setCount(3);
    target.upDown = 1;
    chooser_.paths = {path};
    std::vector<std::string> refused;
    answerDialogs([&](QDialog& dialog) {
        auto& ask = dynamic_cast<ColorPositionDialog&>(dialog);
        EXPECT_EQ(ask.positionEdit()->text().toStdString(), "0");
        ask.positionEdit()->setText(QStringLiteral("первая"));
        ask.accept();
        EXPECT_NE(ask.result(), QDialog::Accepted);
        refused = boxes_.warnings;
        ask.positionEdit()->setText(QStringLiteral("0"));
        ask.accept();
        return ask.result();
    });
    ColorScaleDialog dialog(target, nullptr);
    dialog.loadButton()->click();
    ASSERT_FALSE(refused.empty());
    EXPECT_EQ(refused.back(), "'первая' не является числом");
    const std::optional<ColorScale> read = dialog.edited();
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->colors()[0], gdi::rgb(200, 100, 0));
    EXPECT_EQ(read->colors()[1], gdi::rgb(40, 50, 60));
    EXPECT_EQ(read->colors()[2], gdi::rgb(1, 2, 3));
    EXPECT_NE(read->changed & ColorScale::kChangedColors, 0);
    EXPECT_EQ(read->changed & ColorScale::kChangedBoundaries, 0);
}

// The preview shows the bar the map draws: with the maximum at the top the
// highest colour is at the top of both, and "Max внизу" turns both over.
TEST_F(ColorScaleDialogTest, ThePreviewShowsTheBarOfTheMap) {
    MapWindow* w = openColorIsolines();
    ASSERT_NE(w, nullptr);
    for (const bool maxDown : {false, true}) {
        SCOPED_TRACE(maxDown ? "Max внизу" : "Max вверху");
        QImage preview;
        runScaleDialog(w, [&](ColorScaleDialog& d) {
            d.countBox()->setValue(4);
            d.maxColorButton()->click();
            d.leftButton()->setChecked(true);
            (maxDown ? d.maxDownButton() : d.maxUpButton())->setChecked(true);
            preview = d.preview()->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
            if (maxDown) {
                EXPECT_TRUE(saveScreenshot(d, "color_scale_dialog.png"));
            }
        });
        const QRgb high = rgbOf(kBlue), low = rgbOf(kYellow);
        // The bar's column lies left of the labels in both pictures.
        const ColoredSpan shown = coloredSpan(preview, 0, preview.width() / 4);
        ASSERT_TRUE(shown.found);
        EXPECT_EQ(shown.top, maxDown ? low : high);
        EXPECT_EQ(shown.bottom, maxDown ? high : low);
        settle();
        const QImage map = w->mapWidget().grab().toImage().convertToFormat(QImage::Format_RGB32);
        // The bar's column on the map: from its left edge to the labels.
        const ColorScale& scale = scaleOf(w);
        const int barLeft = w->view().canvas().toDeviceX(scale.barRect.minX);
        const ColoredSpan drawn = coloredSpan(map, std::max(0, barLeft), barLeft + scale.gap);
        ASSERT_TRUE(drawn.found);
        EXPECT_EQ(drawn.top, shown.top);
        EXPECT_EQ(drawn.bottom, shown.bottom);
    }
}

}  // namespace
}  // namespace gridova
