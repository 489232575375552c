#include "ui/FlowPipe.h"

#include "ui/InstrumentColours.h"
#include "ui/OnScreen.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace {
constexpr int StepPixels = 2; // how far the marks move per interval
} // namespace

TFlowPipe::TFlowPipe(Qt::Orientation orientation, QWidget* parent)
    : QWidget(parent), FOrientation(orientation), FSurround(InstrumentColours::MimicBackground) {
    // The pipe paints every pixel itself, so a step repaints this widget only.
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(&FTimer, &TBeatTimer::Timeout, this, [this](int steps) {
        if (!IsOnScreen(*this))
            FTimer.Stop(); // the window's next exposure starts it again
        else
            Step(steps);
    });
}

QSize TFlowPipe::sizeHint() const {
    return FOrientation == Qt::Vertical ? QSize(16, 40) : QSize(40, 16);
}

void TFlowPipe::SetReversed(bool reversed) {
    if (reversed == FReversed)
        return;
    FReversed = reversed;
    Redraw();
}

// The time already counted towards the next step is kept: starting it anew
// at every refresh would hold the marks still whenever the refresh comes
// sooner than the interval.
void TFlowPipe::SetInterval(int milliseconds) {
    FTimer.SetInterval(milliseconds);
}

void TFlowPipe::SetFlowing(bool flowing) {
    if (flowing == FFlowing)
        return;
    FFlowing = flowing;
    UpdateTimer();
    Redraw(); // a stopped pipe is drawn dim; the change must show at once
}

void TFlowPipe::SetSurround(const QColor& colour) {
    if (colour == FSurround)
        return;
    FSurround = colour;
    Redraw();
}

void TFlowPipe::Redraw() {
    for (QPixmap& frame : FFrames)
        frame = {};
    update();
}

void TFlowPipe::UpdateTimer() {
    const bool run = FFlowing && IsOnScreen(*this);
    if (run)
        FTimer.Start();
    else
        FTimer.Stop();
}

void TFlowPipe::showEvent(QShowEvent*) {
    WatchExposure(*this);
    UpdateTimer();
}

bool TFlowPipe::eventFilter(QObject* watched, QEvent* event) {
    if (IsExposeEvent(event))
        UpdateTimer();
    return QWidget::eventFilter(watched, event);
}

void TFlowPipe::hideEvent(QHideEvent*) {
    FTimer.Stop();
}

void TFlowPipe::Step(int steps) {
    FOffset = (FOffset + steps * StepPixels) % MarkSpacing;
    update();
}

double TFlowPipe::Length() const {
    return FOrientation == Qt::Vertical ? height() : width();
}

double TFlowPipe::Thickness() const {
    return FOrientation == Qt::Vertical ? width() : height();
}

// The marks come back to the same place every MarkSpacing pixels, so a
// moving pipe cycles through a few pictures; each is drawn once and copied at
// every step after, until the look or the size changes.
void TFlowPipe::paintEvent(QPaintEvent*) {
    QPixmap& frame = FFrames[std::size_t(FOffset)];
    const qreal ratio = devicePixelRatioF();
    if (frame.devicePixelRatio() != ratio || frame.deviceIndependentSize() != QSizeF(size())) {
        frame = QPixmap(size() * ratio);
        frame.setDevicePixelRatio(ratio);
        QPainter painter(&frame);
        DrawPipe(painter);
    }
    QPainter(this).drawPixmap(0, 0, frame);
}

void TFlowPipe::DrawPipe(QPainter& painter) const {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), FSurround);
    // Draw as if horizontal; a vertical pipe is the same turned a quarter.
    if (FOrientation == Qt::Vertical) {
        painter.translate(width(), 0);
        painter.rotate(90);
    }
    const double length = Length();
    const double thick = Thickness();
    const QRectF tube(0.5, 0.5, length - 1, thick - 1);
    QLinearGradient wall(0, 0, 0, thick);
    wall.setColorAt(0, QColor(150, 162, 172));
    wall.setColorAt(0.5, QColor(70, 80, 90));
    wall.setColorAt(1, QColor(150, 162, 172));
    painter.setPen(QPen(QColor(20, 26, 32), 1));
    painter.setBrush(wall);
    painter.drawRoundedRect(tube, thick / 3, thick / 3);
    const QRectF bore = tube.adjusted(2.5, 3, -2.5, -3);
    painter.setPen(Qt::NoPen);
    painter.setBrush(FFlowing ? QColor(20, 70, 40) : QColor(36, 44, 52));
    painter.drawRect(bore);

    // Chevrons pointing the way of the flow; the moving offset runs with them.
    painter.setClipRect(bore);
    const double h = bore.height();
    const double dir = FReversed ? -1 : 1;
    painter.setPen(QPen(FFlowing ? InstrumentColours::MimicLit.lighter(130) : QColor(110, 120, 130),
                        std::max(1.5, h / 4), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    const double shift = FReversed ? -FOffset : FOffset;
    for (double x = -MarkSpacing + std::fmod(shift, double(MarkSpacing)); x < length + MarkSpacing;
         x += MarkSpacing) {
        const double tip = x + dir * h * 0.3;
        const double tail = x - dir * h * 0.3;
        QPainterPath chevron;
        chevron.moveTo(tail, bore.top() + h * 0.15);
        chevron.lineTo(tip, bore.center().y());
        chevron.lineTo(tail, bore.bottom() - h * 0.15);
        painter.drawPath(chevron);
    }
}
