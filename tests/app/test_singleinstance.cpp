// Real pelmora-desk processes: the second start asks the first to come to
// the front and ends without creating anything; a socket left behind by a
// killed instance does not keep the next one from starting; SIGTERM ends an
// instance with its settings saved, also while the port error box of the
// start-up is open. The socket lives in a folder of the user's own: a
// planted fallback folder is refused, a listener of another user is no
// instance. Each process runs from its own copy of the executable, and
// XDG_RUNTIME_DIR and TMPDIR keep the instance socket away from any instance
// the user is running.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstring>
#include <memory>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
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
    pid_t FListener = 0;

    QString RuntimeFolder() const { return FDir->path() + "/run"; }
    QString SocketPath(const QString& display = DefaultDisplay) const {
        return RuntimeFolder() + QStringLiteral("/Pelmora Desk-%1-%2").arg(getuid()).arg(display);
    }
    QString RuntimeDir = QStringLiteral("run"); // "": XDG_RUNTIME_DIR unset

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
        if (RuntimeDir.isEmpty())
            env.remove("XDG_RUNTIME_DIR");
        else
            env.insert("XDG_RUNTIME_DIR", RuntimeFolder());
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

    // A copy that starts its window all the same, saying `notice` on its error output.
    QProcess& StartsSaying(const QString& folderName, const QByteArray& notice) {
        const QString folder = CopyProgram(folderName);
        QProcess& monitor = Start(folder);
        QByteArray output;
        [&] {
            QTRY_VERIFY_WITH_TIMEOUT(QDir(folder + "/Record").exists(), StartDeadlineMs);
            QTRY_VERIFY_WITH_TIMEOUT((output += monitor.readAllStandardError()).contains(notice),
                                     StartDeadlineMs);
            QCOMPARE(monitor.state(), QProcess::Running);
        }();
        return monitor;
    }

private slots:
    void init() {
        FDir = std::make_unique<QTemporaryDir>();
        QVERIFY(FDir->isValid());
        QDir().mkpath(FDir->path() + "/tmp");
        QVERIFY(::mkdir(qPrintable(RuntimeFolder()), 0700) == 0);
        RuntimeDir = "run";
    }

    void cleanup() {
        if (FListener > 0) {
            ::kill(FListener, SIGKILL);
            ::waitpid(FListener, nullptr, 0);
            FListener = 0;
        }
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

    // Without XDG_RUNTIME_DIR the socket goes into a 0700 folder of the
    // user's own in the temporary folder; one planted there open to others
    // is refused, said, and the monitor starts all the same.
    void fallbackFolderIsTheUsersOwnOrNone() {
        RuntimeDir.clear();
        const QString own = FDir->path() + QStringLiteral("/tmp/pelmora-desk-%1").arg(geteuid());
        const QString folder = CopyProgram("fallback");
        QProcess& first = Start(folder);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(own + "/Pelmora Desk-" +
                                                   QString::number(getuid()) + "-" +
                                                   DefaultDisplay),
                                 StartDeadlineMs);
        struct stat st {};
        QVERIFY(::stat(qPrintable(own), &st) == 0);
        QCOMPARE(int(st.st_mode & 0777), 0700);
        QTRY_VERIFY_WITH_TIMEOUT(QDir(folder + "/Record").exists(), StartDeadlineMs);
        ExpectRedirected(CopyProgram("fallback-second"), first);
        first.kill();
        QVERIFY(first.waitForFinished(StartDeadlineMs));

        QDir(own).removeRecursively();
        QVERIFY(::mkdir(qPrintable(own), 0777) == 0);
        QVERIFY(::chmod(qPrintable(own), 0777) == 0);
        StartsSaying("planted", "is open to others (mode 777)");
        QVERIFY(QDir(own).isEmpty());
    }

    // A listener under the instance's name made by another user (root makes
    // one for user nobody) is no instance: it is named, and the monitor starts.
    void listenerOfAnotherUserIsNoInstance() {
        if (geteuid() != 0)
            QSKIP("needs root to run a listener as another user");
        const QByteArray path = QFile::encodeName(SocketPath());
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QVERIFY(fd >= 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        QVERIFY(size_t(path.size()) < sizeof addr.sun_path);
        std::memcpy(addr.sun_path, path.constData(), size_t(path.size()));
        QVERIFY(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0);
        int ready[2];
        QVERIFY(::pipe(ready) == 0);
        FListener = ::fork();
        if (FListener == 0) {
            // The peer credentials are those of the process that listens.
            if (::setresgid(65534, 65534, 65534) != 0 || ::setresuid(65534, 65534, 65534) != 0 ||
                ::listen(fd, 8) != 0)
                ::_exit(1);
            (void)::write(ready[1], "l", 1);
            for (;;)
                ::pause();
        }
        ::close(fd);
        ::close(ready[1]);
        QVERIFY(FListener > 0);
        char listening = 0; // listening as nobody before the monitor starts
        QCOMPARE(::read(ready[0], &listening, 1), ssize_t(1));
        ::close(ready[0]);

        ExpectRedirected(CopyProgram("mine-second"), StartsSaying("mine", "held by user 65534"));
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "test_singleinstance.moc"
