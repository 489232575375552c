#include "comm/TraceView.h"

#include "base/SharedFlags.h"
#include "base/funcUnit.h"
#include "comm/BusHealthTable.h"
#include "comm/BusHealthText.h"
#include "comm/DebugValue.h"
#include "comm/TraceText.h"
#include "config/UUserParaIni.h"
#include "protocol/EngineState.h"
#include "ui/GridKeys.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableWidget>
#include <QTextDocument>

namespace {

constexpr int GridRowHeight = 18;
constexpr int MaxDebugStart = 9000;

QPlainTextEdit* NewMemo(QWidget* parent, const char* name) {
    auto* memo = new QPlainTextEdit(parent);
    memo->setObjectName(name);
    memo->setReadOnly(true);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    return memo;
}

QCheckBox* NewAsciiBox(QWidget* parent, const char* name) {
    auto* box = new QCheckBox(QStringLiteral("ASCII"), parent);
    box->setObjectName(name);
    box->setChecked(true);
    return box;
}

} // namespace

TTraceView::TTraceView(TPollEngine& engine, QWidget* parent) : QWidget(parent), FEngine(engine) {
    setObjectName("TraceView");
    MemoRx = NewMemo(this, "MemoRx");
    MemoTx = NewMemo(this, "MemoTx");
    MemoRx->viewport()->installEventFilter(this);
    FRxEcho.Memo = MemoRx;
    FTxEcho.Memo = MemoTx;
    MemoTx->viewport()->installEventFilter(this);

    auto* left = new QVBoxLayout;
    left->addWidget(BuildReceiveRow());
    left->addWidget(MemoRx, 1);
    left->addWidget(BuildSendRow());
    left->addWidget(MemoTx, 1);
    left->addWidget(BuildManualRow());
    lblBusCycle = new QLabel(QStringLiteral("Bus health"), this);
    lblBusCycle->setObjectName("lblBusCycle");
    grdBusHealth = new TBusHealthTable(this);
    grdBusHealth->setMinimumHeight(110);
    left->addWidget(lblBusCycle);
    left->addWidget(grdBusHealth, 1);
    BuildDebugGrid();
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addLayout(left, 1);
    layout->addWidget(strGrdDbg);
}

QWidget* TTraceView::BuildReceiveRow() {
    auto* row = new QWidget(this);
    Label2 = new QLabel(QStringLiteral("Accept:"), row);
    checkbox1 = NewAsciiBox(row, "checkbox1");
    lb_CommInfo = new QLabel(row);
    lb_CommInfo->setObjectName("lb_CommInfo");
    lb_CommErr = new QLabel(row);
    lb_CommErr->setObjectName("lb_CommErr");
    lb_CommErr->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    btnClrRx = new QPushButton(QStringLiteral("Clear"), row);
    btnClrRx->setObjectName("btnClrRx");
    connect(btnClrRx, &QPushButton::clicked, this, &TTraceView::btnClrRxClick);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Label2);
    layout->addWidget(checkbox1);
    layout->addSpacing(12);
    layout->addWidget(lb_CommInfo);
    layout->addWidget(lb_CommErr, 1);
    layout->addWidget(btnClrRx);
    return row;
}

QWidget* TTraceView::BuildSendRow() {
    auto* row = new QWidget(this);
    Label3 = new QLabel(QStringLiteral("Send:"), row);
    CheckBox2 = NewAsciiBox(row, "CheckBox2");
    Label4 = new QLabel(QStringLiteral("Resend\uFF1A"), row);
    edtReCnt = new QLineEdit(row);
    edtReCnt->setObjectName("edtReCnt");
    edtReCnt->setReadOnly(true);
    edtReCnt->setFixedWidth(40);
    edtRecDly = new QLineEdit(QStringLiteral("edtRecDly"), row);
    edtRecDly->setObjectName("edtRecDly");
    edtRecDly->setFixedWidth(80);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Label3);
    layout->addWidget(CheckBox2);
    layout->addStretch(1);
    layout->addWidget(Label4);
    layout->addWidget(edtReCnt);
    layout->addWidget(edtRecDly);
    return row;
}

