#include "ui/ToolkitLanguage.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

bool ApplyToolkitLanguage(uint8_t language) {
    static QTranslator* translator = nullptr;
    if (translator != nullptr) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
        translator = nullptr;
    }
    if (language != 1)
        return true;
    auto* chinese = new QTranslator;
    if (!chinese->load(QStringLiteral("qtbase_zh_CN"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete chinese;
        return false;
    }
    QCoreApplication::installTranslator(chinese);
    translator = chinese;
    return true;
}
