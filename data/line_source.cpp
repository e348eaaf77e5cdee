#include "data/line_source.h"

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

bool FileLineSource::fill() {
    if (eof_ || failed_) return false;
    // Move what is left of the current line to the front; grow the block
    // when that line fills it.
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    try {
        if (buffer_.empty()) {
            buffer_.resize(kBlockSize);
        } else if (end_ == buffer_.size()) {
            buffer_.resize(buffer_.size() * 2);
        }
    } catch (const std::bad_alloc&) {
        failed_ = true;
        return false;
    }
    const std::size_t got = std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, file_);
    end_ += got;
    if (got == 0) {
        if (std::ferror(file_)) failed_ = true;
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

bool FileLineSource::next(std::string_view& line) {
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
        if (!fill()) {
            if (begin_ < end_ && !failed_) {
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
    line = cleanLine(text_.substr(pos_, end - pos_));
    pos_ = end + 1;
    return true;
}

}  // namespace gridova
