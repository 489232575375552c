#include "ui/AngularGauge.h"

#include "ui/InstrumentColours.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
constexpr double StartAngle = 210; // the scale runs clockwise from lower left
constexpr double SweepAngle = 240; // to lower right, leaving room for the readout

QPointF OnCircle(const QPointF& centre, double radius, double degrees) {
    const double a = degrees * std::numbers::pi / 180;
    return centre + QPointF(radius * std::cos(a), -radius * std::sin(a));
}

QString TickLabel(double value) {
    return QString::number(value, 'g', 6);
}

// The largest pixel size, up to `wanted`, at which text fits into width.
int FittingPixelSize(const QFont& base, const QString& text, int wanted, double width) {
    QFont font = base;
    for (int size = wanted; size > 6; --size) {
        font.setPixelSize(size);
        if (QFontMetricsF(font).horizontalAdvance(text) <= width)
            return size;
    }
    return 6;
}
} // namespace

TAngularGauge::TAngularGauge(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void TAngularGauge::SetScale(double minimum, double maximum, int majorTicks, int minorPerMajor) {
    FMinimum = minimum;
    FMaximum = maximum > minimum ? maximum : minimum + 1;
    FMajorTicks = std::max(2, majorTicks);
    FMinorPerMajor = std::max(1, minorPerMajor);
    FFace = {};
    update();
}

void TAngularGauge::SetSections(std::vector<TScaleSection> sections) {
    FSections = std::move(sections);
    FFace = {};
    update();
}

QColor TAngularGauge::SectionColourAt(double value) const {
    for (const TScaleSection& section : FSections)
        if (value >= section.From && value < section.To)
            return section.Colour;
    return {};
}

void TAngularGauge::SetValue(double value) {
    // Compare bit for bit: a NaN reading must not repaint forever.
    if (value == FValue || (std::isnan(value) && std::isnan(FValue)))
        return;
    FValue = value;
    update();
}

void TAngularGauge::SetValueText(const QString& text) {
    if (text == FValueText)
        return;
    FValueText = text;
    update();
}

double TAngularGauge::NeedleValue() const {
    if (std::isnan(FValue))
        return FMinimum;
    return std::clamp(FValue, FMinimum, FMaximum);
}

QRectF TAngularGauge::DialRect() const {
    const double side = std::min(width(), height()) - 2.0;
    QRectF dial(0, 0, side, side);
    dial.moveCenter(QRectF(rect()).center());
    return dial;
}

double TAngularGauge::AngleOf(double value) const {
    return StartAngle - SweepAngle * (value - FMinimum) / (FMaximum - FMinimum);
}

void TAngularGauge::resizeEvent(QResizeEvent*) {
    FFace = {};
}

void TAngularGauge::paintEvent(QPaintEvent*) {
    const qreal ratio = devicePixelRatioF();
    if (FFace.isNull() || FFace.devicePixelRatio() != ratio)
        BuildFace();
    QPainter painter(this);
    painter.drawPixmap(0, 0, FFace);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF dial = DialRect();
    DrawReadout(painter, dial);
    DrawNeedle(painter, dial);
}

void TAngularGauge::BuildFace() {
    const qreal ratio = devicePixelRatioF();
    FFace = QPixmap(size() * ratio);
    FFace.setDevicePixelRatio(ratio);
    FFace.fill(Qt::transparent);
    QPainter painter(&FFace);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF dial = DialRect();
    DrawFace(painter, dial);
    DrawSections(painter, dial);
    DrawTicks(painter, dial);
}

void TAngularGauge::DrawFace(QPainter& painter, const QRectF& dial) const {
    const double r = dial.width() / 2;
    QLinearGradient rim(dial.topLeft(), dial.bottomRight());
    rim.setColorAt(0, QColor(120, 132, 142));
    rim.setColorAt(1, QColor(38, 46, 54));
    painter.setPen(Qt::NoPen);
    painter.setBrush(rim);
    painter.drawEllipse(dial);
    QRadialGradient face(dial.center(), r);
    face.setColorAt(0, InstrumentColours::DialFace);
    face.setColorAt(1, InstrumentColours::DialFace.darker(108));
    painter.setBrush(face);
    painter.drawEllipse(dial.center(), r * 0.94, r * 0.94);
}

void TAngularGauge::DrawSections(QPainter& painter, const QRectF& dial) const {
    const double r = dial.width() / 2;
    const double bandRadius = r * 0.84;
    QRectF band(0, 0, 2 * bandRadius, 2 * bandRadius);
    band.moveCenter(dial.center());
    for (const TScaleSection& section : FSections) {
        const double from = AngleOf(std::clamp(section.From, FMinimum, FMaximum));
        const double to = AngleOf(std::clamp(section.To, FMinimum, FMaximum));
        painter.setPen(QPen(section.Colour, r * 0.09, Qt::SolidLine, Qt::FlatCap));
        painter.drawArc(band, int(from * 16), int((to - from) * 16));
    }
}

void TAngularGauge::DrawTicks(QPainter& painter, const QRectF& dial) const {
    const double r = dial.width() / 2;
    const QPointF c = dial.center();
    const int steps = (FMajorTicks - 1) * FMinorPerMajor;
    const QPen major(InstrumentColours::DialInk, std::max(1.5, r * 0.03), Qt::SolidLine,
                     Qt::FlatCap);
    const QPen minor(InstrumentColours::DialInk, std::max(1.0, r * 0.012));
    for (int i = 0; i <= steps; ++i) {
        const double angle = StartAngle - SweepAngle * i / steps;
        const bool isMajor = i % FMinorPerMajor == 0;
        painter.setPen(isMajor ? major : minor);
        painter.drawLine(OnCircle(c, r * 0.90, angle),
                         OnCircle(c, r * (isMajor ? 0.74 : 0.80), angle));
    }
    QFont font = this->font();
    font.setPixelSize(std::max(8, int(r * 0.15)));
    painter.setFont(font);
    painter.setPen(InstrumentColours::DialInk);
    for (int i = 0; i < FMajorTicks; ++i) {
        const double value = FMinimum + (FMaximum - FMinimum) * i / (FMajorTicks - 1);
        QRectF box(0, 0, r * 0.5, r * 0.22);
        box.moveCenter(OnCircle(c, r * 0.58, AngleOf(value)));
        painter.drawText(box, Qt::AlignCenter, TickLabel(value));
    }
}

void TAngularGauge::DrawNeedle(QPainter& painter, const QRectF& dial) const {
    const double r = dial.width() / 2;
    const QPointF c = dial.center();
    painter.save();
    painter.translate(c);
    painter.rotate(-AngleOf(NeedleValue()));
    QPainterPath needle;
    needle.moveTo(-r * 0.14, -r * 0.035);
    needle.lineTo(r * 0.86, 0);
    needle.lineTo(-r * 0.14, r * 0.035);
    needle.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 50)); // shadow
    painter.drawPath(needle.translated(r * 0.02, r * 0.03));
    painter.setBrush(QColor(200, 40, 32));
    painter.drawPath(needle);
    painter.restore();
    QRadialGradient hub(c - QPointF(r * 0.03, r * 0.03), r * 0.1);
    hub.setColorAt(0, QColor(110, 118, 126));
    hub.setColorAt(1, QColor(30, 34, 38));
    painter.setBrush(hub);
    painter.drawEllipse(c, r * 0.09, r * 0.09);
}

void TAngularGauge::DrawReadout(QPainter& painter, const QRectF& dial) const {
    const double r = dial.width() / 2;
    QRectF box(0, 0, r * 0.96, r * 0.30);
    box.moveCenter(dial.center() + QPointF(0, r * 0.60));
    painter.setPen(QPen(QColor(90, 98, 106), 1));
    painter.setBrush(InstrumentColours::ReadoutBack);
    painter.drawRoundedRect(box, r * 0.05, r * 0.05);
    if (FValueText.isEmpty())
        return;
    QFont font = this->font();
    font.setBold(true);
    font.setPixelSize(
        FittingPixelSize(font, FValueText, std::max(9, int(r * 0.20)), box.width() - 6));
    painter.setFont(font);
    painter.setPen(InstrumentColours::ReadoutInk);
    painter.drawText(box, Qt::AlignCenter, FValueText);
}
