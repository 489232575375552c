#pragma once
// A vertical bar of LED segments filling from the bottom, with coloured
// scale sections and labelled marks beside the bar (for example "100%").
// Values beyond the scale light all or no segments.

#include "ui/AngularGauge.h" // TScaleSection

#include <QString>
#include <QWidget>
#include <vector>

struct TBarMark {
    double Value;
    QString Text;
};

class TLedBar : public QWidget {
    Q_OBJECT
public:
    explicit TLedBar(QWidget* parent = nullptr);

    void SetScale(double minimum, double maximum, int segments);
    void SetSections(std::vector<TScaleSection> sections);
    void SetMarks(std::vector<TBarMark> marks);
    void SetValue(double value);

    [[nodiscard]] double Value() const { return FValue; }
    [[nodiscard]] int LitSegments() const;

    [[nodiscard]] QSize sizeHint() const override { return {64, 200}; }
    [[nodiscard]] QSize minimumSizeHint() const override { return {52, 90}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    [[nodiscard]] QRectF BarRect() const;
    [[nodiscard]] double YOf(const QRectF& bar, double value) const;
    [[nodiscard]] QColor SegmentColour(double value) const;
    void DrawSegments(QPainter& painter, const QRectF& bar) const;
    void DrawMarks(QPainter& painter, const QRectF& bar) const;

    double FMinimum = 0;
    double FMaximum = 150;
    int FSegments = 30;
    std::vector<TScaleSection> FSections;
    std::vector<TBarMark> FMarks;
    double FValue = 0;
};
