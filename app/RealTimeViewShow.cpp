#include "app/RealTimeView.h"
#include "app/RealTimeViewText.h"
#include "app/UFrmMainText.h"
#include "ui/ViewNumbers.h"
#include "base/LangText.h"
#include "base/funcUnit.h"
#include "status/StatusCodes.h"
#include "status/StatusTexts.h"
#include "ui/AngularGauge.h"
#include "ui/FlowPipe.h"
#include "ui/InstrumentColours.h"
#include "ui/LedBar.h"

#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTabWidget>
#include <algorithm>
#include <cmath>

// The refresh steps, the layout by protocol and the language of the view.

namespace {
// State code -> picture; codes not listed show the standby picture.
struct TStateAnimation {
    int32_t State;
    TDiagramMode Mode;
};
constexpr TStateAnimation StateAnimations[] = {
    {StateBypass, TDiagramMode::Bypass},   {StateOnline, TDiagramMode::Online},
    {StateBattery, TDiagramMode::Battery}, {StateBattSelfTest, TDiagramMode::Test},
    {StateEco, TDiagramMode::Economy},     {StateFault, TDiagramMode::Fault},
};

constexpr int SketchMapPage = 1;
constexpr int CodeGroupWide = 222;        // three columns: rectifier, inverter, system words
constexpr int CodeGroupNarrow = 170;      // the system column falls outside
constexpr uint16_t PipeStopMask = 0x6000; // StatusWord3 bits 13 and 14
constexpr int DischargingBit = 8;         // of StatusWord0
constexpr int PipeIdleInterval = 500;     // ms

const QColor SwitchLit(20, 140, 60);
const QColor SwitchDim(150, 156, 162);

QString Utf8(const std::string& text) {
    return QString::fromStdString(text);
}

QString VoltText(double volts) {
    return FixedText(volts, 1) + QStringLiteral(" V");
}

// Screen readers hear a reading as its caption, value and unit; the name is
// set only when it changes, so an idle unit sends them nothing.
void Describe(QWidget* reading, const QString& name) {
    if (reading->accessibleName() != name)
        reading->setAccessibleName(name);
}

void SetLit(QLabel* label, bool lit) {
    const QVariant was = label->property("lit");
    if (was.isValid() && was.toBool() == lit)
        return;
    label->setProperty("lit", lit);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, lit ? SwitchLit : SwitchDim);
    label->setPalette(palette);
    QFont font = label->font();
    font.setBold(lit);
    label->setFont(font);
}
} // namespace

void TRealTimeView::HideSwitchRows() {
    for (int r = 1; r < 4; ++r)
        for (QLabel* label :
             {FSwitchRows[r].Caption, FSwitchRows[r].On, FSwitchRows[r].Slash, FSwitchRows[r].Off})
            label->hide();
    FSupportTime.Panel->hide();
}

void TRealTimeView::ApplyProtocolLayout(uint8_t protocol) {
    if (protocol > 3)
        return;
    const bool threePhase = protocol == 1;
    FBattCapacity.Panel->setVisible(!threePhase);
    FSupportTime.Panel->setVisible(true);
    // With the three-phase protocol the inner pages cannot be switched: the
    // page stays on "Data".
    pgInner->tabBar()->setVisible(!threePhase);
    pgInner->setTabEnabled(SketchMapPage, !threePhase);
    if (threePhase)
        pgInner->setCurrentIndex(0);
}

void TRealTimeView::ApplyLanguage(uint8_t language) {
    FLanguage = language;
    ApplyCaptionRows(this, RealTimeViewCaptions(), language);
    // The page's tabs are named by their own texts; the pages as a whole by
    // the tree node that shows them.
    pgInner->setAccessibleName(QString::fromUtf8(PickText(TreeChildCaptionTexts[0], language)));
    DescribeReadings();
}

void TRealTimeView::DescribeReadings() {
    for (std::size_t i = 0; i < FGaugeCaptions.size(); ++i) {
        TAngularGauge* gauge = i < 3 ? FInputGauges[i] : FOutputGauges[i - 3];
        Describe(gauge, FGaugeCaptions[i]->text() + ' ' + gauge->ValueText());
    }
    const QString load = FLoadTitle->text();
    for (std::size_t i = 0; i < FLoadCaptions.size(); ++i)
        Describe(FLoadBars[i], load + ' ' + FLoadCaptions[i]->text() + ' ' + FLoadTexts[i]->text());
}

void TRealTimeView::ShowInnerPage(int index) {
    if (pgInner->isTabEnabled(index))
        pgInner->setCurrentIndex(index);
}

void TRealTimeView::SetDebugVisible(bool visible) {
    lblUpsState->setVisible(visible);
}

int TRealTimeView::CurrentInnerPage() const {
    return pgInner->currentIndex();
}

bool TRealTimeView::IsSketchMapReachable() const {
    return !pgInner->tabBar()->isHidden() && pgInner->isTabEnabled(SketchMapPage);
}

