// The main window's log commands: the menu items and tool buttons open the
// event viewer (made once, kept), the data viewer and the log setting dialog.

#include "app/UFrmMain.h"
#include "base/ProgramFolder.h"
#include "config/UUserParaIni.h"
#include "logviews/LogGrid.h"
#include "logviews/UFrmEventLog.h"
#include "tests/support/TempFolder.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

class TestFrmMainLogs : public QObject {
    Q_OBJECT
    std::unique_ptr<TTempFolder> Folder;
    std::unique_ptr<TFrmMain> Win;

    QAction* Action(const char* name) { return Win->findChild<QAction*>(name); }

    // Triggers the action and returns the object name of the modal dialog it
    // opened, after `answer` has closed it.
    QString ModalOf(const char* action, const std::function<void(QDialog*)>& answer) {
        QString name;
        // Until the dialog is up: it is shown after its constructor has run.
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr || !dialog->isVisible())
                return;
            poll.stop();
            name = dialog->objectName();
            answer(dialog);
        });
        poll.start(0);
        Action(action)->trigger();
        return name;
    }

private slots:
    void init() {
        Folder = std::make_unique<TTempFolder>();
        SetProgramFolder(Folder->Path());
        Win = std::make_unique<TFrmMain>();
        Win->Prompts.Ask = [](QWidget*, const QString&) { return true; };
    }
    void cleanup() {
        Win.reset();
        Folder.reset();
    }

    void eventLogCommandsShowOneViewer() {
        QVERIFY(Win->FrmEventLog() == nullptr);
        Action("mni201")->trigger();
        TFrmEventLog* viewer = Win->FrmEventLog();
        QVERIFY(viewer != nullptr);
        QVERIFY(viewer->isVisible());
        viewer->close();
        QVERIFY(!viewer->isVisible());
        Action("ToolButton4")->trigger();
        QCOMPARE(Win->FrmEventLog(), viewer);
        QVERIFY(viewer->isVisible());
    }

    // An open viewer follows a language switch at once, search buttons and
    // column titles included; the language menu needs no reopening of it.
    void languageSwitchRetitlesTheOpenEventLog() {
        Action("mni201")->trigger();
        TFrmEventLog* viewer = Win->FrmEventLog();
        QCOMPARE(viewer->windowTitle(), QString("Event Log"));
        Action("mni401")->trigger();
        QCOMPARE(viewer->windowTitle(), QString("事件日志"));
        const QAbstractItemModel* rows = viewer->Grid().model();
        QCOMPARE(rows->headerData(1, Qt::Horizontal).toString(), QString("时间"));
        Action("mni402")->trigger();
        QCOMPARE(viewer->windowTitle(), QString("Event Log"));
        QCOMPARE(rows->headerData(1, Qt::Horizontal).toString(), QString("Time"));
    }

    void dataLogCommandsOpenTheModalViewer() {
        for (const char* action : {"mni202", "ToolButton5"})
            QCOMPARE(ModalOf(action, [](QDialog* d) { d->reject(); }), QString("FrmDataLog"));
    }

    void logSettingCommandsRestartTheSampling() {
        for (const char* action : {"mni203", "ToolButton8"}) {
            int restarts = 0;
            Win->RestartDataLogRound = [&restarts] { ++restarts; };
            UserPara.RecInterval = 0;
            const QString name =
                ModalOf(action, [](QDialog* d) { d->findChild<QPushButton*>("btnOK")->click(); });
            QCOMPARE(name, QString("FrmDataLogSet"));
            QCOMPARE(restarts, 1);
            QCOMPARE(UserPara.RecInterval, 0);
        }
    }
};

QTEST_MAIN(TestFrmMainLogs)
#include "test_frmmain_logs.moc"
