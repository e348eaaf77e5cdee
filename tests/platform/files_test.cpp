#include "platform/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <vector>

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

// A save removes the temporary files of its own target that a process left
// when it died while writing, and nothing else: not those of a process that
// still runs, not those of another target, not names of another form.
TEST(FileHelpers, ASaveRemovesTheTemporariesOfDeadWriters) {
    // A process that has ended: its id is free (until the system reuses it).
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ASSERT_GT(child, 0);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    const std::string dead = std::to_string(child);
    const std::string living = std::to_string(::getppid());
    const std::string path = writeFile("map.png", "old");
    writeFile("map.png.tmp" + dead + ".aB3dE9", "cut short");
    writeFile("map.png.tmp" + living + ".xY7kQ2", "being written");
    writeFile("map.png.tmpQwErTy", "an older form");
    writeFile("other.png.tmp" + dead + ".aB3dE9", "another target");
    writeFile("map.png.tmp" + dead + ".toolong", "not ours");

    auto out = openBinaryWrite(path);
    ASSERT_NE(out, nullptr);
    // The writer's own temporary file carries its process id.
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(testing::testDir())) {
        names.push_back(e.path().filename().string());
    }
    const std::string own = "map.png.tmp" + std::to_string(::getpid()) + ".";
    EXPECT_EQ(std::count_if(names.begin(), names.end(),
                            [&](const std::string& n) { return n.rfind(own, 0) == 0; }),
              1);
    std::fputs("new", out->file());
    ASSERT_TRUE(commitOrWarn(*out));

    namespace fs = std::filesystem;
    EXPECT_FALSE(fs::exists(testing::testDir() / ("map.png.tmp" + dead + ".aB3dE9")));
    for (const std::string& kept :
         {"map.png.tmp" + living + ".xY7kQ2", std::string("map.png.tmpQwErTy"),
          "other.png.tmp" + dead + ".aB3dE9", "map.png.tmp" + dead + ".toolong"}) {
        EXPECT_TRUE(fs::exists(testing::testDir() / kept)) << kept;
    }
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
