#pragma once
// One instance per user and desktop. The first instance answers on a local
// socket named after the application title, the user and the display; a
// later start on the same desktop asks it to come to the front and ends
// without creating any window.

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

    explicit TSingleInstance(QString name, QObject* parent = nullptr);

    // True when this process is the only instance and now answers later
    // starts; false when a running instance was found and asked to raise.
    [[nodiscard]] bool Claim();

signals:
    // A later start asked this instance to restore and raise its window.
    void RaiseRequested();

private:
    [[nodiscard]] bool AskRunningToRaise() const;
    void AnswerNewConnection();

    QString FName;
    QLocalServer FServer;
};
