#include "app/ToolIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QtMath>

namespace {
constexpr int Size = 32;
const QColor Ink(40, 60, 90);
const QColor Paper(250, 250, 240);
const QColor Accent(30, 120, 200);

void DrawGear(QPainter& p) {
    p.setPen(QPen(Ink, 1.5));
    p.setBrush(QColor(150, 160, 175));
    QPainterPath teeth;
    for (int i = 0; i < 8; ++i) {
        const qreal a = i * M_PI / 4;
        const QPointF c(16 + 11 * qCos(a), 16 + 11 * qSin(a));
        teeth.addEllipse(c, 3.5, 3.5);
    }
    teeth.addEllipse(QPointF(16, 16), 10, 10);
    p.drawPath(teeth.simplified());
    p.setBrush(Paper);
    p.drawEllipse(QPointF(16, 16), 4, 4);
}

void DrawLetters(QPainter& p, const QString& text) {
    p.setPen(Qt::NoPen);
    p.setBrush(Accent);
    p.drawRoundedRect(QRectF(3, 3, 26, 26), 5, 5);
    QFont font = p.font();
    font.setPixelSize(text.size() > 1 ? 14 : 20);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 0, Size, Size), Qt::AlignCenter, text);
}

void DrawPage(QPainter& p) {
    p.setPen(QPen(Ink, 1.5));
    p.setBrush(Paper);
    p.drawRect(QRectF(6, 3, 20, 26));
}

void DrawEventLog(QPainter& p) {
    DrawPage(p);
    p.setPen(QPen(Accent, 2));
    for (int y = 9; y <= 23; y += 5)
        p.drawLine(QPointF(10, y), QPointF(22, y));
}

void DrawDataLog(QPainter& p) {
    DrawPage(p);
    p.setPen(QPen(QColor(200, 60, 40), 2));
    const QPointF trend[] = {{9, 22}, {13, 15}, {17, 18}, {23, 9}};
    p.drawPolyline(trend, 4);
}

void DrawLogSetting(QPainter& p) {
    DrawEventLog(p);
    p.setPen(QPen(Ink, 1.5));
    p.setBrush(QColor(250, 210, 60));
    p.drawEllipse(QPointF(23, 23), 7, 7);
    p.drawLine(QPointF(23, 23), QPointF(23, 18));
    p.drawLine(QPointF(23, 23), QPointF(27, 23));
}

// Three by three tiles, one of them in alarm.
void DrawOverview(QPainter& p) {
    p.setPen(QPen(Ink, 1));
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col) {
            p.setBrush(row == 1 && col == 2 ? QColor(220, 60, 40) : QColor(60, 160, 80));
            p.drawRoundedRect(QRectF(3 + col * 9, 3 + row * 9, 8, 8), 1.5, 1.5);
        }
}

void DrawAbout(QPainter& p) {
    p.setPen(QPen(Ink, 1.5));
    p.setBrush(Accent);
    p.drawEllipse(QRectF(3, 3, 26, 26));
    QFont font = p.font();
    font.setPixelSize(20);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 1, Size, Size), Qt::AlignCenter, "?");
}

void DrawExit(QPainter& p) {
    // A power symbol: an open ring with a bar through the gap.
    p.setPen(QPen(QColor(200, 40, 40), 3.5, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(6, 7, 20, 20), 120 * 16, -300 * 16);
    p.drawLine(QPointF(16, 4), QPointF(16, 16));
}
} // namespace

QIcon ToolIcon(TToolIcon icon) {
    QPixmap pixmap(Size, Size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (icon) {
    case TToolIcon::SoftwareParameter:
        DrawGear(p);
        break;
    case TToolIcon::Chinese:
        DrawLetters(p, QStringLiteral("中"));
        break;
    case TToolIcon::English:
        DrawLetters(p, QStringLiteral("En"));
        break;
    case TToolIcon::EventLog:
        DrawEventLog(p);
        break;
    case TToolIcon::DataLog:
        DrawDataLog(p);
        break;
    case TToolIcon::About:
        DrawAbout(p);
        break;
    case TToolIcon::Exit:
        DrawExit(p);
        break;
    case TToolIcon::LogSetting:
        DrawLogSetting(p);
        break;
    case TToolIcon::Overview:
        DrawOverview(p);
        break;
    }
    p.end();
    return QIcon(pixmap);
}
