// The readers' feed: snapshots of the records after each reply and the stream
// of logged events, taken by readers on other threads while the engine runs.

#include "feed/DeskFeed.h"
#include "tests/comm/PollEngineFixture.h"

#include <atomic>
#include <thread>

namespace {

class DeskFeedTest : public PollEngineTest {
protected:
    // A reply to the request just sent, handed over as the reader thread would.
    void Answer(uint8_t address) { Deliver(Frame('R', address)); }
};

TEST_F(DeskFeedTest, SnapshotAfterEachReplyAndEventsInTheirOrder) {
    AddDevice(3);
    AddDevice(7);
    TDeskFeed feed(Engine, Events);
    const auto before = feed.Snapshots.Current();
    ASSERT_EQ(before->Units.size(), 2u);
    EXPECT_EQ(before->Units[1].Name, "UPS 7");
    EXPECT_EQ(before->Units[1].Record.CommState, CommLost);
    const auto reader = feed.Events.Subscribe(16);

    ASSERT_TRUE(Engine.Start());
    TickUntilSent(1);
    Answer(3);
    const auto after = feed.Snapshots.Current();
    EXPECT_GT(after->Sequence, before->Sequence);
    EXPECT_TRUE(after->PortOpen);
    EXPECT_EQ(after->Units[0].Address, 3);
    EXPECT_EQ(after->Units[0].Record.CommState, CommCommunicating);
    EXPECT_EQ(after->Units[0].Health.GoodReplies, 1u);
    EXPECT_EQ(after->Units[1].Health.GoodReplies, 0u);
    EXPECT_EQ(before->Units[0].Record.CommState, CommLost) << "a snapshot taken is never changed";

    const std::vector<TStreamedEvent> events = reader->Take();
    ASSERT_EQ(events.size(), 3u); // program start, port opened, unit 3 answering
    EXPECT_EQ(events[0].Event.Code, 20);
    EXPECT_EQ(events[2].Event.Address, 3);
    for (std::size_t i = 0; i < events.size(); ++i)
        EXPECT_EQ(events[i].Sequence, i + 1);
    EXPECT_EQ(reader->Dropped(), 0u);
    EXPECT_TRUE(reader->Take().empty());
}

// After a reply only the unit that answered is copied; the others are the
// very units of the snapshot before. A unit that moved in the list is taken
// afresh, and an edit of a copied snapshot never reaches the published one.
TEST_F(DeskFeedTest, AReplySharesTheUnitsItDidNotChange) {
    AddDevice(3);
    AddDevice(7);
    AddDevice(9);
    TDeskFeed feed(Engine, Events);
    ASSERT_TRUE(Engine.Start());
    TickUntilSent(1);
    const auto sent = feed.Snapshots.Current();
    Answer(3);
    const auto after = feed.Snapshots.Current();
    EXPECT_FALSE(after->Units.SharesWith(0, sent->Units, 0));
    EXPECT_TRUE(after->Units.SharesWith(1, sent->Units, 1));
    EXPECT_TRUE(after->Units.SharesWith(2, sent->Units, 2));

    ASSERT_EQ(DeleteEquipAddress(7), 1);
    Engine.RecordsChanged();
    const auto moved = feed.Snapshots.Current();
    ASSERT_EQ(moved->Units.size(), 2u);
    EXPECT_TRUE(moved->Units.SharesWith(0, after->Units, 0));
    EXPECT_EQ(moved->Units[1].Address, 9);
    EXPECT_FALSE(moved->Units.SharesWith(1, after->Units, 2)) << "taken afresh where it moved";

    TRecordSnapshot edited = *moved;
    edited.Units[1].Record.InputVoltA = 999;
    EXPECT_NE(moved->Units[1].Record.InputVoltA, 999);
    EXPECT_TRUE(edited.Units.SharesWith(0, moved->Units, 0));
}

TEST_F(DeskFeedTest, ClosingThePortIsSeenWithoutAReplyToFollow) {
    AddDevice(3);
    TDeskFeed feed(Engine, Events);
    ASSERT_TRUE(Engine.Start());
    TickUntilSent(1);
    Answer(3);
    ASSERT_TRUE(feed.Snapshots.Current()->PortOpen);
    const auto reader = feed.Events.Subscribe(16);
    Engine.CloseComm();
    Engine.Timer1Timer(); // the tick that finds the port closed logs it
    EXPECT_FALSE(feed.Snapshots.Current()->PortOpen);
    const std::vector<TStreamedEvent> events = reader->Take();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].Event.Code, 18);
    EXPECT_TRUE(events[0].ClosedByUser) << "the user's own closing is told apart from a loss";
}

