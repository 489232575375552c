#include "logviews/DataChart.h"

#include "logging/TimeStamp.h"

#include "base/TimeTicks.h"

#include <QDate>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {
constexpr int LeftMargin = 70, RightMargin = 16, TopMargin = 28, BottomMargin = 40;
constexpr int MinTickPixels = 110, MinValuePixels = 40;
constexpr double MinLength = 10.0 / 1440; // ten minutes
// Samples further apart than this many logging steps are not joined.
constexpr double GapSteps = 2.5;
const QColor SeriesColours[TDataChart::MaxSeries] = {
    QColor(0x1f, 0x77, 0xb4), QColor(0xd6, 0x27, 0x28), QColor(0x2c, 0xa0, 0x2c),
    QColor(0xff, 0x7f, 0x0e), QColor(0x94, 0x67, 0xbd), QColor(0x8c, 0x56, 0x4b),
    QColor(0xe3, 0x77, 0xc2), QColor(0x17, 0xbe, 0xcf)};

QDate DateOf(const TTimeParts& t) {
    return QDate(t.Year, t.Month, t.Day);
}

// A number as the grid shows it: with the locale's decimal point.
QString Shown(const std::string& text, const QLocale& locale) {
    return QString::fromStdString(text).replace(QLatin1Char('.'), locale.decimalPoint().at(0));
}

QString ValueText(double value, int col, const QLocale& locale) {
    std::string text;
    AppendDataValue(text, value, col);
    return Shown(text, locale);
}

// A round step of values for about `count` lines between low and high, no
// finer than the column's decimals show: labels never repeat.
double ValueStep(double low, double high, int count, int col) {
    const double raw =
        std::max((high - low) / std::max(count, 1), std::pow(10.0, -DataValueDecimals(col)));
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * power >= raw)
            return m * power;
    return 10 * power;
}
} // namespace

QString TimeAxisLabel(double stamp, double step, const QLocale& locale) {
    // QDate and QTime carry no zone: a wall time a change of daylight saving
    // time skips or repeats is shown as logged, not moved by an hour.
    const TTimeParts t = DecodeTimeStamp(stamp);
    const QString date = locale.toString(DateOf(t), QLocale::ShortFormat);
    if (step >= 1)
        return date;
    const QString time = locale.toString(QTime(t.Hour, t.Minute), QLocale::ShortFormat);
    return t.Hour == 0 && t.Minute == 0 ? date + "\n" + time : time;
}

QString PointerTimeText(double stamp, const QLocale& locale) {
    const TTimeParts t = DecodeTimeStamp(stamp);
    return locale.toString(DateOf(t), QLocale::ShortFormat) + " " +
           QTime(t.Hour, t.Minute, t.Second).toString("HH:mm:ss");
}

TDataChart::TDataChart(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setMinimumSize(400, 240);
    setAutoFillBackground(false);
}

void TDataChart::SetSeries(std::vector<TDataSeries> series, QStringList names, double first,
                           double last) {
    if (series.size() > MaxSeries)
        series.resize(MaxSeries);
    FSeries = std::move(series);
    FNames = std::move(names);
    FTrees.clear();
    FMaxGap.clear();
    for (const TDataSeries& s : FSeries) {
        FTrees.emplace_back(s);
        FMaxGap.push_back(GapSteps * FTrees.back().Step());
    }
    FFirst = first;
    FLast = std::max(last, first + MinLength);
    ShowTimes(FStart, FEnd - FStart);
}

void TDataChart::ShowTimes(double start, double length) {
    length = std::clamp(length, MinLength, FLast - FFirst);
    start = std::clamp(start, FFirst, FLast - length);
    FStart = start;
    FEnd = start + length;
    update();
    emit ViewChanged();
}

void TDataChart::Zoom(double factor, double around) {
    const double length = (FEnd - FStart) * factor;
    const double share = FEnd > FStart ? (around - FStart) / (FEnd - FStart) : 0.5;
    ShowTimes(around - share * length, length);
}

void TDataChart::Pan(double days) {
    ShowTimes(FStart + days, FEnd - FStart);
}

QRect TDataChart::PlotRect() const {
    return rect().adjusted(LeftMargin, TopMargin, -RightMargin, -BottomMargin);
}

