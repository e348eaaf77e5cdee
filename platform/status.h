// The main window's status text and the step counter shown in it.
#pragma once

#include <string>
#include <string_view>

namespace gridova {

// The status bar of the main window (the application installs it).
class StatusBar {
public:
    virtual ~StatusBar() = default;
    // Sets the text and repaints at once.
    virtual void setStatusText(const std::string& text) = 0;
    // The coordinate pane's text (the position under the mouse); by
    // default the status text.
    virtual void setCoordinateText(const std::string& text) { setStatusText(text); }
};

// Installs the status bar of the process context (platform/app_context.h);
// nullptr when there is none (then nothing is shown).
void setStatusBar(StatusBar* bar);

void setStatusText(std::string_view text);

// A step counter: setting the label (at most 1023 characters kept) resets the
// count to 0; each step raises it by one and shows "label count".
void setCounterLabel(std::string_view label);
void countStep();

}  // namespace gridova
