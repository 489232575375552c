#pragma once
// The chart window of the data viewer: the units of the loaded month to draw
// (one to eight, ticked in a list), the measured column, the span shown (a
// day, a week or the month, from the start of what is shown), and a button
// that saves the chart as a PNG file. Reads the viewer's table in place; the
// viewer keeps it unchanged while this window is open.

#include "logviews/DataSeries.h"
#include "logviews/LogPrompts.h"

#include <QDialog>

#include <functional>
#include <vector>

class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class TDataChart;

class TFrmDataChart : public QDialog {
    Q_OBJECT
public:
    // units: the addresses ticked at first (at most eight are taken).
    TFrmDataChart(const TDataLogTable& table, const TDataSeriesIndex& index,
                  const std::vector<uint8_t>& units, int col, QWidget* parent = nullptr);

    [[nodiscard]] TDataChart& Chart() { return *FChart; }
    [[nodiscard]] std::vector<uint8_t> ChosenUnits() const;
    [[nodiscard]] int Column() const;
    void ShowSpan(int span); // 0 a day, 1 a week, 2 the month

    TLogPrompts Prompts = DialogLogPrompts();
    // Asks where to save the PNG; tests put their own in.
    std::function<QString(QWidget*)> AskPngPath;

public slots:
    void btnSavePngClick();

private:
    void ApplyLanguage();
    void UnitTicked(QListWidgetItem* item);
    void Redraw();

    const TDataLogTable& FTable;
    const TDataSeriesIndex& FIndex;
    QListWidget* lbUnits;
    QComboBox* cbColumn;
    QComboBox* cbSpan;
    QPushButton* btnSavePng;
    QPushButton* btnClose;
    QLabel* lblUnits;
    QLabel* lblColumn;
    QLabel* lblSpan;
    QLabel* lblNote;
    QLabel* lblKeys;
    TDataChart* FChart;
};
