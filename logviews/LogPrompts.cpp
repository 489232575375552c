#include "logviews/LogPrompts.h"

#include "base/ProgramFolder.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

TLogPrompts DialogLogPrompts() {
    TLogPrompts prompts;
    prompts.Ask = [](QWidget* parent, const QString& text, const QString& caption) {
        return QMessageBox::warning(parent, caption, text, QMessageBox::Yes | QMessageBox::No,
                                    QMessageBox::No) == QMessageBox::Yes;
    };
    // Exports start where the program keeps its data, wherever that is.
    prompts.SaveName = [](QWidget* parent) {
        return QFileDialog::getSaveFileName(parent, QString(),
                                            QString::fromStdString(ProgramFolder()),
                                            QStringLiteral(".csv (*.csv)"));
    };
    prompts.Tell = [](QWidget* parent, const QString& text) {
        QMessageBox::critical(parent, QApplication::applicationName(), text);
    };
    return prompts;
}
