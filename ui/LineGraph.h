#pragma once
// A flat line graph with fixed axes: a title, a legend of the series names,
// one polyline per series clipped to the plotting area, grid lines, value
// labels on the vertical axis and the points' own labels (for example times)
// along the horizontal axis. A point's x is its index in its series.

#include <QColor>
#include <QString>
#include <QWidget>
#include <vector>

class TLineGraph : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString title READ Title WRITE SetTitle)
public:
    struct TPoint {
        double X;
        double Y;
        QString Label;
    };

    explicit TLineGraph(QWidget* parent = nullptr);

    // Returns the new series' index.
    int AddSeries(const QString& name, const QColor& colour);
    void SetAxes(double xMinimum, double xMaximum, double yMinimum, double yMaximum, double yStep);
    void SetAxisTitles(const QString& xTitle, const QString& yTitle);
    void SetTitle(const QString& title);

    // Appends a point at x = the series' point count.
    void AddPoint(int series, double y, const QString& label);
    void ClearSeries(int series);

    [[nodiscard]] QString Title() const { return FTitle; }
    [[nodiscard]] QString XTitle() const { return FXTitle; }
    [[nodiscard]] double YMinimum() const { return FYMinimum; }
    [[nodiscard]] double YMaximum() const { return FYMaximum; }
    [[nodiscard]] int SeriesCount() const { return int(FSeries.size()); }
    [[nodiscard]] QString SeriesName(int series) const { return FSeries.at(series).Name; }
    [[nodiscard]] QColor SeriesColour(int series) const { return FSeries.at(series).Colour; }
    [[nodiscard]] int PointCount(int series) const { return int(FSeries.at(series).Points.size()); }
    [[nodiscard]] const TPoint& PointAt(int series, int index) const {
        return FSeries.at(series).Points.at(index);
    }

    [[nodiscard]] QSize sizeHint() const override { return {680, 270}; }
    [[nodiscard]] QSize minimumSizeHint() const override { return {300, 160}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct TSeries {
        QString Name;
        QColor Colour;
        std::vector<TPoint> Points;
    };

    [[nodiscard]] QRectF PlotRect() const;
    [[nodiscard]] QPointF Map(const QRectF& plot, double x, double y) const;
    [[nodiscard]] int LabelStep(const QRectF& plot) const;
    void DrawTitleAndLegend(QPainter& painter) const;
    void DrawGrid(QPainter& painter, const QRectF& plot) const;
    void DrawTimeLabels(QPainter& painter, const QRectF& plot) const;
    void DrawSeries(QPainter& painter, const QRectF& plot) const;

    QString FTitle;
    QString FXTitle;
    QString FYTitle;
    double FXMinimum = 1;
    double FXMaximum = 120;
    double FYMinimum = 180;
    double FYMaximum = 300;
    double FYStep = 20;
    std::vector<TSeries> FSeries;
};
