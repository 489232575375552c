#pragma once
// The desk program's periodic work (the poll engine's tick, the main window's
// status step, the tray's refresh, the animations) follows one 100 ms beat.
// Timers of their own would each wake the program at moments of their own,
// well over a hundred times a second together; on the one beat a single
// wake-up serves them all. The beat runs only while some follower is active,
// so a window that stops its followers (minimised, hidden) lets the program
// sleep.
//
// A follower's interval is counted in beats' time: an interval shorter than
// the beat gives several steps at one timeout, so an animation keeps its pace
// in fewer frames.

#include <QObject>

class TBeatTimer : public QObject {
    Q_OBJECT
public:
    static constexpr int BeatMs = 100;

    explicit TBeatTimer(QObject* parent = nullptr, int intervalMs = BeatMs);
    ~TBeatTimer() override;

    void SetInterval(int milliseconds);
    [[nodiscard]] int Interval() const { return FInterval; }

    // Starting an active follower keeps the time it has already counted.
    void Start();
    void Stop();
    [[nodiscard]] bool IsActive() const { return FActive; }

    // One beat, as the shared timer gives it to every active follower.
    void Beat();

signals:
    // `steps` intervals ended at this beat: 1, or more for an interval
    // shorter than the beat.
    void Timeout(int steps);

private:
    int FInterval;
    int FCounted = 0; // milliseconds of beats since the last timeout
    bool FActive = false;
};
