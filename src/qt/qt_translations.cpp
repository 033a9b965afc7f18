#include "qt/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace qtui {

QTranslator* LoadQtTranslations(ui::Language language) {
    if (language == ui::Language::English) return nullptr;
    // Owned by the application: it must outlive every dialog.
    auto* translator = new QTranslator(QCoreApplication::instance());
    const QString name =
        QStringLiteral("qtbase_") + QString::fromLatin1(ui::LanguageCode(language));
    if (!translator->load(name, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return nullptr;
    }
    QCoreApplication::installTranslator(translator);
    return translator;
}

}  // namespace qtui
