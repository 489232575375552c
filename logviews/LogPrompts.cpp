#include "logviews/LogPrompts.h"

#include "base/ProgramFolder.h"
#include "config/CurrentText.h"
#include "logviews/LogTexts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

TLogPrompts DialogLogPrompts() {
    TLogPrompts prompts;
    prompts.Ask = [](QWidget* parent, const QString& text, const QString& caption) {
        return QMessageBox::warning(parent, caption, text, QMessageBox::Yes | QMessageBox::No,
                                    QMessageBox::No) == QMessageBox::Yes;
    };
    // Exports start where the program keeps its data, wherever that is. The
    // encoding is the filter chosen; the next export offers it again.
    prompts.SaveName = [](QWidget* parent) {
        static TCsvEncoding lastChosen = TCsvEncoding::Gbk;
        const QString gbk = CurrentText(CsvGbkFilterText);
        const QString utf8 = CurrentText(CsvUtf8FilterText);
        QString chosen = lastChosen == TCsvEncoding::Gbk ? gbk : utf8;
        TCsvTarget target;
        target.Path = QFileDialog::getSaveFileName(parent, CurrentText(ExportCaptionText),
                                                   QString::fromStdString(ProgramFolder()),
                                                   gbk + QStringLiteral(";;") + utf8, &chosen);
        target.Encoding = chosen == utf8 ? TCsvEncoding::Utf8Bom : TCsvEncoding::Gbk;
        if (!target.Path.isEmpty())
            lastChosen = target.Encoding;
        return target;
    };
    prompts.Tell = [](QWidget* parent, const QString& text) {
        QMessageBox::critical(parent, QApplication::applicationName(), text);
    };
    prompts.Inform = [](QWidget* parent, const QString& text) {
        QMessageBox::information(parent, QApplication::applicationName(), text);
    };
    return prompts;
}
