#include "logviews/GridSource.h"

#include "base/GbkText.h"
#include "logviews/CsvField.h"

#include <algorithm>

int64_t TGridSource::RowCount() const {
    return std::max(FilledRows(), MinimumRows());
}

void TGridSource::AppendCsvLine(int64_t row, TCsvEncoding encoding, std::string& out) const {
    std::string text;
    for (int col = 0; col < ColumnCount(); ++col) {
        text.clear();
        if (row < 0)
            text = HeaderText(col);
        else
            AppendCell(row, col, text);
        AppendCsvField(out, encoding == TCsvEncoding::Gbk ? Utf8ToGbk(text) : text);
        out += ',';
    }
}
