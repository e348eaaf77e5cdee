// Arrays without coordinates in the window: "Открыть 1D/2D/3D массив..."
// asks how the values fold in "Размеры поля", a stack of layers is shown
// layer by layer from the tool bar's list, and a single row is a series
// graph whose smoothing, outlier marks and table come from the menu.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <filesystem>

#include "app/dialogs/array_dimensions_dialog.h"
#include "app/dialogs/grid_size_dialog.h"
#include "app/dialogs/series_dialog.h"
#include "objects/array_series.h"
#include "tests/app/main_window_fixtures.h"

namespace gridova::apptest {
namespace {

namespace fs = std::filesystem;

// Two layers of 3 columns and 2 rows: the second layer is the first plus 100.
std::string twoLayers() { return "1 2 3\n4 5 6\n* layer 2\n101 102 103\n104 105 106\n"; }

class ArrayWindowTest : public MainWindowTest {
protected:
    MapWindow* openArray(const std::string& name, const std::string& content) {
        fs::create_directories(testDir() / "arrays");
        const std::string path = writeFile("arrays/" + name, content);
        chooser_.paths = {path};
        window_->runFrameCommand(FrameCommand::OpenArray);
        settle();
        return window_->activeMapWindow();
    }
};

TEST_F(ArrayWindowTest, TheDimensionsDialogFoldsTheValuesAndKeepsTheLayout) {
    std::vector<std::string> refusals;
    answerDialogs([&](QDialog& dialog) {
        auto* dimensions = dynamic_cast<ArrayDimensionsDialog*>(&dialog);
        if (dimensions == nullptr) return static_cast<int>(QDialog::Accepted);  // the map list
        auto& d = *dimensions;
        // 12 values open as one row.
        EXPECT_EQ(d.columnsEdit()->text(), QStringLiteral("12"));
        EXPECT_EQ(d.rowsEdit()->text(), QStringLiteral("1"));
        d.columnsEdit()->setText(QStringLiteral("4"));
        EXPECT_TRUE(d.takeColumns());
        EXPECT_EQ(d.rowsEdit()->text(), QStringLiteral("3"));
        d.layersEdit()->setText(QStringLiteral("2"));
        EXPECT_TRUE(d.takeLayers());
        EXPECT_EQ(d.columnsEdit()->text(), QStringLiteral("2"));
        d.columnsEdit()->setText(QStringLiteral("5"));
        EXPECT_FALSE(d.takeColumns());
        EXPECT_EQ(d.columnsEdit()->text(), QStringLiteral("2"));  // the old count returns
        d.columnsEdit()->setText(QStringLiteral("0"));
        EXPECT_FALSE(d.takeColumns());
        refusals = boxes_.warnings;
        // Back to 4 × 3 × 1, cells 10 wide from X = 100, first row on top.
        d.layersEdit()->setText(QStringLiteral("1"));
        EXPECT_TRUE(d.takeLayers());
        d.columnsEdit()->setText(QStringLiteral("4"));
        d.originXEdit()->setText(QStringLiteral("100"));
        d.cellWidthEdit()->setText(QStringLiteral("10"));
        d.topToBottomCheck()->setChecked(true);
        saveScreenshot(d, "array_dimensions.png");
        return static_cast<int>(QDialog::Accepted);
    });
    MapWindow* w = openArray("twelve.txt", "1 2 3 4\n5 6 7 8\n9 10 11 12\n");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(refusals, (std::vector<std::string>{text(179), text(179)}));

    const MapModel& model = w->view().model();
    const PointSet* points = model.mainPoints();
    ASSERT_NE(points, nullptr);
    ASSERT_EQ(points->size(), 12u);
    // Column centres 105, 115, 125, 135; the first row read is the top one.
    EXPECT_EQ(points->points()[0].x, 105);
    EXPECT_EQ(points->points()[3].x, 135);
    EXPECT_EQ(points->points()[0].y, 2.5);
    EXPECT_EQ(points->points()[8].y, 0.5);
    EXPECT_EQ(points->points()[8].value, OptionalValue(9));
    ASSERT_NE(model.grid(), nullptr);
    EXPECT_EQ(model.grid()->nx(), 6);  // the edges and the four centres
    EXPECT_EQ(model.grid()->nodeX().front(), 100);
    EXPECT_EQ(model.grid()->nodeX().back(), 140);

    // "Да" wrote the layout beside the array: the next opening starts from it.
    const std::string kept = testing::readFile(inTestDir("arrays/Dimensn.arr"));
    EXPECT_TRUE(startsWith(kept, "ArrayDimension:01\n4 3 1\n100 0\n10\n")) << kept;
    std::string shownColumns;
    answerDialogs([&](QDialog& dialog) {
        auto* dimensions = dynamic_cast<ArrayDimensionsDialog*>(&dialog);
        if (dimensions == nullptr) return static_cast<int>(QDialog::Accepted);
        shownColumns = dimensions->columnsEdit()->text().toStdString();
        return static_cast<int>(QDialog::Rejected);
    });
    MapWindow* again = openArray("twelve_again.txt", "12 11 10 9 8 7 6 5 4 3 2 1\n");
    EXPECT_EQ(shownColumns, "4");
    // Cancelled: the array's map shows nothing.
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->view().model().mainPoints(), nullptr);
}

TEST_F(ArrayWindowTest, DifferentCellSizesComeFromTheirList) {
    answerDialogs([&](QDialog& dialog) {
        if (auto* list = dynamic_cast<NumberListDialog*>(&dialog)) {
            list->textEdit()->setPlainText(QStringLiteral("1\n3\n"));
            return static_cast<int>(QDialog::Accepted);
        }
        auto* dimensions = dynamic_cast<ArrayDimensionsDialog*>(&dialog);
        if (dimensions == nullptr) return static_cast<int>(QDialog::Accepted);  // the map list
        auto& d = *dimensions;
        d.columnsEdit()->setText(QStringLiteral("2"));
        EXPECT_TRUE(d.takeColumns());
        EXPECT_TRUE(d.editSizes(false));
        EXPECT_EQ(d.cellHeightEdit()->text(), QString());  // no single height
        return static_cast<int>(QDialog::Accepted);
    });
    MapWindow* w = openArray("four.txt", "1 2 3 4\n");
    ASSERT_NE(w, nullptr);
    const PointSet* points = w->view().model().mainPoints();
    ASSERT_NE(points, nullptr);
    // Rows of heights 1 and 3: centres 0.5 and 2.5, on the grid's nodes.
    EXPECT_EQ(points->points()[0].y, 0.5);
    EXPECT_EQ(points->points()[2].y, 2.5);
    const std::vector<double>& ys = w->view().model().grid()->nodeY();
    EXPECT_EQ(ys, (std::vector<double>{0, 0.5, 2.5, 4}));
}

TEST_F(ArrayWindowTest, TheLayerListShowsEachLayer) {
    answerDialogs([&](QDialog& dialog) {
        auto* dimensions = dynamic_cast<ArrayDimensionsDialog*>(&dialog);
        if (dimensions == nullptr) return static_cast<int>(QDialog::Accepted);  // the map list
        auto& d = *dimensions;
        d.columnsEdit()->setText(QStringLiteral("3"));
        EXPECT_TRUE(d.takeColumns());
        d.rowsEdit()->setText(QStringLiteral("2"));
        EXPECT_TRUE(d.takeRows());
        EXPECT_EQ(d.layersEdit()->text(), QStringLiteral("2"));
        return static_cast<int>(QDialog::Accepted);
    });
    MapWindow* w = openArray("layers.txt", twoLayers());
    ASSERT_NE(w, nullptr);
    QComboBox* layers = window_->layerList();
    window_->refreshActions();
    EXPECT_TRUE(layers->isEnabled());
    ASSERT_EQ(layers->count(), 2);
    EXPECT_EQ(layers->currentIndex(), 0);
    const MapModel& model = w->view().model();
    EXPECT_EQ(model.mainPoints()->points()[5].value, OptionalValue(6));

    layers->activated(1);
    settle();
    EXPECT_EQ(model.arrayLayer(), 2);
    EXPECT_EQ(model.mainPoints()->points()[5].value, OptionalValue(106));
    EXPECT_EQ(layers->currentIndex(), 1);
    // The map was built again from the layer: the grid's values follow it.
    ASSERT_NE(model.grid(), nullptr);
    ASSERT_TRUE(model.grid()->hasValues());
    EXPECT_GT(model.grid()->minValue(), 100);
    saveScreenshot(*window_, "array_layer2.png");

    // A map of data has no layers to choose.
    ASSERT_NE(openIsolines(dataPath_), nullptr);
    window_->refreshActions();
    EXPECT_FALSE(layers->isEnabled());
    EXPECT_EQ(layers->count(), 0);
}

TEST_F(ArrayWindowTest, ASingleRowIsASeriesGraphWithItsCommands) {
    // The dialog as it opens: one row of all the values.
    MapWindow* w = openArray("row.txt", "1 4 2 8 5 7\n");
    ASSERT_NE(w, nullptr);
    const MapModel& model = w->view().model();
    ASSERT_NE(model.series(), nullptr);
    EXPECT_EQ(model.mainPoints(), nullptr);
    EXPECT_EQ(w->view().aspectRatio, 0);
    ASSERT_NE(model.objectTreeIfAny(), nullptr);
    EXPECT_NE(const_cast<Bush*>(model.objectTreeIfAny())->findChild("Series"), nullptr);

    window_->refreshActions();
    QAction* smooth = window_->actionFor(MapCommand::SmoothSeries);
    QAction* outliers = window_->actionFor(MapCommand::SeriesOutliers);
    QAction* save = window_->actionFor(MapCommand::SaveSeries);
    EXPECT_TRUE(smooth->isEnabled());
    EXPECT_TRUE(outliers->isEnabled());
    EXPECT_FALSE(save->isEnabled());  // nothing smoothed to write yet

    answerDialogs([](QDialog& dialog) {
        auto& d = dynamic_cast<SeriesParameterDialog&>(dialog);
        d.valueEdit()->setText(QStringLiteral("3"));
        return static_cast<int>(QDialog::Accepted);
    });
    smooth->trigger();
    settle();
    ASSERT_NE(model.series()->smoothed(), nullptr);
    EXPECT_EQ(model.series()->smoothed()->values().size(), 4u);
    answerDialogs([](QDialog& dialog) {
        dynamic_cast<SeriesParameterDialog&>(dialog).valueEdit()->setText(QStringLiteral("0.5"));
        return static_cast<int>(QDialog::Accepted);
    });
    outliers->trigger();
    settle();
    EXPECT_TRUE(model.series()->smoothed()->marks().has_value());
    saveScreenshot(*window_, "array_series.png");

    window_->refreshActions();
    ASSERT_TRUE(save->isEnabled());
    chooser_.paths = {inTestDir("series.txt")};
    save->trigger();
    settle();
    // Positions 2..5 with their values, means and marks: the means
    // 7/3, 14/3, 5, 20/3 have mean 14/3 and sample deviation 1.78, so
    // 7/3 is 1.31 deviations below (-1), 20/3 1.12 above (1) and 5 only
    // 0.19 above (0).
    EXPECT_EQ(testing::readFile(inTestDir("series.txt")),
              " 2 4 2.3333333333333335 -1\n 3 2 4.666666666666667 0\n 4 8 5 0\n"
              " 5 5 6.666666666666667 1\n");
}

}  // namespace
}  // namespace gridova::apptest
