#pragma once
// The monitor's alarms: the notification worker on the feed (event command,
// gathered notifications), the desktop's notification service, and the tray
// icon with the worst state of the line, its tool tip and menu (show/hide,
// mute for an hour, exit). It follows the settings and the language once a
// second. Without a tray on the desktop the icon is simply not seen and the
// window is never hidden into it; notifications go on all the same.

#include "feed/DeskFeed.h"
#include "notify/BusSummary.h"
#include "notify/DesktopNotifier.h"
#include "notify/NotifyWorker.h"

#include <QObject>
#include <QSystemTrayIcon>

#include <memory>

class QAction;
class QMainWindow;
class QMenu;
class TBeatTimer;

class TDeskAlerts : public QObject {
    Q_OBJECT
public:
    // `window` is shown, hidden and closed by the tray; `commandLogPath` is
    // the event command's log. Both `feed` and `window` must outlive this.
    TDeskAlerts(TDeskFeed& feed, QMainWindow& window, const std::string& commandLogPath);
    ~TDeskAlerts() override;

    // The session is ending or the tray's Exit was chosen: the window's close
    // goes through to its exit sequence from now on.
    Q_SLOT void AllowClose() { FClosing = true; }
    // The program's end, its end event logged: the tray goes, and the event
    // command has its short grace (TNotifyWorker::Finish) with nothing shown.
    void Finish();
    // Reads the settings, the language and the line's state now.
    void Refresh();

    [[nodiscard]] QString ToolTip() const { return FTray->toolTip(); }
    [[nodiscard]] TBusState Shown() const { return FShown; }
    [[nodiscard]] TNotifyWorker& Worker() { return *FWorker; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildMenu();
    void SetCaptions();
    void ToggleWindow();
    [[nodiscard]] bool HidesToTray() const;

    TDeskFeed& FFeed;
    QMainWindow& FWindow;
    std::unique_ptr<TDesktopNotifier> FNotifier;
    std::unique_ptr<TNotifyWorker> FWorker;
    QSystemTrayIcon* FTray = nullptr;
    std::unique_ptr<QMenu> FMenu;
    QAction* FShowAction = nullptr;
    QAction* FMuteAction = nullptr;
    QAction* FExitAction = nullptr;
    TBeatTimer* FRefresh = nullptr;
    TNotifySettings FApplied;
    uint8_t FAppliedLanguage = 255;
    TBusState FShown = TBusState::Normal;
    bool FClosing = false;
};
