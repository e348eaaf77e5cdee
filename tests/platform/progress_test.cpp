#include "platform/progress.h"

#include <gtest/gtest.h>

#include "platform/status.h"

namespace gridova {
namespace {

double gNow = 0;
double fakeClock() { return gNow; }

class RecordingStatus final : public StatusBar {
public:
    void setStatusText(const std::string& text) override { texts.push_back(text); }
    std::vector<std::string> texts;
};

class WaitCancelScopeTest : public ::testing::Test {
protected:
    void SetUp() override {
        gNow = 1000;
        unattendedProgressUi().setClock(&fakeClock);
    }
    UnattendedProgressUi& ui = unattendedProgressUi();
};

TEST_F(WaitCancelScopeTest, ShortOperationNeverShowsTheDialog) {
    WaitCancelScope scope("Ввод...", true);
    for (int i = 0; i < 100; ++i) {
        gNow += 0.019;  // 1.9 s in all
        EXPECT_FALSE(scope.cancelled());
    }
    EXPECT_FALSE(scope.dialogShown());
    EXPECT_EQ(ui.dialogsStarted(), 0);
}

TEST_F(WaitCancelScopeTest, DialogAfterTwoSecondsAndCancelOnTheNextPoll) {
    WaitCancelScope scope("Ввод...", true);
    EXPECT_FALSE(scope.cancelled());  // first poll: timing starts
    gNow += 2.0;
    EXPECT_FALSE(scope.cancelled());  // exactly two seconds: not more than two
    EXPECT_FALSE(scope.dialogShown());
    gNow += 0.5;
    EXPECT_FALSE(scope.cancelled());  // the dialog starts
    EXPECT_TRUE(scope.dialogShown());
    EXPECT_FALSE(scope.cancelled());
    ui.requestCancel();
    EXPECT_TRUE(scope.cancelled());
    EXPECT_TRUE(scope.cancelled());
    scope.close();
    EXPECT_FALSE(scope.dialogShown());
    EXPECT_EQ(ui.dialogsStarted(), 1);
}

TEST_F(WaitCancelScopeTest, WithoutCancelButtonTheOperationRunsToItsEnd) {
    ui.requestCancel();
    WaitCancelScope scope("Расчет...", false);
    scope.cancelled();
    gNow += 3;
    scope.cancelled();
    EXPECT_TRUE(scope.dialogShown());
    EXPECT_FALSE(scope.cancelled());
}

TEST_F(WaitCancelScopeTest, InactiveScopeNeverCancelsNorShows) {
    ui.requestCancel();
    WaitCancelScope scope("x", true, false);
    for (int i = 0; i < 5; ++i) {
        gNow += 1;
        EXPECT_FALSE(scope.cancelled());
    }
    EXPECT_EQ(ui.dialogsStarted(), 0);
}

TEST_F(WaitCancelScopeTest, OneDialogAtATimeAndTheInnerScopeFollowsIt) {
    WaitCancelScope outer("outer", true);
    outer.cancelled();
    gNow += 3;
    outer.cancelled();
    ASSERT_TRUE(outer.dialogShown());
    {
        WaitCancelScope inner("inner", true);
        inner.cancelled();
        gNow += 3;
        EXPECT_FALSE(inner.cancelled());
        EXPECT_FALSE(inner.dialogShown());
        ui.requestCancel();
        EXPECT_TRUE(inner.cancelled());
    }
    EXPECT_TRUE(outer.cancelled());
    EXPECT_EQ(ui.dialogsStarted(), 1);
}

TEST(WaitScope, StatusTextWhileWaitingAndReadyAfter) {
    RecordingStatus status;
    setStatusBar(&status);
    { WaitScope wait; }
    EXPECT_EQ(status.texts, (std::vector<std::string>{"Ждите...", "Готов"}));
    setStatusBar(nullptr);
}

TEST(ProgressBar, StepsWrapAndSetPosClampsAndStatusReturnsToReady) {
    RecordingStatus status;
    setStatusBar(&status);
    {
        CProgressBar bar("Kriging", 50, 10);
        bar.setStep(4);
        bar.stepIt();
        bar.stepIt();
        EXPECT_EQ(bar.pos(), 8);
        EXPECT_EQ(unattendedProgressUi().lastProgressPos(), 8);
        bar.stepIt();  // 12 is past the maximum: starts again
        EXPECT_EQ(bar.pos(), 2);
        bar.setStep(25);  // a step past the whole range still lands inside it
        bar.stepIt();
        EXPECT_EQ(bar.pos(), 7);  // (2 + 25) mod 10
        bar.setPos(25);
        EXPECT_EQ(bar.pos(), 10);
        bar.setPos(-3);
        EXPECT_EQ(bar.pos(), 0);
    }
    ASSERT_FALSE(status.texts.empty());
    EXPECT_EQ(status.texts.back(), "Готов");
    setStatusBar(nullptr);
}

TEST(StatusCounter, LabelResetsAndStepsCount) {
    RecordingStatus status;
    setStatusBar(&status);
    setCounterLabel("Итерация");
    countStep();
    countStep();
    setCounterLabel("Узел");
    countStep();
    EXPECT_EQ(status.texts, (std::vector<std::string>{"Итерация 1", "Итерация 2", "Узел 1"}));
    setStatusBar(nullptr);
    countStep();  // no status bar: nothing happens
}

}  // namespace
}  // namespace gridova