void TRealTimeView::ApplyVoltScales(TVoltClass voltClass) {
    if (FDialClass == voltClass)
        return; // a dial face is rebuilt only when its scale changes
    FDialClass = voltClass;
    using namespace InstrumentColours;
    const TVoltScales& s = VoltScalesOf(voltClass);
    const std::vector<TScaleSection> sections = {{s.Low.From, s.Low.To, SectionLow},
                                                 {s.Normal.From, s.Normal.To, SectionNormal},
                                                 {s.High.From, s.High.To, SectionHigh}};
    for (const auto& gauges : {FInputGauges, FOutputGauges})
        for (TAngularGauge* gauge : gauges) {
            gauge->SetScale(0, s.DialMaximum, s.DialLabels, s.DialMinorPerLabel);
            gauge->SetSections(sections);
        }
}

void TRealTimeView::ShowInputSide(const TUpsInfoRec& rec) {
    ApplyVoltScales(FVoltClass.Update(rec));
    const double volts[3] = {rec.InputVoltA, rec.InputVoltB, rec.InputVoltC};
    for (int i = 0; i < 3; ++i) {
        FInputGauges[i]->SetValue(volts[i]);
        FInputGauges[i]->SetValueText(VoltText(volts[i]));
    }
    FOutputFreq.Value->setText(FixedText(rec.OutputFreq, 1));
}

void TRealTimeView::ShowOutputSide(const TUpsInfoRec& rec) {
    const double volts[3] = {rec.OutputVoltA, rec.OutputVoltB, rec.OutputVoltC};
    const double loads[3] = {rec.LoadPctA, rec.LoadPctB, rec.LoadPctC};
    for (int i = 0; i < 3; ++i) {
        FOutputGauges[i]->SetValue(volts[i]);
        FLoadBars[i]->SetValue(loads[i]);
        FOutputGauges[i]->SetValueText(VoltText(volts[i]));
        FLoadTexts[i]->setText(FixedText(loads[i], 0) + QStringLiteral(" %"));
    }
    DescribeReadings();
    FDcInputVolt.Value->setText(FixedText(rec.DcInputVolt, 1));
    FSupportTime.Value->setText(QString::number(rec.BattSupportTime));
    FBattCapacity.Value->setText(QString::number(rec.BattCapacity));
}

void TRealTimeView::ShowStates(const TUpsInfoRec& rec, uint8_t protocol) {
    ShowStateAnimation(rec.UpsState);
    SetStateText(rec.UpsState == StateNone ? StateCommLost : rec.UpsState, false);
    ShowSwitchRows(rec);
    ShowSupplyTexts(rec);
    ShowCodeLabels(rec, protocol);
    lblUpsState->setText(QStringLiteral("%1(%2)").arg(rec.DevState).arg(rec.UpsState));
}

void TRealTimeView::ShowAlarms(const TUpsInfoRec& rec) {
    QStringList lines;
    const int count = std::min<int>(rec.AlarmCount, MaxAlarmCodes);
    for (int i = 0; i < count; ++i)
        if (const std::string text = AlarmText(rec.AlarmCodes[i], FLanguage); !text.empty())
            lines << Utf8(text);
    // Refilled only on a change, so that a list the user scrolled stays put.
    if (lines == FAlarmLines)
        return;
    FAlarmLines = lines;
    FAlarmList->setPlainText(lines.join(u'\n'));
}

void TRealTimeView::ShowChargeFlow(const TUpsInfoRec& rec, uint8_t protocol) {
    const bool communicating = rec.CommState == CommCommunicating;
    const uint8_t effective = communicating ? uint8_t(rec.UpsState) : uint8_t(StateCommLost);
    if (effective != FLastState) {
        FLastState = effective;
        ShowStateAnimation(effective);
        SetStateText(effective, true);
    }
    // No pipe without a state to show it for (port closed, just reopened).
    if (!communicating || rec.UpsState == StateNone || protocol == 1 || protocol > 3) {
        SetPipeShown(false);
        PipCharge->SetFlowing(false);
        return;
    }
    SetPipeShown(true);
    if ((rec.StatusWord[3] & PipeStopMask) != 0 || FLastState == StateEpo ||
        FLastState == StateFault) {
        PipCharge->SetFlowing(false);
        return;
    }
    const bool discharging = BitIsSet(rec.StatusWord[0], DischargingBit) != 0;
    const double current = discharging ? rec.DischargeCur : rec.ChargeCur;
    PipCharge->SetReversed(discharging);
    if (current > 0) {
        PipCharge->SetInterval(discharging ? DischargeFlowInterval(current)
                                           : ChargeFlowInterval(current));
        PipCharge->SetFlowing(true);
    } else {
        PipCharge->SetInterval(PipeIdleInterval);
        PipCharge->SetFlowing(false);
    }
}

int TRealTimeView::ChargeFlowInterval(double chargeCur) {
    return PipeIdleInterval - 4 * int(std::min(120.0, std::trunc(chargeCur)));
}

int TRealTimeView::DischargeFlowInterval(double dischargeCur) {
    return PipeIdleInterval - 22 * int(std::min(20.0, std::trunc(dischargeCur)));
}

