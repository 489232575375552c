#include "devices/TellUser.h"

#include "config/UUserParaIni.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>

const TTextPair OkButtonText = {"确定", "OK"};

TTellUser MessageBoxTell() {
    return [](QWidget* parent, const QString& text) {
        QMessageBox box(QMessageBox::Information, QGuiApplication::applicationName(), text,
                        QMessageBox::Ok, parent);
        box.button(QMessageBox::Ok)
            ->setText(QString::fromUtf8(PickText(OkButtonText, UserPara.Language)));
        box.exec();
    };
}
