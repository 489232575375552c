#include "app/QtTexts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace {
QTranslator& Chinese() {
    static QTranslator translator;
    return translator;
}
} // namespace

void ApplyQtTexts(uint8_t language) {
    QTranslator& chinese = Chinese();
    QCoreApplication::removeTranslator(&chinese);
    // Without Qt's translations installed the English texts stay: a missing
    // file is no reason to stop.
    if (language == 1 &&
        chinese.load("qtbase_zh_CN", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&chinese);
}
