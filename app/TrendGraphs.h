#pragma once
// The graph page: two rolling line graphs of the selected device's phase
// voltages, graph 1 the input and graph 2 the output, fed at every view
// refresh. Each holds the series "A" (red), "B" (green) and "C" (blue) on
// fixed axes (1 to 120, and the voltage axis of the device's voltage class:
// 180 to 300 V for 220 V units); a point's label is the time it was
// added. Adding the 120th point of a series empties that graph, so a trace
// holds at most 119 points and starts again from x = 0. A line above the
// graphs names the device plotted; another device starts fresh traces.

#include "record/UpsInfoRec.h"
#include "scales/VoltClass.h"

#include <QTime>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>

class QLabel;
class TLineGraph;

class TTrendGraphs : public QWidget {
    Q_OBJECT
public:
    using TClock = std::function<QTime()>;
    static constexpr int ClearAtPoints = 120;

    // clock gives the time for the point labels; the local clock by default.
    explicit TTrendGraphs(QWidget* parent = nullptr, TClock clock = {});

    // View refresh, first: the device whose voltages follow (address 0 and an
    // empty name when none is selected). A device other than the last one
    // empties both graphs, so its trace is never joined to the last one's.
    void ShowDevice(uint8_t address, const QString& name);
    // View refresh: graph 1 gets the input voltages, graph 2 the output ones.
    void AddInputVolts(const TUpsInfoRec& rec);
    void AddOutputVolts(const TUpsInfoRec& rec);
    // Graph titles for the Language setting (1 Chinese, else English).
    void ApplyLanguage(uint8_t language);

    [[nodiscard]] const TLineGraph& InputGraph() const { return *chtInputVolt; }
    [[nodiscard]] const TLineGraph& OutputGraph() const { return *chtOutputVolt; }
    [[nodiscard]] QString DeviceCaption() const;

    [[nodiscard]] QSize sizeHint() const override { return {683, 560}; }

private:
    TLineGraph* NewGraph(const char* name);
    void AddVolts(TLineGraph& graph, const double (&volts)[3]);
    void ApplyVoltScales(TVoltClass voltClass);
    void ShowDeviceCaption();

    TClock FClock;
    TVoltClassMemory FVoltClass;
    std::optional<TVoltClass> FAxisClass; // the class the voltage axes are set for
    uint8_t FLanguage = 1;
    uint8_t FAddress = 0;
    QString FName;
    QLabel* lblDevice = nullptr;
    TLineGraph* chtInputVolt = nullptr;
    TLineGraph* chtOutputVolt = nullptr;
};
