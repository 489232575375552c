#include "app/AppIcon.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

const char* const AppId = PELMORA_APP_ID;

namespace {
const int IconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
}

QImage RenderAppIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(QStringLiteral(":/pelmora/AppIcon.svg"));
    QPainter p(&image);
    renderer.render(&p);
    return image;
}

QIcon AppIcon() {
    QIcon icon;
    for (int size : IconSizes)
        icon.addPixmap(QPixmap::fromImage(RenderAppIcon(size)));
    return icon;
}

void SetDesktopIdentity() {
    QGuiApplication::setWindowIcon(AppIcon());
    QGuiApplication::setDesktopFileName(QString::fromUtf8(AppId));
}
