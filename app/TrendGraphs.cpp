#include "app/TrendGraphs.h"

#include "base/LangText.h"
#include "ui/LineGraph.h"

#include <QLabel>
#include <QVBoxLayout>

namespace {
// {Chinese, English}
constexpr TTextPair InputTitle = {"输入电压(V)", "Input Voltage(V)"};
constexpr TTextPair OutputTitle = {"输出电压(V)", "Output Voltage(V)"};
constexpr TTextPair TimeAxisTitle = {"时间", "Time"};

struct TSeriesLook {
    const char* Name;
    QColor Colour;
};
const TSeriesLook Phases[3] = {
    {"A", QColor(220, 30, 30)}, {"B", QColor(20, 160, 50)}, {"C", QColor(30, 70, 220)}};
} // namespace

TTrendGraphs::TTrendGraphs(QWidget* parent, TClock clock)
    : QWidget(parent),
      FClock(clock ? std::move(clock) : TClock([] { return QTime::currentTime(); })) {
    setObjectName(QStringLiteral("TrendGraphs"));
    lblDevice = new QLabel(this);
    lblDevice->setObjectName(QStringLiteral("lblDevice"));
    QFont bold = lblDevice->font();
    bold.setBold(true);
    lblDevice->setFont(bold);
    chtInputVolt = NewGraph("chtInputVolt");
    chtOutputVolt = NewGraph("chtOutputVolt");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(6);
    layout->addWidget(lblDevice);
    layout->addWidget(chtInputVolt);
    layout->addWidget(chtOutputVolt);
    ApplyVoltScales(TVoltClass::Mains220); // until a device tells otherwise
    ApplyLanguage(1);                      // the built-in texts are the Chinese ones
}

TLineGraph* TTrendGraphs::NewGraph(const char* name) {
    auto* graph = new TLineGraph(this);
    graph->setObjectName(QLatin1String(name));
    for (const TSeriesLook& phase : Phases)
        graph->AddSeries(QLatin1String(phase.Name), phase.Colour);
    return graph;
}

void TTrendGraphs::ApplyLanguage(uint8_t language) {
    FLanguage = language;
    chtInputVolt->SetTitle(QString::fromUtf8(PickText(InputTitle, language)));
    chtOutputVolt->SetTitle(QString::fromUtf8(PickText(OutputTitle, language)));
    const QString timeAxis = QString::fromUtf8(PickText(TimeAxisTitle, language));
    for (TLineGraph* graph : {chtInputVolt, chtOutputVolt})
        graph->SetAxisTitles(timeAxis, QStringLiteral("V"));
    ShowDeviceCaption();
}

void TTrendGraphs::ShowDevice(uint8_t address, const QString& name) {
    if (address != FAddress) {
        for (TLineGraph* graph : {chtInputVolt, chtOutputVolt})
            for (int s = 0; s < graph->SeriesCount(); ++s)
                graph->ClearSeries(s);
    }
    if (address == FAddress && name == FName)
        return;
    FAddress = address;
    FName = name;
    ShowDeviceCaption();
}

QString TTrendGraphs::DeviceCaption() const {
    return lblDevice->text();
}

void TTrendGraphs::ShowDeviceCaption() {
    if (FAddress == 0) {
        lblDevice->clear();
        return;
    }
    lblDevice->setText(QStringLiteral("%1  (%2 %3)")
                           .arg(FName, QString::fromUtf8(PickText(AddressText, FLanguage)))
                           .arg(FAddress));
}

void TTrendGraphs::ApplyVoltScales(TVoltClass voltClass) {
    if (FAxisClass == voltClass)
        return;
    FAxisClass = voltClass;
    const TVoltScales& s = VoltScalesOf(voltClass);
    for (TLineGraph* graph : {chtInputVolt, chtOutputVolt})
        graph->SetAxes(1, ClearAtPoints, s.GraphMinimum, s.GraphMaximum, s.GraphStep);
}

void TTrendGraphs::AddInputVolts(const TUpsInfoRec& rec) {
    ApplyVoltScales(FVoltClass.Update(rec));
    AddVolts(*chtInputVolt, {rec.InputVoltA, rec.InputVoltB, rec.InputVoltC});
}

void TTrendGraphs::AddOutputVolts(const TUpsInfoRec& rec) {
    AddVolts(*chtOutputVolt, {rec.OutputVoltA, rec.OutputVoltB, rec.OutputVoltC});
}

void TTrendGraphs::AddVolts(TLineGraph& graph, const double (&volts)[3]) {
    const QString label = FClock().toString(QStringLiteral("hh:mm:ss"));
    for (int s = 0; s < 3; ++s)
        graph.AddPoint(s, volts[s], label);
    bool full = false;
    for (int s = 0; s < 3; ++s)
        full = full || graph.PointCount(s) % ClearAtPoints == 0;
    if (full)
        for (int s = 0; s < 3; ++s)
            graph.ClearSeries(s);
}
