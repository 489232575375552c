// The beat that every periodic task of the desk program follows: a follower
// keeps its pace whatever its interval, the followers share each beat, and a
// follower that another one stops or deletes in the middle of a beat is left
// alone.

#include "ui/BeatTimer.h"

#include <QTest>
#include <memory>
#include <vector>

class TestBeatTimer : public QObject {
    Q_OBJECT

private slots:
    void keepsThePaceOfItsInterval_data() {
        QTest::addColumn<int>("interval");
        QTest::addColumn<QList<int>>("steps"); // at each of the first beats
        QTest::newRow("one beat") << 100 << QList<int>{1, 1, 1, 1, 1};
        QTest::newRow("shorter: several steps a beat") << 40 << QList<int>{2, 3, 2, 3, 2};
        QTest::newRow("longer: the remainder is carried")
            << 180 << QList<int>{0, 1, 0, 1, 0, 1, 0, 1, 1};
        QTest::newRow("a second") << 1000 << QList<int>{0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0};
    }

    void keepsThePaceOfItsInterval() {
        QFETCH(int, interval);
        QFETCH(QList<int>, steps);
        TBeatTimer timer(nullptr, interval);
        int got = 0;
        connect(&timer, &TBeatTimer::Timeout, this, [&got](int n) { got += n; });
        for (int beat = 0; beat < steps.size(); ++beat) {
            got = 0;
            timer.Beat();
            QCOMPARE(got, steps[beat]);
        }
    }

    void stoppingForgetsTheTimeCounted() {
        TBeatTimer timer(nullptr, 300);
        int timeouts = 0;
        connect(&timer, &TBeatTimer::Timeout, this, [&timeouts] { ++timeouts; });
        timer.Start();
        timer.Beat();
        timer.Beat();
        timer.Stop();
        timer.Start();
        timer.Beat();
        timer.Beat();
        QCOMPARE(timeouts, 0);
        timer.Beat();
        QCOMPARE(timeouts, 1);
        timer.Stop();
    }

    // The real beat: each follower that stays active has the same number of
    // beats whenever one of them looks, so one wake-up served them all.
    void followersShareEachBeat() {
        std::vector<std::unique_ptr<TBeatTimer>> followers;
        std::vector<int> beats(3, 0);
        for (int i = 0; i < 3; ++i) {
            followers.push_back(std::make_unique<TBeatTimer>());
            connect(followers.back().get(), &TBeatTimer::Timeout, this,
                    [&beats, i] { ++beats[std::size_t(i)]; });
        }
        std::vector<int> secondSeen;
        connect(followers[0].get(), &TBeatTimer::Timeout, this, [&] {
            // The first follower deletes the second in the middle of a beat.
            followers[1].reset();
            secondSeen.push_back(beats[1]);
        });
        for (auto& follower : followers)
            follower->Start();
        QTRY_VERIFY(beats[2] >= 3);
        QCOMPARE(beats[0], beats[2]);
        QCOMPARE(beats[1], 0);
        QVERIFY(secondSeen.size() >= 3);
        followers[0]->Stop();
        followers[2]->Stop();
    }
};

QTEST_MAIN(TestBeatTimer)
#include "test_beattimer.moc"
