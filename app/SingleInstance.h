#pragma once
// One instance per user and desktop. The first instance answers on a local
// socket named after the application title; a later start asks it to come to
// the front and ends without creating any window.

#include <QLocalServer>
#include <QObject>
#include <QString>

class TSingleInstance : public QObject {
    Q_OBJECT
public:
    // "Pelmora Desk-<uid>": other users run their own instance.
    [[nodiscard]] static QString NameFor(const QString& title);

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
