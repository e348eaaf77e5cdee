// A numbered text of the program (platform/messages.h) for a window.
#pragma once

#include <QString>

#include "platform/messages.h"

namespace gridova {

inline QString uiText(int number) { return QString::fromStdString(text(number)); }

}  // namespace gridova
