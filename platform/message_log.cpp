#include "platform/message_log.h"

#include <string>

#include "platform/text_codec.h"

namespace gridova {

MessageLog::~MessageLog() { closeFileLocked(); }

void MessageLog::closeFileLocked() {
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
}

void MessageLog::logLocked(std::string_view text) {
    if (!started_ || !windowOpen_) {
        // The first message empties the file; after the window was closed
        // the next one appends.
        file_ = std::fopen(kFileName, started_ ? "a+" : "w");
        started_ = true;
        windowOpen_ = true;
        if (view_ != nullptr) view_->showLog();
    }

    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find('\n', start);
        std::string_view line = text.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        do {
            const std::string_view piece = firstCharacters(line, kMaxLineLength);
            while (lines_.size() >= kMaxLines) lines_.pop_front();
            lines_.emplace_back(piece);
            line.remove_prefix(piece.size());
        } while (!line.empty());
        if (end == std::string_view::npos) break;
        start = end + 1;
        if (start == text.size()) break;  // a final line feed ends the text
    }
    if (view_ != nullptr) view_->linesChanged();

    if (file_ != nullptr) {
        std::fwrite(text.data(), 1, text.size(), file_);
        std::fputc('\n', file_);
        std::fflush(file_);
    }
}

void MessageLog::log(std::string_view text) {
    std::lock_guard lock(mutex_);
    logLocked(text);
}

void MessageLog::trace(std::string_view text) {
    std::lock_guard lock(mutex_);
    if (!traceOn_) return;
    logLocked(text);
    closeFileLocked();
    windowOpen_ = false;
}

void MessageLog::windowClosed() {
    std::lock_guard lock(mutex_);
    closeFileLocked();
    windowOpen_ = false;
}

void MessageLog::setTraceOn(bool on) {
    std::lock_guard lock(mutex_);
    traceOn_ = on;
}

bool MessageLog::traceOn() const {
    std::lock_guard lock(mutex_);
    return traceOn_;
}

void MessageLog::setView(MessageLogView* view) {
    std::lock_guard lock(mutex_);
    view_ = view;
}

std::deque<std::string> MessageLog::lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}

void MessageLog::reset() {
    std::lock_guard lock(mutex_);
    closeFileLocked();
    lines_.clear();
    started_ = false;
    windowOpen_ = false;
    traceOn_ = false;
}

MessageLog& messageLog() {
    static MessageLog instance;
    return instance;
}

void log(std::string_view text) { messageLog().log(text); }

void logNumber(std::string_view text, long long n) {
    std::string s(text);
    s += ' ';
    s += std::to_string(n);
    messageLog().log(s);
}

void trace(std::string_view text) { messageLog().trace(text); }

}  // namespace gridova
