// A numbered text of the program (platform/messages.h) for a window.
#pragma once

#include <QString>
#include <string_view>

#include "platform/messages.h"

namespace gridova {

inline QString uiText(int number) { return QString::fromStdString(text(number)); }

// The text of the language in use for a built-in text given as it stands
// in the program's table (resources/builtin_texts.cpp), so that a window's
// code reads as it shows: uiText("Шкала цветов"). A text the table lacks
// is shown as given and logged once.
QString uiText(std::string_view builtin);

}  // namespace gridova
