// Lines of a text, from a file read in large blocks or from memory.
//
// A line is handed out without its line feed, a carriage return before it,
// or anything after a NUL byte (as a C line reader would see it). Lines may
// be long: the block grows to hold the longest line, up to kMaxLineBytes;
// the rest of a longer line is dropped (and counted), which bounds the
// memory that one line of a damaged or hostile file can take.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace gridova {

class LineSource {
public:
    static constexpr std::size_t kMaxLineBytes = std::size_t{64} << 20;

    enum class Failure { None, ReadError, OutOfMemory };

    virtual ~LineSource() = default;
    // The next line; false at the end of the text or on a failure.
    virtual bool next(std::string_view& line) = 0;
    // Why reading stopped before the end of the text, if it did.
    Failure failure() const { return failure_; }
    bool failed() const { return failure_ != Failure::None; }
    // Lines longer than kMaxLineBytes whose rest was dropped.
    std::size_t cutLines() const { return cutLines_; }
    // Bytes of the whole text when known (0 otherwise), and bytes handed
    // out so far.
    virtual std::uint64_t size() const = 0;
    virtual std::uint64_t consumed() const = 0;

protected:
    Failure failure_ = Failure::None;
    std::size_t cutLines_ = 0;
};

class FileLineSource final : public LineSource {
public:
    static constexpr std::size_t kBlockSize = 1 << 20;
    static constexpr std::size_t kLeastBlock = 4096;

    explicit FileLineSource(std::FILE* file);
    bool next(std::string_view& line) override;
    std::uint64_t size() const override { return size_; }
    std::uint64_t consumed() const override { return consumed_ + begin_; }

private:
    bool fill();
    bool skipRestOfLine();

    std::FILE* file_;
    std::vector<char> buffer_;
    std::size_t begin_ = 0;  // first unread byte
    std::size_t end_ = 0;    // end of the bytes read
    bool eof_ = false;
    bool skipping_ = false;  // the rest of a cut line is still to be dropped
    bool first_ = true;
    std::uint64_t size_ = 0;
    std::uint64_t consumed_ = 0;  // bytes moved out of the block before begin_
};

class TextLineSource final : public LineSource {
public:
    explicit TextLineSource(std::string_view text) : text_(text) {}
    bool next(std::string_view& line) override;
    std::uint64_t size() const override { return text_.size(); }
    std::uint64_t consumed() const override { return pos_; }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

// Strips the carriage return and anything from a NUL byte on.
std::string_view cleanLine(std::string_view line);

}  // namespace gridova
