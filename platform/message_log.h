// The message log: a list of recent lines that the message window shows, and
// the file "Message.txt" in the current directory that keeps every line.
//
// The first message of a run creates the window and empties the file; closing
// the window closes the file, and the next message shows the window again and
// appends to the file. The list keeps at most kMaxLines lines; a logged text
// is split at line feeds and into pieces of at most kMaxLineLength
// characters.
#pragma once

#include <cstdio>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>

namespace gridova {

// The window that shows the log (the application supplies it).
class MessageLogView {
public:
    virtual ~MessageLogView() = default;
    // The window must be shown (it was never shown, or it was closed).
    virtual void showLog() = 0;
    // The lines changed; the last one is to be selected and scrolled into view.
    virtual void linesChanged() = 0;
};

class MessageLog {
public:
    static constexpr std::size_t kMaxLines = 100;
    static constexpr std::size_t kMaxLineLength = 1024;
    static constexpr const char* kFileName = "Message.txt";

    MessageLog() = default;
    ~MessageLog();
    MessageLog(const MessageLog&) = delete;
    MessageLog& operator=(const MessageLog&) = delete;

    void log(std::string_view text);
    // Logs the text and then closes the file as if the window had been
    // closed, so that the file is complete after every traced line; only
    // while the trace is on.
    void trace(std::string_view text);

    // The window was closed: the file is closed too.
    void windowClosed();

    void setTraceOn(bool on);
    bool traceOn() const;

    void setView(MessageLogView* view);

    // The lines the window shows, oldest first.
    std::deque<std::string> lines() const;

    // Forgets everything, as at the start of a run (tests).
    void reset();

private:
    void logLocked(std::string_view text);
    void closeFileLocked();

    mutable std::recursive_mutex mutex_;
    std::deque<std::string> lines_;
    std::FILE* file_ = nullptr;
    bool started_ = false;     // a message was logged in this run
    bool windowOpen_ = false;  // the window is shown
    bool traceOn_ = false;
    MessageLogView* view_ = nullptr;
};

// The log of this run.
MessageLog& messageLog();

void log(std::string_view text);
// Logs "%s %d" with the text and n.
void logNumber(std::string_view text, long long n);
void trace(std::string_view text);

}  // namespace gridova
