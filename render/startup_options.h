// The start-up switches: a whole map production can run from the command
// line without anyone at the screen.
//
// Each switch is written with a leading "-" or "/", in lower or upper case;
// "/x" is a switch only when the whole argument is "/" and one switch
// letter, so "/tmp/data.dat" is a path. Switches with a value take the next
// argument. The first other argument is the file to open; further ones are
// data files the first map adds as more point sets. File paths are made
// absolute against the starting directory, since the current directory
// later follows the opened file.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace gridova {

// What the picture of "g" shows: the map, or (switch "--view relief") the
// 3D block relief of the map's grid.
enum class PictureView { Map, Relief };

struct StartupOptions {
    bool openAsArray = false;   // "a"
    bool trace = false;         // "d"
    std::string levelsFile;     // "i"
    std::string pictureFile;    // "g"
    std::string valuesFile;     // "v"
    bool endAfterWork = false;  // "h"
    std::string borderFile;     // "b"
    std::string gridFile;       // "n"
    std::string colorFile;      // "c"
    // "m": 0..4 by name (any other name is a usage error); none when absent.
    std::optional<int> mapType;
    PictureView pictureView = PictureView::Map;  // "--view map|relief"
    std::string file;                            // the file to open
    std::vector<std::string> extraFiles;         // more data sets

    // "h" together with "g" or "v": the work is done and the program ends.
    bool unattended() const {
        return endAfterWork && (!pictureFile.empty() || !valuesFile.empty());
    }
};

struct CommandLineError {
    std::string message;
};

// The map type of an "m" value ("locate_points", "isolines",
// "color_isolines", "color_cells", "circle_values", any case); -1 for
// anything else.
int mapTypeByName(std::string_view name);

// Parses the arguments after the program name.
std::optional<StartupOptions> parseCommandLine(const std::vector<std::string>& args,
                                               const std::filesystem::path& startDirectory,
                                               CommandLineError& error);

}  // namespace gridova
