#pragma once
// The single-line diagram of a UPS, drawn for one operating mode: the input
// enters at the left into the rectifier (AC to DC), a DC bus leads to the
// inverter (DC to AC) and on to the output at the right; a branch goes down
// from the DC bus to the battery; the bypass runs across the top from input
// to output through the static switch. Energised parts are green, the others
// grey; marks move along the lines where power flows. The fault picture
// blinks a red mark where the DC bus meets the battery branch.
//
// The picture cycles through its frames only while it is on screen: hiding it
// (or a page or window around it) stops its timer, showing it again goes on
// from the frame it stopped at.

#include "ui/BeatTimer.h"

#include <QPixmap>
#include <QWidget>
#include <vector>

enum class TDiagramMode { Standby, Online, Bypass, Battery, Economy, Test, Fault };
constexpr int DiagramModeCount = 7;

class TSingleLineDiagram : public QWidget {
    Q_OBJECT
public:
    explicit TSingleLineDiagram(TDiagramMode mode, QWidget* parent = nullptr);

    // The picture is laid out on this grid and scaled to the widget.
    static constexpr int PictureWidth = 420;
    static constexpr int PictureHeight = 220;
    // Where the vertical battery branch runs, in picture coordinates: a
    // control laid over the branch goes here.
    [[nodiscard]] static QRect BatteryBranchRect();
    [[nodiscard]] static int FrameCountOf(TDiagramMode mode);

    [[nodiscard]] TDiagramMode Mode() const { return FMode; }
    [[nodiscard]] int FrameCount() const { return FrameCountOf(FMode); }
    [[nodiscard]] int Frame() const { return FFrame; }
    [[nodiscard]] bool IsRunning() const { return FTimer.IsActive(); }

    // Back to the first frame.
    void Restart();
    // `frames` frames on, as the timer does.
    void Step(int frames = 1);

    [[nodiscard]] QSize sizeHint() const override { return {PictureWidth, PictureHeight}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void StartIfOnScreen();
    void BuildBase();
    void DrawMarks(QPainter& painter) const;
    void DrawFaultMark(QPainter& painter) const;

    TDiagramMode FMode;
    int FFrame = 0;
    TBeatTimer FTimer{this};
    QPixmap FBase; // lines and blocks of this mode, without the moving marks
    std::vector<QPixmap> FFrames; // each frame, once drawn
    QRegion FMovingArea; // where the marks move, at the widget's size; empty until needed
};
