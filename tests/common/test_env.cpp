#include "tests/common/test_env.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/message_log.h"
#include "platform/messages.h"
#include "platform/progress.h"
#include "platform/status.h"

namespace gridova::testing {
namespace {

std::filesystem::path gDir;
std::filesystem::path gEnvDir;  // the test's home and XDG folders, beside gDir
std::filesystem::path gStartDir;

// A fresh temporary directory; the run stops when none can be made.
std::filesystem::path makeTempDir(const char* prefix) {
    std::string pattern = (std::filesystem::temp_directory_path() / prefix).string() + "XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    return pattern;
}

// Points HOME and the XDG folders into `root`, so that nothing a test does
// (Qt's own settings, a profile under ~/.config, runtime files) reaches the
// real home folder or the next test.
void privateHome(const std::filesystem::path& root) {
    namespace fs = std::filesystem;
    std::error_code ec;
    for (const char* sub : {"home", "config", "cache", "data", "runtime"}) {
        fs::create_directories(root / sub, ec);
    }
    fs::permissions(root / "runtime", fs::perms::owner_all, ec);
    ::setenv("HOME", (root / "home").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (root / "cache").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (root / "runtime").c_str(), 1);
}

class FreshDirectory : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override {
        if (gStartDir.empty()) gStartDir = std::filesystem::current_path();
        gDir = makeTempDir("gridova-test-");
        gEnvDir = makeTempDir("gridova-test-home-");
        privateHome(gEnvDir);
        std::filesystem::current_path(gDir);
        ::setenv("GRIDOVA_PROFILE", (gDir / "profile.ini").c_str(), 1);
        messageLog().reset();
        setBoxes(nullptr);
        setStatusBar(nullptr);
        setProgressUi(nullptr);
        unattendedProgressUi().reset();
        setLanguageTable(nullptr);
    }
    void OnTestEnd(const ::testing::TestInfo& info) override {
        messageLog().reset();
        std::filesystem::current_path(gStartDir);
        std::error_code ec;
        std::filesystem::remove_all(gEnvDir, ec);
        if (!info.result()->Failed()) std::filesystem::remove_all(gDir, ec);
    }
};

}  // namespace

const std::filesystem::path& testDir() { return gDir; }

std::filesystem::path makeTempDirForProcess(const char* prefix) {
    const std::filesystem::path root = makeTempDir(prefix);
    privateHome(root);
    return root;
}

std::string writeFile(const std::string& name, const std::string& content) {
    const auto path = gDir / name;
    std::ofstream out(path, std::ios::binary);
    out << content;
    return path.string();
}

std::string lastLogged() {
    const auto lines = messageLog().lines();
    return lines.empty() ? std::string() : lines.back();
}

std::size_t timesLogged(std::string_view text) {
    std::size_t n = 0;
    for (const std::string& line : messageLog().lines()) n += line == text ? 1 : 0;
    return n;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

StderrCapture::StderrCapture() {
    std::fflush(stderr);
    path_ = (gDir / "stderr.txt").string();
    saved_ = ::dup(2);
    std::FILE* f = std::fopen(path_.c_str(), "w");
    ::dup2(::fileno(f), 2);
    std::fclose(f);
}

StderrCapture::~StderrCapture() { text(); }

std::string StderrCapture::text() {
    if (!done_) {
        std::fflush(stderr);
        std::cerr.flush();
        ::dup2(saved_, 2);
        ::close(saved_);
        done_ = true;
    }
    return readFile(path_);
}

}  // namespace gridova::testing

#if defined(GRIDOVA_TEST_WIDGETS)
#include <QApplication>
#elif defined(GRIDOVA_TEST_GUI)
#include <QGuiApplication>
#endif

int main(int argc, char** argv) {
    // The whole program runs with a home of its own (Qt reads some of these
    // folders once, before the first test starts); each test then gets its
    // own as well.
    const std::filesystem::path processHome =
        gridova::testing::makeTempDirForProcess("gridova-test-home-");
#ifdef GRIDOVA_TEST_GUI
    // Fonts and pictures need the GUI application; no window is shown.
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
#ifdef GRIDOVA_TEST_WIDGETS
    QApplication application(argc, argv);
#else
    QGuiApplication application(argc, argv);
#endif
#endif
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new gridova::testing::FreshDirectory);
    const int result = RUN_ALL_TESTS();
    std::error_code ec;
    std::filesystem::remove_all(processHome, ec);
    return result;
}
