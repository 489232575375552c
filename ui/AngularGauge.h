#pragma once
// A round dial with a needle: a 240-degree scale with labelled major ticks,
// minor ticks, coloured scale sections and a digital readout under the hub.
// The needle stops at the ends of the scale, so any value can be shown; the
// readout shows the text it is given.

#include <QColor>
#include <QPixmap>
#include <QString>
#include <QWidget>
#include <vector>

struct TScaleSection {
    double From;
    double To;
    QColor Colour;
};

class TAngularGauge : public QWidget {
    Q_OBJECT
public:
    explicit TAngularGauge(QWidget* parent = nullptr);

    // majorTicks labelled ticks from minimum to maximum, both ends included,
    // each interval divided into minorPerMajor steps.
    void SetScale(double minimum, double maximum, int majorTicks, int minorPerMajor);
    void SetSections(std::vector<TScaleSection> sections);

    void SetValue(double value);
    void SetValueText(const QString& text);

    [[nodiscard]] double Value() const { return FValue; }
    [[nodiscard]] QString ValueText() const { return FValueText; }
    // Where the needle points: the value held within the scale.
    [[nodiscard]] double NeedleValue() const;
    [[nodiscard]] double Maximum() const { return FMaximum; }
    // The colour of the band that holds value; invalid outside every band.
    [[nodiscard]] QColor SectionColourAt(double value) const;

    [[nodiscard]] QSize sizeHint() const override { return {150, 140}; }
    [[nodiscard]] QSize minimumSizeHint() const override { return {96, 96}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    [[nodiscard]] QRectF DialRect() const;
    [[nodiscard]] double AngleOf(double value) const; // degrees, counter-clockwise from 3 o'clock
    void BuildFace();
    void DrawFace(QPainter& painter, const QRectF& dial) const;
    void DrawSections(QPainter& painter, const QRectF& dial) const;
    void DrawTicks(QPainter& painter, const QRectF& dial) const;
    void DrawNeedle(QPainter& painter, const QRectF& dial) const;
    void DrawReadout(QPainter& painter, const QRectF& dial) const;

    double FMinimum = 0;
    double FMaximum = 300;
    int FMajorTicks = 6;
    int FMinorPerMajor = 5;
    std::vector<TScaleSection> FSections;
    double FValue = 0;
    QString FValueText;
    QPixmap FFace; // everything but the needle and the readout
};
