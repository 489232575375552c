// The data viewer's chart over a month of 60-second samples (44640 a unit)
// for one and for eight units, at 1920 x 1080: the time from the request (the
// month already loaded in the viewer) to the first paint, which groups the
// rows by unit and draws each series' envelope, and the time of a repaint
// after one zoom step. The month file is written to a temporary folder and
// read through the page cache, as the viewer reads it.
//
//   bench_charts [google benchmark options]   (month file under $TMPDIR or /tmp)

#include "logging/TimeStamp.h"
#include "logging/UDataLogClass.h"
#include "logviews/DataChart.h"
#include "logviews/DataLogTable.h"
#include "logviews/DataSeries.h"

#include <QApplication>
#include <QImage>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace {
constexpr int MaxUnits = 8, Days = 31, PerDay = 1440, Width = 1920, Height = 1080;

std::string MonthPath;

// Eight units sampled every minute, interleaved as the engine writes them.
void WriteMonth() {
    const char* tmp = std::getenv("TMPDIR");
    MonthPath = std::string(tmp != nullptr ? tmp : "/tmp") + "/bench_charts_DataLog2026_03.dat";
    std::FILE* f = std::fopen(MonthPath.c_str(), "wb");
    const double start = EncodeTimeStamp({2026, 3, 1, 0, 0, 0, 0});
    for (int i = 0; i < Days * PerDay; ++i)
        for (uint8_t a = 1; a <= MaxUnits; ++a) {
            TUpsInfoRec ups;
            ups.InputVoltA = 220 + 5 * std::sin(i * 0.01 + a);
            const TDataRecBytes bytes =
                EncodeDataRec(MakeDataRec(ups, a, start + i / double(PerDay)));
            std::fwrite(bytes.data(), 1, bytes.size(), f);
        }
    std::fclose(f);
}

// The viewer's loaded month, every unit or only unit 1.
std::unique_ptr<TDataLogTable> LoadedMonth(int units) {
    auto table = std::make_unique<TDataLogTable>();
    TRecFilter filter;
    filter.Addr = units == 1 ? 1 : 0;
    filter.FileName = MonthPath;
    TJobProgress progress;
    if (table->Load(filter, progress) != TDataLogTable::TLoadResult::Loaded)
        std::abort();
    return table;
}

void Chart(TDataChart& chart, const TDataLogTable& table, const TDataSeriesIndex& index) {
    std::vector<TDataSeries> series;
    QStringList names;
    for (const auto& [address, records] : index.ByAddress) {
        series.push_back(index.Series(table, address, FirstChartCol));
        names << QString::number(address);
    }
    chart.SetSeries(std::move(series), names, index.First, index.Last);
    chart.ShowTimes(index.First, index.Last - index.First);
}

void FirstPaint(benchmark::State& state) {
    const auto table = LoadedMonth(int(state.range(0)));
    QImage image(Width, Height, QImage::Format_RGB32);
    for (auto _ : state) {
        TJobProgress progress;
        const TDataSeriesIndex index = IndexDataSeries(*table, progress);
        TDataChart chart;
        chart.resize(Width, Height);
        Chart(chart, *table, index);
        chart.render(&image);
    }
}

void RepaintAfterZoom(benchmark::State& state) {
    const auto table = LoadedMonth(int(state.range(0)));
    TJobProgress progress;
    const TDataSeriesIndex index = IndexDataSeries(*table, progress);
    TDataChart chart;
    chart.resize(Width, Height);
    Chart(chart, *table, index);
    QImage image(Width, Height, QImage::Format_RGB32);
    chart.render(&image);
    const double middle = (index.First + index.Last) / 2;
    bool in = true;
    for (auto _ : state) {
        // In and out by turns, so the view stays near the whole month.
        chart.Zoom(in ? 0.8 : 1.25, middle);
        in = !in;
        chart.render(&image);
    }
}

BENCHMARK(FirstPaint)->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond);
BENCHMARK(RepaintAfterZoom)->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    WriteMonth();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove(MonthPath);
}
