#include "render/startup_options.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "platform/text_codec.h"

namespace gridova {

namespace {

// The switch letter of an argument, or 0 when it is no switch.
char switchLetter(const std::string& arg) {
    if (arg.size() != 2 || (arg[0] != '-' && arg[0] != '/')) return 0;
    const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(arg[1])));
    static constexpr std::string_view kLetters = "adigvhbncm";
    return kLetters.find(c) != std::string_view::npos ? c : 0;
}

std::string absolute(const std::string& file, const std::filesystem::path& start) {
    const std::filesystem::path p(file);
    return (p.is_absolute() ? p : start / p).lexically_normal().string();
}

}  // namespace

int mapTypeByName(std::string_view name) {
    static constexpr std::array<std::string_view, 5> kNames{
        "locate_points", "isolines", "color_isolines", "color_cells", "circle_values"};
    const std::string l = asciiLower(name);
    for (std::size_t i = 0; i < kNames.size(); ++i) {
        if (l == kNames[i]) return static_cast<int>(i);
    }
    return -1;
}

std::optional<StartupOptions> parseCommandLine(const std::vector<std::string>& args,
                                               const std::filesystem::path& start,
                                               CommandLineError& error) {
    StartupOptions o;
    bool haveFile = false;
    for (std::size_t k = 0; k < args.size(); ++k) {
        const std::string& arg = args[k];
        // Our own long switch: which view the picture of "g" shows.
        if (arg == "--view") {
            if (k + 1 >= args.size()) {
                error.message = "the switch " + arg + " needs a value";
                return std::nullopt;
            }
            const std::string view = asciiLower(args[++k]);
            if (view == "map") {
                o.pictureView = PictureView::Map;
            } else if (view == "relief") {
                o.pictureView = PictureView::Relief;
            } else {
                error.message = "unknown view " + args[k];
                return std::nullopt;
            }
            continue;
        }
        const char letter = switchLetter(arg);
        if (letter == 0) {
            if (!arg.empty() && arg[0] == '-' && arg.size() > 1 && arg != "-") {
                error.message = "unknown switch " + arg;
                return std::nullopt;
            }
            if (!haveFile) {
                o.file = absolute(arg, start);
                haveFile = true;
            } else {
                o.extraFiles.push_back(absolute(arg, start));
            }
            continue;
        }
        switch (letter) {
            case 'a':
                o.openAsArray = true;
                continue;
            case 'd':
                o.trace = true;
                continue;
            case 'h':
                o.endAfterWork = true;
                continue;
            default:
                break;
        }
        if (k + 1 >= args.size()) {
            error.message = "the switch " + arg + " needs a value";
            return std::nullopt;
        }
        const std::string& value = args[++k];
        switch (letter) {
            case 'i':
                o.levelsFile = absolute(value, start);
                break;
            case 'g':
                o.pictureFile = absolute(value, start);
                break;
            case 'v':
                o.valuesFile = absolute(value, start);
                break;
            case 'b':
                o.borderFile = absolute(value, start);
                break;
            case 'n':
                o.gridFile = absolute(value, start);
                break;
            case 'c':
                o.colorFile = absolute(value, start);
                break;
            case 'm':
                o.mapType = mapTypeByName(value);
                if (*o.mapType < 0) {
                    error.message = "unknown map type " + value;
                    return std::nullopt;
                }
                break;
            default:
                break;
        }
    }
    return o;
}

}  // namespace gridova
