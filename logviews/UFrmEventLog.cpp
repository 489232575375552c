#include "logviews/UFrmEventLog.h"

#include "base/SharedFlags.h"
#include "config/CurrentText.h"
#include "config/UUserParaIni.h"
#include "logging/uEventLogClass.h"
#include "logviews/BackgroundWork.h"
#include "logviews/GridExport.h"
#include "logviews/LogGrid.h"
#include "logviews/LogTexts.h"
#include "logviews/SortDebugText.h"
#include "logviews/UFrmProgress.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDate>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

namespace {
enum { TimeAll = 0, TimeYear = 1, TimeMonth = 2, TimeDay = 3 };

} // namespace

TFrmEventLog::TFrmEventLog(TEventLog& eventLog, TfrmProgress& progress, QWidget* parent)
    : QWidget(parent, Qt::Window), FEventLog(eventLog), FProgress(progress),
      FWork(new TBackgroundWork(this)), FFilter(this, "rgTimeType", 4) {
    setObjectName("FrmEventLog");
    BuildControls();
    FFilter.SetMode(TimeMonth);
    TimeModeChanged();
    ApplyLanguage();
    FTable.Reset(UserPara.Language);
    StringGrid1->SetSource(&FTable);
    resize(760, 520);
    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    connect(Timer1, &QTimer::timeout, this, &TFrmEventLog::Timer1Timer);
    Timer1->start(RefreshInterval);
}

TFrmEventLog::~TFrmEventLog() {
    // The grid outlives the table (children go last) and may still be asked
    // for cells while it is taken down.
    StringGrid1->SetSource(nullptr);
}

void TFrmEventLog::BuildControls() {
    connect(FFilter.Buttons, &QButtonGroup::idClicked, this, [this] { TimeModeChanged(); });
    btnSearch = new QPushButton(this);
    btnSearch->setObjectName("btnSearch");
    btnRefresh = new QPushButton(this);
    btnRefresh->setObjectName("btnRefresh");
    btnExport = new QPushButton(this);
    btnExport->setObjectName("btnExport");
    btnClear = new QPushButton(this);
    btnClear->setObjectName("btnClear");
    connect(btnSearch, &QPushButton::clicked, this, &TFrmEventLog::btnSearchClick);
    connect(btnRefresh, &QPushButton::clicked, this, &TFrmEventLog::btnRefreshClick);
    connect(btnExport, &QPushButton::clicked, this, &TFrmEventLog::btnExportClick);
    connect(btnClear, &QPushButton::clicked, this, &TFrmEventLog::btnClearClick);

    lblSortDebug = new QLabel(this);
    lblSortDebug->setObjectName("lblSortDebug");
    lblSortDebug->hide();
    StringGrid1 = new TLogGrid(this);
    StringGrid1->setObjectName("StringGrid1");
    StringGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGrid1->horizontalHeader()->setStretchLastSection(true);
    connect(StringGrid1, &TLogGrid::HeaderClicked, this, &TFrmEventLog::SortByColumn);
    connect(StringGrid1, &QAbstractItemView::clicked, this,
            [this](const QModelIndex& index) { FSelRow = index.row() + 1; });

    auto* dates = new QHBoxLayout;
    FFilter.AddDateRow(dates);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {btnSearch, btnRefresh, btnExport, btnClear})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(lblSortDebug);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FFilter.Group);
    layout->addLayout(dates);
    layout->addLayout(buttons);
    layout->addWidget(StringGrid1, 1);
}

void TFrmEventLog::ApplyLanguage() {
    setWindowTitle(CurrentText(EventLogCaption));
    FFilter.ApplyLanguage(EventSearchTypeText, EventTimeItemTexts);
    btnSearch->setText(CurrentText(SearchButtonText));
    btnRefresh->setText(CurrentText(RefreshButtonText));
    btnExport->setText(CurrentText(ExportButtonText));
    btnClear->setText(CurrentText(ClearDatabaseText));
}

