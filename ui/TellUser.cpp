#include "ui/TellUser.h"

#include <QCoreApplication>
#include <QMessageBox>

TTellUser MessageBoxTell() {
    return [](QWidget* parent, const QString& text) {
        QMessageBox::warning(parent, QCoreApplication::applicationName(), text);
    };
}
