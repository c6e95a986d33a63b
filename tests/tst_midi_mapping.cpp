// The MIDI layer without any MIDI system: level arithmetic, the mappings,
// message decoding, and the inbox between RtMidi's thread and the window.

#include "midi/MidiInbox.h"
#include "midi/SpscRing.h"
#include "model/BandSlot.h"

#include <QtTest>
#include <thread>
#include <utility>

class MidiMappingTest : public QObject {
    Q_OBJECT
  private slots:
    void levels_data()
    {
        QTest::addColumn<bool>("bend");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("sent"); // what the level sends back
        QTest::newRow("cc bottom") << false << 0 << -12 << 0;
        QTest::newRow("cc below first step") << false << 2 << -12 << 0;
        QTest::newRow("cc first step") << false << 3 << -11 << 5;
        QTest::newRow("cc centre") << false << 64 << 0 << 64;
        QTest::newRow("cc just under centre") << false << 63 << 0 << 64;
        QTest::newRow("cc 60") << false << 60 << -1 << 58;
        QTest::newRow("cc top") << false << 127 << 12 << 127;
        QTest::newRow("cc 124") << false << 124 << 11 << 122;
        QTest::newRow("bend bottom") << true << 0 << -12 << 0;
        QTest::newRow("bend centre") << true << 8192 << 0 << 8192;
        QTest::newRow("bend 8191") << true << 8191 << 0 << 8192;
        QTest::newRow("bend step edge below") << true << 341 << -12 << 0;
        QTest::newRow("bend step edge above") << true << 342 << -11 << 683;
        QTest::newRow("bend top") << true << 16383 << 12 << 16383;
    }
    void levels()
    {
        QFETCH(bool, bend);
        QFETCH(int, value);
        QFETCH(int, level);
        QFETCH(int, sent);
        QCOMPARE(bend ? LevelFromBend(value) : LevelFromController(value), level);
        QCOMPARE(bend ? BendFromLevel(level) : ControllerFromLevel(level), sent);
        // Whatever is sent reads back as the same level.
        QCOMPARE(bend ? LevelFromBend(sent) : LevelFromController(sent), level);
    }

