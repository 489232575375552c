#include "app/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
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

namespace {
// A folder where nobody but this user can put or replace a socket.
bool IsOwnPrivateFolder(const QString& folder, QString& why) {
    struct stat st {};
    if (::lstat(QFile::encodeName(folder).constData(), &st) != 0)
        why = folder + ": " + QString::fromLocal8Bit(std::strerror(errno));
    else if (!S_ISDIR(st.st_mode))
        why = folder + " is not a folder";
    else if (st.st_uid != ::geteuid())
        why = folder + QStringLiteral(" belongs to user %1").arg(st.st_uid);
    else if ((st.st_mode & 077) != 0)
        why = folder + QStringLiteral(" is open to others (mode %1)").arg(st.st_mode & 0777, 0, 8);
    else
        return true;
    return false;
}

// The user who made the listener at the other end; -1 when it cannot be told.
long PeerUid(const QLocalSocket& socket) {
    ucred cred{};
    socklen_t size = sizeof cred;
    if (::getsockopt(int(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &cred, &size) != 0)
        return -1;
    return long(cred.uid);
}
} // namespace

QString TSingleInstance::SocketFolder() {
    QString why;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.startsWith(u'/') && IsOwnPrivateFolder(runtime, why))
        return runtime.endsWith(u'/') ? runtime : runtime + u'/';
    const QString own = QDir::tempPath() + QStringLiteral("/pelmora-desk-%1").arg(::geteuid());
    ::mkdir(QFile::encodeName(own).constData(), 0700); // one that exists is checked below
    if (IsOwnPrivateFolder(own, why))
        return own + u'/';
    qWarning("Pelmora Desk: no private folder for the instance socket (%s): a second start "
             "is not noticed",
             qPrintable(why));
    return {};
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

TSingleInstance::TSingleInstance(const QString& name, QObject* parent) : QObject(parent) {
    if (const QString folder = SocketFolder(); !folder.isEmpty())
        FName = folder + name;
    FServer.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&FServer, &QLocalServer::newConnection, this, &TSingleInstance::AnswerNewConnection);
}

bool TSingleInstance::Claim() {
    if (FName.isEmpty())
        return true; // told by SocketFolder
    if (AskRunningToRaise() == TAsked::Raised)
        return false;
    // Nobody of ours answered: a socket file left by a crashed instance, or
    // one of another user's, must not keep this one from starting.
    QLocalServer::removeServer(FName);
    if (FServer.listen(FName))
        return true;
    // Another start won the race between our connect and listen.
    if (AskRunningToRaise() == TAsked::Raised)
        return false;
    qWarning("Pelmora Desk: cannot watch for a second start: %s",
             qPrintable(FServer.errorString()));
    return true;
}

TSingleInstance::TAsked TSingleInstance::AskRunningToRaise() const {
    QLocalSocket socket;
    socket.connectToServer(FName);
    if (!socket.waitForConnected(ConnectWaitMs))
        return TAsked::NoListener;
    // Only an instance of this user's own is asked; another user's listener
    // learns nothing and decides nothing.
    if (const long peer = PeerUid(socket); peer != long(::geteuid())) {
        qWarning("Pelmora Desk: %s is held by user %ld, not by this user's instance: starting",
                 qPrintable(FName), peer);
        return TAsked::OtherUser;
    }
    socket.write(RaiseRequest);
    socket.waitForBytesWritten(AnswerWaitMs);
    // Wait for the answer so that the running instance has the request in
    // hand before this process goes away.
    while (socket.bytesAvailable() < RaiseAnswer.size() && socket.waitForReadyRead(AnswerWaitMs)) {
    }
    return TAsked::Raised;
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
