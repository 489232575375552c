// Two real pelmora-desk processes: the second start asks the first to come to
// the front and ends without creating anything; a socket left behind by a
// killed instance does not keep the next one from starting; SIGTERM ends an
// instance with its settings saved. Each process runs from its own copy of
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
const QByteArray RaisedNotice = "raised by a second start";
} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> FDir;
    std::vector<std::unique_ptr<QProcess>> FProcesses;

    QString SocketPath() const {
        return FDir->path() + QStringLiteral("/tmp/Pelmora Desk-%1").arg(getuid());
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

    QProcess& Start(const QString& folder) {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
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
    void WaitUntilRunning(const QString& folder) {
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(SocketPath()), StartDeadlineMs);
        QTRY_VERIFY_WITH_TIMEOUT(QDir(folder + "/Record").exists(), StartDeadlineMs);
    }

    void ExpectRedirected(const QString& folder, QProcess& first) {
        QProcess& second = Start(folder);
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
