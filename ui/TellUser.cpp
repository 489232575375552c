#include "ui/TellUser.h"

#include <QCoreApplication>
#include <QMessageBox>

TTellUser MessageBoxTell() {
    return [](QWidget* parent, const QString& text) {
        QMessageBox::information(parent, QCoreApplication::applicationName(), text);
    };
}
