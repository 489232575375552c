#include "ui/LineGraph.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <array>
#include <cmath>

namespace {
constexpr int Pad = 8;
constexpr double LegendLine = 18;

QFont TitleFont(QFont font) {
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() + 1);
    return font;
}
} // namespace

TLineGraph::TLineGraph(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

int TLineGraph::AddSeries(const QString& name, const QColor& colour) {
    FSeries.push_back({name, colour, {}});
    update();
    return SeriesCount() - 1;
}

void TLineGraph::SetAxes(double xMinimum, double xMaximum, double yMinimum, double yMaximum,
                         double yStep) {
    FXMinimum = xMinimum;
    FXMaximum = xMaximum > xMinimum ? xMaximum : xMinimum + 1;
    FYMinimum = yMinimum;
    FYMaximum = yMaximum > yMinimum ? yMaximum : yMinimum + 1;
    FYStep = yStep > 0 ? yStep : FYMaximum - FYMinimum;
    update();
}

void TLineGraph::SetAxisTitles(const QString& xTitle, const QString& yTitle) {
    FXTitle = xTitle;
    FYTitle = yTitle;
    update();
}

void TLineGraph::SetTitle(const QString& title) {
    if (title == FTitle)
        return;
    FTitle = title;
    update();
}

void TLineGraph::AddPoint(int series, double y, const QString& label) {
    auto& points = FSeries.at(series).Points;
    points.push_back({double(points.size()), y, label});
    update();
}

void TLineGraph::ClearSeries(int series) {
    FSeries.at(series).Points.clear();
    update();
}

QRectF TLineGraph::PlotRect() const {
    const QFontMetricsF metrics(font());
    const QFontMetricsF titleMetrics(TitleFont(font()));
    const double left = Pad + metrics.horizontalAdvance(QStringLiteral("0000")) + 6;
    const double top = Pad + titleMetrics.height() + metrics.height() + 4;
    const double bottom = height() - Pad - 2 * metrics.height() - 4;
    const double right = width() - Pad - metrics.horizontalAdvance(QStringLiteral("00:00:00")) / 2;
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

QPointF TLineGraph::Map(const QRectF& plot, double x, double y) const {
    // Far-off values are held a long way outside the plot: the clipped line
    // looks the same, and the painter never sees an unbounded coordinate.
    const double span = 1e4;
    const double fx = std::clamp((x - FXMinimum) / (FXMaximum - FXMinimum), -span, span);
    const double fy = std::clamp((y - FYMinimum) / (FYMaximum - FYMinimum), -span, span);
    return {plot.left() + fx * plot.width(), plot.bottom() - fy * plot.height()};
}

int TLineGraph::LabelStep(const QRectF& plot) const {
    const double perUnit = plot.width() / (FXMaximum - FXMinimum);
    const double wanted = QFontMetricsF(font()).horizontalAdvance(QStringLiteral("00:00:00")) + 12;
    for (int step : {1, 2, 5, 10, 15, 20, 30, 60})
        if (step * perUnit >= wanted)
            return step;
    return 120;
}

void TLineGraph::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(160, 168, 176), 1));
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    const QRectF plot = PlotRect();
    if (plot.width() < 10 || plot.height() < 10)
        return;
    DrawTitleAndLegend(painter);
    DrawGrid(painter, plot);
    DrawTimeLabels(painter, plot);
    DrawSeries(painter, plot);
}

