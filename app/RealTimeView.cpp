#include "app/RealTimeView.h"

#include "ui/AngularGauge.h"
#include "ui/FlowPipe.h"
#include "ui/InstrumentColours.h"
#include "ui/LedBar.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QVBoxLayout>

// Building the page; the refresh steps are in RealTimeViewShow.cpp.

namespace {
using namespace InstrumentColours;

// Load bar: 0 to 150 %, one segment per 5 %.
const std::vector<TScaleSection> LoadSections = {
    {0, 100, SectionNormal}, {100, 125, SectionLow}, {125, 150, SectionHigh}};

const char* const ReadoutStyle = "QLabel { background: #161c22; color: #e1f5e8; "
                                 "border: 1px solid #5a626a; border-radius: 3px; "
                                 "padding: 1px 5px; font-weight: bold; }";

// Object names of the seven pictures, in TDiagramMode order.
const char* const AnimationNames[DiagramModeCount] = {
    "aniStandby", "aniOnline", "aniBypass", "aniBattery", "aniEconomy", "aniTest", "aniFault"};

QLabel* NewLabel(const char* name, Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
    auto* label = new QLabel;
    label->setObjectName(QLatin1String(name));
    label->setAlignment(align);
    return label;
}

QLabel* NewReadout(const char* name) {
    QLabel* label = NewLabel(name, Qt::AlignRight | Qt::AlignVCenter);
    label->setStyleSheet(QLatin1String(ReadoutStyle));
    return label;
}

void MakeBold(QWidget* widget) {
    QFont font = widget->font();
    font.setBold(true);
    widget->setFont(font);
}
} // namespace

TRealTimeView::TRealTimeView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("RealTimeView"));
    pgInner = new QTabWidget(this);
    pgInner->setObjectName(QStringLiteral("pgInner"));
    tsData = BuildDataPage();
    tsSketchMap = BuildSketchPage();
    pgInner->addTab(tsData, QString());
    pgInner->addTab(tsSketchMap, QString());

    auto* strip = new QWidget(this);
    strip->setFixedHeight(118);
    auto* stripLayout = new QHBoxLayout(strip);
    stripLayout->setContentsMargins(0, 0, 0, 0);
    stripLayout->addWidget(BuildSwitchGroup(), 0);
    stripLayout->addWidget(BuildAlarmGroup(), 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    layout->addWidget(pgInner, 1);
    layout->addWidget(strip, 0);
    ApplyVoltScales(TVoltClass::Mains220); // until a unit tells otherwise
    ApplyLanguage(FLanguage);
}

QWidget* TRealTimeView::BuildDataPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tsData"));
    auto* gauges = new QGridLayout;
    gauges->setSpacing(4);
    const char* const inputNames[3][2] = {
        {"lblInputA", "gagInputA"}, {"lblInputB", "gagInputB"}, {"lblInputC", "gagInputC"}};
    const char* const outputNames[3][2] = {
        {"lblOutputA", "gagOutputA"}, {"lblOutputB", "gagOutputB"}, {"lblOutputC", "gagOutputC"}};
    for (int i = 0; i < 3; ++i) {
        gauges->addWidget(BuildGaugeCell(inputNames[i][0], inputNames[i][1], FInputGauges[i],
                                         FGaugeCaptions[i]),
                          0, i);
        gauges->addWidget(BuildGaugeCell(outputNames[i][0], outputNames[i][1], FOutputGauges[i],
                                         FGaugeCaptions[i + 3]),
                          1, i);
    }
    auto* upper = new QHBoxLayout;
    upper->addLayout(gauges, 1);
    upper->addWidget(BuildLoadPanel(), 0);

    FDcInputVolt = BuildValuePanel({"pnlDcInputVolt", "lblDcInputVoltTitle", "txtDcInputVolt"},
                                   QStringLiteral("V"));
    FOutputFreq = BuildValuePanel({"pnlOutputFreq", "lblOutputFreqTitle", "txtOutputFreq"},
                                  QStringLiteral("Hz"));
    FSupportTime = BuildValuePanel({"pnlSupportTime", "lblSupportTimeTitle", "txtSupportTime"},
                                   QStringLiteral("Minute"));
    FBattCapacity = BuildValuePanel({"pnlBattCapacity", "lblBattCapacityTitle", "txtBattCapacity"},
                                    QStringLiteral("%"));
    auto* panels = new QHBoxLayout;
    panels->setSpacing(4);
    for (const TValuePanel* panel : {&FDcInputVolt, &FOutputFreq, &FSupportTime, &FBattCapacity})
        panels->addWidget(panel->Panel, 1);

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    layout->addLayout(upper, 1);
    layout->addLayout(panels, 0);
    return page;
}

