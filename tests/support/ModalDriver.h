#pragma once
// Acts on the modal windows that a test's action opens: each handler runs, in
// the order given, on the next modal window that comes up, from inside its
// event loop; a handler closes its window (presses a button, types, rejects).
// For Qt window tests only.

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <functional>

class TModalDriver : public QObject {
public:
    using THandler = std::function<void(QWidget* modal)>;

    TModalDriver() {
        FTimer.setInterval(5);
        QObject::connect(&FTimer, &QTimer::timeout, this, [this] { Poll(); });
    }

    // Queues a handler for the next modal window.
    void Then(THandler handler) {
        FHandlers.push_back(std::move(handler));
        FTimer.start();
    }

    // Handlers that have run so far.
    [[nodiscard]] int Handled() const { return FHandled; }
    [[nodiscard]] bool AllHandled() const { return FHandlers.empty(); }

    // The modal window of type T that the handler was given, or a failure.
    template <typename T> static T* As(QWidget* modal) { return qobject_cast<T*>(modal); }

private:
    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || modal == FLast.data() || FHandlers.empty())
            return;
        FLast = modal;
        THandler handler = std::move(FHandlers.front());
        FHandlers.pop_front();
        ++FHandled;
        if (FHandlers.empty())
            FTimer.stop();
        handler(modal);
    }

    QTimer FTimer;
    std::deque<THandler> FHandlers;
    QPointer<QWidget> FLast;
    int FHandled = 0;
};