void TLineGraph::DrawTitleAndLegend(QPainter& painter) const {
    const QFont titleFont = TitleFont(font());
    const QFontMetricsF titleMetrics(titleFont);
    painter.setFont(titleFont);
    painter.setPen(QColor(33, 37, 41));
    painter.drawText(QRectF(Pad, Pad, width() - 2 * Pad, titleMetrics.height()), Qt::AlignCenter,
                     FTitle);
    painter.setFont(font());
    const QFontMetricsF metrics(font());
    // Right-aligned on the title row: a short line in the series colour, then its name.
    double x = width() - Pad;
    const double y = Pad + titleMetrics.height() / 2;
    for (auto it = FSeries.rbegin(); it != FSeries.rend(); ++it) {
        x -= metrics.horizontalAdvance(it->Name);
        painter.setPen(QColor(33, 37, 41));
        painter.drawText(QPointF(x, y + (metrics.ascent() - metrics.descent()) / 2), it->Name);
        x -= 4 + LegendLine;
        painter.setPen(QPen(it->Colour, 2.5));
        painter.drawLine(QPointF(x, y), QPointF(x + LegendLine, y));
        x -= 12;
    }
}

void TLineGraph::DrawGrid(QPainter& painter, const QRectF& plot) const {
    const QFontMetricsF metrics(font());
    painter.setPen(QPen(QColor(228, 231, 235), 1));
    const int step = LabelStep(plot);
    for (int x = step; x <= FXMaximum; x += step)
        painter.drawLine(Map(plot, x, FYMinimum), Map(plot, x, FYMaximum));
    const int yLines = int(std::round((FYMaximum - FYMinimum) / FYStep));
    for (int i = 0; i <= yLines; ++i) {
        const double value = FYMinimum + i * FYStep;
        const QPointF left = Map(plot, FXMinimum, value);
        painter.setPen(QPen(QColor(228, 231, 235), 1));
        painter.drawLine(left, Map(plot, FXMaximum, value));
        painter.setPen(QColor(73, 80, 87));
        painter.drawText(
            QRectF(Pad, left.y() - metrics.height() / 2, plot.left() - Pad - 5, metrics.height()),
            Qt::AlignRight | Qt::AlignVCenter, QString::number(value));
    }
    painter.setPen(QPen(QColor(73, 80, 87), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(plot);
    painter.setPen(QColor(33, 37, 41));
    // The unit sits on the title row, clear of the top value label.
    painter.drawText(QRectF(Pad, Pad, plot.left() - Pad, QFontMetricsF(TitleFont(font())).height()),
                     Qt::AlignLeft | Qt::AlignVCenter, FYTitle);
    painter.drawText(
        QRectF(plot.left(), height() - Pad - metrics.height(), plot.width(), metrics.height()),
        Qt::AlignCenter, FXTitle);
}

void TLineGraph::DrawTimeLabels(QPainter& painter, const QRectF& plot) const {
    // The labels of the longest series, at the grid positions.
    const TSeries* longest = nullptr;
    for (const TSeries& series : FSeries)
        if (longest == nullptr || series.Points.size() > longest->Points.size())
            longest = &series;
    if (longest == nullptr)
        return;
    const QFontMetricsF metrics(font());
    const int step = LabelStep(plot);
    painter.setPen(QColor(73, 80, 87));
    for (const TPoint& point : longest->Points) {
        const int x = int(point.X);
        if (x < FXMinimum || x > FXMaximum || x % step != 0)
            continue;
        const QPointF at = Map(plot, x, FYMinimum);
        const double w = metrics.horizontalAdvance(point.Label) + 4;
        painter.drawText(QRectF(at.x() - w / 2, plot.bottom() + 3, w, metrics.height()),
                         Qt::AlignCenter, point.Label);
    }
}

void TLineGraph::DrawSeries(QPainter& painter, const QRectF& plot) const {
    painter.save();
    painter.setClipRect(plot.adjusted(1, 1, -1, -1));
    painter.setBrush(Qt::NoBrush);
    for (const TSeries& series : FSeries) {
        painter.setPen(QPen(series.Colour, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        QPainterPath path;
        bool open = false; // a NaN or infinite reading breaks the line
        for (const TPoint& point : series.Points) {
            if (!std::isfinite(point.Y)) {
                open = false;
                continue;
            }
            const QPointF p = Map(plot, point.X, point.Y);
            if (open)
                path.lineTo(p);
            else
                path.moveTo(p);
            open = true;
        }
        painter.drawPath(path);
    }
    painter.restore();
}