TEST(EventStream, ASlowReaderLosesItsOldestEventsAndCountsThem) {
    TEventStream stream;
    const auto slow = stream.Subscribe(2);
    const auto quick = stream.Subscribe(0); // taken as 1
    for (int code = 1; code <= 5; ++code)
        stream.Publish(TEventRec{.Code = code});
    const std::vector<TStreamedEvent> kept = slow->Take();
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0].Sequence, 4u) << "the gap in the numbering shows what was lost";
    EXPECT_EQ(kept[1].Event.Code, 5);
    EXPECT_EQ(slow->Dropped(), 3u);
    EXPECT_EQ(quick->Take().size(), 1u);
    EXPECT_EQ(quick->Dropped(), 4u);
}

// A reader that waits for events without a limit is still told to stop: a
// wake given before the wait begins is not lost.
TEST(EventStream, AWakeEndsAWaitWithoutAnEvent) {
    TEventStream stream;
    const auto reader = stream.Subscribe(4);
    reader->Wake();
    EXPECT_FALSE(reader->WaitFor(std::chrono::hours(1)));
    std::thread waiter([&] { EXPECT_FALSE(reader->WaitFor(std::chrono::hours(1))); });
    reader->Wake();
    waiter.join();
    stream.Publish(TEventRec{.Code = 7});
    EXPECT_TRUE(reader->WaitFor(std::chrono::hours(1)));
}

// Readers on other threads take snapshots and events while the engine polls;
// ThreadSanitizer watches the hand-over.
TEST_F(DeskFeedTest, ReadersOnOtherThreadsNeverSeeAHalfMadeSnapshot) {
    for (uint8_t address = 1; address <= 8; ++address)
        AddDevice(address);
    TDeskFeed feed(Engine, Events);
    const auto reader = feed.Events.Subscribe(4);
    std::atomic<bool> done{false};
    std::atomic<uint64_t> lastSeen{0};
    std::atomic<int> badSnapshots{0};
    std::atomic<uint64_t> eventsSeen{0};
    std::thread scraper([&] {
        while (!done) {
            const auto snapshot = feed.Snapshots.Current();
            if (snapshot->Units.size() != 8 || snapshot->Sequence < lastSeen)
                ++badSnapshots;
            lastSeen = snapshot->Sequence;
        }
    });
    std::thread listener([&] {
        while (!done)
            if (reader->WaitFor(5ms))
                eventsSeen += reader->Take().size();
    });
    ASSERT_TRUE(Engine.Start());
    for (int frame = 1; frame <= 64; ++frame) {
        TickUntilSent(frame);
        Answer(EquipList.PollAddress);
        Engine.Timer1Timer();
        while (Engine.AwaitingReply)
            Engine.Timer1Timer();
    }
    done = true;
    scraper.join();
    listener.join();
    eventsSeen += reader->Take().size();
    EXPECT_EQ(badSnapshots, 0);
    EXPECT_EQ(eventsSeen + reader->Dropped(), 10u); // start, port opened, 8 units answering
    const auto last = feed.Snapshots.Current();
    for (const TUnitSnapshot& unit : last->Units)
        EXPECT_EQ(unit.Health.GoodReplies, 8u) << int(unit.Address);
}

TEST_F(DeskFeedTest, AFeedGoneLeavesTheEngineAndLogUnhooked) {
    AddDevice(2);
    {
        TDeskFeed feed(Engine, Events);
        EXPECT_TRUE(Engine.RecordsChanged);
    }
    EXPECT_FALSE(Engine.RecordsChanged);
    EXPECT_FALSE(Events.Appended);
    ASSERT_TRUE(Engine.Start()); // logs without a feed
    TickUntilSent(1);
    Answer(2);
    EXPECT_EQ(UpsTable[2].CommState, CommCommunicating);
}

} // namespace
