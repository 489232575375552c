#pragma once
// A chart of one measured column for up to eight units over time, drawn with
// QPainter from the envelope of each series (base/Envelope.h) at the width of
// the plot: a repaint reads the envelope trees and, at the edges of pixel
// columns, samples in place in the mapped month. The wheel zooms the time axis around the pointer,
// a drag pans it, and the pointer shows the time and each unit's value under it. Keys do the same:
// Left and Right pan, + and - zoom, Home shows everything.

#include "base/Envelope.h"
#include "logviews/DataSeries.h"

#include <QLocale>
#include <QWidget>

#include <vector>

// The text of an axis tick, in the locale's date format: the date on day
// steps, the time (and the date at midnight) on shorter ones. The log's wall
// time is shown as logged, whatever the zone's daylight saving time does.
[[nodiscard]] QString TimeAxisLabel(double stamp, double step, const QLocale& locale);
// The time under the pointer: the locale's short date and the time to the second.
[[nodiscard]] QString PointerTimeText(double stamp, const QLocale& locale);

class TDataChart : public QWidget {
    Q_OBJECT
public:
    static constexpr int MaxSeries = 8;

    explicit TDataChart(QWidget* parent = nullptr);

    // The series to draw (at most MaxSeries, the names beside them) over
    // [first, last]; keeps the shown times where they still fit.
    void SetSeries(std::vector<TDataSeries> series, QStringList names, double first, double last);
    // The time shown: start and length in days, kept within the data.
    void ShowTimes(double start, double length);
    [[nodiscard]] double ViewStart() const { return FStart; }
    [[nodiscard]] double ViewEnd() const { return FEnd; }
    // The longest view: every loaded time.
    [[nodiscard]] double FullLength() const { return FLast - FFirst; }
    void Zoom(double factor, double around);
    void Pan(double days);
    [[nodiscard]] QRect PlotRect() const;
    // The text the pointer shows at x (empty outside the plot).
    [[nodiscard]] QString PointerText(int x) const;
    // Draws the chart into a PNG file; false when it cannot be written.
    [[nodiscard]] bool SavePng(const QString& path);

signals:
    void ViewChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    [[nodiscard]] double TimeAt(int x) const;
    void Draw(QPainter& painter);

    std::vector<TDataSeries> FSeries;
    std::vector<TEnvelopeTree> FTrees; // one per series, built when the series change
    std::vector<double> FMaxGap;
    QStringList FNames;
    double FFirst = 0, FLast = 1, FStart = 0, FEnd = 1;
    int FPointerX = -1;
    int FDragX = -1;
    double FDragStart = 0;
};
