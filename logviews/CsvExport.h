#pragma once
// Export of a log grid to a CSV file: the header and every row as shown, blank
// rows included, each field followed by ",", lines ending in CR LF, texts in
// GBK or in UTF-8 after a byte order mark. The rows go to a temporary file beside the chosen one,
// which takes the chosen name only when every row is written: a cancelled or failed export leaves
// whatever file had that name untouched and no half-written one.

#include "logviews/GridSource.h"
#include "logviews/JobProgress.h"

#include <string>

// The chosen name as it is when it contains ".csv" anywhere, else with ".csv"
// appended: "report" -> "report.csv", "report.csv.txt" stays.
[[nodiscard]] std::string CsvFileName(const std::string& chosen);

enum class TExportResult { Written, Cancelled, Failed };

struct TExportOutcome {
    TExportResult Result = TExportResult::Written;
    std::string Error; // Failed: what went wrong, for the user
};

// Progress counts lines written, of the header plus RowCount(). The grid must
// not change while this runs; its lines are made on several threads at once.
[[nodiscard]] TExportOutcome ExportCsv(const TGridSource& grid, const std::string& path,
                                       TJobProgress& progress,
                                       TCsvEncoding encoding = TCsvEncoding::Gbk);
