// The message window "Сообщения" on the offscreen platform: shown by the
// first message, the last 100 lines with the last selected, closed and
// shown again at its remembered place, messages from other threads.
#include <gtest/gtest.h>

#include <QListWidget>
#include <string>
#include <thread>

#include "app/main_window.h"
#include "app/message_window.h"
#include "platform/message_log.h"
#include "platform/profile.h"
#include "tests/app/main_window_fixtures.h"

namespace gridova {
namespace {

using namespace apptest;

class MessageWindowTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        messageLog().reset();
    }
    void TearDown() override {
        messageLog().reset();
        MainWindowTest::TearDown();
    }
    MessageWindow& messages() { return *window_->messageWindow(); }
};

TEST_F(MessageWindowTest, TheFirstMessageShowsTheWindowWithTheLastLineSelected) {
    EXPECT_FALSE(messages().isVisible());
    log("первая строка\nвторая строка");
    settle();
    ASSERT_TRUE(messages().isVisible());
    EXPECT_EQ(messages().windowTitle().toStdString(), "Сообщения");
    ASSERT_EQ(messages().list()->count(), 2);
    EXPECT_EQ(messages().list()->currentRow(), 1);

    for (int k = 0; k < 120; ++k) log("строка " + std::to_string(k));
    settle();
    ASSERT_EQ(messages().list()->count(), 100);
    EXPECT_EQ(messages().list()->item(99)->text().toStdString(), "строка 119");
    EXPECT_EQ(messages().list()->item(0)->text().toStdString(), "строка 20");
    EXPECT_EQ(messages().list()->currentRow(), 99);
}

TEST_F(MessageWindowTest, ClosedItComesBackAtItsPlaceWithTheNextMessage) {
    log("одна");
    settle();
    ASSERT_TRUE(messages().isVisible());
    messages().move(140, 90);
    settle();
    const QPoint placed = messages().frameGeometry().topLeft();
    messages().close();
    settle();
    EXPECT_FALSE(messages().isVisible());
    const std::optional<WindowRect> stored = readWindowRect(MessageWindow::kResource);
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->left, placed.x());
    EXPECT_EQ(stored->top, placed.y());

    messages().move(0, 0);
    log("другая");
    settle();
    ASSERT_TRUE(messages().isVisible());
    EXPECT_EQ(messages().pos(), QPoint(stored->left, stored->top));
    // The list kept the lines; the file was appended to.
    EXPECT_EQ(messages().list()->count(), 2);
    EXPECT_EQ(testing::readFile(MessageLog::kFileName), "одна\nдругая\n");
}

TEST_F(MessageWindowTest, MessagesFromAnotherThreadShowOnTheWindowsThread) {
    std::thread worker([] { log("из потока"); });
    worker.join();
    settle();
    ASSERT_TRUE(messages().isVisible());
    ASSERT_EQ(messages().list()->count(), 1);
    EXPECT_EQ(messages().list()->item(0)->text().toStdString(), "из потока");
}

}  // namespace
}  // namespace gridova
