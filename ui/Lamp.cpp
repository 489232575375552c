#include "ui/Lamp.h"

#include <QPainter>
#include <QRadialGradient>

TLamp::TLamp(QColor litColour, QWidget* parent) : QWidget(parent), FLitColour(litColour) {
    setFixedSize(sizeHint());
}

void TLamp::SetLit(bool lit) {
    if (lit == FLit)
        return;
    FLit = lit;
    update();
}

void TLamp::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bulb = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    const QColor face = FLit ? FLitColour : QColor(72, 72, 60);
    // A highlight towards the upper left makes it read as a round lamp.
    QRadialGradient shade(bulb.center() - QPointF(2, 2), bulb.width() * 0.6);
    shade.setColorAt(0, face.lighter(FLit ? 170 : 130));
    shade.setColorAt(1, face);
    painter.setPen(QPen(QColor(40, 40, 40), 1));
    painter.setBrush(shade);
    painter.drawEllipse(bulb);
}
