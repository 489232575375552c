#include "devices/TellUser.h"

#include <QGuiApplication>
#include <QMessageBox>

TTellUser MessageBoxTell() {
    return [](QWidget* parent, const QString& text) {
        QMessageBox box(QMessageBox::Information, QGuiApplication::applicationName(), text,
                        QMessageBox::Ok, parent);
        box.exec();
    };
}