    void mappings_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("bankShift");
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<int>("fader");
        const auto row = [](const char* name, int kind, int shift, QByteArray message, int fader) {
            QTest::newRow(name) << kind << shift << message << fader;
        };
        row("cc band 0", 0, 0, QByteArray::fromHex("b00040"), 0);
        row("cc band 27", 0, 0, QByteArray::fromHex("b01b40"), 27);
        row("cc volume", 0, 0, QByteArray::fromHex("b01c40"), VolumeFader);
        row("cc 29 unused", 0, 0, QByteArray::fromHex("b01d40"), NoFader);
        row("cc channel 2 unused", 0, 0, QByteArray::fromHex("b10040"), NoFader);
        row("cc ignores bends", 0, 0, QByteArray::fromHex("e00040"), NoFader);
        row("mackie channel 1", 1, 0, QByteArray::fromHex("e00040"), 0);
        row("mackie bank 2", 1, 1, QByteArray::fromHex("e70040"), 15);
        row("mackie last bank", 1, 9, QByteArray::fromHex("e30040"), 27);
        row("mackie last bank short", 1, 9, QByteArray::fromHex("e40040"), NoFader);
        row("mackie below first bank", 1, -2, QByteArray::fromHex("e10040"), 1);
        row("mackie volume", 1, 2, QByteArray::fromHex("e80040"), VolumeFader);
        row("mackie ignores cc", 1, 0, QByteArray::fromHex("b00040"), NoFader);
        row("sysex", 0, 0, QByteArray::fromHex("f07ef7"), NoFader);
        row("running status", 0, 0, QByteArray::fromHex("0040"), NoFader);
        row("data byte too high", 0, 0, QByteArray::fromHex("b08040"), NoFader);
        row("too long", 0, 0, QByteArray::fromHex("b0004000"), NoFader);
    }
    void mappings()
    {
        QFETCH(int, kind);
        QFETCH(int, bankShift);
        QFETCH(QByteArray, message);
        QFETCH(int, fader);
        MidiMapping mapping;
        mapping.SetKind(static_cast<MidiMappingKind>(kind));
        for (int press = 0; press < std::abs(bankShift); ++press)
            mapping.ShiftBank(bankShift > 0 ? 1 : -1);
        const auto* bytes = reinterpret_cast<const unsigned char*>(message.constData());
        QCOMPARE(mapping.FaderFor(DecodeMidiMessage(bytes, std::size_t(message.size())).slot),
                 fader);
    }

    void learnedAssignmentsReplaceAndPersist()
    {
        MidiMapping mapping;
        mapping.SetKind(MidiMappingKind::Learned);
        mapping.Learn(MidiSlot::Controller(3, 2), 5);
        mapping.Learn(MidiSlot::Controller(3, 2), 7); // the same control again
        mapping.Learn(MidiSlot::Bend(4), VolumeFader);
        QCOMPARE(mapping.LearnedText(), QStringLiteral("cc4.2=7 pb5=28"));
        MidiMapping read;
        read.SetKind(MidiMappingKind::Learned);
        read.SetLearnedText(QStringLiteral("cc4.2=7 pb5=28 cc17.1=3 pb0=2 cc1.128=4 x cc1.9=29"));
        QCOMPARE(read.LearnedText(), mapping.LearnedText());
        QCOMPARE(read.MappedSlots(),
                 (std::vector<int>{MidiSlot::Controller(3, 2), MidiSlot::Bend(4)}));
    }

    void inboxCoalescesPerControlAndKeepsBanksInOrder()
    {
        MidiInbox inbox;
        const MidiEvent a{MidiSlot::Controller(0, 1), 10};
        const MidiEvent b{MidiSlot::Bend(2), 20};
        const MidiEvent bank{MidiSlot::BankUp, 127};
        QVERIFY(inbox.Put(a));             // wakes the window
        QVERIFY(!inbox.Put(b));            // already woken
        QVERIFY(!inbox.Put({a.slot, 11})); // replaces a's value
        QVERIFY(!inbox.Put(bank));
        QVERIFY(!inbox.Put({a.slot, 12})); // after the bank: an entry of its own
        QVERIFY(!inbox.Put({-1, 0}));      // not for us
        QVERIFY(!inbox.Put({a.slot, 13}));
        QList<std::pair<int, int>> taken;
        const auto take = [&](const MidiEvent& event) { taken.append({event.slot, event.value}); };
        QVERIFY(inbox.Drain(2, take)); // more waiting
        QVERIFY(!inbox.Drain(100, take));
        const QList<std::pair<int, int>> expected = {
            {a.slot, 11}, {b.slot, 20}, {bank.slot, 127}, {a.slot, 13}};
        QCOMPARE(taken, expected);
        // Taken entries are not updated any more; the next move wakes again.
        QVERIFY(inbox.Put({a.slot, 14}));
        for (int index = 0; index < 100000; ++index) // a flood stays one entry per control
            inbox.Put({MidiSlot::Controller(0, index % 29), index % 128});
        taken.clear();
        QVERIFY(!inbox.Drain(MidiInbox::Capacity, take));
        QCOMPARE(taken.size(), 29);
        for (const auto& [slot, value] : taken) // the newest value of each control
            QCOMPARE(value, (99999 - (99999 - slot) % 29) % 128);
    }

    // Between two threads every entry arrives once and in order, also when
    // the ring runs full and the consumer leaves an entry for later.
    void ringHandsOverEveryEntryInOrder()
    {
        SpscRing<std::uint64_t, 64> ring;
        QVERIFY(ring.Claim(0) == nullptr);
        constexpr std::uint64_t Count = 300000;
        std::thread producer([&] {
            for (std::uint64_t number = 1; number <= Count;) {
                if (std::uint64_t* entry = ring.Claim()) {
                    *entry = number++;
                    ring.Publish();
                }
            }
        });
        std::uint64_t expected = 1;
        bool ordered = true;
        bool leftOnce = false;
        while (expected <= Count) {
            ring.Drain(17, [&](std::uint64_t number) {
                if (number % 1000 == 0 && !std::exchange(leftOnce, true))
                    return false; // taken on the next round
                leftOnce = false;
                ordered = ordered && number == expected;
                ++expected;
                return true;
            });
        }
        producer.join();
        QVERIFY(ordered);
        QVERIFY(!ring.Waiting());
        for (int filled = 0; filled < 64; ++filled) {
            QVERIFY(ring.Claim() != nullptr);
            ring.Publish();
        }
        QVERIFY(ring.Claim() == nullptr); // full: the producer drops rather than waits
    }
};

QTEST_MAIN(MidiMappingTest)
#include "tst_midi_mapping.moc"
