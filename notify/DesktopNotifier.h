#pragma once
// Sends the gathered notifications to the desktop's notification service
// (org.freedesktop.Notifications on the session bus). A note whose key was
// shown before replaces that notification (replaces_id), also while the
// service has not yet answered the first call: the newest note of a key then
// waits for the answer, so a storm never turns into a row of popups. Calls
// never block; a missing service or an error answer is said once on the
// error output and in LastError(), and the program goes on.

#include "notify/AlertGatherer.h"

#include <QDBusConnection>
#include <QHash>
#include <QObject>
#include <QString>

#include <optional>

class TDesktopNotifier : public QObject {
    Q_OBJECT
public:
    explicit TDesktopNotifier(QDBusConnection bus = QDBusConnection::sessionBus(),
                              QObject* parent = nullptr);

    // Shows or replaces the note's notification. Call on this object's thread.
    void Show(const TDesktopNote& note);
    // From any thread: Show on this object's thread.
    void Post(const TDesktopNote& note);
    // Closes every notification this program has on the screen.
    void CloseAll();

    // The last failure to reach the service; empty after a call that worked.
    [[nodiscard]] const QString& LastError() const { return FLastError; }

signals:
    // After each answer of the service, good or bad (tests wait on it).
    void Answered();

private:
    struct TKeyState {
        uint32_t ServerId = 0;               // 0 until the service has answered
        bool Pending = false;                // a call is on its way
        std::optional<TDesktopNote> Waiting; // the newest note behind it
    };
    void Send(const TDesktopNote& note, TKeyState& state);
    void Failed(const QString& error);

    QDBusConnection FBus;
    QHash<uint32_t, TKeyState> FKeys;
    QString FLastError;
};