QWidget* TTraceView::BuildManualRow() {
    auto* row = new QWidget(this);
    auto* rgSendMode = new QGroupBox(QStringLiteral("Send Mode"), row);
    rgSendMode->setObjectName("rgSendMode");
    rbAuto = new QRadioButton(QStringLiteral("Auto"), rgSendMode);
    rbAuto->setObjectName("rbAuto");
    rbManual = new QRadioButton(QStringLiteral("Manual"), rgSendMode);
    rbManual->setObjectName("rbManual");
    rbAuto->setChecked(true);
    auto* modes = new QButtonGroup(rgSendMode);
    modes->addButton(rbAuto);
    modes->addButton(rbManual);
    connect(modes, &QButtonGroup::buttonClicked, this, &TTraceView::rgSendModeClick);
    auto* modeLayout = new QHBoxLayout(rgSendMode);
    modeLayout->addWidget(rbAuto);
    modeLayout->addWidget(rbManual);

    edtTx = new QLineEdit(row);
    edtTx->setObjectName("edtTx");
    edtTx->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    btnMSend = new QPushButton(QStringLiteral("Send"), row);
    btnMSend->setObjectName("btnMSend");
    connect(btnMSend, &QPushButton::clicked, this, &TTraceView::btnMSendClick);
    chkDbgShow = new QCheckBox(QStringLiteral("Debug show"), row);
    chkDbgShow->setObjectName("chkDbgShow");
    connect(chkDbgShow, &QCheckBox::clicked, this, &TTraceView::chkDbgShowClick);
    chkHex = new QCheckBox(QStringLiteral("Hex"), row);
    chkHex->setObjectName("chkHex");
    medtAddr = new QSpinBox(row);
    medtAddr->setObjectName("medtAddr");
    medtAddr->setRange(0, MaxDebugStart);
    medtAddr->setValue(0);

    auto* checks = new QVBoxLayout;
    checks->addWidget(chkDbgShow);
    auto* hexRow = new QHBoxLayout;
    hexRow->addWidget(chkHex);
    hexRow->addWidget(medtAddr);
    checks->addLayout(hexRow);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(rgSendMode);
    layout->addWidget(edtTx, 1);
    layout->addWidget(btnMSend);
    layout->addSpacing(8);
    layout->addLayout(checks);
    return row;
}

void TTraceView::BuildDebugGrid() {
    strGrdDbg = new QTableWidget(DebugRows + 1, 2, this);
    strGrdDbg->setObjectName("strGrdDbg");
    strGrdDbg->horizontalHeader()->hide();
    strGrdDbg->verticalHeader()->hide();
    strGrdDbg->verticalHeader()->setDefaultSectionSize(GridRowHeight);
    strGrdDbg->setEditTriggers(QAbstractItemView::NoEditTriggers);
    LetTabLeaveGrid(strGrdDbg);
    strGrdDbg->setColumnWidth(0, 60);
    strGrdDbg->setColumnWidth(1, 100);
    strGrdDbg->setFixedWidth(60 + 100 + strGrdDbg->verticalScrollBar()->sizeHint().width() +
                             2 * strGrdDbg->frameWidth());
    strGrdDbg->viewport()->installEventFilter(this);
    // The fixed row and column look like headings.
    const QBrush fixed = palette().button();
    for (int r = 0; r <= DebugRows; ++r) {
        for (int c = 0; c < 2; ++c) {
            auto* item = new QTableWidgetItem;
            if (r == 0 || c == 0)
                item->setBackground(fixed);
            strGrdDbg->setItem(r, c, item);
        }
    }
}

void TTraceView::SetCell(QTableWidget* grid, int row, int column, const QString& text) {
    QTableWidgetItem* item = grid->item(row, column);
    if (item->text() != text) // a refresh every 100 ms repaints only what changed
        item->setText(text);
}

void TTraceView::Echo(TEchoBatch& batch, const QCheckBox* ascii, const uint8_t* bytes, int length) {
    // The memo is emptied before a line beyond MemoLineLimit: counted over
    // what it shows and what waits, so a batch ends as line-by-line would.
    const QTextDocument* doc = batch.Memo->document();
    const int shown = batch.ClearFirst || doc->isEmpty() ? 0 : doc->blockCount();
    if (shown + batch.Lines.size() > MemoLineLimit) {
        batch.ClearFirst = true;
        batch.Lines.clear();
    }
    QString line = QString::fromLatin1(EchoLine(bytes, length, ascii->isChecked()));
    // A carriage return ends no line on the screen; a line feed does.
    line.remove(QLatin1Char('\r'));
    batch.Lines.append(std::move(line));
}

void TTraceView::Flush(TEchoBatch& batch) {
    if (batch.ClearFirst)
        batch.Memo->clear();
    if (!batch.Lines.isEmpty())
        batch.Memo->appendPlainText(batch.Lines.join(QLatin1Char('\n')));
    batch.Lines.clear();
    batch.ClearFirst = false;
}