QWidget* TRealTimeView::BuildGaugeCell(const char* captionName, const char* gaugeName,
                                       TAngularGauge*& gauge, QLabel*& caption) {
    auto* cell = new QWidget;
    auto* layout = new QVBoxLayout(cell);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    caption = NewLabel(captionName, Qt::AlignCenter);
    MakeBold(caption);
    gauge = new TAngularGauge;
    gauge->setObjectName(QLatin1String(gaugeName));
    layout->addWidget(caption, 0);
    layout->addWidget(gauge, 1);
    return cell;
}

QWidget* TRealTimeView::BuildLoadPanel() {
    auto* panel = new QFrame;
    panel->setObjectName(QStringLiteral("pnlLoad"));
    panel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    FLoadTitle = NewLabel("lblLoadTitle", Qt::AlignCenter);
    MakeBold(FLoadTitle);
    auto* bars = new QGridLayout;
    bars->setHorizontalSpacing(6);
    bars->setVerticalSpacing(2);
    const char* const captionNames[3] = {"lblLoadA", "lblLoadB", "lblLoadC"};
    const char* const barNames[3] = {"barLoadA", "barLoadB", "barLoadC"};
    const char* const textNames[3] = {"txtLoadA", "txtLoadB", "txtLoadC"};
    for (int i = 0; i < 3; ++i) {
        FLoadBars[i] = new TLedBar;
        FLoadBars[i]->setObjectName(QLatin1String(barNames[i]));
        FLoadBars[i]->SetScale(0, 150, 30);
        FLoadBars[i]->SetSections(LoadSections);
        FLoadBars[i]->SetMarks({{150, QStringLiteral("150%")}, {100, QStringLiteral("100%")}});
        FLoadTexts[i] = NewReadout(textNames[i]);
        FLoadTexts[i]->setAlignment(Qt::AlignCenter);
        bars->addWidget(FLoadBars[i], 0, i, Qt::AlignHCenter);
        FLoadCaptions[i] = NewLabel(captionNames[i], Qt::AlignCenter);
        bars->addWidget(FLoadCaptions[i], 1, i);
        bars->addWidget(FLoadTexts[i], 2, i);
    }
    bars->setRowStretch(0, 1);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(6, 4, 6, 6);
    layout->addWidget(FLoadTitle, 0);
    layout->addLayout(bars, 1);
    return panel;
}

TRealTimeView::TValuePanel TRealTimeView::BuildValuePanel(const TPanelNames& names,
                                                          const QString& unit) {
    auto* panel = new QFrame;
    panel->setObjectName(QLatin1String(names.Panel));
    panel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    QLabel* title = NewLabel(names.Title, Qt::AlignCenter);
    QLabel* value = NewReadout(names.Value);
    auto* unitLabel = new QLabel(unit);
    // A unit in words follows the language through the caption table.
    unitLabel->setObjectName(QLatin1String(names.Panel) + QStringLiteral("Unit"));
    auto* row = new QHBoxLayout;
    row->setSpacing(4);
    row->addWidget(value, 1);
    row->addWidget(unitLabel, 0);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(5, 3, 5, 4);
    layout->setSpacing(2);
    layout->addWidget(title);
    layout->addLayout(row);
    return {panel, value};
}

QWidget* TRealTimeView::BuildSketchPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tsSketchMap"));
    stComStatus = NewLabel("stComStatus", Qt::AlignCenter);
    QFont big = stComStatus->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.4);
    stComStatus->setFont(big);
    stComStatus->setMinimumHeight(QFontMetrics(big).height() + 6);

    auto* area = new QWidget;
    area->setObjectName(QStringLiteral("pnlAnimation"));
    area->setFixedSize(TSingleLineDiagram::PictureWidth, TSingleLineDiagram::PictureHeight);
    area->setAutoFillBackground(true);
    QPalette dark = area->palette();
    dark.setColor(QPalette::Window, MimicBackground);
    area->setPalette(dark);
    for (int i = 0; i < DiagramModeCount; ++i) {
        FAnimations[i] = new TSingleLineDiagram(TDiagramMode(i), area);
        FAnimations[i]->setObjectName(QLatin1String(AnimationNames[i]));
        FAnimations[i]->hide();
    }
    // Created last, so it lies over the battery branch of every picture.
    PipCharge = new TFlowPipe(Qt::Vertical, area);
    PipCharge->setObjectName(QStringLiteral("PipCharge"));
    PipCharge->setGeometry(TSingleLineDiagram::BatteryBranchRect());

    lblUpsState = NewLabel("lblUpsState");
    lblUpsState->hide();

    // The state text over the picture, the code words beside it; the whole
    // held in the middle of the page.
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(4);
    grid->addWidget(stComStatus, 0, 0);
    grid->addWidget(area, 1, 0);
    grid->addWidget(BuildCodeGroup(), 1, 1, Qt::AlignTop);
    grid->addWidget(lblUpsState, 2, 0);
    grid->setColumnStretch(2, 1); // narrowing the code group moves nothing
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addStretch(1);
    layout->addLayout(grid);
    layout->addStretch(2);
    return page;
}

