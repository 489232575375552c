#pragma once
// A short pipe with marks moving along it to show a flow: in the normal
// direction (down, or right when horizontal) or reversed. Every interval the
// marks move one step, so a shorter interval shows a faster flow. A stopped
// pipe keeps its marks where they are. The pipe moves only while it is on
// screen: hiding it (or a page or window around it) stops its timer and
// showing it again resumes the flow where it was.

#include "ui/BeatTimer.h"

#include <QColor>
#include <QPixmap>
#include <QWidget>
#include <array>

class TFlowPipe : public QWidget {
    Q_OBJECT
public:
    explicit TFlowPipe(Qt::Orientation orientation, QWidget* parent = nullptr);

    void SetReversed(bool reversed);
    void SetInterval(int milliseconds);
    void SetFlowing(bool flowing);
    // The colour around the rounded pipe, so it blends with what lies below.
    void SetSurround(const QColor& colour);

    [[nodiscard]] bool IsReversed() const { return FReversed; }
    [[nodiscard]] int Interval() const { return FTimer.Interval(); }
    [[nodiscard]] bool IsFlowing() const { return FFlowing; }
    [[nodiscard]] bool IsTimerRunning() const { return FTimer.IsActive(); }
    [[nodiscard]] int Offset() const { return FOffset; }

    // `steps` steps of the marks, as the timer does.
    void Step(int steps = 1);

    [[nodiscard]] QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    static constexpr int MarkSpacing = 12; // pixels between marks along the pipe

    void UpdateTimer();
    // Forgets the pictures drawn for the old look and paints anew.
    void Redraw();
    void DrawPipe(QPainter& painter) const;
    [[nodiscard]] double Length() const;
    [[nodiscard]] double Thickness() const;

    Qt::Orientation FOrientation;
    bool FReversed = false;
    bool FFlowing = false;
    int FOffset = 0; // pixels the marks have moved, 0 .. spacing-1
    QColor FSurround;
    std::array<QPixmap, MarkSpacing> FFrames; // the picture at each offset, once drawn
    TBeatTimer FTimer{this, 500};
};
