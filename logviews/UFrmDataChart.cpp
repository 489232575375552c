#include "logviews/UFrmDataChart.h"

#include "config/CurrentText.h"
#include "logviews/DataChart.h"
#include "logviews/LogTexts.h"

#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

namespace {
constexpr double SpanDays[] = {1, 7, 31};

QString UnitName(uint8_t address) {
    return CurrentText(ChartUnitText).arg(address);
}
} // namespace

TFrmDataChart::TFrmDataChart(const TDataLogTable& table, const TDataSeriesIndex& index,
                             const std::vector<uint8_t>& units, int col, QWidget* parent)
    : QDialog(parent), FTable(table), FIndex(index) {
    setObjectName("FrmDataChart");
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    lbUnits = new QListWidget(this);
    lbUnits->setObjectName("lbUnits");
    cbColumn = new QComboBox(this);
    cbColumn->setObjectName("cbColumn");
    cbSpan = new QComboBox(this);
    cbSpan->setObjectName("cbSpan");
    btnSavePng = new QPushButton(this);
    btnSavePng->setObjectName("btnSavePng");
    btnClose = new QPushButton(this);
    btnClose->setObjectName("btnClose");
    lblUnits = new QLabel(this);
    lblColumn = new QLabel(this);
    lblSpan = new QLabel(this);
    lblNote = new QLabel(this);
    lblNote->setObjectName("lblNote");
    lblKeys = new QLabel(this);
    lblKeys->setWordWrap(true);
    FChart = new TDataChart(this);
    FChart->setObjectName("Chart");
    lblUnits->setBuddy(lbUnits);
    lblColumn->setBuddy(cbColumn);
    lblSpan->setBuddy(cbSpan);

    for (const auto& [address, records] : FIndex.ByAddress) {
        auto* item = new QListWidgetItem(UnitName(address), lbUnits);
        item->setData(Qt::UserRole, int(address));
        const bool chosen = std::find(units.begin(), units.end(), address) != units.end();
        item->setCheckState(chosen ? Qt::Checked : Qt::Unchecked);
    }
    for (int c = FirstChartCol; c <= LastChartCol; ++c)
        cbColumn->addItem(QString(), c);
    cbColumn->setCurrentIndex(std::clamp(col, FirstChartCol, LastChartCol) - FirstChartCol);
    for (int i = 0; i < 3; ++i)
        cbSpan->addItem(QString());
    cbSpan->setCurrentIndex(2);
    // The limit holds from the start: units past the eighth are left unticked.
    int ticked = 0;
    for (int i = 0; i < lbUnits->count(); ++i)
        if (lbUnits->item(i)->checkState() == Qt::Checked && ++ticked > TDataChart::MaxSeries)
            lbUnits->item(i)->setCheckState(Qt::Unchecked);

    connect(lbUnits, &QListWidget::itemChanged, this, &TFrmDataChart::UnitTicked);
    connect(cbColumn, &QComboBox::currentIndexChanged, this, [this] { Redraw(); });
    connect(cbSpan, &QComboBox::activated, this, [this](int i) { ShowSpan(i); });
    // After a zoom by wheel or key the box names no span, rather than a wrong one.
    connect(FChart, &TDataChart::ViewChanged, this, [this] {
        const double length = FChart->ViewEnd() - FChart->ViewStart();
        int shown = -1;
        for (int i = 0; i < 3; ++i)
            if (std::fabs(length - std::min(SpanDays[i], FChart->FullLength())) < 1e-9)
                shown = i;
        cbSpan->setCurrentIndex(shown);
    });
    connect(btnSavePng, &QPushButton::clicked, this, &TFrmDataChart::btnSavePngClick);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);

    auto* side = new QVBoxLayout;
    side->addWidget(lblUnits);
    side->addWidget(lbUnits, 1);
    side->addWidget(lblColumn);
    side->addWidget(cbColumn);
    side->addWidget(lblSpan);
    side->addWidget(cbSpan);
    side->addWidget(lblNote);
    side->addWidget(lblKeys);
    side->addWidget(btnSavePng);
    side->addWidget(btnClose);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(side);
    layout->addWidget(FChart, 1);
    setTabOrder(lbUnits, cbColumn);
    setTabOrder(cbColumn, cbSpan);
    setTabOrder(cbSpan, FChart);
    setTabOrder(FChart, btnSavePng);
    setTabOrder(btnSavePng, btnClose);
    lbUnits->setMaximumWidth(220);
    ApplyLanguage();
    resize(1100, 600);
    Redraw();
    FChart->ShowTimes(FIndex.First, FIndex.Last - FIndex.First);
    AskPngPath = [](QWidget* parent) {
        return QFileDialog::getSaveFileName(parent, CurrentText(SavePngCaption), "chart.png",
                                            CurrentText(PngFilterText));
    };
}