double TDataChart::TimeAt(int x) const {
    const QRect plot = PlotRect();
    return FStart + (FEnd - FStart) * double(x - plot.left()) / std::max(plot.width(), 1);
}

QString TDataChart::PointerText(int x) const {
    const QRect plot = PlotRect();
    if (x < plot.left() || x > plot.right() || FSeries.empty())
        return {};
    const double t = TimeAt(x);
    QString text = PointerTimeText(t, locale());
    const double halfPixel = (FEnd - FStart) / std::max(plot.width(), 1);
    for (std::size_t k = 0; k < FSeries.size(); ++k) {
        const TDataSeries& s = FSeries[k];
        // The nearest sample, unless the pointer is in a gap.
        const std::size_t after = FirstSampleFrom(s, t);
        std::size_t best = after;
        if (after == s.Size() || (after > 0 && t - s.Time(after - 1) < s.Time(after) - t))
            best = after - 1;
        text += "   " + FNames.value(int(k)) + ": ";
        if (best < s.Size() && std::fabs(s.Time(best) - t) <= std::max(FMaxGap[k], halfPixel) &&
            !std::isnan(s.Value(best))) {
            std::string cell;
            AppendDataCell(s.Record(best), s.Col, cell);
            text += Shown(cell, locale());
        } else {
            text += "-";
        }
    }
    return text;
}

bool TDataChart::SavePng(const QString& path) {
    return grab().save(path, "PNG");
}

void TDataChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    Draw(painter);
}

