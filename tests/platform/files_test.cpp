#include "platform/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/message_log.h"
#include "tests/common/test_env.h"

namespace gridova {
namespace {

using testing::lastLogged;

using testing::readFile;
using testing::writeFile;

TEST(FileHelpers, ReadFailuresWarnWithThePath) {
    const std::string missing = (testing::testDir() / "missing.dat").string();
    EXPECT_EQ(openTextRead(missing), nullptr);
    EXPECT_EQ(lastLogged(), "Нельзя открыть файл " + missing + " для считывания");

    // A directory is not a file to read.
    EXPECT_EQ(openBinaryRead(testing::testDir().string()), nullptr);
    EXPECT_EQ(lastLogged(),
              "Нельзя открыть файл " + testing::testDir().string() + " для считывания");

    const std::string present = writeFile("a.txt", "abc");
    EXPECT_NE(openTextRead(present), nullptr);
}

TEST(FileHelpers, WritingReplacesTheFileOnlyOnCommit) {
    const std::string path = writeFile("out.txt", "old");
    {
        auto out = openTextWrite(path);
        ASSERT_NE(out, nullptr);
        std::fputs("new", out->file());
        // Not committed: the old file stays and no temporary file is left.
    }
    EXPECT_EQ(readFile(path), "old");
    int files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(testing::testDir())) {
        ++files;
    }
    EXPECT_EQ(files, 1);

    auto out = openTextWrite(path);
    ASSERT_NE(out, nullptr);
    std::fputs("new", out->file());
    EXPECT_TRUE(commitOrWarn(*out));
    EXPECT_EQ(readFile(path), "new");
}

TEST(FileHelpers, NewFilesGetTheUsualModeAndReplacedFilesKeepTheirs) {
    const std::string fresh = (testing::testDir() / "fresh.txt").string();
    auto out = openTextWrite(fresh);
    ASSERT_TRUE(out->commit());
    struct stat st {};
    ASSERT_EQ(::stat(fresh.c_str(), &st), 0);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);

    ::chmod(fresh.c_str(), 0640);
    out = openTextWrite(fresh);
    ASSERT_TRUE(out->commit());
    ASSERT_EQ(::stat(fresh.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(FileHelpers, WriteFailureWarns) {
    const std::string path = (testing::testDir() / "no-such-dir" / "x.txt").string();
    EXPECT_EQ(openBinaryWrite(path), nullptr);
    EXPECT_EQ(lastLogged(), "Нельзя записать в файл " + path);
    // A directory is never replaced by a file.
    EXPECT_EQ(openTextWrite(testing::testDir().string()), nullptr);
}

TEST(FileHelpers, UnattendedRunsChooseNoFile) {
    EXPECT_FALSE(chooseFile(true, "dat").has_value());
    EXPECT_EQ(chooseAndOpenRead("dat"), nullptr);
}

class FakeChooser final : public FileChooser {
public:
    std::optional<std::string> choose(bool, const std::string& ext, const std::string& f) override {
        filter = f;
        return (testing::testDir() / ("chosen." + ext)).string();
    }
    std::string filter;
};

TEST(FileHelpers, ChooserGetsTheFilterWithTheExtension) {
    FakeChooser chooser;
    setFileChooser(&chooser);
    auto out = chooseAndOpenTextWrite("dat");
    ASSERT_NE(out, nullptr);
    EXPECT_TRUE(out->commit());
    EXPECT_EQ(chooser.filter, " (*.dat)|*.dat|Все файлы (*.*)|*.*||");
    setFileChooser(nullptr);
}

TEST(PathParts, DirectoryAndExtension) {
    EXPECT_EQ(directoryOf("/a/b/c.dat"), "/a/b/");
    EXPECT_EQ(directoryOf("c.dat"), "");
    EXPECT_EQ(extensionOf("/a/b.c/d.GDV"), "GDV");
    EXPECT_EQ(extensionOf("/a/b.c/d"), "");
}

}  // namespace
}  // namespace gridova
