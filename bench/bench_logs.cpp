// The log viewers at scale. A month of 252 units sampled every 60 s (31 days,
// 11.2 million records, 1.4 GB) is written to a temporary folder, then read
// from the page cache: dd's time to read it, the data viewer's load with each
// filter, a sort by every column, the CSV export of the whole month in file
// order and with its rows all over the file (each beside dd's time to write
// as much), and the memory the grid keeps beyond the mapped file. Then the event viewer's load
// of a full live event log (5001 records). Prints the figures.
//
//   bench_logs [FOLDER]   (default: $TMPDIR or /tmp)

#include "logging/TimeStamp.h"
#include "logging/UDataLogClass.h"
#include "logging/uEventLogClass.h"
#include "logviews/CsvExport.h"
#include "logviews/DataLogTable.h"
#include "logviews/EventLogTable.h"
#include "tests/e2e/ChildProcess.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

using namespace std::chrono;

namespace {
constexpr int Units = 252, Days = 31, SamplesPerDay = 24 * 60;

double Seconds(steady_clock::duration d) {
    return duration<double>(d).count();
}

template <class F> double Timed(F&& f) {
    const auto start = steady_clock::now();
    f();
    return Seconds(steady_clock::now() - start);
}

struct TCpuTimes {
    double User = 0, System = 0;
};

// CPU time of every thread of this process so far.
TCpuTimes CpuTimes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return {seconds(usage.ru_utime), seconds(usage.ru_stime)};
}

// Anonymous resident memory of this process, in bytes.
int64_t RssAnon() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("RssAnon:", 0) == 0)
            return std::atoll(line.c_str() + 8) * 1024;
    return 0;
}

// The highest RssAnon seen while f runs.
template <class F> int64_t PeakRssAnon(F&& f) {
    std::atomic<bool> done{false};
    std::atomic<int64_t> peak{RssAnon()};
    std::thread sampler([&] {
        while (!done) {
            peak = std::max(peak.load(), RssAnon());
            std::this_thread::sleep_for(milliseconds(2));
        }
    });
    f();
    done = true;
    sampler.join();
    return std::max(peak.load(), RssAnon());
}

void WriteMonth(const std::string& path) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    TUpsInfoRec ups;
    std::vector<uint8_t> block;
    block.reserve(std::size_t(Units) * DataRecSize);
    uint32_t noise = 1;
    for (int day = 1; day <= Days; ++day) {
        for (int minute = 0; minute < SamplesPerDay; ++minute) {
            const double time = EncodeTimeStamp({2008, 12, day, minute / 60, minute % 60, 0, 0});
            block.clear();
            for (int unit = 1; unit <= Units; ++unit) {
                noise = noise * 1664525u + 1013904223u;
                const double jitter = double(noise >> 20) / 4096.0;
                ups.InputVoltA = ups.InputVoltB = ups.InputVoltC = 215 + 10 * jitter;
                ups.OutputVoltA = ups.OutputVoltB = ups.OutputVoltC = 220 + jitter;
                ups.LoadPctA = ups.LoadPctB = ups.LoadPctC = 100 * jitter;
                ups.OutputFreq = 49.9 + 0.2 * jitter;
                ups.DcInputVolt = 240 + jitter;
                ups.BattCapacity = int32_t(noise % 101);
                ups.BattSupportTime = uint16_t(noise % 300);
                const TDataRecBytes b = EncodeDataRec(MakeDataRec(ups, uint8_t(unit), time));
                block.insert(block.end(), b.begin(), b.end());
            }
            out.write(reinterpret_cast<const char*>(block.data()), std::streamsize(block.size()));
        }
    }
}

// dd with its arguments as they are, no shell: a folder name with a quote or
// a blank is a file name, never a command.
double DdSeconds(std::vector<std::string> args) {
    return Timed([&] {
        try {
            TChildProcess dd({.Program = "/usr/bin/dd", .Args = std::move(args)});
            if (!dd.WaitSucceeded())
                std::fprintf(stderr, "dd failed\n");
        } catch (const std::exception& e) {
            std::fprintf(stderr, "dd: %s\n", e.what());
        }
    });
}

double DdSeconds(const std::string& path) {
    return DdSeconds({"if=" + path, "of=/dev/null", "bs=1M", "status=none"});
}

// Writing 1 GB costs the kernel much more when the memory it takes has not
// been touched for a while: a virtual machine hands freed memory back to its
// host and gets it again page by page (seen here: dd writes zeros at 0.5 GB/s
// then, at 5 GB/s into memory just freed). dd shows that cost for this
// folder; the export then runs on the memory dd has just freed, as it would on
// a machine of its own.
void BenchExport(const TDataLogTable& table, const std::string& folder, const char* order) {
    const std::string zeros = folder + "zeros";
    const double dd =
        DdSeconds({"if=/dev/zero", "of=" + zeros, "bs=1M", "count=1000", "status=none"});
    std::filesystem::remove(zeros);
    std::printf("dd writing 1000 MB of zeros beside it: %.2f s (%.0f MB/s)\n", dd, 1000 / dd);

    const std::string csv = folder + "month.csv";
    TJobProgress progress;
    const TCpuTimes before = CpuTimes();
    const double s = Timed([&] { (void)ExportCsv(table, csv, progress); });
    const TCpuTimes after = CpuTimes();
    const double csvMb = double(std::filesystem::file_size(csv)) / 1e6;
    std::printf("export whole month %s: %.0f MB of CSV in %.2f s = %.0f MB/s"
                " (CPU %.2f s user, %.2f s system)\n",
                order, csvMb, s, csvMb / s, after.User - before.User, after.System - before.System);
    std::filesystem::remove(csv);
    ::sync(); // the next figure must not pay for this file's removal
}

