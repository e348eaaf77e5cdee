// Feeds one input to the start-up switches parser: the bytes are cut into
// arguments at NUL and newline bytes (at most kMaxArgs of them).
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_common.h"
#include "render/startup_options.h"

namespace {

constexpr std::size_t kMaxArgs = 64;

void check(bool condition) {
    if (!condition) std::abort();
}

// Every file the switches name is made absolute.
void checkPath(const std::string& path) {
    check(path.empty() || std::filesystem::path(path).is_absolute());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    gridova::fuzz::setUpFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> args;
    std::size_t start = 0;
    while (start < bytes.size() && args.size() < kMaxArgs) {
        std::size_t end = bytes.find_first_of(std::string_view("\0\n", 2), start);
        if (end == std::string_view::npos) end = bytes.size();
        args.emplace_back(bytes.substr(start, end - start));
        start = end + 1;
    }

    static const std::filesystem::path kStart("/fuzz/start");
    gridova::CommandLineError error;
    const std::optional<gridova::StartupOptions> o = gridova::parseCommandLine(args, kStart, error);
    if (!o) {
        check(!error.message.empty());
        return 0;
    }
    for (const std::string* p : {&o->levelsFile, &o->pictureFile, &o->valuesFile, &o->borderFile,
                                 &o->gridFile, &o->colorFile, &o->file}) {
        checkPath(*p);
    }
    for (const std::string& p : o->extraFiles) checkPath(p);
    check(o->extraFiles.empty() || !o->file.empty());
    check(!o->mapType || (*o->mapType >= -1 && *o->mapType <= 4));
    (void)o->unattended();
    for (const std::string& a : args) {
        const int type = gridova::mapTypeByName(a);
        check(type >= -1 && type <= 4);
    }
    return 0;
}
