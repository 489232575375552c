#pragma once
// The contents of the trace window: the frames received and sent (hex bytes
// or characters), the statistics and rejected-reply counters, the
// transmissions of the current request, the data-log countdown, the grid of
// diagnostic values, the bus health per address and the bus cycle, and
// manual sending. English only.
//
// The poll engine echoes frames and asks for a refresh only while the window
// is shown (TraceVisible); the countdown is shown on every tick.

#include "comm/PollEngine.h"

#include <QWidget>

class QCheckBox;
class TBusHealthTable;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTableWidget;

class TTraceView : public QWidget, public TTraceSink {
    Q_OBJECT
public:
    static constexpr int MemoLineLimit = 400; // a memo past this is cleared first
    static constexpr int DebugRows = 100;
    // Echoed lines wait for every third refresh (some three repaints a
    // second): a line spewing garbage must not cost a repaint per chunk.
    static constexpr int EchoFlushRefreshes = 3;

    TTraceView(TPollEngine& engine, QWidget* parent);

    // TTraceSink
    void EchoReceived(const uint8_t* bytes, int length) override;
    void EchoSent(const uint8_t* bytes, int length) override;
    void RefreshTrace() override;
    void ShowRecCountdown(int32_t ticks) override;

    // The window was shown, hidden or activated.
    void FormShow();
    void FormClose();
    void FormActivate();

public slots:
    void btnClrRxClick();
    void rgSendModeClick();
    void btnMSendClick();
    void strGrdDbgDblClick();
    void chkDbgShowClick();
    void MemoTxDblClick();
    void MemoRxDblClick();
    // Puts the echoed lines still waiting into their memos.
    void FlushEcho();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    [[nodiscard]] QWidget* BuildReceiveRow();
    [[nodiscard]] QWidget* BuildSendRow();
    [[nodiscard]] QWidget* BuildManualRow();
    void BuildDebugGrid();
    void ShowCounters();
    // The lines a memo is to show at the next flush; ClearFirst when the
    // line cap emptied it meanwhile.
    struct TEchoBatch {
        QPlainTextEdit* Memo = nullptr;
        QStringList Lines;
        bool ClearFirst = false;
    };
    static void Echo(TEchoBatch& batch, const QCheckBox* ascii, const uint8_t* bytes, int length);
    static void Flush(TEchoBatch& batch);
    static void ClearMemo(TEchoBatch& batch);
    static void SetCell(QTableWidget* grid, int row, int column, const QString& text);

    TPollEngine& FEngine;
    TEchoBatch FRxEcho;
    TEchoBatch FTxEcho;
    int FRefreshesToFlush = EchoFlushRefreshes;

    QLabel* Label2 = nullptr;
    QCheckBox* checkbox1 = nullptr;
    QLabel* lb_CommInfo = nullptr;
    QLabel* lb_CommErr = nullptr;
    QPushButton* btnClrRx = nullptr;
    QPlainTextEdit* MemoRx = nullptr;
    QLabel* Label3 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* edtReCnt = nullptr;
    QLineEdit* edtRecDly = nullptr;
    QPlainTextEdit* MemoTx = nullptr;
    QRadioButton* rbAuto = nullptr;
    QRadioButton* rbManual = nullptr;
    QLineEdit* edtTx = nullptr;
    QPushButton* btnMSend = nullptr;
    QCheckBox* chkDbgShow = nullptr;
    QCheckBox* chkHex = nullptr;
    QSpinBox* medtAddr = nullptr;
    QTableWidget* strGrdDbg = nullptr;
    QLabel* lblBusCycle = nullptr;
    TBusHealthTable* grdBusHealth = nullptr;
};