void TFrmEventLog::FollowLanguage() {
    if (!isVisible())
        return;
    ApplyLanguage();
    Load();
}

void TFrmEventLog::TimeModeChanged() {
    const int mode = FFilter.Mode();
    FFilter.seYear->setEnabled(mode >= TimeYear);
    FFilter.seMonth->setEnabled(mode >= TimeMonth);
    FFilter.seDay->setEnabled(mode >= TimeDay);
}

void TFrmEventLog::ShowInFront(const QWidget* centreOn) {
    if (!FPlaced && centreOn != nullptr) {
        move(centreOn->geometry().center() - rect().center());
        FPlaced = true;
    }
    show();
    setWindowState(windowState() & ~Qt::WindowMinimized);
    raise();
    activateWindow();
}

void TFrmEventLog::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // A window restored from the task bar keeps what the user set.
    if (event->spontaneous())
        return;
    ApplyLanguage();
    FFilter.SetToday();
    Load();
}

TEventFilter TFrmEventLog::Filter() const {
    const int mode = FFilter.Mode();
    TEventFilter f;
    f.Year = mode >= TimeYear ? uint16_t(FFilter.seYear->value()) : 0;
    f.Month = mode >= TimeMonth ? uint16_t(FFilter.seMonth->value()) : 0;
    f.Day = mode >= TimeDay ? uint16_t(FFilter.seDay->value()) : 0;
    f.Addr = FFilter.cbAddress->isChecked() ? uint16_t(FFilter.seAddress->value()) : 0;
    return f;
}

void TFrmEventLog::Load() {
    FTable.Reset(UserPara.Language);
    StringGrid1->Reload();
    try {
        (void)FEventLog.RecordCount(); // makes the live file when it is missing
    } catch (const std::exception& e) {
        Prompts.Tell(this, QString::fromUtf8(e.what()));
        return;
    }
    if (!FTable.Load(FEventLog.FullPath(), Filter(), UserPara.Language)) {
        StringGrid1->Reload();
        return;
    }
    ApplySort();
    StringGrid1->FitColumns(60, {"00000", "0000-00-00 00:00:00", "000"});
    if (FSelRow > 0)
        StringGrid1->MoveCursorTo(int(std::min<int64_t>(FSelRow, FTable.RowCount()) - 1));
}

void TFrmEventLog::ApplySort() {
    FTable.Sort(FSortCol, FSortDir == 1);
    StringGrid1->Reload();
    StringGrid1->ShowSortArrow(FSortCol, FSortDir == 1);
    lblSortDebug->setVisible(DebugShow);
    lblSortDebug->setText(SortDebugText(FSortCol, FSortDir));
}

void TFrmEventLog::SortByColumn(int col) {
    if (FWork->Busy() || col < 0 || col >= FTable.ColumnCount())
        return;
    if (col == FSortCol)
        FSortDir = FSortDir == 0 ? 1 : 0;
    else
        FSortCol = uint8_t(col);
    ApplySort();
}

void TFrmEventLog::Timer1Timer() {
    // An export reads the table: it is not reloaded under it.
    if (FEventLog.Changed == 0 || FWork->Busy())
        return;
    FEventLog.Changed = 0;
    FSelRow = 1;
    FSortDir = 0;
    Load();
}

void TFrmEventLog::btnSearchClick() {
    Load();
}

void TFrmEventLog::btnRefreshClick() {
    ApplySort();
}

void TFrmEventLog::btnExportClick() {
    if (!FWork->Busy())
        ExportGridToCsv(this, FTable, FProgress, *FWork, Prompts);
}

void TFrmEventLog::btnClearClick() {
    if (!Prompts.Ask(this, CurrentText(ClearQuestionText), CurrentText(ClearQuestionCaption)))
        return;
    try {
        FEventLog.Clear();
    } catch (const std::exception& e) {
        Prompts.Tell(this, QString::fromUtf8(e.what()));
        return;
    }
    FTable.Reset(UserPara.Language);
    StringGrid1->Reload();
}
