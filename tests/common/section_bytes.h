// Test support for document sections: bytes written by a writer, bytes
// read back through a BinaryReader, and hand-made little-endian items.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "data/record_buffer.h"
#include "tests/common/test_env.h"

namespace gridova::testing {

// The bytes that the function writes.
template <typename Write>
std::string writtenBytes(Write&& write) {
    const std::string path = (testDir() / "out.bin").string();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    {
        BinaryWriter out(f);
        write(out);
        EXPECT_TRUE(out.ok());
    }
    std::fclose(f);
    return readFile(path);
}

// A reader over the bytes, held in a file.
class ByteInput {
public:
    explicit ByteInput(const std::string& bytes)
        : file_(std::fopen(writeFile("in.bin", bytes).c_str(), "rb")), reader_(file_) {}
    ~ByteInput() { std::fclose(file_); }
    ByteInput(const ByteInput&) = delete;
    ByteInput& operator=(const ByteInput&) = delete;
    BinaryReader& reader() { return reader_; }

private:
    std::FILE* file_;
    BinaryReader reader_;
};

// Hand-made items, little-endian as on file.
inline std::string wordBytes(std::int32_t v) {
    std::string s(4, '\0');
    const auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i) s[static_cast<std::size_t>(i)] = static_cast<char>(u >> (8 * i));
    return s;
}

inline std::string doubleBytes(double v) {
    std::string s(8, '\0');
    std::memcpy(s.data(), &v, 8);
    return s;
}

// A record string: words W and L, the text, zero padding to a word.
inline std::string stringBytes(std::string_view t) {
    const auto length = static_cast<std::int32_t>(t.size());
    const std::int32_t words = (length + 3) / 4;
    return wordBytes(words) + wordBytes(length) + std::string(t) +
           std::string(static_cast<std::size_t>(words * 4 - length), '\0');
}

// A record: its length, then the bytes.
inline std::string recordBytes(const std::string& body) {
    return wordBytes(static_cast<std::int32_t>(body.size())) + body;
}

// The "DR01" section of a rectangle with zero device coordinates.
inline std::string drectBytes(double minX, double minY, double maxX, double maxY) {
    return recordBytes(stringBytes("DR01") + wordBytes(0) + wordBytes(0) + wordBytes(0) +
                       wordBytes(0) + doubleBytes(minX) + doubleBytes(minY) + doubleBytes(maxX) +
                       doubleBytes(maxY) + doubleBytes(0));
}

}  // namespace gridova::testing
