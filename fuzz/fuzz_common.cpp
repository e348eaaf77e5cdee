#include "fuzz/fuzz_common.h"

#include <unistd.h>

#include <cstdlib>

namespace gridova::fuzz {

std::string setUpFuzzing() {
    static SilentBoxes boxes;
    setBoxes(&boxes);
    char dir[] = "/tmp/gridova-fuzz-XXXXXX";
    if (::mkdtemp(dir) == nullptr) std::abort();
    if (::chdir(dir) != 0) std::abort();
    ::setenv("GRIDOVA_PROFILE", (std::string(dir) + "/profile.ini").c_str(), 1);
    return dir;
}

}  // namespace gridova::fuzz