void TDataChart::Draw(QPainter& painter) {
    painter.fillRect(rect(), palette().base());
    const QRect plot = PlotRect();
    if (plot.width() <= 0 || plot.height() <= 0)
        return;
    const int width = plot.width();
    // The envelopes first: the value axis fits what is in view.
    std::vector<std::vector<TEnvelopeColumn>> envelopes(FSeries.size());
    double low = INFINITY, high = -INFINITY;
    for (std::size_t k = 0; k < FSeries.size(); ++k) {
        FTrees[k].Build(FSeries[k], {FStart, FEnd, width, FMaxGap[k]}, envelopes[k]);
        for (const TEnvelopeColumn& c : envelopes[k])
            if (c.Filled()) {
                low = std::min(low, c.Min);
                high = std::max(high, c.Max);
            }
    }
    if (!(low <= high)) {
        low = 0;
        high = 1;
    }
    const int col = FSeries.empty() ? FirstChartCol : FSeries.front().Col;
    // A little room above and below: a flat line at the highest or lowest
    // value is not hidden by the frame.
    const double room = std::max((high - low) * 0.02, 0.5);
    low -= room;
    high += room;
    const double valueStep = ValueStep(low, high, std::max(plot.height() / MinValuePixels, 2), col);
    low = std::floor(low / valueStep) * valueStep;
    high = std::max(std::ceil(high / valueStep) * valueStep, low + valueStep);
    const auto yOf = [&](double v) {
        return plot.bottom() - (v - low) / (high - low) * plot.height();
    };
    const QPalette& pal = palette();
    const QColor grid = pal.color(QPalette::Mid);
    const QFontMetrics fm = painter.fontMetrics();

    painter.setPen(QPen(grid, 0, Qt::DotLine));
    for (double v = low; v <= high + valueStep / 2; v += valueStep) {
        const double y = yOf(v);
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(pal.color(QPalette::Text));
        painter.drawText(QRectF(0, y - fm.height() / 2.0, LeftMargin - 6, fm.height()),
                         Qt::AlignRight | Qt::AlignVCenter, ValueText(v, col, locale()));
        painter.setPen(QPen(grid, 0, Qt::DotLine));
    }
    const TTimeTicks ticks = TimeTicks(FStart, FEnd, width, MinTickPixels);
    for (double t : ticks.At) {
        const double x = plot.left() + (t - FStart) / (FEnd - FStart) * width;
        painter.setPen(QPen(grid, 0, Qt::DotLine));
        painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        painter.setPen(pal.color(QPalette::Text));
        painter.drawText(
            QRectF(x - MinTickPixels / 2.0, plot.bottom() + 3, MinTickPixels, BottomMargin - 3),
            Qt::AlignHCenter | Qt::AlignTop, TimeAxisLabel(t, ticks.Step, locale()));
    }
    painter.setPen(pal.color(QPalette::Text));
    painter.drawRect(plot);

    // Each pixel column its minimum to maximum, filled as a one-pixel-wide
    // rectangle (a plain fill, where a line is blended pixel by pixel);
    // neighbours joined from the last sample of one to the first of the next
    // unless a gap lies between.
    std::vector<QLineF> lines;
    painter.setClipRect(plot);
    for (std::size_t k = 0; k < envelopes.size(); ++k) {
        lines.clear();
        bool any = false;
        double lastY = 0;
        for (int x = 0; x < width; ++x) {
            const TEnvelopeColumn& c = envelopes[k][std::size_t(x)];
            if (!c.Filled())
                continue;
            const int px = plot.left() + x;
            if (c.JoinsPrevious && any)
                lines.emplace_back(px - 0.5, lastY, px + 0.5, yOf(c.First));
            const int top = int(std::lround(yOf(c.Max))), bottom = int(std::lround(yOf(c.Min)));
            painter.fillRect(px, top, 1, bottom - top + 1, SeriesColours[k]);
            any = true;
            lastY = yOf(c.Last);
        }
        painter.setPen(QPen(SeriesColours[k], 1));
        painter.drawLines(lines.data(), int(lines.size()));
    }
    painter.setClipping(false);

    // The names in their colours above the plot, then the pointer's readout.
    int x = plot.left();
    for (std::size_t k = 0; k < FSeries.size(); ++k) {
        painter.fillRect(QRect(x, 8, 14, 10), SeriesColours[k]);
        painter.setPen(pal.color(QPalette::Text));
        const QString name = FNames.value(int(k));
        painter.drawText(x + 18, 8 + fm.ascent() - 2, name);
        x += 18 + fm.horizontalAdvance(name) + 14;
    }
    if (FPointerX >= plot.left() && FPointerX <= plot.right()) {
        painter.setPen(QPen(pal.color(QPalette::Highlight), 0, Qt::DashLine));
        painter.drawLine(FPointerX, plot.top(), FPointerX, plot.bottom());
        const QString text = PointerText(FPointerX);
        const QRect box = fm.boundingRect(text).adjusted(-4, -2, 4, 2);
        const QRect at(plot.left() + 4, plot.top() + 4, box.width(), box.height());
        painter.fillRect(at, pal.color(QPalette::ToolTipBase));
        painter.setPen(pal.color(QPalette::ToolTipText));
        painter.drawText(at, Qt::AlignCenter, text);
    }
}

void TDataChart::wheelEvent(QWheelEvent* event) {
    const double steps = event->angleDelta().y() / 120.0;
    if (steps != 0)
        Zoom(std::pow(0.8, steps), TimeAt(int(event->position().x())));
    event->accept();
}

void TDataChart::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        FDragX = int(event->position().x());
        FDragStart = FStart;
    }
}

void TDataChart::mouseMoveEvent(QMouseEvent* event) {
    FPointerX = int(event->position().x());
    if (FDragX >= 0) {
        const double perPixel = (FEnd - FStart) / std::max(PlotRect().width(), 1);
        ShowTimes(FDragStart - (FPointerX - FDragX) * perPixel, FEnd - FStart);
    }
    update();
}

void TDataChart::mouseReleaseEvent(QMouseEvent*) {
    FDragX = -1;
}

void TDataChart::leaveEvent(QEvent*) {
    FPointerX = -1;
    update();
}

void TDataChart::keyPressEvent(QKeyEvent* event) {
    const double length = FEnd - FStart, middle = FStart + length / 2;
    switch (event->key()) {
    case Qt::Key_Left:
        Pan(-length / 4);
        break;
    case Qt::Key_Right:
        Pan(length / 4);
        break;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        Zoom(0.8, middle);
        break;
    case Qt::Key_Minus:
        Zoom(1.25, middle);
        break;
    case Qt::Key_Home:
        ShowTimes(FFirst, FLast - FFirst);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}