void TFrmDataChart::ApplyLanguage() {
    setWindowTitle(CurrentText(ChartCaption));
    lblUnits->setText(CurrentText(ChartUnitsText));
    lblColumn->setText(CurrentText(ChartColumnText));
    lblSpan->setText(CurrentText(ChartSpanText));
    for (int c = FirstChartCol; c <= LastChartCol; ++c)
        cbColumn->setItemText(c - FirstChartCol, CurrentText(DataColumnTexts[c]));
    for (int i = 0; i < 3; ++i)
        cbSpan->setItemText(i, CurrentText(ChartSpanTexts[i]));
    lblKeys->setText(CurrentText(ChartKeysText));
    btnSavePng->setText(CurrentText(SavePngText));
    btnClose->setText(CurrentText(ChartCloseText));
    lbUnits->setAccessibleName(lblUnits->text().remove('&'));
    cbColumn->setAccessibleName(lblColumn->text().remove('&'));
    cbSpan->setAccessibleName(lblSpan->text().remove('&'));
    FChart->setAccessibleName(CurrentText(ChartNameText));
    FChart->setAccessibleDescription(lblKeys->text());
    if (FIndex.ByAddress.empty())
        lblNote->setText(CurrentText(ChartEmptyText));
}

std::vector<uint8_t> TFrmDataChart::ChosenUnits() const {
    std::vector<uint8_t> units;
    for (int i = 0; i < lbUnits->count(); ++i)
        if (lbUnits->item(i)->checkState() == Qt::Checked)
            units.push_back(uint8_t(lbUnits->item(i)->data(Qt::UserRole).toInt()));
    return units;
}

int TFrmDataChart::Column() const {
    return cbColumn->currentData().toInt();
}

void TFrmDataChart::UnitTicked(QListWidgetItem* item) {
    const std::vector<uint8_t> units = ChosenUnits();
    if (units.size() > TDataChart::MaxSeries) {
        // The ninth tick is taken back, and the user is told why.
        const QSignalBlocker block(lbUnits);
        item->setCheckState(Qt::Unchecked);
        lblNote->setText(CurrentText(ChartTooManyText).arg(TDataChart::MaxSeries));
        return;
    }
    lblNote->clear();
    Redraw();
}

void TFrmDataChart::Redraw() {
    std::vector<TDataSeries> series;
    QStringList names;
    for (uint8_t address : ChosenUnits()) {
        if (series.size() == TDataChart::MaxSeries)
            break;
        series.push_back(FIndex.Series(FTable, address, Column()));
        names << UnitName(address);
    }
    FChart->SetSeries(std::move(series), names, FIndex.First, FIndex.Last);
    FChart->setAccessibleName(CurrentText(ChartNameText) + ", " + cbColumn->currentText() + ", " +
                              names.join(", "));
}

void TFrmDataChart::ShowSpan(int span) {
    cbSpan->setCurrentIndex(span);
    FChart->ShowTimes(FChart->ViewStart(), SpanDays[std::clamp(span, 0, 2)]);
}

void TFrmDataChart::btnSavePngClick() {
    QString path = AskPngPath(this);
    if (path.isEmpty())
        return;
    if (!path.endsWith(".png", Qt::CaseInsensitive))
        path += ".png";
    if (!FChart->SavePng(path))
        Prompts.Tell(this, CurrentText(SavePngFailedText).arg(path));
}
