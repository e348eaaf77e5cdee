// The program run as a whole on the bundled example and on bad input.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

#include "tests/common/test_env.h"

namespace {

struct RunResult {
    int status;
    std::string out;
};

RunResult runProgram(const std::string& args) {
    const std::string command = std::string(GRIDOVA_BINARY) + " " + args + " 2>/dev/null";
    RunResult r{-1, {}};
    std::FILE* p = ::popen(command.c_str(), "r");
    if (p == nullptr) return r;
    std::array<char, 4096> buffer;
    std::size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), p)) > 0) r.out.append(buffer.data(), n);
    const int status = ::pclose(p);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

TEST(Summary, BundledExample) {
    const RunResult r =
        runProgram(std::string("--summary ") + GRIDOVA_SOURCE_DIR + "/examples/wells.dat");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("Title: "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Points: "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Mean: "), std::string::npos) << r.out;
}

TEST(Summary, ValuesWorkedOutByHand) {
    const std::string path =
        gridova::testing::writeFile("small.dat", "Test field\n0 0 2 A\n4 1 \"\" B\n-2 3 4 C\n");
    const RunResult r = runProgram("--summary " + path);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "File: " + path +
                         "\nTitle: Test field\nRows: 3\nPoints: 3 (2 with a value)\n"
                         "X: -2 .. 4\nY: 0 .. 3\nValue: 2 .. 4\nMean: 2\n");
}

TEST(Summary, ExitStatus) {
    EXPECT_EQ(runProgram("--summary /nonexistent/file.dat").status, 1);
    EXPECT_EQ(runProgram("--summary").status, 2);
    EXPECT_EQ(runProgram("--help").status, 0);
}

}  // namespace
