// A large-grid run in a map window on the offscreen platform: the solver
// works in its thread while the window keeps handling events and shows the
// progress; Cancel ends the run and the map is built; closing the window
// stops a run.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>
#include <string>

#include "app/large_grid_progress.h"
#include "app/main_window.h"
#include "app/map_window.h"
#include "render/map_widget.h"
#include "tests/app/main_window_fixtures.h"

namespace gridova {
namespace {

using namespace apptest;

// Processes events until the condition holds; false when it did not within
// the (generous) limit.
template <typename Condition>
bool processUntil(Condition condition, int limitMilliseconds = 120000) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > limitMilliseconds) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return true;
}

class LargeGridWindowTest : public MainWindowTest {
protected:
    // The map of the plane on a 1000 × 1000 grid with the large-grid method.
    MapWindow* largeGridMap() {
        MapWindow* w = openIsolines(dataPath_);
        if (w == nullptr) return nullptr;
        MapModel& model = w->view().model();
        model.setGrid(EqNet::fromCounts(model.grid()->extent(), 1000, 1000));
        model.setMethod(InterpolationMethod::LargeGridEquationSystem);
        // A precision it never reaches: only Cancel ends the run.
        model.grid()->precision = 0;
        model.grid()->maxIterations = 1000000;
        return w;
    }
};

TEST_F(LargeGridWindowTest, TheWindowKeepsWorkingAndCancelBuildsTheMap) {
    MapWindow* w = largeGridMap();
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(w->view().reinterpolate(), 0);  // handed to its thread at once
    LargeGridProgress* progress = w->largeGridProgress();
    ASSERT_NE(progress, nullptr);
    EXPECT_TRUE(progress->isVisible());
    EXPECT_TRUE(progress->running());

    // Events posted while the solver works are handled, and a paint of the
    // map happens.
    int handled = 0;
    for (int k = 0; k < 3; ++k) QTimer::singleShot(0, [&handled] { ++handled; });
    const auto paintsBefore = w->mapWidget().viewPaints();
    w->mapWidget().update();
    ASSERT_TRUE(processUntil([&] { return handled == 3; }));
    ASSERT_TRUE(processUntil([&] { return w->mapWidget().viewPaints() > paintsBefore; }));
    EXPECT_TRUE(progress->running());

    // Iterations show in the bar; Cancel ends the run and the map is built.
    ASSERT_TRUE(processUntil([&] { return progress->bar()->value() > 0; }));
    EXPECT_TRUE(progress->running());
    EXPECT_EQ(progress->bar()->maximum(), 1000000);
    // Its picture, to look at.
    const char* dir = std::getenv("GRIDOVA_SCREENSHOT_DIR");
    const std::string out = dir != nullptr && *dir != '\0' ? std::string(dir) : inTestDir("");
    EXPECT_TRUE(progress->grab().save(QString::fromStdString(out + "/large_grid.png")));
    QPointer<LargeGridProgress> watched = progress;
    progress->cancelButton()->click();
    ASSERT_TRUE(processUntil([&] { return watched == nullptr; }));
    EXPECT_EQ(w->largeGridProgress(), nullptr);
    EXPECT_TRUE(w->view().model().grid()->hasValues());
    ASSERT_NE(w->view().model().isolines(), nullptr);
    EXPECT_FALSE(w->view().model().isolines()->empty());
}

TEST_F(LargeGridWindowTest, ClosingTheWindowStopsTheRun) {
    MapWindow* w = largeGridMap();
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(w->view().reinterpolate(), 0);
    ASSERT_NE(w->largeGridProgress(), nullptr);
    w->agreeToClose();
    EXPECT_TRUE(subWindowOf(w)->close());
    settle();  // the window goes, its run stopped and joined
    EXPECT_TRUE(window_->mapWindows().empty());
}

}  // namespace
}  // namespace gridova
