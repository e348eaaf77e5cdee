// The map's dialogs on the offscreen platform: each is answered by a runner
// that sets its fields (a table of cases where several values are tried),
// and the test checks what the map, the model and the profile keep; a value
// that is refused is said with its message and keeps nothing.
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
#include "app/dialogs/axis_dialog.h"
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
#include "data/polynomial_regression.h"
#include "platform/numbers.h"
#include "platform/progress.h"
#include "render/axes.h"
#include "render/map_commands.h"
#include "render/map_widget.h"
#include "tests/app/main_window_fixtures.h"

namespace gridova {
namespace {

using namespace apptest;
using testing::writeFile;

class DialogsTest : public MainWindowTest {};

// "Интерполяция...": the method dialog starts at the grid's method, offers
// "Солвер..." only for the equation systems, and "Выбрать" stores the
// choice for the next build. "Характеристики солвера" refuses values that
// are not positive and stores the others in the grid and the profile.
TEST_F(DialogsTest, TheMethodAndSolverDialogsStoreTheirSettings) {
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

// "Сетка...": counts below 6 are refused; square cells start from the
// proposed length; OK lays the grid over the data, writes "EqNet.net" and
// builds the map again on it.
TEST_F(DialogsTest, TheGridDialogLaysANewGrid) {
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

// "Граница...": a border drawn on the map while the window is open joins the
// border and its file; the border value is kept; deleting asks about the
// file and, answered No, removes it.
TEST_F(DialogsTest, TheBorderWindowDrawsKeepsAndDeletesTheBorder) {
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

// Inverse distance with entered parameters: before the run its dialog shows
// what the run would compute and takes what is entered; the method dialog's
// "Опции..." enters them ahead of the run.
TEST_F(DialogsTest, TheInverseDistanceDialogEntersTheParametersOfTheRun) {
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

// Kriging with entered parameters: its dialog starts from the engine's
// defaults (the data diagonal, nugget 1, sill 3), refuses a range that is not
// positive, and what is entered runs and is kept.
TEST_F(DialogsTest, TheKrigingDialogEntersTheParametersOfTheRun) {
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
TEST_F(DialogsTest, TheKrigingDialogFitsTheVariogramOfTheData) {
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
TEST_F(DialogsTest, TheDataPointsWindowEditsTheMainSet) {
    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    MapModel& model = w->view().model();
    // A line fitted to the points before they are edited.
    RegressionSettings line;
    line.degree = 1;
    line.color = gdi::rgb(0, 0, 255);
    ASSERT_TRUE(model.fitRegression(*model.mainPoints(), line));
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
    // The line is fitted again to the new points, in its colour.
    const PolynomialRegression* refitted = model.mainPoints()->regression();
    ASSERT_NE(refitted, nullptr);
    PolynomialRegression fresh;
    ASSERT_EQ(fresh.fit(model.mainPoints(), 2, interactiveFeedback()), 0);
    EXPECT_EQ(refitted->m(), 2);
    EXPECT_EQ(refitted->coefficients(), fresh.coefficients());
    EXPECT_EQ(refitted->color, gdi::rgb(0, 0, 255));

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

// "Файл данных..." stores the columns chosen (Cancel keeps the old ones);
// with "Показывать диалог" the dialog is asked before a data file is read,
// and the points are built from the columns it gives.
TEST_F(DialogsTest, TheInputFormatDialogChoosesTheColumnsOfTheData) {
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

// "Размеры сетки...": counts below 2, cell sizes that are not positive and
// corners that are not numbers are refused; "Да" gives the grid the steps
// and corner, writes EqNet.net and builds the map again; "Разные по Y"
// takes a list of sizes; "Записать в файл" and "Ввести из файла" carry the
// sizes through a ".net" file.
TEST_F(DialogsTest, TheGridSizeDialogChangesTheGridsSteps) {
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

// A map built again asks its levels in "Задание изолиний": "Через шаг" with
// the first level and the step gives the count and those levels; a first
// level that is not a number is said and the dialog stays; a cancel keeps
// the isolines; "Предыдущие" takes the stored list.
TEST_F(DialogsTest, TheLevelsDialogGivesTheLevelsOfAMapBuiltAgain) {
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

// "Изолинии": rows by number and value; "Вставить" proposes the level
// between the selected row and the one above and traces it; "Значение"
// replaces a level (a value that is not a number is said and asked again);
// "Убрать" removes the first selected; "Показывать" hides the set; a
// template saved and loaded gives back the levels.
TEST_F(DialogsTest, TheIsolineListEditsTheLevels) {
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
TEST_F(DialogsTest, TheIsolineFormatDialogChangesTheLookOfIsolines) {
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

// "Изменить значок": the main set's badges take the look; a least radius
// above the greatest is refused; the look is kept as the new sets'.
TEST_F(DialogsTest, TheBadgeDialogChangesHowThePointsAreDrawn) {
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

// "Заголовок карты": the three lines replaced, a line's font chosen (the
// canvas's general font, kept in the profile), the title hidden and shown.
TEST_F(DialogsTest, TheTitleDialogEditsTheTitle) {
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

// "Оси" > "Добавить ось...": the dialog "Ось" makes a Y axis on the right
// with a title and ticks every 10 from 0 (it shows their number and the
// last one); a step that is not positive is refused; the axis is drawn,
// kept for its side in the profile, and saved with the document.
TEST_F(DialogsTest, TheAxisDialogAddsAnAxis) {
    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    std::string count, last;
    answerDialogs([&](QDialog& dialog) {
        auto& axis = dynamic_cast<AxisDialog&>(dialog);
        axis.xyList()->setCurrentIndex(1);  // Y
        EXPECT_EQ(axis.sideList()->count(), 2);
        axis.sideList()->setCurrentIndex(1);  // "Справа"
        axis.titleEdit()->setText(QStringLiteral("Y, м"));
        axis.stepButton()->setChecked(true);
        axis.firstEdit()->setText(QStringLiteral("0"));
        axis.stepEdit()->setText(QStringLiteral("0"));
        EXPECT_FALSE(axis.axis().has_value());
        axis.stepEdit()->setText(QStringLiteral("10"));
        count = axis.countText()->text().toStdString();
        last = axis.lastText()->text().toStdString();
        axis.automaticDigitsBox()->setChecked(false);
        axis.digitsBox()->setValue(1);
        EXPECT_TRUE(saveScreenshot(axis, "axis_dialog.png"));
        return static_cast<int>(QDialog::Accepted);
    });
    auto menu = window_->mapBar()->menuFor(window_->mapBar()->findNode(MapBar::Node::Axes));
    QAction* add = nullptr;
    for (QAction* a : menu->actions()) {
        if (a->text() == QStringLiteral("Добавить ось...")) add = a;
    }
    ASSERT_NE(add, nullptr);
    add->trigger();
    EXPECT_EQ(boxes_.warnings.back(), "Величина шага: нужно положительное число");
    const std::vector<MapAxis*> axes = w->view().axesLayer().axes();
    ASSERT_EQ(axes.size(), 1u);
    // Ticks 0, 10, ... up to the axis's top end.
    const double top = std::max(axes[0]->world[2], axes[0]->world[3]);
    ASSERT_GT(top, 40);
    const int m = static_cast<int>(std::floor(top / 10 + 1e-9));
    EXPECT_EQ(count, std::to_string(m + 1));
    EXPECT_EQ(last, formatDouble(10.0 * m));
    EXPECT_EQ(axes[0]->lastTicks, 10.0 * m);
    EXPECT_EQ(axes[0]->xy, MapAxis::kVertical);
    EXPECT_EQ(axes[0]->locate, MapAxis::kRight);
    EXPECT_EQ(axes[0]->title, "Y, м");
    EXPECT_EQ(axes[0]->autoTicks, 0);
    EXPECT_EQ(axes[0]->tickStep, 10);
    EXPECT_EQ(axes[0]->decimalDigit, 1);
    MapAxis remembered;
    readAxisProfile(remembered, "Axe Y right");
    EXPECT_EQ(remembered.tickStep, 10);
    EXPECT_EQ(remembered.title, "Y, м");
    EXPECT_TRUE(saveScreenshot(w->mapWidget(), "axis_map.png"));

    // The map bar lists it under "Оси": changed to the left side, then
    // deleted.
    settle();
    QTreeWidgetItem* axesNode = window_->mapBar()->findNode(MapBar::Node::Axes);
    ASSERT_EQ(axesNode->childCount(), 1);
    EXPECT_EQ(axesNode->child(0)->text(0).toStdString(), axes[0]->name);
    answerDialogs([](QDialog& dialog) {
        auto& axis = dynamic_cast<AxisDialog&>(dialog);
        EXPECT_EQ(axis.titleEdit()->text().toStdString(), "Y, м");
        axis.sideList()->setCurrentIndex(0);  // "Слева"
        return static_cast<int>(QDialog::Accepted);
    });
    auto axisMenu = window_->mapBar()->menuFor(axesNode->child(0));
    ASSERT_NE(menuItem(*axisMenu, "Изменить вид.."), nullptr);
    menuItem(*axisMenu, "Изменить вид..")->trigger();
    ASSERT_EQ(w->view().axesLayer().axes().size(), 1u);
    EXPECT_EQ(w->view().axesLayer().axes()[0]->locate, MapAxis::kLeft);
    EXPECT_EQ(w->view().axesLayer().axes()[0]->title, "Y, м");
    settle();
    axesNode = window_->mapBar()->findNode(MapBar::Node::Axes);
    ASSERT_EQ(axesNode->childCount(), 1);
    axisMenu = window_->mapBar()->menuFor(axesNode->child(0));
    menuItem(*axisMenu, "Удалить")->trigger();
    EXPECT_TRUE(w->view().axesLayer().axes().empty());
}

// A second series laid over the map ("Изолировать серию": its x 1000..2000
// stretched over the main set's 0..53) and an axis showing it ("Серия"):
// the labels are the series' own x, chosen among round values; laid back,
// the series is drawn in its coordinates and the axis shows the map's.
TEST_F(DialogsTest, AnAxisShowsTheCoordinatesOfASeriesLaidOverTheMap) {
    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    CVexaView& view = w->view();
    PointSet well;
    well.setName("Профиль");
    well.addPoint(1000, 0, 1);
    well.addPoint(1500, 5, 2);
    well.addPoint(2000, 10, 3);
    PointSet& laid = view.model().addPointSet(std::move(well));
    view.markChanged();
    settle();
    QTreeWidgetItem* sets = window_->mapBar()->findNode(MapBar::Node::DataSets);
    QTreeWidgetItem* node = nullptr;
    for (int i = 0; i < sets->childCount(); ++i) {
        if (sets->child(i)->text(0) == QStringLiteral("Профиль")) node = sets->child(i);
    }
    ASSERT_NE(node, nullptr);
    const auto isolate = [&] {
        auto menu = window_->mapBar()->menuFor(node);
        QAction* item = menuItem(*menu, "Изолировать серию");
        ASSERT_NE(item, nullptr);
        EXPECT_TRUE(item->isEnabled());
        item->trigger();
    };
    isolate();
    ASSERT_NE(laid.derived(), nullptr);
    EXPECT_EQ(laid.derived()->xmin, 0);
    EXPECT_EQ(laid.derived()->xmax, 53);

    answerDialogs([&](QDialog& dialog) {
        auto& axis = dynamic_cast<AxisDialog&>(dialog);
        const int k = axis.seriesList()->findText(QStringLiteral("Профиль"));
        EXPECT_GE(k, 1);
        axis.seriesList()->setCurrentIndex(k);
        return static_cast<int>(QDialog::Accepted);
    });
    auto menu = window_->mapBar()->menuFor(window_->mapBar()->findNode(MapBar::Node::Axes));
    ASSERT_NE(menuItem(*menu, "Добавить ось..."), nullptr);
    menuItem(*menu, "Добавить ось...")->trigger();
    const std::vector<MapAxis*> axes = view.axesLayer().axes();
    ASSERT_EQ(axes.size(), 1u);
    const MapAxis& axis = *axes[0];
    ASSERT_EQ(axis.hasValueTransform, 1);
    EXPECT_EQ(axis.worldStart, 0);
    EXPECT_EQ(axis.valueStart, 1000);
    EXPECT_DOUBLE_EQ(axis.factor, 1000.0 / 53);
    // The labels: round x of the series, one step apart, within the map.
    const double s = std::min(axis.world[0], axis.world[1]);
    const double length = std::abs(axis.world[1] - axis.world[0]);
    const AxisTicks ticks = chooseTicks(axis, s, length, 400, view.canvas());
    ASSERT_GE(ticks.values.size(), 3u);
    EXPECT_EQ(ticks.digits, 0);
    std::vector<double> labels;
    for (double wv : ticks.values) labels.push_back(1000 + wv * 1000.0 / 53);
    const double step = labels[1] - labels[0];
    for (std::size_t k = 0; k < labels.size(); ++k) {
        EXPECT_NEAR(labels[k], std::round(labels[k]), 1e-6) << k;
        EXPECT_NEAR(labels[k] - labels[0], k * step, 1e-6) << k;
    }
    EXPECT_GE(labels.front(), 1000 - 1e-6);
    EXPECT_TRUE(saveScreenshot(w->mapWidget(), "series_axis.png"));

    // Laid back: drawn in its own coordinates, the axis shows the map's.
    isolate();
    EXPECT_EQ(laid.derived(), nullptr);
    EXPECT_EQ(view.axesLayer().axes()[0]->hasValueTransform, 0);
}

}  // namespace
}  // namespace gridova
