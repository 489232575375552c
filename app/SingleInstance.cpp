#include "app/SingleInstance.h"

#include <QLocalSocket>
#include <unistd.h>

namespace {
constexpr int ConnectWaitMs = 1000;
constexpr int AnswerWaitMs = 2000;
const QByteArray RaiseRequest = "raise\n";
const QByteArray RaiseAnswer = "ok\n";
} // namespace

QString TSingleInstance::NameFor(const QString& title, const QString& display) {
    QString name = QStringLiteral("%1-%2").arg(title).arg(getuid());
    if (display.isEmpty())
        return name;
    // The name becomes a file name: nothing of the display may make it a path.
    QString safe = display;
    for (QChar& c : safe)
        if (!c.isLetterOrNumber() && c != u':' && c != u'.' && c != u'-')
            c = u'_';
    return name + u'-' + safe;
}

QString TSingleInstance::CurrentDisplay() {
    const QString wayland = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (!wayland.isEmpty())
        return wayland;
    QString x11 = qEnvironmentVariable("DISPLAY");
    const qsizetype colon = x11.lastIndexOf(u':');
    const qsizetype dot = x11.indexOf(u'.', colon + 1);
    if (colon >= 0 && dot > colon)
        x11.truncate(dot);
    return x11;
}

TSingleInstance::TSingleInstance(QString name, QObject* parent)
    : QObject(parent), FName(std::move(name)) {
    FServer.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&FServer, &QLocalServer::newConnection, this, &TSingleInstance::AnswerNewConnection);
}

bool TSingleInstance::Claim() {
    if (AskRunningToRaise())
        return false;
    // Nobody answered: a socket file left by a crashed instance must not keep
    // this one from starting.
    QLocalServer::removeServer(FName);
    if (FServer.listen(FName))
        return true;
    // Another start won the race between our connect and listen.
    if (AskRunningToRaise())
        return false;
    qWarning("Pelmora Desk: cannot watch for a second start: %s",
             qPrintable(FServer.errorString()));
    return true;
}

bool TSingleInstance::AskRunningToRaise() const {
    QLocalSocket socket;
    socket.connectToServer(FName);
    if (!socket.waitForConnected(ConnectWaitMs))
        return false;
    socket.write(RaiseRequest);
    socket.waitForBytesWritten(AnswerWaitMs);
    // Wait for the answer so that the running instance has the request in
    // hand before this process goes away.
    while (socket.bytesAvailable() < RaiseAnswer.size() && socket.waitForReadyRead(AnswerWaitMs)) {
    }
    return true;
}

void TSingleInstance::AnswerNewConnection() {
    while (QLocalSocket* socket = FServer.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto readRequest = [this, socket] {
            if (!socket->canReadLine())
                return;
            if (socket->readLine() == RaiseRequest) {
                socket->write(RaiseAnswer);
                socket->flush();
                qInfo("Pelmora Desk: raised by a second start");
                emit RaiseRequested();
            }
        };
        connect(socket, &QLocalSocket::readyRead, this, readRequest);
        readRequest(); // the request may have arrived with the connection
    }
}
