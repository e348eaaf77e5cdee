#include "tests/app/run_program.h"

#include <sys/wait.h>

#include <array>
#include <cstdio>

#include "platform/language.h"
#include "platform/profile.h"

namespace gridova::testing {

RunResult runProgram(const std::string& args, const std::string& environment) {
    // The messages these tests read are the built-in ones: a first start
    // would take the English file beside the program.
    std::string chosen;
    if (readProfileText(kLanguageSection, "File", chosen) != 0) {
        writeProfileText(kLanguageSection, "File", kRussianLanguage);
    }
    // No display: the program must choose the offscreen platform itself.
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " +
                                environment + " " + std::string(GRIDOVA_BINARY) + " " + args +
                                " 2>&1";
    RunResult r;
    std::FILE* p = ::popen(command.c_str(), "r");
    if (p == nullptr) return r;
    std::array<char, 4096> buffer;
    std::size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), p)) > 0) {
        r.output.append(buffer.data(), n);
    }
    const int status = ::pclose(p);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

}  // namespace gridova::testing