void TTraceView::ClearMemo(TEchoBatch& batch) {
    batch.Lines.clear();
    batch.ClearFirst = false;
    batch.Memo->clear();
}

void TTraceView::FlushEcho() {
    Flush(FRxEcho);
    Flush(FTxEcho);
    FRefreshesToFlush = EchoFlushRefreshes;
}

void TTraceView::EchoReceived(const uint8_t* bytes, int length) {
    Echo(FRxEcho, checkbox1, bytes, length);
}

void TTraceView::EchoSent(const uint8_t* bytes, int length) {
    Echo(FTxEcho, CheckBox2, bytes, length);
}

void TTraceView::RefreshTrace() {
    if (--FRefreshesToFlush <= 0)
        FlushEcho();
    const int start = medtAddr->value();
    const bool hex = chkHex->isChecked();
    for (int i = 0; i < DebugRows; ++i) {
        const int number = start + i;
        SetCell(strGrdDbg, i + 1, 0, QString::number(number));
        SetCell(strGrdDbg, i + 1, 1,
                QString::fromStdString(DebugCellText(DebugValue(FEngine, uint16_t(number)), hex)));
    }
    ShowCounters();
    const int64_t now = FEngine.Clock();
    grdBusHealth->Refresh(now);
    const std::string cycle = BusCycleStatus(BusHealth, 0);
    lblBusCycle->setText(
        QStringLiteral("Bus health") +
        (cycle.empty() ? QString() : QStringLiteral(" - ") + QString::fromStdString(cycle)));
}

void TTraceView::ShowCounters() {
    RefreshRatePct();
    lb_CommInfo->setText(QString::fromStdString(CommInfoLine()));
    lb_CommErr->setText(QString::fromStdString(CommErrLine()));
    edtReCnt->setText(QString::number(FEngine.SendTries));
}

void TTraceView::ShowRecCountdown(int32_t ticks) {
    // Called at every tick; a hidden window lays out no text (FormShow
    // brings the figure up to date).
    if (!isVisible())
        return;
    const QString text = QString::number(ticks);
    if (edtRecDly->text() != text)
        edtRecDly->setText(text);
}

void TTraceView::FormShow() {
    FEngine.TraceVisible = true;
    edtRecDly->setText(QString::number(FEngine.RecCountdown));
    chkDbgShow->setChecked(DebugShow);
}

void TTraceView::FormClose() {
    FEngine.TraceVisible = false;
    FlushEcho();
    rbAuto->setChecked(true);
    rgSendModeClick();
}

void TTraceView::FormActivate() {
    // Modbus and VEX frames are binary: show them as hex bytes.
    const uint8_t protocol = UserPara.PortInfo.Protocol;
    if (protocol == 2 || protocol == 3) {
        checkbox1->setChecked(true);
        CheckBox2->setChecked(true);
    }
}

void TTraceView::rgSendModeClick() {
    const bool manual = rbManual->isChecked();
    ManualSendMode = manual ? 255 : 0;
    edtTx->setEnabled(manual);
    btnMSend->setEnabled(manual);
}

void TTraceView::btnMSendClick() {
    const std::vector<uint8_t> bytes = HexTextToBytes(edtTx->text().toStdString());
    if (!FEngine.SendManualFrame(bytes.data(), bytes.size())) {
        QMessageBox::warning(this, QStringLiteral("Trace"),
                             QStringLiteral("The frame has %1 bytes; at most %2 can be sent.")
                                 .arg(bytes.size())
                                 .arg(TxBuffer.size()));
    }
}

void TTraceView::btnClrRxClick() {
    ClearMemo(FRxEcho);
    CommDebug.TxFrames = 0;
    CommDebug.RxFrames = 0;
    CommDebug.RxGood = 0;
    for (int i = 0; i <= ErrChecksum; ++i)
        CommDebug.ErrCnt[std::size_t(i)] = 0;
    ShowCounters();
}

void TTraceView::strGrdDbgDblClick() {
    DbgVal = {};
    DbgCnt = {};
}

void TTraceView::chkDbgShowClick() {
    DebugShow = chkDbgShow->isChecked();
}

void TTraceView::MemoTxDblClick() {
    ClearMemo(FTxEcho);
}

void TTraceView::MemoRxDblClick() {
    ClearMemo(FRxEcho);
}

bool TTraceView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (watched == MemoRx->viewport()) {
            MemoRxDblClick();
            return true;
        }
        if (watched == MemoTx->viewport()) {
            MemoTxDblClick();
            return true;
        }
        if (watched == strGrdDbg->viewport()) {
            strGrdDbgDblClick();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
