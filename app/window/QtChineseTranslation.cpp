#include "app/window/QtChineseTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QString>
#include <QTranslator>

bool QtChineseTranslation::install(QCoreApplication &app, const QString &programFolder)
{
    auto *translator = new QTranslator(&app);
    const QString folders[] = {programFolder + QStringLiteral("/translations"),
                               QLibraryInfo::path(QLibraryInfo::TranslationsPath)};
    for (const QString &folder : folders) {
        if (translator->load(QStringLiteral("qtbase_zh_CN"), folder))
            return QCoreApplication::installTranslator(translator);
    }
    delete translator;
    return false;
}
