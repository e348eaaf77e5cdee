#include "app/qt_texts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "platform/messages.h"

namespace gridova {

bool followLanguageInQt() {
    static QTranslator* russian = nullptr;
    static bool installed = false;
    if (languageTable() != nullptr) {
        if (installed) QCoreApplication::removeTranslator(russian);
        installed = false;
        return false;
    }
    if (installed) return true;
    if (russian == nullptr) {
        auto* made = new QTranslator(QCoreApplication::instance());
        if (!made->load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            delete made;
            return false;
        }
        russian = made;
    }
    installed = QCoreApplication::installTranslator(russian);
    return installed;
}

}  // namespace gridova