void BenchDataLog(const std::string& folder) {
    const std::string path = DataLogMonthPath(folder, 2008, 12);
    std::printf("writing %d units x %d days x %d samples ...\n", Units, Days, SamplesPerDay);
    WriteMonth(path);
    // The kernel would otherwise write the 1.4 GB to disk while the figures
    // are taken, on the same cores.
    ::sync();
    const double megabytes = double(std::filesystem::file_size(path)) / 1e6;
    std::printf("month file: %.0f MB, %lld records\n", megabytes,
                (long long)(std::filesystem::file_size(path) / DataRecSize));
    DdSeconds(path); // into the page cache
    const double dd = DdSeconds(path);
    std::printf("dd bs=1M from the page cache: %.3f s (%.0f MB/s)\n", dd, megabytes / dd);

    struct {
        const char* Name;
        TRecFilter Filter;
    } loads[] = {
        {"month (no filter)", {2008, 12, 0, 0, path}},
        {"month, address 100", {2008, 12, 0, 100, path}},
        {"day 15", {2008, 12, 15, 0, path}},
        {"day 15, address 100", {2008, 12, 15, 100, path}},
    };
    for (const auto& l : loads) {
        TDataLogTable table;
        TJobProgress progress;
        const int64_t before = RssAnon();
        const double s = Timed([&] { (void)table.Load(l.Filter, progress); });
        std::printf("load %-22s %9lld rows  %.3f s  (%.2f x dd)  %+.1f bytes/row kept\n", l.Name,
                    (long long)table.FilledRows(), s, s / dd,
                    double(RssAnon() - before) / double(std::max<int64_t>(1, table.FilledRows())));
    }

    TDataLogTable table;
    TJobProgress progress;
    (void)table.Load({2008, 12, 0, 0, path}, progress);
    const int64_t rows = table.FilledRows();
    BenchExport(table, folder, "in file order");
    // Each sort starts from the order the one before left; the time column
    // comes last, when the rows lie all over the file.
    for (int step = 1; step <= DataColumnCount; ++step) {
        const int col = step % DataColumnCount;
        for (bool descending : {false, true}) {
            const int64_t base = RssAnon();
            double s = 0;
            const int64_t peak = PeakRssAnon([&] {
                s = Timed([&] { table.SetRows(*table.SortedRows(col, descending, progress)); });
            });
            std::printf("sort column %2d %s  %.3f s  peak %+.1f bytes/row\n", col,
                        descending ? "desc" : "asc ", s, double(peak - base) / double(rows));
        }
        // Sorted by the support time, then by the other values before it:
        // the rows lie all over the file.
        if (col == DataColumnCount - 1)
            BenchExport(table, folder, "sorted by columns 1 to 14");
    }
    std::filesystem::remove(path);
}

void BenchEventLog(const std::string& folder) {
    TEventLog log(folder, EventLogFileName, folder + "Backup/");
    std::string bytes;
    for (int i = 0; i <= EventLogRotateCount; ++i) {
        TEventRec rec;
        rec.Time = EncodeTimeStamp({2008, 12, 1 + i % 28, i % 24, 0, 0, 0});
        rec.Address = uint8_t(i % 253);
        rec.Kind = uint8_t(i % 3);
        rec.Code = rec.Kind == 0 ? 18 + i % 6 : (rec.Kind == 1 ? 1 + i % 11 : i % 72);
        rec.AlarmFlag = rec.Kind == 2 ? uint8_t(i % 2) : 255;
        const TEventRecBytes b = EncodeEventRec(rec);
        bytes.append(b.begin(), b.end());
    }
    std::ofstream(log.FullPath(), std::ios::binary)
        .write(bytes.data(), std::streamsize(bytes.size()));
    for (int round = 0; round < 3; ++round) {
        TEventLogTable table;
        const double s = Timed([&] {
            (void)log.RecordCount();
            (void)table.Load(log.FullPath(), {}, 1);
            table.Sort(0, false);
        });
        std::printf("event viewer load + sort of %d records: %.1f ms (%lld rows)\n",
                    EventLogRotateCount + 1, s * 1000, (long long)table.FilledRows());
    }
    std::filesystem::remove(log.FullPath());
}
} // namespace

int main(int argc, char** argv) {
    const char* tmp = std::getenv("TMPDIR");
    std::string folder = argc > 1 ? argv[1] : (tmp != nullptr ? tmp : "/tmp");
    folder += "/pelmora-bench-logs/";
    std::filesystem::create_directories(folder);
    BenchEventLog(folder);
    BenchDataLog(folder);
    std::filesystem::remove_all(folder);
    return 0;
}
