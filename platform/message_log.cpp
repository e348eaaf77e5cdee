#include "platform/message_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/text_codec.h"

namespace gridova {
namespace {

// Opens the log file for writing, emptied or to append to. The file may lie
// in a folder others can write to (the data file's folder): a symbolic link
// of that name is not followed, and only a plain file with no other name is
// written, so the log can never truncate or grow a file it does not own.
// Nothing when the file cannot be used; the log then only keeps its lines.
std::FILE* openLogFile(const char* name, bool append) {
    const int fd = ::open(name, O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1 ||
        (!append && ::ftruncate(fd, 0) != 0) || (append && ::lseek(fd, 0, SEEK_END) < 0)) {
        ::close(fd);
        return nullptr;
    }
    // Back to blocking writes now that the file is known to be a plain file.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, (flags & ~O_NONBLOCK) | (append ? O_APPEND : 0));
    std::FILE* f = ::fdopen(fd, append ? "a" : "w");
    if (f == nullptr) ::close(fd);
    return f;
}

}  // namespace

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
        closeFileLocked();
        file_ = openLogFile(kFileName, started_);
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
