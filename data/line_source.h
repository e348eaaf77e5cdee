// Lines of a text, from a file read in large blocks or from memory.
//
// A line is handed out without its line feed, a carriage return before it,
// or anything after a NUL byte (as a C line reader would see it). Lines may
// be of any length: the block grows to hold the longest line.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace gridova {

class LineSource {
public:
    virtual ~LineSource() = default;
    // The next line; false at the end of the text.
    virtual bool next(std::string_view& line) = 0;
    // True when reading stopped on an error (not at the end of the file).
    virtual bool failed() const { return false; }
};

class FileLineSource final : public LineSource {
public:
    static constexpr std::size_t kBlockSize = 1 << 20;

    explicit FileLineSource(std::FILE* file) : file_(file) {}
    bool next(std::string_view& line) override;
    bool failed() const override { return failed_; }

private:
    bool fill();

    std::FILE* file_;
    std::vector<char> buffer_;
    std::size_t begin_ = 0;  // first unread byte
    std::size_t end_ = 0;    // end of the bytes read
    bool eof_ = false;
    bool failed_ = false;
    bool first_ = true;
};

class TextLineSource final : public LineSource {
public:
    explicit TextLineSource(std::string_view text) : text_(text) {}
    bool next(std::string_view& line) override;

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

// Strips the carriage return and anything from a NUL byte on.
std::string_view cleanLine(std::string_view line);

}  // namespace gridova
