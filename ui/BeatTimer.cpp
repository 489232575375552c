#include "ui/BeatTimer.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <vector>

namespace {
// The one timer behind every follower; it lives as long as the application.
class TBeatSource : public QObject {
public:
    explicit TBeatSource(QObject* parent) : QObject(parent) {
        connect(&FTimer, &QTimer::timeout, this, &TBeatSource::Beat);
    }


    void Add(TBeatTimer* follower) {
        FFollowers.push_back(follower);
        if (!FTimer.isActive())
            FTimer.start(TBeatTimer::BeatMs);
    }

    void Remove(TBeatTimer* follower) {
        std::erase(FFollowers, follower);
        if (FFollowers.empty())
            FTimer.stop();
    }

private:
    void Beat() {
        // A follower's work may stop, start or delete followers; each of
        // those active when the beat came gets it once, if still active (a
        // deleted follower has left the list).
        FNow.assign(FFollowers.begin(), FFollowers.end());
        for (TBeatTimer* follower : FNow)
            if (std::find(FFollowers.begin(), FFollowers.end(), follower) != FFollowers.end())
                follower->Beat();
    }

    QTimer FTimer;
    std::vector<TBeatTimer*> FFollowers;
    std::vector<TBeatTimer*> FNow; // those of the beat under way
};
// Made at the first start; a follower stopped after the application has gone
// finds none and has nothing to leave.
QPointer<TBeatSource> Source;
} // namespace

TBeatTimer::TBeatTimer(QObject* parent, int intervalMs)
    : QObject(parent), FInterval(std::max(1, intervalMs)) {}

TBeatTimer::~TBeatTimer() {
    Stop();
}

void TBeatTimer::SetInterval(int milliseconds) {
    FInterval = std::max(1, milliseconds);
}

void TBeatTimer::Start() {
    if (FActive)
        return;
    FActive = true;
    if (Source == nullptr)
        Source = new TBeatSource(QCoreApplication::instance());
    Source->Add(this);
}

void TBeatTimer::Stop() {
    if (!FActive)
        return;
    FActive = false;
    FCounted = 0;
    if (Source != nullptr)
        Source->Remove(this);
}

void TBeatTimer::Beat() {
    FCounted += BeatMs;
    if (FCounted < FInterval)
        return;
    const int steps = FCounted / FInterval;
    FCounted %= FInterval;
    emit Timeout(steps);
}
