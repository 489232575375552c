#include "app/DeskAlerts.h"

#include "app/TrayPicture.h"
#include "config/CurrentText.h"
#include "config/ProtocolModel.h"
#include "config/UUserParaIni.h"
#include "ui/BeatTimer.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QMainWindow>
#include <QMenu>
#include <QTimer>

namespace {
constexpr TTextPair TxtShowWindow{"显示窗口", "Show window"};
constexpr TTextPair TxtHideWindow{"隐藏窗口", "Hide window"};
constexpr TTextPair TxtMute{"静音通知一小时", "Mute notifications for an hour"};
constexpr TTextPair TxtUnmute{"取消静音", "Unmute notifications"};
constexpr TTextPair TxtExit{"退出", "Exit"};
constexpr TTextPair TxtMutedUntil{"通知已静音至 ", "Notifications muted until "};
constexpr TTextPair TxtCommandFailed{"事件命令: ", "Event command: "};
constexpr int RefreshMs = 1000;
} // namespace

TDeskAlerts::TDeskAlerts(TDeskFeed& feed, QMainWindow& window, const std::string& commandLogPath)
    : FFeed(feed), FWindow(window), FNotifier(std::make_unique<TDesktopNotifier>()),
      FWorker(std::make_unique<TNotifyWorker>(feed, ProtocolModelName(UserPara.PortInfo.Protocol),
                                              commandLogPath)) {
    TDesktopNotifier* notifier = FNotifier.get();
    FWorker->ShowNote = [notifier](const TDesktopNote& note) { notifier->Post(note); };
    FTray = new QSystemTrayIcon(this);
    BuildMenu();
    Refresh();
    FWorker->Start();
    FTray->show();
    FWindow.installEventFilter(this);
    FRefresh = new TBeatTimer(this, RefreshMs);
    connect(FRefresh, &TBeatTimer::Timeout, this, &TDeskAlerts::Refresh);
    FRefresh->Start();
}

TDeskAlerts::~TDeskAlerts() {
    FWindow.removeEventFilter(this);
    // The worker's thread ends before the notifier it posts to.
    FWorker.reset();
}

void TDeskAlerts::Finish() {
    FRefresh->Stop();
    FTray->hide();
    FWorker->Finish();
}

void TDeskAlerts::BuildMenu() {
    FMenu = std::make_unique<QMenu>();
    FShowAction = FMenu->addAction(QString(), this, &TDeskAlerts::ToggleWindow);
    FMuteAction = FMenu->addAction(QString(), this, [this] {
        if (FWorker->Muted()) {
            FWorker->Unmute();
        } else {
            FWorker->MuteForAnHour();
            FNotifier->CloseAll();
        }
        Refresh();
    });
    FMenu->addSeparator();
    FExitAction = FMenu->addAction(QString(), this, [this] {
        // The window's own exit: its question, then its exit sequence.
        FClosing = true;
        FWindow.showNormal();
        FWindow.raise();
        if (!FWindow.close())
            FClosing = false;
    });
    connect(FMenu.get(), &QMenu::aboutToShow, this, &TDeskAlerts::SetCaptions);
    FTray->setContextMenu(FMenu.get());
    connect(FTray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r == QSystemTrayIcon::Trigger)
            ToggleWindow();
    });
}

void TDeskAlerts::SetCaptions() {
    const bool shown = FWindow.isVisible() && !FWindow.isMinimized();
    FShowAction->setText(CurrentText(shown ? TxtHideWindow : TxtShowWindow));
    FMuteAction->setText(CurrentText(FWorker->Muted() ? TxtUnmute : TxtMute));
    FExitAction->setText(CurrentText(TxtExit));
}

void TDeskAlerts::Refresh() {
    if (NotifyPara != FApplied || UserPara.Language != FAppliedLanguage) {
        FApplied = NotifyPara;
        FAppliedLanguage = UserPara.Language;
        FWorker->Apply(FApplied, FAppliedLanguage);
    }
    const TBusSummary summary = SummarizeBus(*FFeed.Snapshots.Current());
    if (summary.Worst != FShown || FTray->icon().isNull()) {
        FShown = summary.Worst;
        FTray->setIcon(TrayPicture(FShown));
    }
    QString tip = QString::fromStdString(BusSummaryText(summary, UserPara.Language));
    if (FWorker->Muted())
        tip += "\n" + CurrentText(TxtMutedUntil) +
               QLocale().toString(QTime::currentTime().addMSecs(FWorker->MutedForMs()),
                                  QLocale::ShortFormat);
    if (const std::string failure = FWorker->CommandFailure(); !failure.empty())
        tip += "\n" + CurrentText(TxtCommandFailed) + QString::fromStdString(failure);
    FTray->setToolTip(tip);
    SetCaptions();
}

void TDeskAlerts::ToggleWindow() {
    if (FWindow.isVisible() && !FWindow.isMinimized()) {
        FWindow.hide();
        return;
    }
    FWindow.showNormal();
    FWindow.raise();
    FWindow.activateWindow();
}

bool TDeskAlerts::HidesToTray() const {
    return !FClosing && NotifyPara.CloseToTray && FTray->isVisible() &&
           QSystemTrayIcon::isSystemTrayAvailable();
}

bool TDeskAlerts::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &FWindow && HidesToTray()) {
        if (event->type() == QEvent::Close) {
            FWindow.hide();
            event->ignore();
            return true;
        }
        if (event->type() == QEvent::WindowStateChange && FWindow.isMinimized())
            QTimer::singleShot(0, &FWindow, [this] { FWindow.hide(); });
    }
    return QObject::eventFilter(watched, event);
}
