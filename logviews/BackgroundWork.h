#pragma once
// Runs one long piece of log work (load, sort, export of a large month) on a
// worker thread while the window stays responsive: the calling handler waits
// in a local event loop, so paints, the cancel button and timers go on, and
// gets the result back on its own thread when the work is done. A timer
// reports the progress counts to the window while it waits.

#include "logviews/JobProgress.h"

#include <QObject>

#include <functional>
#include <string>

class TBackgroundWork : public QObject {
    Q_OBJECT
public:
    explicit TBackgroundWork(QObject* parent = nullptr) : QObject(parent) {}

    // Runs work(progress) on a worker and returns when it has finished; every
    // ShowInterval ms meanwhile, and once at the end, calls show(position,
    // maximum). Not re-entrant: Busy() is true while it waits. False when the
    // work threw; Error() then says what.
    [[nodiscard]] bool Run(const std::function<void(TJobProgress&)>& work,
                           const std::function<void(int64_t, int64_t)>& show);
    [[nodiscard]] const std::string& Error() const { return FError; }

    // Asks the running work to stop; it ends at its next look at the flag.
    void Cancel();
    [[nodiscard]] bool Busy() const { return FProgress != nullptr; }

    static constexpr int ShowInterval = 100; // ms

private:
    TJobProgress* FProgress = nullptr;
    std::string FError;
};
