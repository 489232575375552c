#include "logviews/UFrmDataLog.h"

#include "base/ProgramFolder.h"
#include "base/SharedFlags.h"
#include "config/CurrentText.h"
#include "config/UUserParaIni.h"
#include "logviews/BackgroundWork.h"
#include "logviews/DataSeries.h"
#include "logviews/GridExport.h"
#include "logviews/LogGrid.h"
#include "logviews/LogTexts.h"
#include "logviews/SortDebugText.h"
#include "logviews/UFrmDataChart.h"
#include "logviews/UFrmDataLogSet.h"
#include "logviews/UFrmDelDataRec.h"
#include "logviews/UFrmProgress.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDate>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

namespace {
enum { ModeMonth = 0, ModeDay = 1 };
constexpr int FirstColumnWidth = 130, ColumnWidth = 60;
constexpr int64_t BarRange = 1000;

QPushButton* Button(QWidget* parent, const char* name) {
    auto* button = new QPushButton(parent);
    button->setObjectName(name);
    return button;
}
} // namespace

TFrmDataLog::TFrmDataLog(TfrmProgress& progress, std::function<void()> restartSampling,
                         QWidget* parent)
    : QDialog(parent), FRestartSampling(std::move(restartSampling)), FProgress(progress),
      FWork(new TBackgroundWork(this)), FTable(std::make_unique<TDataLogTable>(UserPara.Language)),
      FControls(new QWidget(this)), FFilter(FControls, "rgSearchType", 2) {
    setObjectName("FrmDataLog");
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    BuildControls();
    FFilter.SetMode(ModeMonth);
    ModeChanged();
    StringGrid1->SetSource(FTable.get());
    ApplyLanguage();
    resize(1000, 600);
    auto* monthWatch = new QTimer(this);
    connect(monthWatch, &QTimer::timeout, this, [this] { CheckMonthFile(); });
    monthWatch->start(1000);
    RunLogSetting = [this](QWidget* parent) {
        TFrmDataLogSet dialog(FRestartSampling, parent);
        dialog.exec();
    };
    RunDeleteMonth = [this](QWidget* parent) {
        TFrmDelDataRec dialog(RecordPath(), parent);
        dialog.Prompts = Prompts;
        connect(&dialog, &TFrmDelDataRec::MonthDeleted, this, &TFrmDataLog::btnSearchClick);
        dialog.exec();
    };
    RunChart = [](TFrmDataChart& chart) { chart.exec(); };
}

TFrmDataLog::~TFrmDataLog() {
    // The grid outlives the table (children go last) and may still be asked
    // for cells while it is taken down.
    StringGrid1->SetSource(nullptr);
}

void TFrmDataLog::BuildControls() {
    connect(FFilter.Buttons, &QButtonGroup::idClicked, this, [this] { ModeChanged(); });
    btnSearch = Button(FControls, "btnSearch");
    btnRefresh = Button(FControls, "btnRefresh");
    btnSet = Button(FControls, "btnSet");
    btnExport = Button(FControls, "btnExport");
    btnDel = Button(FControls, "btnDel");
    btnChart = Button(FControls, "btnChart");
    connect(btnSearch, &QPushButton::clicked, this, &TFrmDataLog::btnSearchClick);
    connect(btnRefresh, &QPushButton::clicked, this, &TFrmDataLog::btnSearchClick);
    connect(btnSet, &QPushButton::clicked, this, &TFrmDataLog::btnSetClick);
    connect(btnExport, &QPushButton::clicked, this, &TFrmDataLog::btnExportClick);
    connect(btnDel, &QPushButton::clicked, this, &TFrmDataLog::btnDelClick);
    connect(btnChart, &QPushButton::clicked, this, &TFrmDataLog::btnChartClick);
    lblSortDebug = new QLabel(FControls);
    lblSortDebug->setObjectName("lblSortDebug");
    lblSortDebug->hide();

    StringGrid1 = new TLogGrid(this);
    StringGrid1->setObjectName("StringGrid1");
    StringGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    connect(StringGrid1, &TLogGrid::HeaderClicked, this, &TFrmDataLog::SortByColumn);

    lblWork = new QLabel(this);
    pbWork = new QProgressBar(this);
    pbWork->setObjectName("pbWork");
    pbWork->setRange(0, int(BarRange));
    btnCancelWork = Button(this, "btnCancelWork");
    connect(btnCancelWork, &QPushButton::clicked, FWork, &TBackgroundWork::Cancel);

    auto* filters = new QHBoxLayout;
    filters->addWidget(FFilter.Group);
    FFilter.AddDateRow(filters);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {btnSearch, btnRefresh, btnSet, btnExport, btnDel, btnChart})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(lblSortDebug);
    auto* controls = new QVBoxLayout(FControls);
    controls->setContentsMargins(0, 0, 0, 0);
    controls->addLayout(filters);
    controls->addLayout(buttons);
    auto* work = new QHBoxLayout;
    work->addWidget(lblWork);
    work->addWidget(pbWork, 1);
    work->addWidget(btnCancelWork);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FControls);
    layout->addWidget(StringGrid1, 1);
    layout->addLayout(work);
    SetBusy(false, LoadingText);
}

