// Choosing the writer by the file name, and what every writer does when the
// file cannot be written.
#include "exchange/picture_writer.h"

#include <gtest/gtest.h>

#include "tests/common/test_env.h"
#include "tests/exchange/test_pictures.h"

namespace gridova {
namespace {

constexpr int kQuality = 75;

struct NameCase {
    const char* name;
    const char* file;
    std::string signature;  // empty: nothing is written

    friend void PrintTo(const NameCase& c, std::ostream* os) { *os << c.name; }
};

class PictureByName : public ::testing::TestWithParam<NameCase> {};

TEST_P(PictureByName, TheExtensionPicksTheFormat) {
    const NameCase& c = GetParam();
    std::filesystem::create_directory(testing::testDir() / "maps.v1");
    const std::string path = (testing::testDir() / c.file).string();
    testing::RecordingBoxes boxes;
    const bool written =
        writePictureByName(testing::toDib(testing::contourMap(7, 5), 24), path, kQuality);
    EXPECT_TRUE(boxes.warnings.empty());
    // The registry that the start-up check asks agrees with the writer; the
    // vector formats are drawn on a recorder, not written from pixels.
    const PictureFormat* format = pictureFormatOf(path);
    const bool recorded = format != nullptr && format->record != nullptr;
    EXPECT_EQ(format != nullptr && !recorded, written);
    EXPECT_EQ(recorded, std::string(c.name).ends_with("IsRecorded"));
    if (c.signature.empty()) {
        EXPECT_FALSE(written);
        EXPECT_EQ(testing::filesInTestDir(), std::vector<std::string>{"maps.v1"});
    } else {
        ASSERT_TRUE(written);
        EXPECT_EQ(testing::readFile(path).substr(0, c.signature.size()), c.signature);
    }
}

INSTANTIATE_TEST_SUITE_P(Names, PictureByName,
                         ::testing::Values(NameCase{"Gif", "map.gif", "GIF87a"},
                                           NameCase{"BmpInCapitals", "map.BMP", "BM"},
                                           NameCase{"JpgMixedCase", "map.Jpg", "\xFF\xD8\xFF"},
                                           NameCase{"Png", "map.png", "\x89PNG\r\n\x1A\n"},
                                           NameCase{"JpegIsNotJpg", "map.jpeg", ""},
                                           NameCase{"EmfIsRecorded", "map.emf", ""},
                                           NameCase{"WmfIsRecorded", "map.WMF", ""},
                                           NameCase{"SvgIsRecorded", "map.svg", ""},
                                           NameCase{"PdfIsRecorded", "map.pdf", ""},
                                           NameCase{"Unknown", "map.tif", ""},
                                           NameCase{"NoExtension", "map", ""},
                                           NameCase{"DotOnlyInTheFolder", "maps.v1/map", ""},
                                           NameCase{"LastDotCounts", "map.png.txt", ""}),
                         [](const ::testing::TestParamInfo<NameCase>& p) { return p.param.name; });

struct FailureCase {
    const char* name;
    const char* extension;
    // The warning when the folder does not exist ("%s": the path).
    std::string cannotCreate;
    // The warning when the disk fills up while writing.
    std::string cannotWrite;

    friend void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }
};

std::string withPath(std::string text, const std::string& path) {
    const auto at = text.find("%s");
    if (at != std::string::npos) text.replace(at, 2, path);
    return text;
}

class PictureWriteFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(PictureWriteFailure, AMissingFolderIsReportedAndNothingIsWritten) {
    const FailureCase& c = GetParam();
    const std::string path = (testing::testDir() / "missing" / "map").string() + c.extension;
    testing::RecordingBoxes boxes;
    EXPECT_FALSE(writePictureByName(testing::toDib(testing::contourMap(7, 5), 24), path, kQuality));
    EXPECT_EQ(boxes.warnings, std::vector<std::string>{withPath(c.cannotCreate, path)});
    EXPECT_TRUE(testing::filesInTestDir().empty());
}

// The disk fills up (the process may not write past 4 KiB) while a picture
// of some hundred kilobytes is written over an existing file: the writer
// fails, says why, and the old file stays with no temporary file beside it.
TEST_P(PictureWriteFailure, AFullDiskKeepsTheOldFile) {
    const FailureCase& c = GetParam();
    const std::string path = testing::writeFile(std::string("old") + c.extension, "old");
    // Noise does not compress, so every format needs far more than 4 KiB.
    const gdi::Dib dib = testing::toDib(testing::noise(401, 300, 256, 5), 24);
    testing::RecordingBoxes boxes;
    bool written = true;
    {
        testing::FileSizeLimit limit(4096);
        written = writePictureByName(dib, path, kQuality);
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(boxes.warnings, std::vector<std::string>{withPath(c.cannotWrite, path)});
    EXPECT_EQ(testing::readFile(path), "old");
    EXPECT_EQ(testing::filesInTestDir(),
              std::vector<std::string>{std::string("old") + c.extension});
}

INSTANTIATE_TEST_SUITE_P(
    Writers, PictureWriteFailure,
    ::testing::Values(
        FailureCase{"Bmp", ".bmp", "CreateFile", "WriteFile"},
        FailureCase{"Gif", ".gif", "Нельзя записать в файл %s", "Нельзя записать в файл %s"},
        FailureCase{"Jpg", ".jpg", "JpegFile :\nCan't open %s\n",
                    "JPEG Fatal Error: Output file write error --- out of disk space?"},
        FailureCase{"Png", ".png", "Нельзя записать в файл %s", "libpng error: Write Error"}),
    [](const ::testing::TestParamInfo<FailureCase>& p) { return p.param.name; });

}  // namespace
}  // namespace gridova
