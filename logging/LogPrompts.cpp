#include "logging/LogPrompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

TLogPrompts DialogLogPrompts() {
    TLogPrompts prompts;
    prompts.Ask = [](QWidget* parent, const QString& text, const QString& caption) {
        return QMessageBox::warning(parent, caption, text, QMessageBox::Yes | QMessageBox::No,
                                    QMessageBox::No) == QMessageBox::Yes;
    };
    prompts.SaveName = [](QWidget* parent) {
        return QFileDialog::getSaveFileName(parent, QString(), QString(),
                                            QStringLiteral(".csv (*.csv)"));
    };
    prompts.Tell = [](QWidget* parent, const QString& text) {
        QMessageBox::critical(parent, QApplication::applicationName(), text);
    };
    return prompts;
}
