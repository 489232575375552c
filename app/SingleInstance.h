#pragma once
// One instance per user and desktop. The first instance answers on a local
// socket named after the application title, the user and the display, in a
// folder only the user can create files in; a later start on the same desktop
// asks it to come to the front and ends without creating any window. A
// listener run by another user is no instance of ours: it is named on the
// error output and the start goes on.

#include <QLocalServer>
#include <QObject>
#include <QString>

class TSingleInstance : public QObject {
    Q_OBJECT
public:
    // "Pelmora Desk-<uid>", and "-<display>" when there is one: other users,
    // and the same user's session on another display, run their own instance.
    [[nodiscard]] static QString NameFor(const QString& title, const QString& display);
    // The display this process shows on: WAYLAND_DISPLAY, else DISPLAY without
    // its screen number (":0.1" and ":0" are one desktop); empty when neither
    // is set.
    [[nodiscard]] static QString CurrentDisplay();

    // The folder of the socket, with a trailing '/': $XDG_RUNTIME_DIR, else
    // "<temporary folder>/pelmora-desk-<uid>/", made 0700; either must be a
    // folder (not a link) of this user's own that nobody else may enter.
    // Empty, with the reason on the error output, when neither is.
    [[nodiscard]] static QString SocketFolder();

    // `name` as NameFor gives it, placed in SocketFolder().
    explicit TSingleInstance(const QString& name, QObject* parent = nullptr);

    // True when this process is the only instance and now answers later
    // starts; false when a running instance was found and asked to raise.
    [[nodiscard]] bool Claim();

signals:
    // A later start asked this instance to restore and raise its window.
    void RaiseRequested();

private:
    enum class TAsked { NoListener, Raised, OtherUser };
    [[nodiscard]] TAsked AskRunningToRaise() const;
    void AnswerNewConnection();

    QString FName;
    QLocalServer FServer;
};
