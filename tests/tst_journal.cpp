// The training journal: turns recorded through the real window, the faults
// that switch it off while the game runs on, and the weighted band draw.

#include "audio/ToneSynthesis.h"
#include "game/MainForm.h"
#include "game/MainMenu.h"
#include "game/StatusPanel.h"
#include "game/TrainingMenu.h"
#include "journal/ConfusionView.h"
#include "journal/Journal.h"
#include "journal/JournalService.h"
#include "model/FaderModel.h"
#include "model/TurnDraw.h"
#include "session/GameFlow.h"
#include "support/Builders.h"
#include "support/GameHarness.h"
#include "support/JournalFiles.h"
#include "support/ScratchMount.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QtTest>

#include <cmath>
#include <map>

namespace {

// The columns another tool fills when it adds a row by hand.
const QString OddRowColumns =
    QStringLiteral("started_at, ringing_band, frequency_hz, scoring_mode, low_cut, high_cut, "
                   "attempts, tried, find_ms, outcome, feedback_time, random_start, swell, bed");

enum class Ending { Found, StartWhileRinging, NeuesSpiel, Chart, GeneratorOn, Quit };
enum class Fault {
    ReadOnlyFolder,
    ReadOnlyFolderWithJournal,
    DiskFullAtOpen,
    DiskFullWhileWriting,
    NewerSchema
};

const QDateTime Monday = QDateTime(QDate(2026, 12, 7), QTime(9, 0), Qt::UTC);

} // namespace