void TFrmDataLog::ApplyLanguage() {
    setWindowTitle(CurrentText(DataLogCaption));
    FFilter.ApplyLanguage(DataSearchTypeText, DataModeItemTexts);
    btnSearch->setText(CurrentText(SearchButtonText));
    btnRefresh->setText(CurrentText(RefreshButtonText));
    btnSet->setText(CurrentText(LogSettingText));
    btnExport->setText(CurrentText(ExportButtonText));
    btnDel->setText(CurrentText(ClearMonthText));
    btnChart->setText(CurrentText(ChartButtonText));
    btnCancelWork->setText(CurrentText(CancelButtonText));
}

void TFrmDataLog::ModeChanged() {
    FFilter.seDay->setEnabled(FFilter.Mode() == ModeDay);
}

void TFrmDataLog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    ApplyLanguage();
    FFilter.SetToday();
    // Shown first, then loaded: a large month's progress is seen in the window.
    // A search in between makes this load needless.
    FLoadPending = true;
    QTimer::singleShot(0, this, [this] {
        if (FLoadPending && !FWork->Busy())
            Load();
    });
}

TRecFilter TFrmDataLog::Filter() const {
    TRecFilter f;
    f.Year = uint16_t(FFilter.seYear->value());
    f.Month = uint16_t(FFilter.seMonth->value());
    f.Day = FFilter.Mode() == ModeDay ? uint16_t(FFilter.seDay->value()) : 0;
    f.Addr = FFilter.cbAddress->isChecked() ? uint16_t(FFilter.seAddress->value()) : 0;
    f.FileName = DataLogMonthPath(RecordPath(), f.Year, f.Month);
    return f;
}

void TFrmDataLog::SetBusy(bool busy, const TTextPair& what) {
    FControls->setEnabled(!busy);
    StringGrid1->horizontalHeader()->setEnabled(!busy);
    lblWork->setText(CurrentText(what));
    for (QWidget* w : std::initializer_list<QWidget*>{lblWork, pbWork, btnCancelWork})
        w->setVisible(busy);
    pbWork->setValue(0);
}

void TFrmDataLog::ShowWorkProgress(int64_t position, int64_t maximum) {
    pbWork->setValue(maximum > 0 ? int(std::min(position, maximum) * BarRange / maximum) : 0);
}

void TFrmDataLog::Load() {
    FLoadPending = false;
    // The grid shows an empty month while the new one is read.
    FTable = std::make_unique<TDataLogTable>(UserPara.Language);
    StringGrid1->SetSource(FTable.get());
    QStringList samples{"0000-00-00 00:00:00", "000"};
    while (samples.size() < DataColumnCount)
        samples << "0000.0";
    StringGrid1->FitColumns(ColumnWidth, samples);
    StringGrid1->setColumnWidth(0, std::max(FirstColumnWidth, StringGrid1->columnWidth(0)));
    auto loaded = std::make_unique<TDataLogTable>(UserPara.Language);
    const TRecFilter filter = Filter();
    TDataLogTable::TLoadResult result = TDataLogTable::TLoadResult::NoFile;
    SetBusy(true, LoadingText);
    if (!FWork->Run([&](TJobProgress& p) { result = loaded->Load(filter, p); },
                    [this](int64_t pos, int64_t max) { ShowWorkProgress(pos, max); }))
        Prompts.Tell(this, QString::fromStdString(FWork->Error()));
    SetBusy(false, LoadingText);
    QTimer::singleShot(0, this, &TFrmDataLog::CloseIfAsked);
    // A missing month and a cancelled load both leave the grid empty.
    if (result == TDataLogTable::TLoadResult::Loaded) {
        FTable = std::move(loaded);
        StringGrid1->SetSource(FTable.get());
    }
    // The rows are in file order: no arrow until the next sort.
    StringGrid1->ShowSortArrow(-1, false);
    lblSortDebug->setVisible(DebugShow);
    lblSortDebug->setText(SortDebugText(FSortCol, FSortDir));
}

