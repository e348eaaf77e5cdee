// Test support: every test runs in a fresh temporary directory with a fresh
// profile file ($GRIDOVA_PROFILE), an empty message log and the unattended
// boxes and progress.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace gridova::testing {

// The current test's temporary directory (also the current directory).
// HOME, XDG_CONFIG_HOME, XDG_CACHE_HOME, XDG_DATA_HOME and XDG_RUNTIME_DIR
// point into it too.
const std::filesystem::path& testDir();
// A temporary directory with HOME and the XDG folders pointed into it, for
// the whole test program (main makes one before Qt starts).
std::filesystem::path makeTempDirForProcess(const char* prefix);

// Writes a file in the test directory and gives its path.
std::string writeFile(const std::string& name, const std::string& content);
std::string readFile(const std::string& path);

// The last line of the message log, or an empty text.
std::string lastLogged();
// How many lines of the message log are this text.
std::size_t timesLogged(std::string_view text);

// Captures standard error for its lifetime.
class StderrCapture {
public:
    StderrCapture();
    ~StderrCapture();
    std::string text();

private:
    int saved_;
    std::string path_;
    bool done_ = false;
};

}  // namespace gridova::testing
