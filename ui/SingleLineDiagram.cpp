#include "ui/SingleLineDiagram.h"

#include "ui/InstrumentColours.h"
#include "ui/OnScreen.h"

#include <QPainter>
#include <QPainterPath>
#include <array>
#include <cmath>
#include <vector>

namespace {
using namespace InstrumentColours;

// The parts of the diagram, each drawn grey, lit, or lit with marks flowing.
enum TElement {
    InFeed,     // input terminal to the junction of bypass and rectifier
    RectIn,     // junction to rectifier
    Rectifier,  // AC to DC
    DcBusRect,  // rectifier to the battery junction
    DcBusInv,   // battery junction to inverter
    Inverter,   // DC to AC
    InvOut,     // inverter to the output junction
    OutFeed,    // output junction to the output terminal
    BypassLine, // input junction over the top to the output junction
    StaticSwitch,
    BattBranch, // battery junction down to the battery
    Battery,
    ElementCount
};

enum class TLook : uint8_t {
    Grey,
    Lit,
    Flow, // marks move the way the line is drawn (left to right, top to bottom)
    Back  // marks move against it (battery discharging up into the DC bus)
};
constexpr TLook G = TLook::Grey, L = TLook::Lit, F = TLook::Flow, B = TLook::Back;

// One row per mode, in TDiagramMode order; columns in TElement order.
constexpr std::array<std::array<TLook, ElementCount>, DiagramModeCount> ModeLooks = {{
    // InFeed RectIn Rect DcRect DcInv Inv InvOut OutFeed Bypass Switch Branch Battery
    {G, G, G, G, G, G, G, G, G, G, G, G}, // standby: nothing energised
    {F, F, L, F, F, L, F, F, G, G, F, L}, // online: double conversion, battery charging
    {F, G, G, G, G, G, G, F, F, L, G, G}, // bypass: static switch feeds the output
    {G, G, G, G, F, L, F, F, G, G, B, L}, // battery: battery feeds the inverter
    {F, F, L, F, L, L, G, F, F, L, F, L}, // economy: bypass feeds, inverter stands by
    {G, G, L, L, F, L, F, F, G, G, B, L}, // battery test: rectifier on, battery discharging
    {G, G, G, G, G, G, G, G, G, G, G, G}, // fault: everything grey, red mark blinking
}};

constexpr int FlowFrames = 9;
constexpr int FaultFrames = 5;
constexpr int FaultLitFrames = 3; // of the five fault frames, the first three show the mark
constexpr int FlowFrameMs = 100;
constexpr int FaultFrameMs = 180;
// Picture pixels between moving marks. The bypass is 148 pixels longer than
// the main line between the same junctions; a spacing that divides 148 keeps
// the marks evenly spaced where either path joins the output.
constexpr double MarkSpacing = 148.0 / 6;

// Picture coordinates of the main line, the junctions and the blocks.
constexpr double MainY = 118;
constexpr double BypassY = 44;
constexpr double InputJunctionX = 62;
constexpr double OutputJunctionX = 362;
constexpr double BatteryJunctionX = 214;
const QRectF RectifierBox(100, 92, 60, 52);
const QRectF InverterBox(268, 92, 60, 52);
const QRectF SwitchBox(194, 31, 40, 26);
const QRectF BatteryBox(192, 172, 44, 32);
const QPointF SourceCentre(24, MainY);
constexpr double SourceRadius = 12;

struct TLine {
    TElement Element;
    double Phase; // distance along the flow from the input to the first point
    std::vector<QPointF> Points;
};

const std::vector<TLine>& Lines() {
    // Along the main line the distance is the x coordinate, so marks run on
    // evenly from one part to the next.
    static const std::vector<TLine> lines = {
        {InFeed,
         SourceCentre.x() + SourceRadius,
         {{SourceCentre.x() + SourceRadius, MainY}, {InputJunctionX, MainY}}},
        {RectIn, InputJunctionX, {{InputJunctionX, MainY}, {RectifierBox.left(), MainY}}},
        {DcBusRect,
         RectifierBox.right(),
         {{RectifierBox.right(), MainY}, {BatteryJunctionX, MainY}}},
        {DcBusInv, BatteryJunctionX, {{BatteryJunctionX, MainY}, {InverterBox.left(), MainY}}},
        {InvOut, InverterBox.right(), {{InverterBox.right(), MainY}, {OutputJunctionX, MainY}}},
        {OutFeed, OutputJunctionX, {{OutputJunctionX, MainY}, {398, MainY}}},
        {BypassLine,
         InputJunctionX,
         {{InputJunctionX, MainY},
          {InputJunctionX, BypassY},
          {OutputJunctionX, BypassY},
          {OutputJunctionX, MainY}}},
        {BattBranch, 0, {{BatteryJunctionX, MainY}, {BatteryJunctionX, BatteryBox.top()}}},
    };
    return lines;
}

bool IsOn(TLook look) {
    return look != TLook::Grey;
}

bool Flows(TLook look) {
    return look == TLook::Flow || look == TLook::Back;
}

// Room around a line for its marks: a chevron reaches 4.5 pixels to each side,
// its pen one more, antialiasing one more.
constexpr double MarkReach = 7;
constexpr double FaultMarkRadius = 16;

QColor ColourOf(TLook look) {
    return IsOn(look) ? MimicLit : MimicGrey;
}

QPen LinePen(TLook look) {
    return QPen(ColourOf(look), IsOn(look) ? 4 : 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

QPainterPath PathOf(const std::vector<QPointF>& points) {
    QPainterPath path(points.front());
    for (std::size_t i = 1; i < points.size(); ++i)
        path.lineTo(points[i]);
    return path;
}

// A small sine wave (AC) centred on c.
void DrawSine(QPainter& painter, QPointF c, double w) {
    QPainterPath wave;
    wave.moveTo(c.x() - w / 2, c.y());
    wave.cubicTo(c.x() - w / 4, c.y() - w / 2.5, c.x() - w / 4, c.y() - w / 2.5, c.x(), c.y());
    wave.cubicTo(c.x() + w / 4, c.y() + w / 2.5, c.x() + w / 4, c.y() + w / 2.5, c.x() + w / 2,
                 c.y());
    painter.drawPath(wave);
}

// Two bars (DC) centred on c.
void DrawDc(QPainter& painter, QPointF c, double w) {
    painter.drawLine(QPointF(c.x() - w / 2, c.y() - 2.5), QPointF(c.x() + w / 2, c.y() - 2.5));
    painter.drawLine(QPointF(c.x() - w / 2, c.y() + 2.5), QPointF(c.x() + w / 2, c.y() + 2.5));
}

void DrawConverter(QPainter& painter, const QRectF& box, TLook look, bool acIn) {
    painter.setPen(QPen(ColourOf(look), 2));
    painter.setBrush(IsOn(look) ? MimicBlockFill.lighter(125) : MimicBlockFill);
    painter.drawRoundedRect(box, 5, 5);
    const QRectF inner = box.adjusted(7, 7, -7, -7);
    painter.setPen(QPen(ColourOf(look), 1.5, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(inner.bottomLeft(), inner.topRight());
    const QPointF upperLeft(inner.left() + inner.width() * 0.27,
                            inner.top() + inner.height() * 0.27);
    const QPointF lowerRight(inner.right() - inner.width() * 0.27,
                             inner.bottom() - inner.height() * 0.27);
    painter.setBrush(Qt::NoBrush);
    if (acIn) {
        DrawSine(painter, upperLeft, 16);
        DrawDc(painter, lowerRight, 16);
    } else {
        DrawDc(painter, upperLeft, 16);
        DrawSine(painter, lowerRight, 16);
    }
}

// The static switch: a thyristor, closed (in line) when the bypass carries power.
void DrawStaticSwitch(QPainter& painter, TLook look) {
    painter.setPen(QPen(ColourOf(look), 2));
    painter.setBrush(MimicBlockFill);
    painter.drawRoundedRect(SwitchBox, 4, 4);
    const QPointF c = SwitchBox.center();
    QPainterPath triangle;
    triangle.moveTo(c.x() - 6, c.y() - 7);
    triangle.lineTo(c.x() + 5, c.y());
    triangle.lineTo(c.x() - 6, c.y() + 7);
    triangle.closeSubpath();
    painter.setBrush(IsOn(look) ? MimicLit : Qt::NoBrush);
    painter.setPen(QPen(ColourOf(look), 1.5));
    painter.drawPath(triangle);
    painter.drawLine(QPointF(c.x() + 5, c.y() - 7), QPointF(c.x() + 5, c.y() + 7));
    painter.drawLine(QPointF(c.x() + 5, c.y() + 4), QPointF(c.x() + 10, c.y() + 9)); // gate
    painter.drawLine(QPointF(SwitchBox.left() + 4, c.y()), QPointF(c.x() - 6, c.y()));
    painter.drawLine(QPointF(c.x() + 5, c.y()), QPointF(SwitchBox.right() - 4, c.y()));
}

// Battery: cells of long (positive) and short (negative) plates.
void DrawBattery(QPainter& painter, TLook look) {
    const QColor colour = ColourOf(look);
    const double cx = BatteryBox.center().x();
    const double top = BatteryBox.top() + 4;
    for (int i = 0; i < 4; ++i) {
        const bool positive = i % 2 == 0;
        const double half = positive ? BatteryBox.width() / 2 : BatteryBox.width() / 4;
        const double y = top + i * 7;
        painter.setPen(QPen(colour, positive ? 2.5 : 4, Qt::SolidLine, Qt::FlatCap));
        painter.drawLine(QPointF(cx - half, y), QPointF(cx + half, y));
    }
}

void DrawSource(QPainter& painter, TLook look) {
    painter.setPen(QPen(ColourOf(look), 2));
    painter.setBrush(MimicBlockFill);
    painter.drawEllipse(SourceCentre, SourceRadius, SourceRadius);
    painter.setBrush(Qt::NoBrush);
    DrawSine(painter, SourceCentre, 14);
}

void DrawOutputArrow(QPainter& painter, TLook look) {
    QPainterPath head;
    head.moveTo(398, MainY - 7);
    head.lineTo(410, MainY);
    head.lineTo(398, MainY + 7);
    head.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(ColourOf(look));
    painter.drawPath(head);
}

// Picture pixels that change from one frame to the next: the flowing lines
// and the fault mark.
QRegion MovingArea(TDiagramMode mode) {
    const auto& look = ModeLooks[std::size_t(mode)];
    QRegion area;
    for (const TLine& line : Lines()) {
        if (!Flows(look[line.Element]))
            continue;
        for (std::size_t i = 1; i < line.Points.size(); ++i) {
            const QRectF segment = QRectF(line.Points[i - 1], line.Points[i]).normalized();
            area += segment.adjusted(-MarkReach, -MarkReach, MarkReach, MarkReach).toAlignedRect();
        }
    }
    if (mode == TDiagramMode::Fault) {
        const QPointF at(BatteryJunctionX, MainY);
        const double r = FaultMarkRadius + 1;
        area += QRectF(at.x() - r, at.y() - r, 2 * r, 2 * r).toAlignedRect();
    }
    return area;
}

void DrawJunction(QPainter& painter, QPointF at, bool on) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(on ? MimicLit : MimicGrey);
    painter.drawEllipse(at, 4, 4);
}

// A mark: a chevron pointing the way of the flow, a quarter turn at a time
// (the lines run across and down the picture). Stroking it with antialiasing
// costs far more than copying it, so it is drawn once for each direction and
// copied to every mark of every frame.
const QImage& ChevronSprite(double angle, qreal ratio) {
    constexpr int Size = 16;
    static qreal spriteRatio = 0;
    static std::array<QImage, 4> sprites;
    if (spriteRatio != ratio) {
        spriteRatio = ratio;
        for (std::size_t quarter = 0; quarter < sprites.size(); ++quarter) {
            QImage& sprite = sprites[quarter];
            sprite = QImage(QSize(Size, Size) * ratio, QImage::Format_ARGB32_Premultiplied);
            sprite.setDevicePixelRatio(ratio);
            sprite.fill(Qt::transparent);
            QPainter painter(&sprite);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.translate(Size / 2.0, Size / 2.0);
            painter.rotate(-90.0 * double(quarter));
            painter.setPen(QPen(MimicFlowMark, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            painter.drawPolyline(QPolygonF({QPointF(-3, -4.5), QPointF(2, 0), QPointF(-3, 4.5)}));
        }
    }
    const long quarter = std::lround(angle / 90.0);
    return sprites[std::size_t(((quarter % 4) + 4) % 4)];
}

// Chevrons every MarkSpacing along the path, moved on by `offset`; `phase`
// is the distance the flow has come before the path starts.
void DrawChevrons(QPainter& painter, const QPainterPath& path, double offset, double phase,
                  bool back, qreal ratio) {
    const double length = path.length();
    const double first =
        std::fmod(std::fmod(offset - phase, MarkSpacing) + MarkSpacing, MarkSpacing);
    for (double s = first; s < length; s += MarkSpacing) {
        const double at = back ? length - s : s;
        const double percent = path.percentAtLength(at);
        const QImage& sprite =
            ChevronSprite(path.angleAtPercent(percent) + (back ? 180 : 0), ratio);
        const QSizeF half = sprite.deviceIndependentSize() / 2;
        painter.drawImage(path.pointAtPercent(percent) - QPointF(half.width(), half.height()),
                          sprite);
    }
}
} // namespace

TSingleLineDiagram::TSingleLineDiagram(TDiagramMode mode, QWidget* parent)
    : QWidget(parent), FMode(mode) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(PictureWidth, PictureHeight);
    FTimer.SetInterval(mode == TDiagramMode::Fault ? FaultFrameMs : FlowFrameMs);
    // Off the screen nothing is drawn and nothing wakes the program up; the
    // window's next exposure starts the marks again.
    connect(&FTimer, &TBeatTimer::Timeout, this, [this](int frames) {
        if (!IsOnScreen(*this))
            FTimer.Stop();
        else
            Step(frames);
    });
}

QRect TSingleLineDiagram::BatteryBranchRect() {
    return QRect(int(BatteryJunctionX) - 9, int(MainY) + 10, 18,
                 int(BatteryBox.top() - MainY) - 16);
}

int TSingleLineDiagram::FrameCountOf(TDiagramMode mode) {
    switch (mode) {
    case TDiagramMode::Standby:
        return 1;
    case TDiagramMode::Fault:
        return FaultFrames;
    default:
        return FlowFrames;
    }
}

void TSingleLineDiagram::Restart() {
    if (FFrame == 0)
        return;
    FFrame = 0;
    update();
}

void TSingleLineDiagram::Step(int frames) {
    FFrame = (FFrame + frames) % FrameCount();
    // Only the marks move; the lines and blocks under them stay as they are.
    if (FMovingArea.isEmpty()) {
        const QTransform scale = QTransform::fromScale(width() / double(PictureWidth),
                                                       height() / double(PictureHeight));
        FMovingArea = scale.map(MovingArea(FMode));
    }
    update(FMovingArea);
}

void TSingleLineDiagram::showEvent(QShowEvent*) {
    WatchExposure(*this);
    StartIfOnScreen();
}

void TSingleLineDiagram::StartIfOnScreen() {
    if (FrameCount() > 1 && IsOnScreen(*this))
        FTimer.Start();
}

bool TSingleLineDiagram::eventFilter(QObject* watched, QEvent* event) {
    if (IsExposeEvent(event))
        StartIfOnScreen();
    return QWidget::eventFilter(watched, event);
}

// Only the shown picture keeps its frames: the other modes' pictures are
// hidden and would hold a few megabytes each for nothing.
void TSingleLineDiagram::hideEvent(QHideEvent*) {
    FTimer.Stop();
    FFrames.clear();
}

void TSingleLineDiagram::resizeEvent(QResizeEvent*) {
    FBase = {};
    FFrames.clear();
    FMovingArea = {};
}

// The picture cycles through a few frames; each is drawn once and copied at
// every step after, the update's area limiting the copy to where marks move.
void TSingleLineDiagram::paintEvent(QPaintEvent*) {
    if (FBase.isNull() || FBase.devicePixelRatio() != devicePixelRatioF()) {
        BuildBase();
        FFrames.clear();
    }
    FFrames.resize(std::size_t(FrameCount()));
    QPixmap& frame = FFrames[std::size_t(FFrame)];
    if (frame.isNull()) {
        frame = FBase.copy();
        QPainter painter(&frame);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(width() / double(PictureWidth), height() / double(PictureHeight));
        DrawMarks(painter);
        if (FMode == TDiagramMode::Fault && FFrame < FaultLitFrames)
            DrawFaultMark(painter);
    }
    QPainter(this).drawPixmap(0, 0, frame);
}

void TSingleLineDiagram::BuildBase() {
    const qreal ratio = devicePixelRatioF();
    FBase = QPixmap(size() * ratio);
    FBase.setDevicePixelRatio(ratio);
    FBase.fill(MimicBackground);
    QPainter painter(&FBase);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(width() / double(PictureWidth), height() / double(PictureHeight));
    const auto& look = ModeLooks[std::size_t(FMode)];
    // Grey lines first, so that lit lines sharing a corner are drawn on top.
    for (bool lit : {false, true})
        for (const TLine& line : Lines())
            if (IsOn(look[line.Element]) == lit) {
                painter.setPen(LinePen(look[line.Element]));
                painter.drawPath(PathOf(line.Points));
            }
    DrawSource(painter, look[InFeed]);
    DrawOutputArrow(painter, look[OutFeed]);
    DrawConverter(painter, RectifierBox, look[Rectifier], true);
    DrawConverter(painter, InverterBox, look[Inverter], false);
    DrawStaticSwitch(painter, look[StaticSwitch]);
    DrawBattery(painter, look[Battery]);
    DrawJunction(painter, {InputJunctionX, MainY}, IsOn(look[InFeed]));
    DrawJunction(painter, {OutputJunctionX, MainY}, IsOn(look[OutFeed]));
    DrawJunction(painter, {BatteryJunctionX, MainY},
                 IsOn(look[DcBusRect]) || IsOn(look[DcBusInv]) || IsOn(look[BattBranch]));
}

void TSingleLineDiagram::DrawMarks(QPainter& painter) const {
    const auto& look = ModeLooks[std::size_t(FMode)];
    // Marks stay off the blocks the lines pass under. A clip of rectangles
    // costs far less per frame than a clip path.
    const QRegion open(0, 0, PictureWidth, PictureHeight);
    painter.setClipRegion(open.subtracted(SwitchBox.adjusted(-2, -2, 2, 2).toAlignedRect()));
    const double offset = MarkSpacing * FFrame / FlowFrames;
    for (const TLine& line : Lines()) {
        const TLook l = look[line.Element];
        if (Flows(l))
            DrawChevrons(painter, PathOf(line.Points), offset, line.Phase, l == TLook::Back,
                         devicePixelRatioF());
    }
    painter.setClipping(false);
}

void TSingleLineDiagram::DrawFaultMark(QPainter& painter) const {
    const QPointF at(BatteryJunctionX, MainY);
    QRadialGradient glow(at, FaultMarkRadius);
    glow.setColorAt(0, QColor(MimicFault.red(), MimicFault.green(), MimicFault.blue(), 150));
    glow.setColorAt(1, QColor(MimicFault.red(), MimicFault.green(), MimicFault.blue(), 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(glow);
    painter.drawEllipse(at, FaultMarkRadius, FaultMarkRadius);
    painter.setBrush(MimicFault);
    painter.setPen(QPen(QColor(255, 210, 200), 1.5));
    painter.drawEllipse(at, 7, 7);
}