void TFrmDataLog::SortByColumn(int col) {
    if (FWork->Busy() || col < 0 || col >= DataColumnCount)
        return;
    const uint8_t oldCol = FSortCol, oldDir = FSortDir;
    if (col == FSortCol)
        FSortDir = FSortDir == 0 ? 1 : 0;
    else
        FSortCol = uint8_t(col);
    std::optional<std::vector<uint32_t>> rows;
    SetBusy(true, SortingText);
    if (!FWork->Run([&](TJobProgress& p) { rows = FTable->SortedRows(FSortCol, FSortDir == 1, p); },
                    [this](int64_t pos, int64_t max) { ShowWorkProgress(pos, max); }))
        Prompts.Tell(this, QString::fromStdString(FWork->Error()));
    SetBusy(false, SortingText);
    QTimer::singleShot(0, this, &TFrmDataLog::CloseIfAsked);
    if (rows) {
        FTable->SetRows(std::move(*rows));
        StringGrid1->Reload();
    } else {
        // Cancelled: the rows keep the order the arrow shows.
        FSortCol = oldCol;
        FSortDir = oldDir;
    }
    StringGrid1->ShowSortArrow(FSortCol, FSortDir == 1);
    lblSortDebug->setVisible(DebugShow);
    lblSortDebug->setText(SortDebugText(FSortCol, FSortDir));
}

void TFrmDataLog::btnSearchClick() {
    if (!FWork->Busy())
        Load();
}

void TFrmDataLog::btnExportClick() {
    if (FWork->Busy())
        return;
    ExportGridToCsv(this, *FTable, FProgress, *FWork, Prompts);
    CheckMonthFile(true);
    CloseIfAsked();
}

void TFrmDataLog::CheckMonthFile(bool duringExport) {
    if (FWork->Busy() || FChartOpen || !FTable->FileChanged())
        return;
    // What is gone is not shown again: the grid empties before the question.
    FTable = std::make_unique<TDataLogTable>(UserPara.Language);
    StringGrid1->SetSource(FTable.get());
    StringGrid1->ShowSortArrow(-1, false);
    if (Prompts.Ask(this, CurrentText(duringExport ? MonthChangedInExportText : MonthChangedText),
                    CurrentText(MonthChangedCaption)))
        Load();
}

void TFrmDataLog::btnChartClick() {
    if (FWork->Busy())
        return;
    TDataSeriesIndex index;
    SetBusy(true, LoadingText);
    if (!FWork->Run([&](TJobProgress& p) { index = IndexDataSeries(*FTable, p); },
                    [this](int64_t pos, int64_t max) { ShowWorkProgress(pos, max); }))
        Prompts.Tell(this, QString::fromStdString(FWork->Error()));
    SetBusy(false, LoadingText);
    if (FCloseWhenIdle) {
        CloseIfAsked();
        return;
    }
    std::vector<uint8_t> units;
    const TRecFilter filter = Filter();
    if (filter.Addr != 0 && index.ByAddress.count(uint8_t(filter.Addr)) != 0)
        units.push_back(uint8_t(filter.Addr));
    for (auto it = index.ByAddress.begin(); units.empty() && it != index.ByAddress.end(); ++it)
        units.push_back(it->first);
    const int current = StringGrid1->currentIndex().column();
    const int col = current >= FirstChartCol && current <= LastChartCol ? current : FirstChartCol;
    TFrmDataChart chart(*FTable, index, units, col, this);
    chart.Prompts = Prompts;
    FChartOpen = true;
    RunChart(chart);
    FChartOpen = false;
    CheckMonthFile();
}

void TFrmDataLog::btnSetClick() {
    RunLogSetting(this);
}

void TFrmDataLog::btnDelClick() {
    RunDeleteMonth(this);
}

void TFrmDataLog::closeEvent(QCloseEvent* event) {
    // The work reads this window's table: it stops first, and the window
    // closes when it has.
    if (FWork->Busy()) {
        FWork->Cancel();
        FCloseWhenIdle = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TFrmDataLog::reject() {
    if (FWork->Busy()) {
        FWork->Cancel();
        FCloseWhenIdle = true;
        return;
    }
    QDialog::reject();
}

void TFrmDataLog::CloseIfAsked() {
    if (FCloseWhenIdle) {
        FCloseWhenIdle = false;
        QDialog::reject();
    }
}
