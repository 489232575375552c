// A notification service of the tests' own: it takes the name
// org.freedesktop.Notifications on the session bus and appends every call
// it receives to a file, one line each, tab-separated:
//   Notify <replaces_id> <urgency> <expire> <summary> <body> <id given>
//   Close <id>
// (newlines in texts written as \n). With --fail it answers every Notify
// with an error. It writes "ready" to the file once it owns the name.

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QFile>
#include <QStringList>
#include <QVariantMap>

#include <cstdio>

class TRecorder : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    TRecorder(QString path, bool fail) : FPath(std::move(path)), FFail(fail) {}
    void Line(const QString& line) {
        QFile file(FPath);
        if (file.open(QIODevice::Append)) {
            file.write((line + "\n").toUtf8());
        }
    }

public slots:
    uint Notify(const QString& app, uint replacesId, const QString& icon, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints,
                int expire) {
        Q_UNUSED(app);
        Q_UNUSED(icon);
        Q_UNUSED(actions);
        if (FFail) {
            sendErrorReply(QDBusError::Failed, QStringLiteral("refused by the test"));
            Line("Refused");
            return 0;
        }
        const uint id = replacesId != 0 ? replacesId : ++FLastId;
        QString escaped = body;
        escaped.replace('\n', QStringLiteral("\\n"));
        Line(QStringLiteral("Notify\t%1\t%2\t%3\t%4\t%5\t%6")
                 .arg(replacesId)
                 .arg(hints.value(QStringLiteral("urgency")).toInt())
                 .arg(expire)
                 .arg(summary, escaped)
                 .arg(id));
        return id;
    }
    void CloseNotification(uint id) { Line(QStringLiteral("Close\t%1").arg(id)); }
    QStringList GetCapabilities() { return {QStringLiteral("body")}; }

private:
    QString FPath;
    bool FFail;
    uint FLastId = 0;
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int logAt = args.indexOf(QStringLiteral("--log"));
    if (logAt < 0 || logAt + 1 >= args.size()) {
        std::fprintf(stderr, "usage: notification-recorder --log FILE [--fail]\n");
        return 2;
    }
    TRecorder recorder(args[logAt + 1], args.contains(QStringLiteral("--fail")));
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &recorder,
                            QDBusConnection::ExportAllSlots) ||
        !bus.registerService(QStringLiteral("org.freedesktop.Notifications"))) {
        std::fprintf(stderr, "cannot own the name: %s\n",
                     bus.lastError().message().toLocal8Bit().constData());
        return 1;
    }
    recorder.Line(QStringLiteral("ready"));
    return QCoreApplication::exec();
}

#include "NotificationRecorder.moc"
