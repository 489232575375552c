#include "notify/DesktopNotifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QMetaObject>
#include <QVariantMap>

#include <cstdio>

namespace {
constexpr const char* Service = "org.freedesktop.Notifications";
constexpr const char* Path = "/org/freedesktop/Notifications";
constexpr const char* Interface = "org.freedesktop.Notifications";
constexpr const char* AppName = "Pelmora Desk";
constexpr const char* AppIcon = "com.pelmora.Desk";

// The urgency hint: 0 low, 1 normal, 2 critical.
uchar UrgencyOf(TSeverity severity) {
    switch (severity) {
    case TSeverity::Critical:
        return 2;
    case TSeverity::Warning:
        return 1;
    case TSeverity::Info:
        break;
    }
    return 0;
}
} // namespace

TDesktopNotifier::TDesktopNotifier(QDBusConnection bus, QObject* parent)
    : QObject(parent), FBus(std::move(bus)) {}

void TDesktopNotifier::Post(const TDesktopNote& note) {
    QMetaObject::invokeMethod(
        this, [this, note] { Show(note); }, Qt::QueuedConnection);
}

void TDesktopNotifier::Show(const TDesktopNote& note) {
    TKeyState& state = FKeys[note.Key];
    if (state.Pending) {
        state.Waiting = note;
        return;
    }
    Send(note, state);
}

void TDesktopNotifier::Send(const TDesktopNote& note, TKeyState& state) {
    if (!FBus.isConnected()) {
        Failed(QStringLiteral("no session bus"));
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(Service, Path, Interface, "Notify");
    QVariantMap hints;
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue(UrgencyOf(note.Urgency)));
    // Critical notifications stay until the user closes them; the others as
    // the desktop likes.
    const int timeout = note.Urgency == TSeverity::Critical ? 0 : -1;
    call << QString::fromUtf8(AppName) << state.ServerId << QString::fromUtf8(AppIcon)
         << QString::fromStdString(note.Title) << QString::fromStdString(note.Body) << QStringList()
         << hints << timeout;
    state.Pending = true;
    auto* watcher = new QDBusPendingCallWatcher(FBus.asyncCall(call), this);
    const uint32_t key = note.Key;
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, key](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                TKeyState& s = FKeys[key];
                s.Pending = false;
                const QDBusPendingReply<uint> reply = *w;
                if (reply.isError())
                    Failed(reply.error().name() + ": " + reply.error().message());
                else {
                    s.ServerId = reply.value();
                    FLastError.clear();
                }
                if (s.Waiting) {
                    const TDesktopNote next = *s.Waiting;
                    s.Waiting.reset();
                    Send(next, s);
                }
                emit Answered();
            });
}

void TDesktopNotifier::CloseAll() {
    for (auto it = FKeys.begin(); it != FKeys.end(); ++it) {
        if (it->ServerId == 0)
            continue;
        QDBusMessage call =
            QDBusMessage::createMethodCall(Service, Path, Interface, "CloseNotification");
        call << it->ServerId;
        FBus.asyncCall(call);
        it->ServerId = 0;
    }
}

void TDesktopNotifier::Failed(const QString& error) {
    // Said once per kind of failure, not once per event of a storm.
    if (error != FLastError)
        std::fprintf(stderr, "Desktop notifications: %s\n", error.toLocal8Bit().constData());
    FLastError = error;
}
