#include "fuzz/fuzz_common.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace gridova::fuzz {

bool writeInput(const std::string& path, const void* data, std::size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    const bool written = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && written;
}

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