QWidget* TRealTimeView::BuildCodeGroup() {
    // Fixed places, so that narrowing the group leaves the third column
    // outside it.
    auto* group = new QFrame;
    group->setObjectName(QStringLiteral("grpCode"));
    group->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    group->setFixedSize(222, 62);
    grpCode = group;
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPointSizeF(font().pointSizeF());
    struct TPlace {
        QLabel** Label;
        const char* Name;
        QRect Rect;
    };
    const TPlace places[] = {
        {&lblCMMState, "lblCMMState", {6, 7, 78, 22}},
        {&lblINVState, "lblINVState", {88, 7, 78, 22}},
        {&lbSysState, "lbSysState", {172, 7, 44, 22}},
        {&lblCMMAlarm, "lblCMMAlarm", {6, 33, 78, 22}},
        {&lblINVAlarm, "lblINVAlarm", {88, 33, 78, 22}},
        {&lbSysAlarm, "lbSysAlarm", {172, 33, 44, 22}},
    };
    for (const TPlace& place : places) {
        QLabel* label = NewReadout(place.Name);
        label->setParent(group);
        label->setAlignment(Qt::AlignCenter);
        label->setFont(mono);
        label->setGeometry(place.Rect);
        *place.Label = label;
    }
    return group;
}

QWidget* TRealTimeView::BuildSwitchGroup() {
    grpSwitch = new QGroupBox;
    grpSwitch->setObjectName(QStringLiteral("grpSwitch"));
    auto* grid = new QGridLayout(grpSwitch);
    grid->setContentsMargins(8, 4, 8, 6);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(6);
    const QString on = QStringLiteral("ON"), off = QStringLiteral("OFF");
    const QString close = QStringLiteral("Close"), open = QStringLiteral("Open");
    FSwitchRows = {BuildSwitchRow("lblInputSwitch", close, open),
                   BuildSwitchRow("lblBypassSwitch", on, off),
                   BuildSwitchRow("lblOutputSwitch", on, off),
                   BuildSwitchRow("lblMaintBypassSwitch", close, open)};
    for (int r = 0; r < 4; ++r) {
        const TSwitchRow& row = FSwitchRows[r];
        grid->addWidget(row.Caption, r, 0);
        grid->addWidget(row.On, r, 1);
        grid->addWidget(row.Slash, r, 2);
        grid->addWidget(row.Off, r, 3);
    }
    for (QLabel* label :
         {FSwitchRows[0].Caption, FSwitchRows[0].On, FSwitchRows[0].Slash, FSwitchRows[0].Off})
        label->hide();
    FInputSupplyText = NewReadout("txtInputSupply");
    FUpsSupplyText = NewReadout("txtUpsSupply");
    for (QLabel* text : {FInputSupplyText, FUpsSupplyText}) {
        text->setAlignment(Qt::AlignCenter);
        text->setMinimumWidth(112);
    }
    grid->addWidget(NewLabel("lblInputSupply"), 4, 0);
    grid->addWidget(FInputSupplyText, 4, 1, 1, 3);
    grid->addWidget(NewLabel("lblUpsSupply"), 5, 0);
    grid->addWidget(FUpsSupplyText, 5, 1, 1, 3);
    grid->setRowStretch(6, 1);
    return grpSwitch;
}

TRealTimeView::TSwitchRow TRealTimeView::BuildSwitchRow(const char* captionName, const QString& on,
                                                        const QString& off) {
    TSwitchRow row{NewLabel(captionName), new QLabel(on), new QLabel(QStringLiteral("/")),
                   new QLabel(off)};
    return row;
}

QWidget* TRealTimeView::BuildAlarmGroup() {
    grpAlarm = new QGroupBox;
    grpAlarm->setObjectName(QStringLiteral("grpAlarm"));
    FAlarmList = new QPlainTextEdit;
    FAlarmList->setObjectName(QStringLiteral("memAlarm"));
    FAlarmList->setReadOnly(true);
    FAlarmList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    FAlarmList->setLineWrapMode(QPlainTextEdit::NoWrap);
    QPalette red = FAlarmList->palette();
    red.setColor(QPalette::Text, QColor(206, 32, 32));
    FAlarmList->setPalette(red);
    auto* layout = new QVBoxLayout(grpAlarm);
    layout->setContentsMargins(6, 4, 6, 6);
    layout->addWidget(FAlarmList);
    return grpAlarm;
}