class TestJournal : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<GameHarness> rig_;

    const GameState& State() const { return rig_->State(); }
    void Start(const QByteArray& settings) { QVERIFY(rig_->Start(settings)); }
    // The journal writes on a thread of its own: its turns and boxes, now.
    void Settle()
    {
        if (rig_->form)
            rig_->form->TrainingJournal().WaitUntilIdle();
    }
    QString JournalFolder() const { return QFileInfo(rig_->JournalPath()).absolutePath(); }
    // The boxes other than the safety warning at the start.
    QList<MessageBoxRequest> JournalBoxes() const
    {
        QList<MessageBoxRequest> boxes;
        for (const MessageBoxRequest& box : rig_->dialogs.boxes)
            if (box.caption == QStringLiteral("Trainingsjournal"))
                boxes << box;
        return boxes;
    }
    // One turn found under "Anwahl": `wrong` tried first, `ms` of searching.
    void PlayFoundTurn(int draw, int ringing, QList<int> wrong, std::uint32_t ms)
    {
        rig_->StartTurnRinging(draw);
        QCOMPARE(State().RingingBand, ringing);
        for (int band : wrong)
            rig_->ClickFader(band);
        rig_->clock.Advance(ms);
        rig_->ClickFader(ringing);
        QCOMPARE(State().GameMode, ModeTurnOver);
        Settle();
    }

  private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    void init() { rig_ = std::make_unique<GameHarness>(); }
    void cleanup() { rig_.reset(); }

    // ---- recording ------------------------------------------------------------

    void trainingMenuBetweenAuswertungAndHilfe()
    {
        Start("");
        QStringList menus;
        for (QAction* action : rig_->form->form.menuBar()->actions())
            menus << action->text();
        QCOMPARE(menus, QStringList({"Datei", "Spielablauf", "Einstellung", "Auswertung",
                                     "Training", "Hilfe"}));
        QStringList items;
        for (QAction* action : rig_->form->Training()->Menu()->actions())
            items << (action->isSeparator() ? QStringLiteral("-") : action->text());
        QCOMPARE(items,
                 QStringList({"Runde starten", "-", "Verwechslungen ...", "Lernkurve ...",
                              "Exportieren ...", "-", "Übungssatz starten", "Schwache Bänder üben",
                              "Lernpfad (4 von 11 Bändern)", "Hinweise", "Bühne",
                              "Bühne: Frequenzgang ...", "Anschwellen", "Hintergrund", "-",
                              "MIDI-Regler ...", "Hörtest ...", "Sprache"}));
    }

    void startUpOpensNoJournal()
    {
        Start("[Spiel]\nSelektmode=0\n");
        // Neither the database nor Qt Charts on the way to the first window.
        QVERIFY(!QFileInfo::exists(JournalFolder()));
        QVERIFY(QSqlDatabase::connectionNames().isEmpty());
        const QByteArray maps = FileBytes("/proc/self/maps");
        QVERIFY(!maps.contains("libQt6Charts"));
        QVERIFY(!maps.contains("libqsqlite"));
        rig_->StartTurnRinging(DrawFor1k);
        rig_->ClickFader(14);
        // Nothing is written while the player searches.
        QVERIFY(!QFileInfo::exists(rig_->JournalPath()));
    }

    void foundTurnIsRecorded_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QList<int>>("wrong");
        QTest::addColumn<bool>("byDragging");
        QTest::newRow("Anwahl, two wrong")
            << QByteArray("[Spiel]\nSelektmode=0\nSoundStop=3\n") << QList<int>{14, 12} << false;
        QTest::newRow("Anwahl, at once")
            << QByteArray("[Spiel]\nSelektmode=0\nZufallszeit=4\n") << QList<int>{} << false;
        QTest::newRow("Anwahl und Absenkung, three wrong")
            << QByteArray("[Spiel]\nSelektmode=1\n[Filter]\nLowCut=9\nHighcut=24\n")
            << QList<int>{20, 9, 16} << true;
    }

    void foundTurnIsRecorded()
    {
        QFETCH(QByteArray, settings);
        QFETCH(QList<int>, wrong);
        QFETCH(bool, byDragging);
        Start(settings);
        const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-1);
        rig_->random.values = {15 - State().LowCutBand - 1, 45};
        rig_->form->Game().aStartItExecute(); // no random delay, straight into the turn
        QCOMPARE(State().RingingBand, 15);
        const double frequency = State().ToneFrequency;
        for (int band : wrong) {
            rig_->ClickFader(band);
            if (byDragging)
                rig_->DragTo(-6);
            rig_->clock.Advance(700);
        }
        rig_->ClickFader(15);
        if (byDragging)
            rig_->DragTo(-7);
        QCOMPARE(State().GameMode, ModeTurnOver);
        const QDateTime after = QDateTime::currentDateTimeUtc().addSecs(1);

        Settle();
        const QList<QVariantMap> rows = ReadJournalRows(rig_->JournalPath());
        QCOMPARE(rows.size(), 1);
        const QVariantMap& row = rows.front();
        const QString startedAt = row["started_at"].toString();
        QVERIFY2(QRegularExpression("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ$")
                     .match(startedAt)
                     .hasMatch(),
                 qPrintable(startedAt));
        const QDateTime started = QDateTime::fromString(startedAt, Qt::ISODate);
        QVERIFY(started >= before && started <= after);
        QCOMPARE(row["ringing_band"].toInt(), 15);
        QCOMPARE(row["frequency_hz"].toDouble(), frequency);
        QCOMPARE(row["scoring_mode"].toInt(), State().ScoringMode);
        QCOMPARE(row["low_cut"].toInt(), State().LowCutBand);
        QCOMPARE(row["high_cut"].toInt(), State().HighCutBand);
        QCOMPARE(row["attempts"].toInt(), int(wrong.size()) + 1);
        QCOMPARE(row["attempts"].toInt(), State().TurnAttempts);
        QStringList tried;
        for (int band : wrong)
            tried << QString::number(band);
        QCOMPARE(row["tried"].toString(), tried.join(' '));
        QCOMPARE(row["find_ms"].toLongLong(), qint64(State().LastFindTime));
        QCOMPARE(row["find_ms"].toLongLong(), qint64(700 * wrong.size()));
        QCOMPARE(row["outcome"].toString(), QStringLiteral("found"));
        QCOMPARE(row["feedback_time"].toInt(), State().FeedbackTimeSetting);
        QCOMPARE(row["random_start"].toInt(), State().RandomStartSeconds);
        QCOMPARE(row["swell"].toInt(), 0);
        QCOMPARE(row["bed"].toInt(), 0);
        QCOMPARE(JournalUserVersion(rig_->JournalPath()), JournalSchemaVersion);
        QVERIFY(JournalBoxes().isEmpty());
    }

    void abandonedTurnIsRecorded_data()
    {
        QTest::addColumn<int>("ending");
        QTest::addColumn<QList<int>>("wrong");
        // After the ending, START and quitting: a START that starts a new turn
        // adds that turn (given up by quitting); one that only silences a tone
        // still ringing adds nothing.
        QTest::addColumn<int>("rowsAtTheEnd");
        QTest::newRow("START while it rings")
            << int(Ending::StartWhileRinging) << QList<int>{16} << 2;
        QTest::newRow("NEUES SPIEL, the tone rings on")
            << int(Ending::NeuesSpiel) << QList<int>{14, 13} << 1;
        QTest::newRow("a chart, the tone rings on") << int(Ending::Chart) << QList<int>{} << 1;
        QTest::newRow("the generator") << int(Ending::GeneratorOn) << QList<int>{22} << 2;
        QTest::newRow("quitting") << int(Ending::Quit) << QList<int>{12, 21} << 1;
    }

    void abandonedTurnIsRecorded()
    {
        QFETCH(int, ending);
        QFETCH(QList<int>, wrong);
        QFETCH(int, rowsAtTheEnd);
        Start("[Spiel]\nSelektmode=0\n");
        rig_->StartTurnRinging(DrawFor1k);
        for (int band : wrong)
            rig_->ClickFader(band);
        rig_->clock.Advance(2500);
        const QString journalPath = rig_->JournalPath();
        switch (Ending(ending)) {
        case Ending::StartWhileRinging:
            rig_->ClickStart();
            QCOMPARE(State().GameMode, ModeTurnOver);
            break;
        case Ending::NeuesSpiel:
            rig_->dialogs.boxAnswers = {DialogResult::Yes};
            rig_->Panel()->pNeu->click();
            QCOMPARE(State().GameMode, ModeIdle);
            break;
        case Ending::Chart:
            rig_->form->Menu()->Actions().AktuellVersuche->trigger();
            break;
        case Ending::GeneratorOn:
            rig_->form->Menu()->Actions().Feedbackgenerator->trigger();
            QCOMPARE(State().GameMode, ModeGeneratorSilent);
            break;
        case Ending::Quit:
            rig_->Stop();
            break;
        case Ending::Found:
            break;
        }
        Settle();
        const QList<QVariantMap> rows = ReadJournalRows(journalPath);
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0]["outcome"].toString(), QStringLiteral("abandoned"));
        QCOMPARE(rows[0]["ringing_band"].toInt(), 15);
        QCOMPARE(rows[0]["attempts"].toInt(), int(wrong.size()));
        QVERIFY(rows[0]["find_ms"].isNull());
        QStringList tried;
        for (int band : wrong)
            tried << QString::number(band);
        QCOMPARE(rows[0]["tried"].toString(), tried.join(' '));

        // Once ended, the turn is not recorded again, whatever follows.
        if (rig_->form) {
            rig_->ClickStart();
            rig_->Stop();
        }
        Settle();
        QCOMPARE(ReadJournalRows(journalPath).size(), rowsAtTheEnd);
    }

    void feedbackTimeRunningOutDoesNotEndTheTurn()
    {
        Start("[Spiel]\nSelektmode=0\nSoundStop=2\n");
        rig_->StartTurnRinging(DrawFor1k);
        QTimer& soundStop = rig_->form->Tone().SoundStop();
        QVERIFY(soundStop.isActive());
        rig_->clock.Advance(1000);
        emit soundStop.timeout({});
        QVERIFY(!QFileInfo::exists(rig_->JournalPath()));
        rig_->ClickFader(16);
        rig_->clock.Advance(3000);
        rig_->ClickFader(15);
        Settle();
        const QList<QVariantMap> rows = ReadJournalRows(rig_->JournalPath());
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0]["outcome"].toString(), QStringLiteral("found"));
        QCOMPARE(rows[0]["find_ms"].toLongLong(), 4000);
        QCOMPARE(rows[0]["feedback_time"].toInt(), 2);
    }

    void everyTurnIsCommittedWhenItEnds()
    {
        Start("[Spiel]\nSelektmode=0\n");
        PlayFoundTurn(DrawFor1k, 15, {14}, 1200);
        // Another tool (or this program after a kill) reads it at once.
        QCOMPARE(ReadJournalRows(rig_->JournalPath()).size(), 1);
        PlayFoundTurn(DrawFor800, 14, {}, 900);
        QCOMPARE(ReadJournalRows(rig_->JournalPath()).size(), 2);
        rig_->StartTurnRinging(DrawFor1k); // in play: not in the file
        Settle();
        QCOMPARE(ReadJournalRows(rig_->JournalPath()).size(), 2);
        QCOMPARE(JournalIntegrity(rig_->JournalPath()), QStringLiteral("ok"));
        QCOMPARE(JournalValue(rig_->JournalPath(), "PRAGMA journal_mode").toString(),
                 QStringLiteral("wal"));
    }

    void untouchedTrainingMenuLeavesTheSettingsAsTheyWere()
    {
        // A player who never opens "Training": the settings file has no new section.
        Start("[Spiel]\nSelektmode=0\n");
        PlayFoundTurn(DrawFor1k, 15, {14}, 1200);
        const QString settings = rig_->SettingsPath();
        rig_->Stop();
        QVERIFY(!FileBytes(settings).contains("Training"));
    }

    // ---- faults ------------------------------------------------------------------

    void faultSwitchesTheJournalOff_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<QString>("reason");
        QTest::newRow("read-only folder")
            << int(Fault::ReadOnlyFolder) << "kann keine Datei angelegt werden";
        QTest::newRow("read-only folder holding a journal")
            << int(Fault::ReadOnlyFolderWithJournal) << "kann keine Datei angelegt werden";
        QTest::newRow("disk full at the first turn") << int(Fault::DiskFullAtOpen) << "voll";
        QTest::newRow("disk full at a later turn") << int(Fault::DiskFullWhileWriting) << "voll";
        QTest::newRow("newer schema") << int(Fault::NewerSchema) << "neueren Version";
    }

    void faultSwitchesTheJournalOff()
    {
        QFETCH(int, fault);
        QFETCH(QString, reason);
        const QString folder = JournalFolder();
        const QString path = rig_->JournalPath();
        QVERIFY(QDir().mkpath(folder));
        std::optional<ScratchMount> mount;
        QByteArray before;

        switch (Fault(fault)) {
        case Fault::ReadOnlyFolder:
            mount.emplace(ScratchMount::ReadOnly(folder));
            break;
        case Fault::ReadOnlyFolderWithJournal:
            QVERIFY(SeedJournal(path, {MakeTurn(Monday, 15, TurnOutcome::Found, 2, {14})}));
            before = FileBytes(path);
            mount.emplace(ScratchMount::ReadOnly(folder));
            break;
        case Fault::DiskFullAtOpen:
            mount.emplace(ScratchMount::SmallTmpfs(folder, 64 * 1024));
            QVERIFY(FillFileSystem(folder));
            break;
        case Fault::DiskFullWhileWriting:
            mount.emplace(ScratchMount::SmallTmpfs(folder, 256 * 1024));
            break;
        case Fault::NewerSchema:
            QVERIFY(SeedJournal(path, {MakeTurn(Monday, 15, TurnOutcome::Found, 2, {14})}));
            QVERIFY(RunSql(
                path, {QStringLiteral("PRAGMA user_version = %1").arg(JournalSchemaVersion + 1)}));
            before = FileBytes(path);
            break;
        }
        if (mount)
            QVERIFY2(mount->Mounted() && mount->Error().isEmpty(), qPrintable(mount->Error()));

        Start("[Spiel]\nSelektmode=0\n");
        if (Fault(fault) == Fault::DiskFullWhileWriting) {
            PlayFoundTurn(DrawFor1k, 15, {14}, 1000);
            QVERIFY(JournalBoxes().isEmpty());
            QVERIFY(FillFileSystem(folder));
        }

        PlayFoundTurn(DrawFor1k, 15, {16, 13}, 2000);
        QCOMPARE(JournalBoxes().size(), 1);
        const MessageBoxRequest box = JournalBoxes().front();
        QCOMPARE(box.icon, DialogIcon::Warning);
        QVERIFY2(box.text.contains(path), qPrintable(box.text));
        QVERIFY2(box.text.contains(reason), qPrintable(box.text));

        // The game runs on, and the journal says nothing more.
        PlayFoundTurn(DrawFor800, 14, {}, 500);
        QCOMPARE(State().GameFinds, Fault(fault) == Fault::DiskFullWhileWriting ? 3 : 2);
        QCOMPARE(rig_->Labels().at(0), QStringLiteral("Aktuell: 1 Zeit:0,5s."));
        rig_->form->Training()->Actions().Verwechslungen->trigger();
        QVERIFY(rig_->form->OpenConfusions());
        QVERIFY(rig_->form->OpenConfusions()->SummaryText().contains("ausgeschaltet"));
        rig_->Stop();
        QCOMPARE(JournalBoxes().size(), 1);

        // The file afterwards.
        switch (Fault(fault)) {
        case Fault::ReadOnlyFolder:
            QVERIFY(!QFileInfo::exists(path));
            break;
        case Fault::ReadOnlyFolderWithJournal:
        case Fault::NewerSchema:
            QCOMPARE(FileBytes(path), before);
            break;
        case Fault::DiskFullAtOpen:
            QVERIFY(!QFileInfo::exists(path) || JournalIntegrity(path) == "ok");
            break;
        case Fault::DiskFullWhileWriting: {
            QVERIFY(QFile::remove(folder + "/filler"));
            QCOMPARE(JournalIntegrity(path), QStringLiteral("ok"));
            const QList<QVariantMap> rows = ReadJournalRows(path);
            QCOMPARE(rows.size(), 1); // the turn before the disk filled up, whole
            QCOMPARE(rows[0]["tried"].toString(), QStringLiteral("14"));
            break;
        }
        }
        mount.reset();
        if (Fault(fault) == Fault::ReadOnlyFolderWithJournal) {
            QCOMPARE(JournalIntegrity(path), QStringLiteral("ok"));
            QCOMPARE(ReadJournalRows(path).size(), 1);
        }
    }

    void fileThatIsNoDatabaseIsMovedAside()
    {
        const QString folder = JournalFolder();
        const QString path = rig_->JournalPath();
        QVERIFY(QDir().mkpath(folder));
        const QByteArray garbage = QByteArray("Das ist keine Datenbank.\n").repeated(200);
        const std::map<QString, QByteArray> files = {
            {"", garbage}, {"-wal", "altes WAL"}, {"-shm", QByteArray(100, '\1')}};
        for (const auto& [suffix, bytes] : files) {
            QFile file(path + suffix);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }

        Start("[Spiel]\nSelektmode=0\n");
        PlayFoundTurn(DrawFor1k, 15, {14}, 1000);
        QCOMPARE(JournalBoxes().size(), 1);
        QCOMPARE(JournalBoxes().front().icon, DialogIcon::Information);

        const QStringList aside =
            QDir(folder).entryList({"journal.sqlite.defekt-*"}, QDir::Files, QDir::Name);
        QCOMPARE(aside.size(), 3);
        const QString movedName = aside.front();
        QVERIFY2(QRegularExpression("^journal\\.sqlite\\.defekt-\\d{8}T\\d{6}Z$")
                     .match(movedName)
                     .hasMatch(),
                 qPrintable(movedName));
        for (const auto& [suffix, bytes] : files)
            QCOMPARE(FileBytes(folder + "/" + movedName + suffix), bytes);
        QVERIFY(JournalBoxes().front().text.contains(movedName));
        QVERIFY(JournalBoxes().front().text.contains(path));

        // A new journal took its place and records on.
        PlayFoundTurn(DrawFor800, 14, {}, 700);
        QCOMPARE(JournalIntegrity(path), QStringLiteral("ok"));
        QCOMPARE(ReadJournalRows(path).size(), 2);
        QCOMPARE(JournalBoxes().size(), 1);
    }

    void lockedDatabaseIsWrittenOnceTheLockGoes()
    {
        const QString path = rig_->JournalPath();
        QVERIFY(SeedJournal(path, {MakeTurn(Monday, 13, TurnOutcome::Found, 1)}));
        JournalLock lock(path);
        QVERIFY(lock.Held());
        Start("[Spiel]\nSelektmode=0\n");
        JournalService& journal = rig_->form->TrainingJournal();
        for (int band : {15, 14}) {
            rig_->StartTurnRinging(band == 15 ? DrawFor1k : DrawFor800);
            rig_->ClickFader(band);
        }
        // The turns wait on the journal's thread; the game goes on, no box.
        QTRY_COMPARE_WITH_TIMEOUT(journal.WaitingTurns(), 2, 15000);
        QVERIFY(JournalBoxes().isEmpty());
        QVERIFY(!journal.IsOff());
        QCOMPARE(ReadJournalRows(path).size(), 1);

        lock.Release();
        journal.WaitUntilIdle(10000);
        QCOMPARE(journal.WaitingTurns(), 0);
        const QList<QVariantMap> rows = ReadJournalRows(path);
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[1]["ringing_band"].toInt(), 15);
        QCOMPARE(rows[2]["ringing_band"].toInt(), 14);
        QVERIFY(JournalBoxes().isEmpty());
    }

    // A journal from before the stage: every row stays as it was and reads
    // as the tone's; the stage's columns are added empty.
    void versionOneJournalKeepsEveryRow()
    {
        const QString path = rig_->JournalPath();
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QVERIFY(SeedVersion1Journal(path, 10000));
        const QList<QVariantMap> before = ReadJournalRows(path);
        QCOMPARE(before.size(), 10000);
        ScriptedDialogs quiet;
        Journal journal(quiet, path);
        const auto turns = journal.ReadTurns();
        QVERIFY(turns);
        QCOMPARE(int(turns->size()), 10000);
        QVERIFY(std::none_of(turns->begin(), turns->end(),
                             [](const JournalTurn& turn) { return turn.stage; }));
        QCOMPARE(JournalUserVersion(path), JournalSchemaVersion);
        const QList<QVariantMap> after = ReadJournalRows(path);
        QCOMPARE(after.size(), before.size());
        for (int i = 0; i < after.size(); ++i) {
            QVariantMap kept = after[i];
            QCOMPARE(kept.take("kind").toString(), QStringLiteral("ton"));
            QVERIFY(kept.take("howl_hz").isNull() && kept.take("gain_won_db").isNull());
            QVERIFY(kept.take("set_id").isNull() && kept.take("auto_gain_db").isNull());
            QCOMPARE(kept, before[i]);
        }
        QVERIFY(quiet.boxes.isEmpty());
    }

    void damagedPagesAreMovedAsideAndSalvaged()
    {
        const QString path = rig_->JournalPath();
        constexpr int Seeded = 3000;
        QVERIFY(SeedManyTurns(path, Seeded));
        const QList<QVariantMap> seeded = ReadJournalRows(path);
        const int pages = QFileInfo(path).size() / JournalValue(path, "PRAGMA page_size").toInt();
        QVERIFY(DamagePages(path, pages / 2, 4)); // a valid header, four bad pages mid-file
        QVERIFY(JournalIntegrity(path) != QStringLiteral("ok"));
        const QByteArray damaged = FileBytes(path);

        Start("[Spiel]\nSelektmode=0\n");
        PlayFoundTurn(DrawFor1k, 15, {14}, 1000);
        PlayFoundTurn(DrawFor800, 14, {}, 700);
        QCOMPARE(JournalBoxes().size(), 1);
        const MessageBoxRequest box = JournalBoxes().front();
        QCOMPARE(box.icon, DialogIcon::Information);
        const QStringList aside =
            QDir(JournalFolder()).entryList({"journal.sqlite.*"}, QDir::Files);
        QCOMPARE(aside.size(), 1);
        QVERIFY(aside.front().startsWith("journal.sqlite.defekt-"));
        QCOMPARE(FileBytes(JournalFolder() + "/" + aside.front()), damaged);

        // Every readable row, the ones behind the damage too, then the new turns.
        QCOMPARE(JournalIntegrity(path), QStringLiteral("ok"));
        const QList<QVariantMap> rows = ReadJournalRows(path);
        const int saved = rows.size() - 2;
        QVERIFY2(saved > Seeded / 2 && saved < Seeded, qPrintable(QString::number(saved)));
        QVERIFY2(box.text.contains(QStringLiteral("\n%1 Runden ließen sich noch lesen").arg(saved)),
                 qPrintable(box.text));
        QCOMPARE(rows[saved - 1], seeded.last());
        QCOMPARE(rows[saved]["ringing_band"].toInt(), 15);
        QCOMPARE(rows[saved + 1]["ringing_band"].toInt(), 14);
    }

    // The damage is found before an old journal is upgraded or switched to
    // WAL, so what is moved aside is the file as it was found.
    void damagedOldJournalIsMovedAsideUnchanged_data()
    {
        QTest::addColumn<int>("version");
        QTest::newRow("version 1") << 1;
        QTest::newRow("version 2") << 2;
    }

    void damagedOldJournalIsMovedAsideUnchanged()
    {
        QFETCH(int, version);
        const QString path = rig_->JournalPath();
        QVERIFY(QDir().mkpath(JournalFolder()));
        QVERIFY(SeedOldJournal(path, version, 3000));
        const int pages = QFileInfo(path).size() / JournalValue(path, "PRAGMA page_size").toInt();
        QVERIFY(DamagePages(path, pages / 2, 4));
        const QByteArray damaged = FileBytes(path);

        ScriptedDialogs dialogs;
        Journal journal(dialogs, path);
        QVERIFY(journal.Open());
        QCOMPARE(dialogs.boxes.size(), 1);
        QVERIFY2(dialogs.boxes.front().text.contains(QStringLiteral("beschädigt")),
                 qPrintable(dialogs.boxes.front().text));
        const QStringList aside =
            QDir(JournalFolder()).entryList({"journal.sqlite.defekt-*"}, QDir::Files);
        QCOMPARE(aside.size(), 1);
        QCOMPARE(FileBytes(JournalFolder() + "/" + aside.front()), damaged);
        QCOMPARE(JournalUserVersion(path), JournalSchemaVersion);
    }

    void oddRowsFromOtherToolsAreNotTrusted_data()
    {
        // A sound found turn of band 12 with one column spoilt.
        const QStringList columns = OddRowColumns.split(QStringLiteral(", "));
        const auto spoilt = [&columns](const QString& column, const QString& value) {
            QStringList values = {"'2026-12-07T09:00:00Z'",
                                  "12",
                                  "1000",
                                  "1",
                                  "11",
                                  "22",
                                  "1",
                                  "''",
                                  "900",
                                  "'found'",
                                  "0",
                                  "0",
                                  "0",
                                  "0"};
            values[columns.indexOf(column)] = value;
            return values.join(QStringLiteral(", "));
        };
        QTest::addColumn<QString>("values");
        QTest::newRow("band 28") << spoilt("ringing_band", "28");
        QTest::newRow("band -1") << spoilt("ringing_band", "-1");
        QTest::newRow("negative find time") << spoilt("find_ms", "-900");
        QTest::newRow("negative attempts") << spoilt("attempts", "-3");
        QTest::newRow("tried band 99") << spoilt("tried", "'13 99'");
        QTest::newRow("unknown outcome") << spoilt("outcome", "'gewonnen'");
        QTest::newRow("no time") << spoilt("started_at", "'gestern'");
        QTest::newRow("attempts beyond any integer") << spoilt("attempts", "1e300");
        QTest::newRow("find without attempt") << spoilt("attempts", "0");
    }

    void oddRowsFromOtherToolsAreNotTrusted()
    {
        QFETCH(QString, values);
        const QString path = rig_->JournalPath();
        QVERIFY(SeedJournal(path, {MakeTurn(Monday, 13, TurnOutcome::Found, 1)}));
        const QString columns = OddRowColumns;
        QString error;
        QVERIFY2(RunSql(path,
                        {"INSERT INTO turns (" + columns + ") VALUES (" + values + ")",
                         // a sound row written with just the named columns
                         "INSERT INTO turns (" + columns +
                             ") VALUES ('2026-12-07T10:00:00Z', 12, 990.5, 0, 11, 22, 3, '13 11', "
                             "4000, 'found', 0, 0, 0, 0)"},
                        &error),
                 qPrintable(error));

        ScriptedDialogs dialogs;
        Journal journal(dialogs, path);
        const auto turns = journal.ReadTurns();
        QVERIFY(turns);
        QCOMPARE(int(turns->size()), 2);
        QCOMPARE((*turns)[1].ringingBand, 12);
        QCOMPARE((*turns)[1].tried, QList<int>({13, 11}));
        // The draw ignores it too: band 12 weighs (1 + 2 wrong)^2, band 13 (1 + 0)^2.
        const auto weights = journal.DrillWeights();
        QVERIFY(weights);
        QCOMPARE((*weights)[12], 9.0);
        QCOMPARE((*weights)[13], 1.0);
        QCOMPARE((*weights)[14], 4.0);
        QVERIFY(dialogs.boxes.isEmpty());
    }

    // ---- the weighted draw ------------------------------------------------------------

    void weightsFollowTheFormula_data()
    {
        // weight(b) = (1 + mean(attempts - 1) over b's last 20 found turns)^2; 2^2 without one.
        QTest::addColumn<QList<int>>("foundAttempts"); // band 12's finds, oldest first
        QTest::addColumn<int>("abandoned");            // band 12's turns given up
        QTest::addColumn<double>("weight");
        QTest::newRow("never played") << QList<int>{} << 0 << 4.0;
        QTest::newRow("only given up") << QList<int>{} << 3 << 4.0;
        QTest::newRow("always at once") << QList<int>{1, 1, 1} << 0 << 1.0;
        QTest::newRow("one and five") << QList<int>{1, 5} << 2 << 9.0;
        QTest::newRow("two, four, three") << QList<int>{2, 4, 3} << 0 << 9.0;
        QList<int> improving(5, 11);
        improving += QList<int>(20, 1);
        QTest::newRow("only the last 20 count") << improving << 0 << 1.0;
        QList<int> worse(20, 1);
        worse += QList<int>{3};
        QTest::newRow("the 21st pushes out the first") << worse << 0 << 1.21;
    }

    void weightsFollowTheFormula()
    {
        QFETCH(QList<int>, foundAttempts);
        QFETCH(int, abandoned);
        QFETCH(double, weight);
        QList<JournalTurn> turns;
        QDateTime at = Monday;
        for (int attempts : foundAttempts) {
            turns << MakeTurn(at, 12, TurnOutcome::Found, attempts);
            at = at.addSecs(60);
        }
        for (int i = 0; i < abandoned; ++i) {
            turns << MakeTurn(at, 12, TurnOutcome::Abandoned, 4, {11, 13, 14, 15});
            at = at.addSecs(60);
        }
        turns << MakeTurn(at, 20, TurnOutcome::Found, 7); // another band's weight is its own
        const QString path = rig_->JournalPath();
        QVERIFY(SeedJournal(path, turns));

        ScriptedDialogs dialogs;
        Journal journal(dialogs, path);
        const auto weights = journal.DrillWeights();
        QVERIFY(weights);
        QVERIFY(std::abs((*weights)[12] - weight) < 1e-12);
        QCOMPARE((*weights)[20], 49.0);
        QCOMPARE((*weights)[11], 4.0);

        // A turn recorded now counts at once.
        QVERIFY(journal.Record(MakeTurn(at.addSecs(60), 11, TurnOutcome::Found, 4)));
        QCOMPARE(journal.DrillWeights()->at(11), 16.0);
    }

    void weightedDrawThroughTheWindow_data()
    {
        // Cut 11..14: bands 12, 13, 14 ring. Seeded weights 9, 1, 4: 13 is raised to
        // the floor of 1/6, the rest of 5/6 shared 9:4, so 12 ends at 15/26 and
        // 13 at 15/26 + 1/6 = 0.7436.
        QTest::addColumn<QByteArray>("training");
        QTest::addColumn<bool>("brokenJournal");
        QTest::addColumn<double>("fraction");
        QTest::addColumn<int>("bandDraw");
        QTest::addColumn<int>("ringing");
        QTest::addColumn<bool>("weighted");
        const QByteArray on = "[Training]\nSchwerpunkt=1\n";
        QTest::newRow("on, start of band 12") << on << false << 0.0 << 0 << 12 << true;
        QTest::newRow("on, end of band 12") << on << false << 0.576 << 0 << 12 << true;
        QTest::newRow("on, band 13 begins at 15/26") << on << false << 0.577 << 0 << 13 << true;
        QTest::newRow("on, end of band 13") << on << false << 0.743 << 0 << 13 << true;
        QTest::newRow("on, band 14") << on << false << 0.744 << 0 << 14 << true;
        QTest::newRow("on, last") << on << false << 0.9999 << 0 << 14 << true;
        QTest::newRow("off: the game's draw") << QByteArray() << false << 0.9 << 1 << 13 << false;
        QTest::newRow("off in the file")
            << QByteArray("[Training]\nSchwerpunkt=0\n") << false << 0.9 << 0 << 12 << false;
        QTest::newRow("on, journal off") << on << true << 0.9 << 2 << 14 << false;
    }

    void weightedDrawThroughTheWindow()
    {
        QFETCH(QByteArray, training);
        QFETCH(bool, brokenJournal);
        QFETCH(double, fraction);
        QFETCH(int, bandDraw);
        QFETCH(int, ringing);
        QFETCH(bool, weighted);
        const QString path = rig_->JournalPath();
        QVERIFY(SeedJournal(path, {MakeTurn(Monday, 12, TurnOutcome::Found, 1),
                                   MakeTurn(Monday, 12, TurnOutcome::Found, 5),
                                   MakeTurn(Monday, 13, TurnOutcome::Found, 1),
                                   MakeTurn(Monday, 13, TurnOutcome::Abandoned, 6)}));
        if (brokenJournal)
            QVERIFY(RunSql(path, {"PRAGMA user_version = 9"}));
        const QByteArray journalBefore = FileBytes(path);

        Start("[Filter]\nLowCut=11\nHighcut=14\n[Spiel]\nSelektmode=0\n" + training);
        Settle(); // the weights are read while the player gets ready
        rig_->random.bounds.clear();
        // The weighted draw asks for no integer for the band.
        rig_->random.values =
            weighted ? QList<std::int32_t>{45} : QList<std::int32_t>{bandDraw, 45};
        rig_->random.fractions = {fraction};
        rig_->ClickStart();
        QCOMPARE(State().RingingBand, ringing);
        if (weighted) {
            QCOMPARE(rig_->random.fractionsAsked, 1);
            QCOMPARE(rig_->random.bounds, QList<std::int32_t>({91}));
        } else {
            // Exactly the game's own calls: the band among three, then the point.
            QCOMPARE(rig_->random.fractionsAsked, 0);
            QCOMPARE(rig_->random.bounds, QList<std::int32_t>({3, 91}));
        }
        // The frequency inside the band is drawn as always: point 5 + 45 of 100.
        const double lower = BandLowerEdge(State().BandTable, ringing);
        const double upper = BandUpperEdge(State().BandTable, ringing);
        QCOMPARE(State().ToneFrequency, lower + 50 * ((upper - lower) / 100));
        QCOMPARE(JournalBoxes().size(), brokenJournal ? 1 : 0);
        if (training.isEmpty())
            QCOMPARE(FileBytes(path), journalBefore); // not even opened for the draw
    }

    void weakBandsOptionFromTheMenu()
    {
        Start("[Spiel]\nSelektmode=0\n");
        QAction* option = rig_->form->Training()->Actions().SchwacheBaender;
        QVERIFY(option->isCheckable());
        QVERIFY(!option->isChecked());
        option->trigger();
        QCOMPARE(State().Training.Schwerpunkt, 1);
        Settle();
        rig_->random.bounds.clear();
        rig_->random.fractions = {0.0};
        rig_->random.values = {45};
        rig_->ClickStart();
        QCOMPARE(rig_->random.fractionsAsked, 1);
        QCOMPARE(State().RingingBand, 12); // an empty journal weighs every band 4
        const QString settings = rig_->SettingsPath();
        rig_->Stop();
        QVERIFY2(FileBytes(settings).contains("[Training]\nSchwerpunkt=1\n"),
                 FileBytes(settings).constData());
    }

    void weightedDrawMatchesItsWeightsOverManyTurns()
    {
        GameState state = StartUpState();
        state.LowCutBand = 14;
        state.HighCutBand = 18; // bands 15..18
        BandWeights weights{};
        weights.fill(2.0);
        weights[15] = 1.0;
        weights[16] = 4.5;
        weights[17] = 2.0;
        weights[18] = 1.5;
        weights[14] = 50.0; // at the cut: never rings, whatever its weight
        // 15 would get 1/9, under the floor of 1/8; the others share 7/8.
        const std::map<int, double> shares = {
            {15, 1.0 / 8}, {16, 7.0 / 8 * 4.5 / 8}, {17, 7.0 / 8 * 2 / 8}, {18, 7.0 / 8 * 1.5 / 8}};
        SeededRandom random(20261207);
        constexpr int Draws = 90000;
        std::map<int, int> seen;
        for (int i = 0; i < Draws; ++i) {
            const TurnFrequency drawn = PickTurnFrequency(state, random, &weights);
            ++seen[drawn.band];
            QVERIFY(drawn.frequencyHz > BandLowerEdge(state.BandTable, drawn.band) &&
                    drawn.frequencyHz < BandUpperEdge(state.BandTable, drawn.band));
        }
        QCOMPARE(int(seen.size()), 4);
        // Pearson's chi-square with 3 degrees of freedom; 16.27 is its 0.1 %
        // point, so a sound draw fails this once in a thousand seeds.
        double chiSquare = 0;
        for (int g = 15; g <= 18; ++g) {
            const double expected = Draws * shares.at(g);
            chiSquare += std::pow(seen[g] - expected, 2) / expected;
        }
        QVERIFY2(chiSquare < 16.27, qPrintable(QString::number(chiSquare)));
    }

    void shareFloor_data()
    {
        QTest::addColumn<QList<double>>("weights"); // bands 1..4
        QTest::addColumn<QList<double>>("shares");
        QTest::newRow("all above the floor")
            << QList<double>{4, 4, 1, 1} << QList<double>{0.375, 0.375, 0.125, 0.125};
        QTest::newRow("even") << QList<double>{1, 1, 1, 1} << QList<double>{0.25, 0.25, 0.25, 0.25};
        QTest::newRow("three raised at once")
            << QList<double>{100, 1, 1, 4} << QList<double>{0.625, 0.125, 0.125, 0.125};
        // 1.9 keeps 0.137 at first, then falls to 0.1197 once two are raised.
        QTest::newRow("raising pushes another under")
            << QList<double>{10, 1.9, 1, 1} << QList<double>{0.625, 0.125, 0.125, 0.125};
        QTest::newRow("no weight and NaN get the floor")
            << QList<double>{0, std::nan(""), 3, 1}
            << QList<double>{0.125, 0.125, 0.75 * 3 / 4, 0.75 / 4};
    }

    void shareFloor()
    {
        QFETCH(QList<double>, weights);
        QFETCH(QList<double>, shares);
        BandWeights all{};
        all.fill(7.0); // outside the range: ignored
        for (int i = 0; i < 4; ++i)
            all[i + 1] = weights[i];
        const BandWeights floored = WithShareFloor(all, 1, 4);
        for (int i = 0; i < 4; ++i)
            QVERIFY2(std::abs(floored[i + 1] - shares[i]) < 1e-12,
                     qPrintable(QStringLiteral("band %1: %2").arg(i + 1).arg(floored[i + 1])));
        QCOMPARE(floored[0], 0.0);
        QCOMPARE(floored[5], 0.0);
    }

    void weightedBandEdges_data()
    {
        QTest::addColumn<QList<double>>("weights"); // bands 1..4
        QTest::addColumn<double>("fraction");
        QTest::addColumn<int>("band");
        QTest::newRow("first") << QList<double>{1, 1, 1, 1} << 0.0 << 1;
        QTest::newRow("a quarter is the second") << QList<double>{1, 1, 1, 1} << 0.25 << 2;
        QTest::newRow("weightless bands are passed") << QList<double>{0, 0, 2, 0} << 0.0 << 3;
        QTest::newRow("rounding up stays inside") << QList<double>{0.1, 0.2, 0.3, 0} << 1.0 << 3;
        QTest::newRow("negative and NaN weigh nothing")
            << QList<double>{-5, std::nan(""), 1, 1} << 0.4 << 3;
        QTest::newRow("nothing to draw from") << QList<double>{0, 0, 0, 0} << 0.5 << -1;
    }

    void weightedBandEdges()
    {
        QFETCH(QList<double>, weights);
        QFETCH(double, fraction);
        QFETCH(int, band);
        BandWeights all{};
        for (int i = 0; i < 4; ++i)
            all[i + 1] = weights[i];
        QCOMPARE(WeightedBand(all, 1, 4, fraction), band);
    }
};

QTEST_MAIN(TestJournal)
#include "tst_journal.moc"
