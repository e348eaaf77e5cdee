#include "data/triangles_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/message_log.h"
#include "platform/messages.h"
#include "tests/common/test_env.h"

namespace gridova {
namespace {

using testing::lastLogged;
using testing::writeFile;

// A network that a failed read must not leave behind.
TriangleNetwork stale() {
    TriangleNetwork n;
    n.xy = {9, 9, 8, 8, 7, 9};
    n.values = {1, 2, 3};
    n.corners = {1, 2, 3};
    return n;
}

TEST(TrianglesFile, AcceptedForms) {
    struct Case {
        const char* what;
        const char* content;
        std::vector<double> xy, values;
        std::vector<std::int32_t> corners;
    };
    const Case cases[] = {
        {"as written",
         "VERTICES: 3\n0, 0, 1\n2, 0, 2.5\n0, 2, -3\nTRIANGLES: 1\n1, 2, 3\n",
         {0, 0, 2, 0, 0, 2},
         {1, 2.5, -3},
         {1, 2, 3}},
        // Words in any case, blanks around them, other separators, CR LF.
        {"free forms",
         "  vertices : 3\r\n0\t0\t1\r\n2;0;2.5\r\n0 2 -3e0\r\nTriangles:2\r\n3 2 1\r\n1,1,1\r\n",
         {0, 0, 2, 0, 0, 2},
         {1, 2.5, -3},
         {3, 2, 1, 1, 1, 1}},
        // A TAB ends the word as a colon does.
        {"tab after the word", "VERTICES\t1\n5 6 7\n", {5, 6}, {7}, {}},
        {"no triangles line", "VERTICES: 2\n1 2 3\n4 5 6\n", {1, 2, 4, 5}, {3, 6}, {}},
        {"no triangles", "VERTICES: 1\n1 2 3\nTRIANGLES: 0\n", {1, 2}, {3}, {}},
        {"extra tokens ignored", "VERTICES: 1 x\n1 2 3 4\n", {1, 2}, {3}, {}},
        {"empty file", "", {}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TriangleNetwork n = stale();
        EXPECT_EQ(readTriangles(writeFile("t.txt", c.content), n), 0);
        EXPECT_EQ(n.xy, c.xy);
        EXPECT_EQ(n.values, c.values);
        EXPECT_EQ(n.corners, c.corners);
    }
}

TEST(TrianglesFile, EveryMessageOfABrokenFile) {
    struct Case {
        const char* what;
        const char* content;
        std::string message;  // "%p" stands for the file's path
    };
    const Case cases[] = {
        {"another word", "POINTS: 3\n", "It's not TRIANGLES file"},
        {"data without header", "1 2 3\n", "It's not TRIANGLES file"},
        {"count is a word", "VERTICES: three\n", "Invalid VERTICES number"},
        {"count missing", "VERTICES\n", "Invalid VERTICES number"},
        {"count negative", "VERTICES: -1\n", "Invalid VERTICES number"},
        {"count too large", "VERTICES: 2147483648\n", "Invalid VERTICES number"},
        {"y is a word", "VERTICES: 2\n1 2 3\n4 y 6\n", "Invalid double y"},
        {"value missing", "VERTICES: 1\n1 2\n", "Invalid double "},
        {"empty vertex line", "VERTICES: 2\n1 2 3\n\n", "Invalid double "},
        {"second header wrong", "VERTICES: 1\n1 2 3\nTRIANGLE: 1\n1 1 1\n",
         "It's not TRIANGLE file"},
        {"triangle count a word", "VERTICES: 1\n1 2 3\nTRIANGLES: one\n",
         "Invalid TRIANGES number"},
        {"triangle count negative", "VERTICES: 1\n1 2 3\nTRIANGLES: -2\n",
         "Invalid TRIANGES number"},
        {"corner not integer", "VERTICES: 3\n0 0 0\n1 0 0\n0 1 0\nTRIANGLES: 1\n1 2 2.5\n",
         "Invalid integer 2.5"},
        {"corner above the count", "VERTICES: 3\n0 0 0\n1 0 0\n0 1 0\nTRIANGLES: 1\n1 2 4\n",
         "Invalid integer 4"},
        {"corner 0", "VERTICES: 3\n0 0 0\n1 0 0\n0 1 0\nTRIANGLES: 1\n0 1 2\n",
         "Invalid integer 0"},
        {"corner without vertices", "VERTICES: 0\nTRIANGLES: 1\n1 1 1\n", "Invalid integer 1"},
        {"corner missing", "VERTICES: 3\n0 0 0\n1 0 0\n0 1 0\nTRIANGLES: 1\n1 2\n",
         "Invalid integer "},
        {"vertices cut short", "VERTICES: 5\n1 2 3\n4 5 6\n",
         "Файл %p обрывается: вершин меньше, чем указано (5)"},
        {"huge vertex count", "VERTICES: 2000000000\n1 2 3\n",
         "Файл %p обрывается: вершин меньше, чем указано (2000000000)"},
        {"triangles cut short", "VERTICES: 3\n0 0 0\n1 0 0\n0 1 0\nTRIANGLES: 2\n1 2 3\n",
         "Файл %p обрывается: треугольников меньше, чем указано (2)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = writeFile("broken.txt", c.content);
        std::string message = c.message;
        if (const auto at = message.find("%p"); at != std::string::npos) {
            message.replace(at, 2, path);
        }
        messageLog().reset();
        TriangleNetwork n = stale();
        EXPECT_EQ(readTriangles(path, n), -1);
        EXPECT_EQ(lastLogged(), message);
        EXPECT_EQ(messageLog().lines().size(), 1u);
        EXPECT_TRUE(n.empty());
        EXPECT_TRUE(n.xy.empty());
    }
}

TEST(TrianglesFile, MissingFileAndMessagesFromTheTable) {
    TriangleNetwork n = stale();
    EXPECT_EQ(readTriangles("missing.txt", n), -1);
    EXPECT_EQ(lastLogged(), "Нельзя открыть файл missing.txt для считывания");
    EXPECT_TRUE(n.empty());
    // The short-file texts are numbered texts.
    EXPECT_EQ(text(9070), "Файл %s обрывается: вершин меньше, чем указано (%d)");
    EXPECT_EQ(text(9071), "Файл %s обрывается: треугольников меньше, чем указано (%d)");
}

TEST(TrianglesFile, WrittenNetworkReadsBackExactly) {
    TriangleNetwork n;
    n.xy = {0.1, -0.0, 1e-300, 123456789.123456789, -2.5e17, 1.0 / 3.0, 7, 8};
    n.values = {0.1 + 0.2, -1e308, 5e-324, 4};
    n.corners = {1, 2, 3, 4, 3, 2};
    std::FILE* f = std::fopen("net.txt", "wb");
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(writeTriangles(f, n));
    std::fclose(f);
    const std::string written = testing::readFile("net.txt");
    EXPECT_EQ(written.substr(0, 41), "VERTICES: 4\n0.1, -0, 0.30000000000000004\n");
    EXPECT_NE(written.find("\nTRIANGLES: 2\n1, 2, 3\n4, 3, 2\n"), std::string::npos);
    TriangleNetwork read;
    ASSERT_EQ(readTriangles("net.txt", read), 0);
    EXPECT_EQ(read.xy, n.xy);
    EXPECT_EQ(read.values, n.values);
    EXPECT_EQ(read.corners, n.corners);
}

}  // namespace
}  // namespace gridova
