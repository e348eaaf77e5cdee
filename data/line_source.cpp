#include "data/line_source.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace gridova {

std::string_view cleanLine(std::string_view line) {
    if (const void* nul = std::memchr(line.data(), '\0', line.size())) {
        line =
            line.substr(0, static_cast<std::size_t>(static_cast<const char*>(nul) - line.data()));
    }
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

FileLineSource::FileLineSource(std::FILE* file) : file_(file) {
    struct stat st {};
    if (::fstat(::fileno(file), &st) == 0 && S_ISREG(st.st_mode)) {
        size_ = static_cast<std::uint64_t>(st.st_size);
    }
}

bool FileLineSource::fill() {
    if (eof_ || failed()) return false;
    // Move what is left of the current line to the front; grow the block
    // when that line fills it.
    if (begin_ > 0) {
        consumed_ += begin_;
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    try {
        if (buffer_.empty()) {
            // A small file takes a block of its size (what is left of it
            // from here, and room to see its end).
            const std::uint64_t left = size_ > consumed_ ? size_ - consumed_ : 0;
            buffer_.resize(size_ == 0 ? kBlockSize
                                      : static_cast<std::size_t>(std::clamp<std::uint64_t>(
                                            left + 1, kLeastBlock, kBlockSize)));
        } else if (end_ == buffer_.size()) {
            buffer_.resize(std::min(buffer_.size() * 2, kMaxLineBytes + kBlockSize));
        }
    } catch (const std::bad_alloc&) {
        failure_ = Failure::OutOfMemory;
        return false;
    }
    const std::size_t got = std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, file_);
    end_ += got;
    if (got == 0) {
        if (std::ferror(file_)) failure_ = Failure::ReadError;
        eof_ = true;
        return false;
    }
    if (first_) {
        first_ = false;
        // A UTF-8 byte-order mark is not part of the first line.
        if (end_ >= 3 && std::memcmp(buffer_.data(), "\xEF\xBB\xBF", 3) == 0) begin_ = 3;
    }
    return true;
}

bool FileLineSource::skipRestOfLine() {
    // Drops bytes up to and including the next line feed.
    while (true) {
        const void* lf = std::memchr(buffer_.data() + begin_, '\n', end_ - begin_);
        if (lf != nullptr) {
            begin_ = static_cast<std::size_t>(static_cast<const char*>(lf) - buffer_.data()) + 1;
            return true;
        }
        begin_ = end_;
        if (!fill()) return false;
    }
}

bool FileLineSource::next(std::string_view& line) {
    if (skipping_) {
        skipping_ = false;
        if (!skipRestOfLine()) return false;
    }
    std::size_t searchFrom = begin_;
    while (true) {
        if (searchFrom < end_) {
            const void* lf = std::memchr(buffer_.data() + searchFrom, '\n', end_ - searchFrom);
            if (lf != nullptr) {
                const auto at =
                    static_cast<std::size_t>(static_cast<const char*>(lf) - buffer_.data());
                line = cleanLine(std::string_view(buffer_.data() + begin_, at - begin_));
                begin_ = at + 1;
                return true;
            }
        }
        const std::size_t scanned = end_ - begin_;
        if (scanned >= kMaxLineBytes) {
            // Hand out the line's first kMaxLineBytes bytes; its rest is
            // dropped when the next line is asked for.
            ++cutLines_;
            line = cleanLine(std::string_view(buffer_.data() + begin_, kMaxLineBytes));
            begin_ += kMaxLineBytes;
            skipping_ = true;
            return true;
        }
        if (!fill()) {
            if (begin_ < end_ && !failed()) {
                line = cleanLine(std::string_view(buffer_.data() + begin_, end_ - begin_));
                begin_ = end_;
                return true;
            }
            return false;
        }
        searchFrom = begin_ + scanned;
    }
}

bool TextLineSource::next(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    std::size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) end = text_.size();
    std::size_t length = end - pos_;
    if (length > kMaxLineBytes) {
        length = kMaxLineBytes;
        ++cutLines_;
    }
    line = cleanLine(text_.substr(pos_, length));
    pos_ = end + 1;
    return true;
}

}  // namespace gridova
