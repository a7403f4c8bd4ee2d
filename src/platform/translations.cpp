#include "platform/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace translations {

QLocale::Language install(const QLocale& locale) {
    // Goes with the application it was installed in: the command line is read by one of its
    // own before the GUI's.
    static QPointer<QTranslator> installed;
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
    }
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto* translator = new QTranslator(QCoreApplication::instance());
    const bool own = locale.language() != QLocale::English && locale.language() != QLocale::C &&
                     translator->load(locale, QStringLiteral("qt"), QStringLiteral("_"), folder);
    const QLocale chosen = own ? locale : QLocale(QLocale::Chinese, QLocale::China);
    if (!own && !translator->load(chosen, QStringLiteral("qt"), QStringLiteral("_"), folder)) {
        delete translator;
        return QLocale::English;  // Qt's own texts as they are built in
    }
    QCoreApplication::installTranslator(translator);
    installed = translator;
    return chosen.language();
}

}  // namespace translations
