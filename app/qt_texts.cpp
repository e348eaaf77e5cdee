#include "app/qt_texts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "platform/messages.h"

namespace gridova {

bool followLanguageInQt() {
    static QTranslator* russian = nullptr;
    if (languageTable() != nullptr) {
        if (russian != nullptr) QCoreApplication::removeTranslator(russian);
        return false;
    }
    if (russian == nullptr) {
        auto* made = new QTranslator(QCoreApplication::instance());
        if (!made->load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            delete made;
            return false;
        }
        russian = made;
    }
    return QCoreApplication::installTranslator(russian);
}

}  // namespace gridova
