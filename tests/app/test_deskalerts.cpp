// The monitor's alarms on a desktop without a tray (the offscreen platform):
// the tool tip follows the line, a muted hour and a failing event command;
// closing the window is never turned into hiding it where no tray could
// bring it back.

#include "app/DeskAlerts.h"
#include "config/NotifySettings.h"
#include "config/UUserParaIni.h"
#include "record/EquipList.h"
#include "tests/comm/EngineRig.h"

#include <QMainWindow>
#include <QSystemTrayIcon>
#include <QTest>

class TestDeskAlerts : public QObject {
    Q_OBJECT

    std::unique_ptr<TEngineRig> FRig;
    std::unique_ptr<TDeskFeed> FFeed;

private slots:
    void initTestCase() {
        // Notifications go nowhere, never to the desktop the test runs on.
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus");
    }
    void init() {
        UserPara = {};
        NotifyPara = {};
        FRig = std::make_unique<TEngineRig>();
        QVERIFY(AppendEquip({0, 3, "UPS 3"}));
        FFeed = std::make_unique<TDeskFeed>(FRig->Engine, FRig->Events);
    }
    void cleanup() {
        FFeed.reset();
        FRig.reset();
    }

    void theToolTipTellsTheLineTheMuteAndTheFailingCommand() {
        QMainWindow window;
        TDeskAlerts alerts(*FFeed, window, FRig->Folder.Path() + "EventCommand.log");
        QCOMPARE(alerts.ToolTip(), QString("Port closed: 1 unit not polled"));
        QCOMPARE(alerts.Shown(), TBusState::PortClosed);

        UserPara.Language = 1;
        alerts.Refresh();
        QCOMPARE(alerts.ToolTip(), QString::fromUtf8("串口已关闭：1 台 UPS 未轮询"));

        UserPara.Language = 0;
        alerts.Worker().MuteForAnHour();
        alerts.Refresh();
        QVERIFY2(alerts.ToolTip().contains("\nNotifications muted until "),
                 qPrintable(alerts.ToolTip()));

        // A new setting is taken at the next refresh, without a restart.
        NotifyPara.Command = FRig->Folder.Path() + "missing.sh";
        alerts.Refresh();
        FRig->Events.LogSystemEvent(SysEvtPortLost);
        QTRY_VERIFY_WITH_TIMEOUT((alerts.Refresh(), alerts.ToolTip().contains(
                                                        "\nEvent command: cannot start " +
                                                        QString::fromStdString(NotifyPara.Command) +
                                                        ": does not exist")),
                                 10000);
    }

    void withoutATrayClosingCloses() {
        QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
        NotifyPara.CloseToTray = true;
        QMainWindow window;
        TDeskAlerts alerts(*FFeed, window, FRig->Folder.Path() + "EventCommand.log");
        window.show();
        QVERIFY(window.close());
        QVERIFY(!window.isVisible());
    }
};

QTEST_MAIN(TestDeskAlerts)
#include "test_deskalerts.moc"