void TRealTimeView::ClearMeasurements(TUpsInfoRec& rec) {
    rec.UpsState = StateNone;
    rec.InputVoltA = rec.InputVoltB = rec.InputVoltC = 0;
    rec.OutputVoltA = rec.OutputVoltB = rec.OutputVoltC = 0;
    rec.LoadPctA = rec.LoadPctB = rec.LoadPctC = 0;
    rec.OutputFreq = 0;
    rec.DcInputVolt = 0;
    rec.BattCapacity = 0;
    rec.BattSupportTime = 0;
    rec.StatusWord.fill(0);
    rec.DevState = 0;
    rec.Spare1 = rec.Spare2 = rec.Spare3 = rec.Spare4 = 0;
    // "No state logged yet", not 0: with UpsState now -1, a 0 here would make
    // the next good reply log a state change to -1 before any state is decoded.
    rec.LoggedState = StateNone;
    std::fill_n(rec.AlarmCodes.begin(), 65, 0);
    rec.AlarmCount = 0;
    rec.AlarmsReported = 0;
    rec.UpsSupply = rec.InputSupply = 0;
    rec.InputSwitch = rec.MaintBypassSwitch = rec.BypassSwitch = rec.OutputSwitch = 0;
}

std::optional<TDiagramMode> TRealTimeView::AnimationForState(int32_t code) {
    if (code == StateNone)
        return std::nullopt;
    for (const TStateAnimation& row : StateAnimations)
        if (row.State == code)
            return row.Mode;
    return TDiagramMode::Standby;
}

std::optional<TDiagramMode> TRealTimeView::ShownAnimation() const {
    for (const TSingleLineDiagram* animation : FAnimations)
        if (!animation->isHidden())
            return animation->Mode();
    return std::nullopt;
}

const TSingleLineDiagram& TRealTimeView::Animation(TDiagramMode mode) const {
    return *FAnimations[std::size_t(mode)];
}

void TRealTimeView::ShowStateAnimation(int32_t code) {
    const std::optional<TDiagramMode> chosen = AnimationForState(code);
    if (chosen && chosen == ShownAnimation())
        return; // already showing: left running
    for (TSingleLineDiagram* animation : FAnimations)
        animation->hide();
    if (chosen) {
        TSingleLineDiagram* animation = FAnimations[std::size_t(*chosen)];
        animation->Restart();
        animation->show();
    }
}

void TRealTimeView::SetStateText(int32_t code, bool trimmed) {
    const QString text = Utf8(StateText(code, FLanguage));
    stComStatus->setText(trimmed ? text.trimmed() : text);
    // The picture is heard as the state it draws.
    const QString name = text.trimmed();
    for (TSingleLineDiagram* animation : FAnimations) {
        if (animation->accessibleName() != name)
            animation->setAccessibleName(name);
    }
}

void TRealTimeView::ShowSwitchRows(const TUpsInfoRec& rec) {
    const uint8_t flags[4] = {rec.InputSwitch, rec.BypassSwitch, rec.OutputSwitch,
                              rec.MaintBypassSwitch};
    for (int r = 0; r < 4; ++r) {
        SetLit(FSwitchRows[r].On, flags[r] == 1);
        SetLit(FSwitchRows[r].Off, flags[r] != 1);
    }
}

void TRealTimeView::ShowSupplyTexts(const TUpsInfoRec& rec) {
    switch (rec.InputSupply) {
    case 0:
        FInputSupplyText->setText(Utf8(LangText.NoSupply));
        break;
    case 1:
        FInputSupplyText->setText(Utf8(LangText.MainsSupply));
        break;
    case 2:
        FInputSupplyText->setText(Utf8(LangText.BatterySupply));
        break;
    default: // unknown values leave the text as it was
        break;
    }
    switch (rec.UpsSupply) {
    case 0:
        FUpsSupplyText->setText(Utf8(LangText.NoSupply));
        break;
    case 1:
        FUpsSupplyText->setText(Utf8(LangText.InverterSupply));
        break;
    case 2:
        FUpsSupplyText->setText(Utf8(rec.WorkMode == 1 ? LangText.Economy : LangText.BypassSupply));
        break;
    default:
        break;
    }
}

void TRealTimeView::ShowCodeLabels(const TUpsInfoRec& rec, uint8_t protocol) {
    const auto& w = rec.StatusWord;
    lblCMMState->setText(Hex4Pair(w[0], w[1]));
    lblINVState->setText(Hex4Pair(w[4], w[5]));
    lblCMMAlarm->setText(Hex4Pair(w[2], w[3]));
    lblINVAlarm->setText(Hex4Pair(w[6], w[7]));
    const bool systemWords = protocol == 0 || protocol == 2;
    grpCode->setFixedWidth(systemWords ? CodeGroupWide : CodeGroupNarrow);
    lbSysState->setText(systemWords ? QString::fromStdString(WordToHex4(w[8])) : QString());
    lbSysAlarm->setText(systemWords ? QString::fromStdString(WordToHex4(w[9])) : QString());
}

void TRealTimeView::SetPipeShown(bool shown) {
    if (PipCharge->isHidden() == shown)
        PipCharge->setVisible(shown);
}
