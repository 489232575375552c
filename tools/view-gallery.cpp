// Shows the real-time view or the trend graphs filled from a sample record,
// so that they can be looked at (and screenshotted) without a UPS:
//
//   view-gallery [--page data|sketch|graph] [--lang en|zh] [--state N]
//                [--protocol N] [--lost] [--quit-after MS]
//
// --state sets UpsState (4 online, 5 battery, 11 fault, ...; -1 none);
// --lost makes the device not communicating (its record is cleared).

#include "app/RealTimeView.h"
#include "app/TrendGraphs.h"
#include "base/LangText.h"
#include "status/StatusCodes.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>
#include <cmath>
#include <memory>

namespace {
constexpr QSize PageSize(683, 560); // the right-hand page area of the main window

TUpsInfoRec SampleRecord(int32_t state, bool lost) {
    TUpsInfoRec rec;
    rec.Address = 1;
    rec.CommState = lost ? CommLost : CommCommunicating;
    rec.UpsState = state;
    rec.DevState = 3;
    const bool onBattery = state == StateBattery || state == StateBattSelfTest;
    const double in = onBattery ? 0 : 228.4;
    rec.InputVoltA = in;
    rec.InputVoltB = onBattery ? 0 : 229.1;
    rec.InputVoltC = onBattery ? 0 : 227.6;
    rec.OutputVoltA = 220.1;
    rec.OutputVoltB = 219.8;
    rec.OutputVoltC = 220.3;
    rec.LoadPctA = 45;
    rec.LoadPctB = 108;
    rec.LoadPctC = 38.4;
    rec.OutputFreq = 50.02;
    rec.DcInputVolt = 432.5;
    rec.BattCapacity = 87;
    rec.BattSupportTime = 35;
    rec.ChargeCur = onBattery ? 0 : 30.7;
    rec.DischargeCur = onBattery ? 12.4 : 0;
    rec.StatusWord = {0x0023, 0xABCD, 0x4000, 0x0000, 0x00F0,
                      0x1200, 0x0000, 0x0008, 0x5A5A, 0x0003};
    if (onBattery)
        rec.StatusWord[0] |= 0x0100; // discharging: 0123-ABCD
    rec.InputSupply = onBattery ? 2 : 1;
    rec.UpsSupply = state == StateBypass || state == StateEco ? 2 : 1;
    rec.WorkMode = state == StateEco ? 1 : 0;
    rec.AlarmCodes[0] = 1;  // rectifier over temperature
    rec.AlarmCodes[1] = 70; // no English text: no line in English
    rec.AlarmCodes[2] = 4;
    rec.AlarmCount = 3;
    if (lost)
        TRealTimeView::ClearMeasurements(rec);
    return rec;
}

// Voltages wandering around their nominal value, one refresh per point.
void FillGraphs(TTrendGraphs& graphs, const TUpsInfoRec& base, int points) {
    for (int i = 0; i < points; ++i) {
        TUpsInfoRec rec = base;
        const double swing = 6 * std::sin(i / 9.0);
        rec.InputVoltA = 228 + swing;
        rec.InputVoltB = 222 + swing * 0.6 + 2 * std::cos(i / 3.0);
        rec.InputVoltC = 235 - swing;
        rec.OutputVoltA = 220 + std::sin(i / 5.0);
        rec.OutputVoltB = 219 + std::cos(i / 6.0);
        rec.OutputVoltC = 221.5 + std::sin(i / 4.0) * 0.5;
        graphs.AddInputVolts(rec);
        graphs.AddOutputVolts(rec);
    }
}
} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOptions({{"page", "data, sketch or graph", "page", "data"},
                       {"lang", "en or zh", "lang", "en"},
                       {"state", "UpsState code", "state", "4"},
                       {"protocol", "Protocol setting", "protocol", "0"},
                       {"points", "graph points", "points", "80"},
                       {"lost", "device not communicating"},
                       {"quit-after", "quit after this many ms", "ms", "0"}});
    parser.process(app);
    const uint8_t language = parser.value("lang") == "zh" ? 1 : 0;
    const uint8_t protocol = uint8_t(parser.value("protocol").toInt());
    const TUpsInfoRec rec = SampleRecord(parser.value("state").toInt(), parser.isSet("lost"));
    FillLangText(language);

    QWidget* window = nullptr;
    if (parser.value("page") == "graph") {
        // One point per view refresh, 0.6 s apart, ending now.
        const int points = parser.value("points").toInt();
        auto tick = std::make_shared<int>(0);
        auto* graphs = new TTrendGraphs(nullptr, [tick, points] {
            return QTime::currentTime().addMSecs(600 * (++*tick - points));
        });
        graphs->ApplyLanguage(language);
        FillGraphs(*graphs, rec, points);
        window = graphs;
    } else {
        auto* view = new TRealTimeView;
        view->HideSwitchRows();
        view->ApplyLanguage(language);
        view->ApplyProtocolLayout(protocol);
        view->ShowInputSide(rec);
        view->ShowOutputSide(rec);
        view->ShowStates(rec, protocol);
        view->ShowAlarms(rec);
        view->ShowChargeFlow(rec, protocol);
        view->ShowInnerPage(parser.value("page") == "sketch" ? 1 : 0);
        window = view;
    }
    window->setFixedSize(PageSize);
    window->move(0, 0);
    window->show();
    if (const int ms = parser.value("quit-after").toInt(); ms > 0)
        QTimer::singleShot(ms, &app, &QApplication::quit);
    const int result = app.exec();
    delete window;
    return result;
}
