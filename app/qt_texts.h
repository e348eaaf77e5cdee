// Qt's own texts (the buttons and captions of its standard dialogs) in the
// program's language: Russian with the built-in texts, when Debian's
// translation of Qt is installed; Qt's English with a language file.
#pragma once

namespace gridova {

// Installs or removes Qt's Russian texts to match the language in use;
// true when they are installed.
bool followLanguageInQt();

}  // namespace gridova
