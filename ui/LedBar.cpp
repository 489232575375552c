#include "ui/LedBar.h"

#include "ui/InstrumentColours.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {
constexpr double BarWidth = 20;
constexpr double Inset = 3; // frame around the segments
} // namespace

TLedBar::TLedBar(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
}

void TLedBar::SetScale(double minimum, double maximum, int segments) {
    FMinimum = minimum;
    FMaximum = maximum > minimum ? maximum : minimum + 1;
    FSegments = std::max(1, segments);
    update();
}

void TLedBar::SetSections(std::vector<TScaleSection> sections) {
    FSections = std::move(sections);
    update();
}

void TLedBar::SetMarks(std::vector<TBarMark> marks) {
    FMarks = std::move(marks);
    update();
}

void TLedBar::SetValue(double value) {
    if (value == FValue || (std::isnan(value) && std::isnan(FValue)))
        return;
    const int litBefore = LitSegments();
    FValue = value;
    if (LitSegments() != litBefore)
        update();
}

int TLedBar::LitSegments() const {
    if (std::isnan(FValue))
        return 0;
    // A segment lights once the value reaches its middle.
    const double perSegment = (FMaximum - FMinimum) / FSegments;
    const double lit = std::floor((FValue - FMinimum) / perSegment + 0.5);
    return int(std::clamp(lit, 0.0, double(FSegments)));
}

QRectF TLedBar::BarRect() const {
    // Room above and below for half a mark text at the ends of the scale.
    const double margin = fontMetrics().height() / 2.0 + 1;
    return {1, margin, BarWidth, height() - 2 * margin};
}

double TLedBar::YOf(const QRectF& bar, double value) const {
    const QRectF inner = bar.adjusted(Inset, Inset, -Inset, -Inset);
    return inner.bottom() - inner.height() * (value - FMinimum) / (FMaximum - FMinimum);
}

QColor TLedBar::SegmentColour(double value) const {
    for (const TScaleSection& section : FSections)
        if (value >= section.From && value <= section.To)
            return section.Colour;
    return InstrumentColours::SectionNormal;
}

void TLedBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bar = BarRect();
    painter.setPen(QPen(QColor(70, 78, 86), 1));
    painter.setBrush(InstrumentColours::ReadoutBack);
    painter.drawRoundedRect(bar.adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    DrawSegments(painter, bar);
    DrawMarks(painter, bar);
}

void TLedBar::DrawSegments(QPainter& painter, const QRectF& bar) const {
    const int lit = LitSegments();
    const double step = (FMaximum - FMinimum) / FSegments;
    const double gap = std::min(2.0, (bar.height() - 2 * Inset) / FSegments / 3);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < FSegments; ++i) {
        const double low = FMinimum + step * i;
        const QColor colour = SegmentColour(low + step / 2);
        const double top = YOf(bar, low + step);
        const double bottom = YOf(bar, low);
        painter.setBrush(i < lit ? colour : colour.darker(420));
        painter.drawRect(
            QRectF(bar.left() + Inset, top + gap / 2, bar.width() - 2 * Inset, bottom - top - gap));
    }
}

void TLedBar::DrawMarks(QPainter& painter, const QRectF& bar) const {
    const QFontMetricsF metrics(font());
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1));
    for (const TBarMark& mark : FMarks) {
        const double y = YOf(bar, mark.Value);
        painter.drawLine(QPointF(bar.right() + 1, y), QPointF(bar.right() + 5, y));
        const QRectF text(bar.right() + 7, y - metrics.height() / 2, width() - bar.right() - 7,
                          metrics.height());
        painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, mark.Text);
    }
}
