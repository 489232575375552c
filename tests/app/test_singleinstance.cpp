// Real pelmora-desk processes: the second start asks the first to come to
// the front and ends without creating anything; a socket left behind by a
// killed instance does not keep the next one from starting; SIGTERM ends an
// instance with its settings saved, also while the port error box of the
// start-up is open. Each process runs from its own copy of
// the executable, and TMPDIR keeps the instance socket away from any
// instance the user is running.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>
#include <unistd.h>

namespace {
constexpr int StartDeadlineMs = 10000;
const QString DefaultDisplay = QStringLiteral(":91");
constexpr int EventRecordSize = 48;
constexpr int EventCodeOffset = 12;
const QByteArray RaisedNotice = "raised by a second start";
} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> FDir;
    std::vector<std::unique_ptr<QProcess>> FProcesses;

    QString SocketPath(const QString& display = DefaultDisplay) const {
        return FDir->path() + QStringLiteral("/tmp/Pelmora Desk-%1-%2").arg(getuid()).arg(display);
    }

    // A copy of the executable in a folder of its own, as a user would run it.
    QString CopyProgram(const QString& folderName) {
        const QString folder = FDir->path() + "/" + folderName;
        QDir().mkpath(folder);
        const QString exe = folder + "/pelmora-desk";
        if (!QFile::copy(PELMORA_DESK_EXE, exe))
            qFatal("cannot copy the executable");
        return folder;
    }

    QProcess& Start(const QString& folder, const QString& display = DefaultDisplay) {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.remove("WAYLAND_DISPLAY");
        env.insert("DISPLAY", display); // offscreen draws nowhere; it names the desktop
        env.insert("TMPDIR", FDir->path() + "/tmp");
        process->setProcessEnvironment(env);
        process->setWorkingDirectory(folder);
        process->start(folder + "/pelmora-desk", {});
        if (!process->waitForStarted(StartDeadlineMs))
            qFatal("pelmora-desk did not start");
        FProcesses.push_back(std::move(process));
        return *FProcesses.back();
    }

    // Started and answering later starts once its socket is there and its
    // window exists (Record/ is made by the main window).
    void WaitUntilRunning(const QString& folder, const QString& display = DefaultDisplay) {
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(SocketPath(display)), StartDeadlineMs);
        QTRY_VERIFY_WITH_TIMEOUT(QDir(folder + "/Record").exists(), StartDeadlineMs);
    }

    void ExpectRedirected(const QString& folder, QProcess& first,
                          const QString& display = DefaultDisplay) {
        QProcess& second = Start(folder, display);
        QVERIFY(second.waitForFinished(StartDeadlineMs));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        // No main window was made: it would have created its folders.
        QVERIFY(!QDir(folder + "/Record").exists());
        QVERIFY(!QFile::exists(folder + "/UserParaIni.ini"));
        // Collected across polls: the notice may come in a later read.
        QByteArray output;
        QTRY_VERIFY_WITH_TIMEOUT((output += first.readAllStandardError()).contains(RaisedNotice),
                                 StartDeadlineMs);
    }

private slots:
    void init() {
        FDir = std::make_unique<QTemporaryDir>();
        QVERIFY(FDir->isValid());
        QDir().mkpath(FDir->path() + "/tmp");
    }

    void cleanup() {
        for (auto& process : FProcesses) {
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished(StartDeadlineMs);
            }
        }
        FProcesses.clear();
        FDir.reset();
    }

    void secondStartRaisesFirstAndEnds() {
        const QString firstFolder = CopyProgram("first");
        QProcess& first = Start(firstFolder);
        WaitUntilRunning(firstFolder);
        ExpectRedirected(CopyProgram("second"), first);
        QCOMPARE(first.state(), QProcess::Running);

        // SIGTERM ends it like a confirmed exit: settings saved, exit code 0.
        first.terminate();
        QVERIFY(first.waitForFinished(StartDeadlineMs));
        QCOMPARE(first.exitStatus(), QProcess::NormalExit);
        QCOMPARE(first.exitCode(), 0);
        QVERIFY(QFile::exists(firstFolder + "/UserParaIni.ini"));
    }

    void eachDesktopRunsItsOwnInstance() {
        const QString oneFolder = CopyProgram("one");
        QProcess& one = Start(oneFolder, ":91");
        WaitUntilRunning(oneFolder, ":91");
        const QString otherFolder = CopyProgram("other");
        QProcess& other = Start(otherFolder, ":92");
        WaitUntilRunning(otherFolder, ":92");
        QCOMPARE(other.state(), QProcess::Running);
        // Another screen of the first desktop is the same desktop.
        ExpectRedirected(CopyProgram("same"), one, ":91.1");
    }

    void signalDuringThePortErrorBoxEndsTheProgramCleanly() {
        const QString folder = CopyProgram("no-port");
        QFile ini(folder + "/UserParaIni.ini");
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[CommPort]\nComName=" + (folder + "/no-such-port").toUtf8() + "\n");
        ini.close();
        QProcess& monitor = Start(folder);
        // "Monitor software is open" is logged just before the port is tried
        // and its error box shown.
        const QString eventLog = folder + "/Record/EventLog.dat";
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(eventLog).size() == EventRecordSize, StartDeadlineMs);
        QTest::qWait(300); // the box is up (the exit must be clean either way)

        monitor.terminate();
        QVERIFY(monitor.waitForFinished(StartDeadlineMs));
        QCOMPARE(monitor.exitStatus(), QProcess::NormalExit);
        QCOMPARE(monitor.exitCode(), 0);
        QFile events(eventLog);
        QVERIFY(events.open(QIODevice::ReadOnly));
        const QByteArray records = events.readAll();
        QList<int> codes;
        for (int at = 0; at + EventRecordSize <= records.size(); at += EventRecordSize)
            codes.append(uint8_t(records[at + EventCodeOffset]));
        QCOMPARE(codes, (QList<int>{20, 21}));
        QFile saved(folder + "/UserParaIni.ini");
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QVERIFY2(saved.readAll().contains("WaitTimer"), "the settings were not saved");
    }

    void socketOfKilledInstanceDoesNotBlockStart() {
        const QString crashedFolder = CopyProgram("crashed");
        QProcess& crashed = Start(crashedFolder);
        WaitUntilRunning(crashedFolder);
        crashed.kill();
        QVERIFY(crashed.waitForFinished(StartDeadlineMs));
        QVERIFY(QFileInfo::exists(SocketPath()));

        const QString nextFolder = CopyProgram("next");
        QProcess& next = Start(nextFolder);
        WaitUntilRunning(nextFolder);
        QCOMPARE(next.state(), QProcess::Running);
        ExpectRedirected(CopyProgram("later"), next);
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "test_singleinstance.moc"
