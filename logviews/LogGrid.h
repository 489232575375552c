#pragma once
// The grid of both log viewers: one header row, whole-row selection, rows of
// one fixed height (so a view over millions of rows needs no measuring), and
// a left or middle click on a header cell asking for a sort by that column.

#include <QStringList>
#include <QTableView>

class TGridModel;
class TGridSource;

class TLogGrid : public QTableView {
    Q_OBJECT
public:
    explicit TLogGrid(QWidget* parent = nullptr);

    [[nodiscard]] TGridModel& Model() { return *FModel; }
    void SetSource(const TGridSource* source);
    void Reload();
    // Each column as wide as its header text and as the widest text its
    // cells can have (samples[col], e.g. "0000-00-00 00:00:00"), at least
    // minWidth. The last column may be left to stretch.
    void FitColumns(int minWidth, const QStringList& samples);
    // The arrow on the sort column: up for ascending, down for descending.
    void ShowSortArrow(int col, bool descending);
    // The row cursor on data row `row` (0-based), scrolled into view.
    void MoveCursorTo(int row);

signals:
    void HeaderClicked(int col);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TGridModel* FModel;
};
