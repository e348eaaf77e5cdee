// The unattended map production: the program run with switches, without a
// display, checked by its exit status and the files it leaves.
#include <gtest/gtest.h>

#if GRIDOVA_HAVE_GDAL
#include "exchange/gdal_raster.h"
#endif
#include <sys/wait.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>

#include "objects/line_text_files.h"
#include "platform/language.h"
#include "platform/messages.h"
#include "platform/profile.h"
#include "render/startup_options.h"
#include "resources/builtin_texts.h"
#include "tests/app/run_program.h"
#include "tests/common/test_env.h"

namespace gridova {
namespace {

namespace fs = std::filesystem;
using testing::runProgram;
using testing::RunResult;

// 60 points of a smooth surface in "x y value" lines with a title line.
std::string dataText() {
    std::string text = "Test field\n";
    for (int k = 0; k < 60; ++k) {
        const double x = (k * 37) % 100, y = (k * 53) % 80;
        const double v = 10 + 5 * std::sin(x / 20) + 3 * std::cos(y / 15);
        text += std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(v) + "\n";
    }
    return text;
}

bool startsWith(const std::string& text, std::string_view head) {
    return text.compare(0, head.size(), head) == 0;
}

struct CommandCase {
    const char* what;
    std::string args;
    int status;
    std::vector<std::string> written;     // files that must exist afterwards
    std::vector<std::string> notWritten;  // files that must not
    std::string says = {};                // a part of what it must print
};

// Data at the end of the number range: values from `low` to `high`, in
// thirds.
std::string hugeDataText(const char* low, const char* middle, const char* high) {
    std::string text = "Huge values\n";
    for (int k = 0; k < 40; ++k) {
        const double x = (k * 37) % 100, y = (k * 53) % 80;
        text += std::to_string(x) + " " + std::to_string(y) + " " +
                (k % 3 == 0 ? low : (k % 3 == 1 ? high : middle)) + "\n";
    }
    return text;
}

TEST(UnattendedRun, CommandLines) {
    const fs::path dir = testing::testDir();
    testing::writeFile("data.dat", dataText());
    fs::create_directories(dir / "in");
    testing::writeFile("in/field.dat", dataText());
    const std::string data = (dir / "data.dat").string();
    testing::writeFile("two.lev", "* two levels only\n10 12\n");
    testing::writeFile("three.lev", "9 11\n13\n");
    std::string many;
    for (int k = 0; k <= 100000; ++k) many += std::to_string(k % 20) + "\n";
    testing::writeFile("many.lev", many);
    testing::writeFile("surface.grd", "DSAA\n2 2\n0 1\n0 1\n0 1\n0 1\n1 0\n");
    testing::writeFile("huge.dat", hugeDataText("1e308", "1.2e308", "1.5e308"));
    testing::writeFile("span.dat", hugeDataText("-1.5e308", "1e308", "1.5e308"));
    testing::writeFile("fake.emf", "a text that is no picture");
    testing::writeFile("notapicture.png", "a text that is no picture either");
    testing::writeFile("bad.grd", "DSAA\n2 2\n0 1\n0 1\n0 1\n1 zero 2 3\n");
    fs::create_directories(dir / "row");
    fs::create_directories(dir / "misfit");
    testing::writeFile("row/row.txt", "1 4 2 8 5 7 3\n");
    testing::writeFile("misfit/misfit.txt", "1 2 3 4 5 6 7 8 9 10\n");
    testing::writeFile("misfit/Dimensn.arr", "ArrayDimension:00\n4 3 1\n1\n1\n1\n1\n1\n1\n1\n");
    testing::writeFile("words.txt", "no numbers here\n* 1 2 3\n");
    const CommandCase cases[] = {
        {"values as a binary grid file",
         "-m isolines -v values.GRD -h data.dat",
         0,
         {"values.GRD"},
         {}},
        {"an enhanced metafile", "-m color_isolines -g map.emf -h data.dat", 0, {"map.emf"}, {}},
        {"a Windows metafile", "-m color_isolines -g map.WMF -h data.dat", 0, {"map.WMF"}, {}},
        {"metafiles opened as maps", "-g back.png map.emf", 0, {"back.png"}, {}},
        {"a Windows metafile opened as a map", "-g back2.png map.WMF", 0, {"back2.png"}, {}},
        {"a metafile that is no metafile",
         "-g fake.png fake.emf",
         1,
         {},
         {"fake.png"},
         "не является метафайлом"},
        {"a vector picture into a missing folder",
         "-m isolines -g nowhere/map.svg -h data.dat",
         3,
         {},
         {"nowhere"},
         "Нельзя записать в файл"},
        {"isolines, picture and values",
         "-m isolines -g map.png -v grid.txt -h data.dat",
         0,
         {"map.png", "grid.txt"},
         {}},
        {"a missing data file", "-m isolines -g miss.png -h missing.dat", 1, {}, {"miss.png"}},
        {"an unknown picture type", "-m isolines -g out.xyz -h data.dat", 3, {}, {"out.xyz"}},
        {"values of a map without values",
         "-m locate_points -v none.txt -h data.dat",
         3,
         {},
         {"none.txt"}},
        {"switches in capitals and with a slash",
         "/M ISOLINES /G caps.png /H data.dat",
         0,
         {"caps.png"},
         {}},
        {"a path starting with a slash", "-m isolines -g abs.png -h " + data, 0, {"abs.png"}, {}},
        {"paths from the starting directory",
         "-m isolines -g rel.png -h in/field.dat",
         0,
         {"rel.png"},
         {"in/rel.png"}},
        {"a value switch without its value", "-m isolines -g", 2, {}, {}},
        {"an unknown switch", "-q data.dat", 2, {}, {}},
        {"an unknown map type",
         "-m nosuchtype -g type.png -h data.dat",
         2,
         {},
         {"type.png"},
         "unknown map type nosuchtype"},
        {"a levels file that cannot be opened",
         "-i none.lev -m isolines -g lev1.png -h data.dat",
         1,
         {},
         {"lev1.png"},
         "Нельзя открыть файл"},
        {"a levels file of two numbers",
         "-i two.lev -m isolines -g lev2.png -h data.dat",
         1,
         {},
         {"lev2.png"},
         "не взяты"},
        {"a levels file of more numbers than are taken",
         "-i many.lev -m isolines -g lev3.png -h data.dat",
         1,
         {},
         {"lev3.png"},
         "больше 100000 уровней"},
        {"a levels file", "-i three.lev -m isolines -g lev4.png -h data.dat", 0, {"lev4.png"}, {}},
        {"a grid file", "-m isolines -g grd.png -h surface.grd", 0, {"grd.png"}, {}},
        {"a grid file that is no grid",
         "-m isolines -g bad.png -h bad.grd",
         1,
         {},
         {"bad.png"},
         "Bad format has been detected in"},
        {"the 3D relief as the picture",
         "--view relief -m color_isolines -g relief.png -h data.dat",
         0,
         {"relief.png"},
         {}},
        {"the 3D relief of a map without values",
         "--view relief -m locate_points -g flat.png -h data.dat",
         3,
         {},
         {"flat.png"},
         "нет значений для 3D"},
        {"the 3D relief into an unknown picture type",
         "--view RELIEF -m isolines -g relief.xyz -h data.dat",
         3,
         {},
         {"relief.xyz"}},
        {"an unknown view", "--view side -m isolines -g side.png -h data.dat", 2, {}, {"side.png"}},
        {"a picture opened as a map",
         "-g shown.png " + std::string(GRIDOVA_SOURCE_DIR) + "/tests/fixtures/pictures/gif87a.gif",
         0,
         {"shown.png"},
         {}},
        {"a picture that is none",
         "-g none.png notapicture.png",
         1,
         {},
         {"none.png"},
         "notapicture.png"},
        {"a 1D array is a series graph",
         "-a -m color_isolines -g series.png -h row/row.txt",
         0,
         {"series.png"},
         {}},
        {"an array whose Dimensn.arr does not fit it",
         "-a -m isolines -g misfit.png -h misfit/misfit.txt",
         0,
         {"misfit.png"},
         {},
         "Определите размерность массива заново"},
        {"an array without numbers",
         "-a -m isolines -g empty.png -h words.txt",
         1,
         {},
         {"empty.png"},
         "нет чисел"},
        {"values near the end of the number range",
         "-m color_isolines -v huge.txt -g huge.png -h huge.dat",
         0,
         {"huge.txt", "huge.png"},
         {}},
        {"values whose span leaves the number range",
         "-m isolines -v span.txt -g span.png -h span.dat",
         3,
         {},
         {"span.txt", "span.png"},
         "их размах выходит за пределы"},
    };
    for (const CommandCase& c : cases) {
        const RunResult r = runProgram(c.args);
        EXPECT_EQ(r.status, c.status) << c.what << "\n" << r.output;
        for (const std::string& f : c.written)
            EXPECT_TRUE(fs::exists(dir / f)) << c.what << ": " << f;
        for (const std::string& f : c.notWritten) {
            EXPECT_FALSE(fs::exists(dir / f)) << c.what << ": " << f;
        }
        if (!c.says.empty()) {
            EXPECT_NE(r.output.find(c.says), std::string::npos) << c.what << "\n" << r.output;
        }
    }
    // A ".grd" name gets the binary grid file, not text.
    EXPECT_EQ(testing::readFile((dir / "values.GRD").string()).substr(0, 4), "DSBB");
    // The values at the end of the range are numbers, every one of them
    // within the data's range (the equation system keeps to it).
    {
        std::istringstream values(testing::readFile((dir / "huge.txt").string()));
        std::string line;
        std::getline(values, line);  // "* X = ..."
        std::size_t count = 0;
        for (std::string word; values >> word; ++count) {
            char* end = nullptr;
            const double v = std::strtod(word.c_str(), &end);
            ASSERT_TRUE(*end == '\0' && std::isfinite(v)) << word;
            EXPECT_GE(v, 1e308) << word;
            EXPECT_LE(v, 1.5e308) << word;
        }
        EXPECT_EQ(count, 100u * 100u);
    }
    // The missing file was reported with its message.
    const RunResult missing = runProgram("-m isolines -g miss.png -h missing.dat");
    EXPECT_NE(missing.output.find("Нельзя открыть файл"), std::string::npos) << missing.output;

    // The values file has the block form's header, the picture is a PNG of
    // the page size (800 × 800: IHDR width and height at bytes 16..23).
    const std::string values = testing::readFile((dir / "grid.txt").string());
    EXPECT_TRUE(startsWith(values, "* X = 100  Y = 100\n")) << values.substr(0, 40);
    const std::string png = testing::readFile((dir / "map.png").string());
    ASSERT_GT(png.size(), 24u);
    EXPECT_TRUE(startsWith(png, "\x89PNG\r\n\x1a\n"));
    EXPECT_EQ(png.substr(16, 8), std::string("\0\0\x03\x20\0\0\x03\x20", 8));
}

// A normal run writes nothing to the message log: no "Message.txt" beside
// the data and nothing on standard error, for every map type, with and
// without a border.
TEST(UnattendedRun, EveryMapTypeLeavesTheMessageLogEmpty) {
    testing::writeFile("data.dat", dataText());
    LineList border;
    border.add(Line(std::vector<LinePoint>{{20, 10}, {80, 10}, {80, 70}, {20, 70}, {20, 10}}));
    ASSERT_TRUE(saveLineListFile((testing::testDir() / "area.brd").string(), border));
    for (const char* type :
         {"locate_points", "isolines", "color_isolines", "color_cells", "circle_values"}) {
        for (const bool bordered : {false, true}) {
            SCOPED_TRACE(::testing::Message() << type << (bordered ? " with a border" : ""));
            const std::string name = std::string(type) + (bordered ? "_b" : "");
            const bool valued =
                std::string(type) != "locate_points" && std::string(type) != "circle_values";
            const RunResult r =
                runProgram(std::string(bordered ? "-b area.brd " : "") + "-m " + type + " -g " +
                           name + ".png " + (valued ? "-v " + name + ".txt " : "") + "-h data.dat");
            EXPECT_EQ(r.status, 0) << r.output;
            EXPECT_EQ(r.output, "");
            EXPECT_FALSE(fs::exists(testing::testDir() / "Message.txt"))
                << testing::readFile((testing::testDir() / "Message.txt").string());
            std::error_code ec;
            fs::remove(testing::testDir() / "Message.txt", ec);
        }
    }
}

// An array folds as the "Dimensn.arr" beside it says: 4 columns of width
// 10 from X = 100 and 3 rows of height 2 from Y = -1. The map's grid has a
// node at every cell centre (and on the outer edges): the grid's inner
// nodes written by "-v" are the array's values, top row first.
TEST(UnattendedRun, AnArrayFoldsAsItsDimensionFileSays) {
    fs::create_directories(testing::testDir() / "grid");
    testing::writeFile("grid/cells.txt", "* rows from the bottom\n1 2 3 4\n5 6 7 8\n9 10 11 12\n");
    testing::writeFile("grid/Dimensn.arr",
                       "ArrayDimension:01\n4 3 1\n100 -1\n10\n10\n10\n10\n2\n2\n2\n");
    const RunResult r =
        runProgram("-a -m color_isolines -g cells.png -v cells.txt -h grid/cells.txt");
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(r.output, "");
    std::istringstream values(testing::readFile((testing::testDir() / "cells.txt").string()));
    std::string header;
    std::getline(values, header);
    EXPECT_EQ(header, "* X = 4  Y = 3");
    std::vector<double> read;
    for (double v = 0; values >> v;) read.push_back(v);
    EXPECT_EQ(read, (std::vector<double>{9, 10, 11, 12, 5, 6, 7, 8, 1, 2, 3, 4}));
    EXPECT_TRUE(fs::exists(testing::testDir() / "cells.png"));
}

#if GRIDOVA_HAVE_GDAL
// A raster opens as a map of its pixels' centres and its values go out as
// a GeoTIFF whose inner pixels are the raster's (the grid has one more
// node each side); "-n" lays the grid of data over the raster's nodes.
TEST(UnattendedRun, ARasterIsAMapAndAGrid) {
    const std::string raster =
        (fs::path(GRIDOVA_SOURCE_DIR) / "tests/fixtures/gdal/north_up.tif").string();
    const RunResult r = runProgram("-m color_isolines -g raster.png -v raster.tif -h " + raster);
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_TRUE(fs::exists(testing::testDir() / "raster.png"));
    const std::optional<ImportedGrid> in = readRasterGrid(raster);
    const std::optional<ImportedGrid> out =
        readRasterGrid((testing::testDir() / "raster.tif").string());
    ASSERT_TRUE(in && out);
    ASSERT_EQ(out->nx, in->nx + 2);
    ASSERT_EQ(out->ny, in->ny + 2);
    EXPECT_DOUBLE_EQ(out->xlo, in->xlo - 2.5);
    EXPECT_DOUBLE_EQ(out->yhi, in->yhi + 1.25);
    for (std::int32_t row = 0; row < in->ny; ++row) {
        for (std::int32_t column = 0; column < in->nx; ++column) {
            if (isBlank(in->at(row, column))) continue;
            // Float32 pixels against the grid's doubles.
            EXPECT_NEAR(out->at(row + 1, column + 1), in->at(row, column), 1e-6)
                << row << "," << column;
        }
    }

    // Points inside the raster's extent interpolated on its lattice.
    testing::writeFile("inside.dat", "1001 1997 1\n1009 1997 2\n1005 1999.4 3\n1002 1999 4\n");
    const RunResult n = runProgram("-n " + raster + " -m isolines -v inside.txt -h inside.dat");
    ASSERT_EQ(n.status, 0) << n.output;
    std::istringstream values(testing::readFile((testing::testDir() / "inside.txt").string()));
    std::string header;
    std::getline(values, header);
    EXPECT_EQ(header, "* X = 6  Y = 5");
}
#endif

// A relative $GRIDOVA_PROFILE is a file in the folder the program was
// started in, although the program then moves into the data's folder.
TEST(UnattendedRun, ARelativeProfilePathIsTakenFromTheStartingFolder) {
    fs::create_directories(testing::testDir() / "in");
    testing::writeFile("in/field.dat", dataText());
    testing::writeFile("three.lev", "9 11\n13\n");
    const RunResult r = runProgram("-i three.lev -m isolines -g rel.png -h in/field.dat",
                                   "GRIDOVA_PROFILE=own.ini");
    ASSERT_EQ(r.status, 0) << r.output;
    // The levels are kept in the profile.
    const std::string profile = testing::readFile((testing::testDir() / "own.ini").string());
    EXPECT_NE(profile.find("Contour2=13"), std::string::npos) << profile;
    EXPECT_FALSE(fs::exists(testing::testDir() / "in" / "own.ini"));
}

TEST(UnattendedRun, ABorderFileBlanksTheValuesOutsideIt) {
    testing::writeFile("data.dat", dataText());
    LineList border;
    border.add(Line(std::vector<LinePoint>{{30, 20}, {70, 20}, {70, 60}, {30, 60}, {30, 20}}));
    const std::string borderPath = (testing::testDir() / "area.brd").string();
    ASSERT_TRUE(saveLineListFile(borderPath, border));
    const RunResult r = runProgram("-b area.brd -m isolines -v bgrid.txt -h data.dat");
    ASSERT_EQ(r.status, 0) << r.output;
    const std::string values = testing::readFile((testing::testDir() / "bgrid.txt").string());
    // The top row starts outside the border: blank nodes are written as 0;
    // inside, the heads of the field (10 ± 8) are never 0.
    const std::size_t row = values.find('\n') + 1;
    EXPECT_EQ(values.substr(row, 8), "   0.000") << values.substr(0, 200);
    std::size_t zeros = 0, others = 0;
    for (std::size_t at = values.find(' ', row); at != std::string::npos;
         at = values.find_first_of(" \n", at + 1)) {
        const std::size_t end = values.find_first_of(" \n", at + 1);
        if (end == std::string::npos) break;
        const std::string number = values.substr(at + 1, end - at - 1);
        if (number.empty()) continue;
        (number == "0.000" ? zeros : others) += 1;
    }
    EXPECT_GT(zeros, 3000u);
    EXPECT_GT(others, 1000u);
}

TEST(CommandLine, SwitchesAndFiles) {
    const fs::path start = "/start";
    CommandLineError error;
    const auto o = parseCommandLine(
        {"-m",       "Color_Isolines", "/g", "pic.png", "-V", "/out/v.txt", "-h", "-b", "b.brd",
         "-n",       "g.net",          "-i", "l.txt",   "-c", "c.clr",      "-a", "-d", "main.dat",
         "more.dat", "/abs.dat"},
        start, error);
    ASSERT_TRUE(o.has_value()) << error.message;
    EXPECT_EQ(o->mapType, 2);
    EXPECT_EQ(o->pictureFile, "/start/pic.png");
    EXPECT_EQ(o->valuesFile, "/out/v.txt");
    EXPECT_EQ(o->borderFile, "/start/b.brd");
    EXPECT_EQ(o->gridFile, "/start/g.net");
    EXPECT_EQ(o->levelsFile, "/start/l.txt");
    EXPECT_EQ(o->colorFile, "/start/c.clr");
    EXPECT_TRUE(o->openAsArray);
    EXPECT_TRUE(o->trace);
    EXPECT_TRUE(o->unattended());
    EXPECT_EQ(o->file, "/start/main.dat");
    EXPECT_EQ(o->extraFiles, (std::vector<std::string>{"/start/more.dat", "/abs.dat"}));

    // An unknown map type is a usage error, never passed over.
    EXPECT_FALSE(parseCommandLine({"-m", "contours", "x.dat"}, start, error).has_value());
    EXPECT_EQ(error.message, "unknown map type contours");
    const auto other = parseCommandLine({"-m", "ISOLINES", "x.dat"}, start, error);
    ASSERT_TRUE(other.has_value());
    EXPECT_EQ(other->mapType, 1);
    EXPECT_FALSE(other->unattended());  // no "h"
    EXPECT_FALSE(
        parseCommandLine({"-h", "x.dat"}, start, error)->unattended());  // nothing to write
    EXPECT_FALSE(parseCommandLine({"x.dat", "-v"}, start, error).has_value());
}

// The English file shipped beside the program has a text for every
// built-in text and none besides, each taking the arguments the built-in
// text takes; with it, a first start speaks English.
TEST(EnglishLanguage, EveryBuiltinTextHasItsEnglishText) {
    const fs::path shipped = fs::path(GRIDOVA_BINARY).parent_path() / "English.lng";
    ASSERT_TRUE(fs::exists(shipped)) << shipped;
    const std::optional<LanguageTable> english = readLanguageFile(shipped.string());
    ASSERT_TRUE(english.has_value());
    std::size_t builtins = 0;
    for (const resources::BuiltinText& t : resources::builtinTexts()) {
        ++builtins;
        const auto it = english->find(t.number);
        if (it == english->end()) {
            ADD_FAILURE() << "no English text for " << t.number << " " << t.text;
            continue;
        }
        EXPECT_FALSE(it->second.empty()) << t.number;
        EXPECT_EQ(conversionsOf(it->second), conversionsOf(t.text)) << t.number;
    }
    for (const auto& [number, english_text] : *english) {
        EXPECT_NE(resources::builtinText(number), nullptr)
            << "an English text without a built-in one: " << number << " " << english_text;
    }
    EXPECT_EQ(english->size(), builtins);
    // The source and the copy beside the program are the same.
    EXPECT_EQ(
        testing::readFile(shipped.string()),
        testing::readFile(std::string(GRIDOVA_SOURCE_DIR) + "/resources/languages/English.lng"));

    // A first start (no language kept) takes it: the program's messages
    // are English.
    removeProfileKey(kLanguageSection, "File");
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " +
                                std::string(GRIDOVA_BINARY) +
                                " -i none.lev -m isolines -h x.dat 2>&1";
    std::string output;
    if (std::FILE* p = ::popen(command.c_str(), "r")) {
        std::array<char, 4096> buffer;
        std::size_t n;
        while ((n = std::fread(buffer.data(), 1, buffer.size(), p)) > 0)
            output.append(buffer.data(), n);
        ::pclose(p);
    }
    EXPECT_NE(output.find("Cannot open file"), std::string::npos) << output;
    std::string kept;
    readProfileText(kLanguageSection, "File", kept);
    EXPECT_EQ(kept, "English.lng");
    writeProfileText(kLanguageSection, "File", kRussianLanguage);
}

// The help page shipped beside the program names every switch the usage
// text lists, and the build put it there.
TEST(HelpPage, NamesEverySwitchOfTheUsage) {
    const fs::path page = fs::path(GRIDOVA_BINARY).parent_path() / "help" / "index.html";
    ASSERT_TRUE(fs::exists(page)) << page;
    const std::string help = testing::readFile(page.string());
    const RunResult usage = runProgram("--help");
    ASSERT_EQ(usage.status, 0);
    std::size_t switches = 0;
    std::istringstream lines(usage.output);
    for (std::string line; std::getline(lines, line);) {
        // "  -x ..." and "  --word ..." lines name the switches.
        if (line.size() < 4 || line.compare(0, 3, "  -") != 0) continue;
        const std::string name = line.substr(2, line.find(' ', 2) - 2);
        ++switches;
        EXPECT_NE(help.find("  " + name + " "), std::string::npos) << name;
    }
    EXPECT_GE(switches, 10u);  // -a -d -i -g -v -h -b -n -c -m
    // The map types of -m too.
    for (const char* type :
         {"locate_points", "isolines", "color_isolines", "color_cells", "circle_values"}) {
        EXPECT_NE(help.find(type), std::string::npos) << type;
    }
}

}  // namespace
}  // namespace gridova
