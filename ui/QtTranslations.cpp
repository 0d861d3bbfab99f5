#include "QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace zort {

void installRussianQtTexts(QCoreApplication &application)
{
    auto *translator = new QTranslator(&application);
    const QString folders[] = {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                               QCoreApplication::applicationDirPath()
                                       + QStringLiteral("/translations")};
    for (const QString &folder : folders) {
        if (translator->load(QStringLiteral("qtbase_ru"), folder)) {
            QCoreApplication::installTranslator(translator);
            return;
        }
    }
    // Without them Qt's dialogs keep their built-in English; the program's own texts are Russian.
    delete translator;
}

} // namespace zort
