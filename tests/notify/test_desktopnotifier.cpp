// Desktop notifications over a real session bus (a dbus-daemon of the
// test's own) to the tests' recording service: urgency, replacement of the
// same notification, a storm held to one, and a service that is missing or
// answers with an error.

#include "notify/DesktopNotifier.h"
#include "tests/notify/SessionBus.h"

#include <QDBusConnection>
#include <QSignalSpy>
#include <QTest>

namespace {
TDesktopNote Note(uint32_t key, const std::string& body, TSeverity urgency) {
    return {key, "On battery", body, urgency};
}
QStringList Fields(const std::string& line) {
    return QString::fromStdString(line).split('\t');
}
} // namespace

class DesktopNotifierTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TSessionBus> FBus;
    int FConnections = 0;

    QDBusConnection Connect() {
        const QString name = QStringLiteral("test-%1").arg(++FConnections);
        return QDBusConnection::connectToBus(QString::fromStdString(FBus->Address()), name);
    }

private slots:
    void init() { FBus = std::make_unique<TSessionBus>(); }
    void cleanup() { FBus.reset(); }

    void aRecoveryReplacesTheNotificationItEnds() {
        FBus->StartRecorder();
        TDesktopNotifier notifier(Connect());
        notifier.Show(Note(1, "UPS 1 (Address 1): Battery Status", TSeverity::Critical));
        QTRY_COMPARE(FBus->Calls().size(), std::size_t{1});
        notifier.Show(Note(1, "UPS 1 (Address 1)", TSeverity::Info));
        QTRY_COMPARE(FBus->Calls().size(), std::size_t{2});
        const QStringList first = Fields(FBus->Calls()[0]);
        const QStringList second = Fields(FBus->Calls()[1]);
        QCOMPARE(first.mid(0, 4), (QStringList{"Notify", "0", "2", "0"}));
        QCOMPARE(first[5], QStringLiteral("UPS 1 (Address 1): Battery Status"));
        QCOMPARE(second[1], first[6]); // replaces_id is the id given
        QCOMPARE(second[2], QStringLiteral("0"));
        QVERIFY(notifier.LastError().isEmpty());

        notifier.CloseAll();
        QTRY_COMPARE(FBus->Calls().size(), std::size_t{3});
        QCOMPARE(Fields(FBus->Calls()[2]), (QStringList{"Close", first[6]}));
    }

    void aStormOfOneKeyIsOneNotificationEndingWithTheNewest() {
        FBus->StartRecorder();
        TDesktopNotifier notifier(Connect());
        QSignalSpy answered(&notifier, &TDesktopNotifier::Answered);
        for (int i = 1; i <= 16; ++i)
            notifier.Show(Note(7, std::to_string(i) + " units on battery", TSeverity::Critical));
        // Sent before any answer came: the first, then only the newest waiting one.
        QTRY_COMPARE(answered.count(), 2);
        const auto calls = FBus->Calls();
        QCOMPARE(calls.size(), std::size_t{2});
        QCOMPARE(Fields(calls[0])[1], QStringLiteral("0"));
        QCOMPARE(Fields(calls[1])[1], Fields(calls[0])[6]);
        QCOMPARE(Fields(calls[1])[5], QStringLiteral("16 units on battery"));
    }

    void aMissingOrRefusingServiceIsToldAndNothingBreaks() {
        TDesktopNotifier notifier(Connect());
        QSignalSpy answered(&notifier, &TDesktopNotifier::Answered);
        notifier.Show(Note(1, "nobody listens", TSeverity::Warning));
        QTRY_COMPARE(answered.count(), 1);
        QVERIFY(notifier.LastError().contains("ServiceUnknown"));

        FBus->StartRecorder(true);
        notifier.Show(Note(2, "refused", TSeverity::Warning));
        QTRY_COMPARE(answered.count(), 2);
        QVERIFY(notifier.LastError().contains("refused by the test"));

        TDesktopNotifier noBus(QDBusConnection::connectToBus(
            QStringLiteral("unix:path=/nonexistent/bus"), QStringLiteral("nowhere")));
        noBus.Show(Note(1, "no bus", TSeverity::Warning));
        QCOMPARE(noBus.LastError(), QStringLiteral("no session bus"));
    }
};

QTEST_GUILESS_MAIN(DesktopNotifierTest)
#include "test_desktopnotifier.moc"
