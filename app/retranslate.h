// Windows that stay open across a change of language take the new texts:
// every text of their widgets that is exactly a numbered text of the
// language they were shown in becomes that number's text now (captions,
// labels, buttons, group titles, list items and table headers). Texts
// made of several pieces keep their words until the window is opened
// again.
#pragma once

#include "platform/messages.h"

class QWidget;

namespace gridova {

// `before`: the table the texts were shown with; nullptr for the built-in
// texts.
void retranslateWidgets(QWidget& root, const LanguageTable* before);

}  // namespace gridova
