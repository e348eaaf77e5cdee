#include "platform/message_log.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/common/test_env.h"

namespace gridova {
namespace {

using testing::readFile;

class CountingView final : public MessageLogView {
public:
    void showLog() override { ++shown; }
    void linesChanged() override { ++changed; }
    int shown = 0;
    int changed = 0;
};

TEST(MessageLog, FirstMessageEmptiesTheFileAndLaterOnesAppend) {
    testing::writeFile("Message.txt", "old run\n");
    log("first");
    log("second");
    EXPECT_EQ(readFile("Message.txt"), "first\nsecond\n");
}

// "Message.txt" may lie in a folder others write to: whatever stands there
// under that name and is not a plain file of its own is left alone, both for
// the first message (which empties the file) and after the window was closed
// (which appends); the lines are still kept in the list.
TEST(MessageLog, NeverWritesThroughALinkOrIntoAnotherFile) {
    namespace fs = std::filesystem;
    struct Case {
        const char* name;
        void (*place)(const fs::path& target);
        bool reopen;  // log again after the window was closed
    };
    const Case cases[] = {
        {"symbolic link", [](const fs::path& t) { fs::create_symlink(t, "Message.txt"); }, false},
        {"symbolic link, reopened", [](const fs::path& t) { fs::create_symlink(t, "Message.txt"); },
         true},
        {"hard link", [](const fs::path& t) { fs::create_hard_link(t, "Message.txt"); }, false},
        {"dangling link",
         [](const fs::path& t) { fs::create_symlink(t.string() + ".none", "Message.txt"); }, false},
        {"folder", [](const fs::path&) { fs::create_directory("Message.txt"); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messageLog().reset();
        std::error_code ec;
        fs::remove_all("Message.txt", ec);
        const fs::path target = testing::testDir() / "precious.txt";
        testing::writeFile("precious.txt", "keep me\n");
        c.place(target);
        log("first");
        if (c.reopen) {
            messageLog().windowClosed();
            log("second");
        }
        EXPECT_EQ(readFile(target.string()), "keep me\n");
        EXPECT_FALSE(fs::exists(target.string() + ".none"));
        EXPECT_EQ(messageLog().lines().back(), c.reopen ? "second" : "first");
        fs::remove_all("Message.txt", ec);
    }
}

TEST(MessageLog, ClosedWindowReopensAndAppends) {
    CountingView view;
    messageLog().setView(&view);
    log("one");
    EXPECT_EQ(view.shown, 1);
    messageLog().windowClosed();
    log("two");
    EXPECT_EQ(view.shown, 2);
    EXPECT_EQ(readFile("Message.txt"), "one\ntwo\n");
    EXPECT_EQ(view.changed, 2);
    messageLog().setView(nullptr);
}

TEST(MessageLog, ListKeepsTheLast100LinesButTheFileKeepsAll) {
    for (int i = 1; i <= 101; ++i) log("line " + std::to_string(i));
    const auto lines = messageLog().lines();
    ASSERT_EQ(lines.size(), 100u);
    EXPECT_EQ(lines.front(), "line 2");
    EXPECT_EQ(lines.back(), "line 101");
    EXPECT_EQ(readFile("Message.txt").rfind("line 1\n", 0), 0u);
}

TEST(MessageLog, LongTextsAndLineFeedsSplitIntoListLines) {
    log(std::string(2500, 'a'));
    auto lines = messageLog().lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].size(), 1024u);
    EXPECT_EQ(lines[1].size(), 1024u);
    EXPECT_EQ(lines[2].size(), 452u);

    // Characters, not bytes: 1500 Cyrillic letters are 1024 + 476 letters.
    messageLog().reset();
    std::string cyrillic;
    for (int i = 0; i < 1500; ++i) cyrillic += "ж";
    log(cyrillic);
    lines = messageLog().lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size(), 2048u);
    EXPECT_EQ(lines[1].size(), 952u);

    messageLog().reset();
    log("a\nb\n\nc");
    lines = messageLog().lines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2], "");
    EXPECT_EQ(lines[3], "c");
    EXPECT_EQ(readFile("Message.txt"), "a\nb\n\nc\n");
}

TEST(MessageLog, LogNumberAndTrace) {
    logNumber("Points", 42);
    trace("not traced");
    messageLog().setTraceOn(true);
    trace("traced");
    // The file is complete after every traced line.
    EXPECT_EQ(readFile("Message.txt"), "Points 42\ntraced\n");
    log("after");
    EXPECT_EQ(readFile("Message.txt"), "Points 42\ntraced\nafter\n");
}

}  // namespace
}  // namespace gridova
