// The main menu: its tree, the marks of the submenus that show a value, and the
// commands that change a setting or the cut range.

#include "game/MainMenu.h"
#include "model/FaderModel.h"
#include "model/GameState.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>

#include <cstring>
#include <memory>

namespace {

struct Fixture {
    Fixture()
    {
        QObject::connect(&faders, &FaderModel::changed, [this] { ++repaints; });
    }
    GameState state;
    int repaints = 0;
    FaderModel faders{state};
    QMenuBar bar;
    MainMenu menu{&bar, state, faders};
};

QMenu* FindMenu(QMenuBar& bar, const QString& path)
{
    QList<QAction*> actions = bar.actions();
    QMenu* found = nullptr;
    for (const QString& title : path.split(QLatin1Char('/'))) {
        found = nullptr;
        for (QAction* action : actions) {
            if (action->text() == title && action->menu()) {
                found = action->menu();
                break;
            }
        }
        if (!found)
            return nullptr;
        actions = found->actions();
    }
    return found;
}

QAction* FindItem(QMenuBar& bar, const QString& path, const QString& caption)
{
    QMenu* menu = FindMenu(bar, path);
    if (!menu)
        return nullptr;
    for (QAction* action : menu->actions())
        if (action->text() == caption)
            return action;
    return nullptr;
}

QStringList Captions(const QList<QAction*>& actions)
{
    QStringList captions;
    for (QAction* action : actions)
        captions << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return captions;
}

// What the player sees: the captions of the checked items of a menu.
QStringList CheckedCaptions(QMenu* menu)
{
    QStringList captions;
    for (QAction* action : menu->actions())
        if (action->isChecked())
            captions << action->text();
    return captions;
}

// Opens a menu as the player would, so that it sets its marks, and closes it.
QStringList OpenAndReadMarks(QMenu* menu)
{
    menu->popup(QPoint(0, 0));
    const QStringList marks = CheckedCaptions(menu);
    menu->hide();
    return marks;
}

// Opens the menu and clicks the item with the mouse.
void ClickItem(QMenu* menu, QAction* item)
{
    menu->popup(QPoint(0, 0));
    QVERIFY(QTest::qWaitForWindowExposed(menu));
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
    QTRY_VERIFY(!menu->isVisible());
}

std::int32_t FieldValue(const GameState& state, const QString& field)
{
    if (field == u"RandomStartSeconds")
        return state.RandomStartSeconds;
    if (field == u"AutoRestartSeconds")
        return state.AutoRestartSeconds;
    if (field == u"ScoringMode")
        return state.ScoringMode;
    if (field == u"LowCutBand")
        return state.LowCutBand;
    if (field == u"HighCutBand")
        return state.HighCutBand;
    if (field == u"FeedbackTimeSetting")
        return state.FeedbackTimeSetting;
    qFatal("unknown field");
}

void SetField(GameState& state, const QString& field, std::int32_t value)
{
    if (field == u"RandomStartSeconds")
        state.RandomStartSeconds = value;
    else if (field == u"AutoRestartSeconds")
        state.AutoRestartSeconds = value;
    else if (field == u"ScoringMode")
        state.ScoringMode = value;
    else if (field == u"LowCutBand")
        state.LowCutBand = value;
    else if (field == u"HighCutBand")
        state.HighCutBand = value;
    else if (field == u"FeedbackTimeSetting")
        state.FeedbackTimeSetting = value;
    else
        qFatal("unknown field");
}

constexpr int NoTag = -1;

struct ItemRow {
    const char* path;
    const char* caption;
    int tag;
    const char* group; // items of one radio group share the name; "" none
    bool enabled;
    bool checked;
};

// Every item of the menu tree with its Tag, radio group and initial state.
const std::vector<ItemRow>& MenuTable()
{
    static const std::vector<ItemRow> rows = {
        {"Datei", "Laden", NoTag, "", true, false},
        {"Datei", "Speichern", NoTag, "", false, false},
        {"Datei", "Speichern unter", NoTag, "", false, false},
        {"Datei", "Beenden", NoTag, "", true, false},
        {"Spielablauf", "Feedback Zeit", NoTag, "", true, false},
        {"Spielablauf/Feedback Zeit", "0.5 Sekunden", 1, "feedback", true, false},
        {"Spielablauf/Feedback Zeit", "1 Sekunden", 2, "feedback", true, false},
        {"Spielablauf/Feedback Zeit", "2 Sekunden", 3, "feedback", true, false},
        {"Spielablauf/Feedback Zeit", "3 Sekunden", 4, "feedback", true, false},
        {"Spielablauf/Feedback Zeit", "4 Sekunden", 5, "feedback", true, false},
        {"Spielablauf/Feedback Zeit", "5 Sekunden", 6, "feedback", true, false},
        {"Spielablauf/Feedback Zeit", "Kontinuierlich", 0, "feedback", true, false},
        {"Spielablauf", "Zufallsstart", NoTag, "", true, false},
        {"Spielablauf/Zufallsstart", "Aus", 0, "random", true, true},
        {"Spielablauf/Zufallsstart", "2 sek", 2, "random", true, false},
        {"Spielablauf/Zufallsstart", "4 sek", 4, "random", true, false},
        {"Spielablauf/Zufallsstart", "6 sek ", 6, "random", true, false},
        {"Spielablauf/Zufallsstart", "10 sek", 10, "random", true, false},
        {"Spielablauf/Zufallsstart", "20 sek", 20, "random", true, false},
        {"Spielablauf", "Automatischer Neustart", NoTag, "", true, false},
        {"Spielablauf/Automatischer Neustart", "Aus", 0, "restart", true, true},
        {"Spielablauf/Automatischer Neustart", "Nach 1 Sekunde", 1, "restart", true, false},
        {"Spielablauf/Automatischer Neustart", "Nach 2 Sekunden", 2, "restart", true, false},
        {"Spielablauf/Automatischer Neustart", "Nach 3 Sekunden", 3, "restart", true, false},
        {"Spielablauf/Automatischer Neustart", "Nach 5 Sekunden", 5, "restart", true, false},
        {"Spielablauf", "Feedbackgenerator", NoTag, "generator", true, false},
        {"Einstellung", "Lowcut", NoTag, "", true, false},
        {"Einstellung/Lowcut", "31.5 Hz", 1, "lowcut", true, false},
        {"Einstellung/Lowcut", "40 Hz", 2, "lowcut", true, false},
        {"Einstellung/Lowcut", "50 Hz", 3, "lowcut", true, false},
        {"Einstellung/Lowcut", "62.5 Hz", 4, "lowcut", true, false},
        {"Einstellung/Lowcut", "80 Hz", 5, "lowcut", true, false},
        {"Einstellung/Lowcut", "100 Hz", 6, "lowcut", true, false},
        {"Einstellung/Lowcut", "125 Hz", 7, "lowcut", true, false},
        {"Einstellung/Lowcut", "160 Hz", 8, "lowcut", true, false},
        {"Einstellung/Lowcut", "200 Hz", 9, "lowcut", true, false},
        {"Einstellung/Lowcut", "250 Hz", 10, "lowcut", true, false},
        {"Einstellung/Lowcut", "315 Hz", 11, "lowcut", true, false},
        {"Einstellung/Lowcut", "400 Hz", 12, "lowcut", true, false},
        {"Einstellung", "Highcut", NoTag, "", true, false},
        {"Einstellung/Highcut", "6.25 kHz", 22, "highcut", true, false},
        {"Einstellung/Highcut", "8 kHz", 23, "highcut", true, false},
        {"Einstellung/Highcut", "10 kHz", 24, "highcut", true, false},
        {"Einstellung/Highcut", "12.5 kHz", 25, "highcut", true, false},
        {"Einstellung/Highcut", "16 kHz", 26, "highcut", true, false},
        {"Einstellung", "Reglerwertung", NoTag, "", true, false},
        {"Einstellung/Reglerwertung", "Anwahl", 0, "scoring", true, false},
        {"Einstellung/Reglerwertung", "Anwahl und Absenkung", 1, "scoring", true, false},
        // Offered only once the start-up has found more than one device.
        {"Einstellung", "Soundkarte", NoTag, "", false, false},
        {"Auswertung", "Aktuell", NoTag, "", true, false},
        {"Auswertung/Aktuell", "Versuche", NoTag, "", true, false},
        {"Auswertung/Aktuell", "Zeit", NoTag, "", true, false},
        {"Auswertung", "Total", NoTag, "", false, false},
        {"Auswertung/Total", "Versuche", NoTag, "", true, false},
        {"Auswertung/Total", "Zeit", NoTag, "", true, false},
        {"Auswertung", "Fortschritt", NoTag, "", false, false},
        {"Auswertung/Fortschritt", "Versuche", NoTag, "", true, false},
        {"Auswertung/Fortschritt", "Zeit", NoTag, "", true, false},
        {"Hilfe", "Über Heulmeister", NoTag, "", true, false},
        {"Hilfe", "Anleitung", NoTag, "", true, false},
    };
    return rows;
}

QByteArray BandTableBytes(const GameState& state)
{
    return QByteArray(reinterpret_cast<const char*>(state.BandTable.data()),
                      sizeof(state.BandTable));
}

// A lock pattern that no cut range produces, to see every byte rewritten.
void ScrambleLocks(GameState& state)
{
    for (int i = 0; i < BandCount; ++i) {
        state.BandTable[i].Locked = (i % 3 == 0) ? 1 : 0;
        state.BandTable[i].Level = (i % 7) - 3;
    }
    state.SelectedFader = 15;
}

} // namespace

class MenuTest : public QObject {
    Q_OBJECT

  private slots:
    void topLevelMenus()
    {
        Fixture f;
        QCOMPARE(Captions(f.bar.actions()),
                 QStringList({"Datei", "Spielablauf", "Einstellung", "Auswertung", "Hilfe"}));
    }

    void menuOrder_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("captions");
        QTest::newRow("Datei") << "Datei"
                               << QStringList{"Laden", "Speichern", "Speichern unter", "-",
                                              "Beenden"};
        QTest::newRow("Spielablauf")
            << "Spielablauf" << QStringList{"Feedback Zeit",          "-", "Zufallsstart",     "-",
                                            "Automatischer Neustart", "-", "Feedbackgenerator"};
        QTest::newRow("Feedback Zeit")
            << "Spielablauf/Feedback Zeit"
            << QStringList{"0.5 Sekunden", "1 Sekunden", "2 Sekunden", "3 Sekunden",
                           "4 Sekunden",   "5 Sekunden", "-",          "Kontinuierlich"};
        QTest::newRow("Zufallsstart")
            << "Spielablauf/Zufallsstart"
            << QStringList{"Aus", "2 sek", "4 sek", "6 sek ", "10 sek", "20 sek"};
        QTest::newRow("Automatischer Neustart")
            << "Spielablauf/Automatischer Neustart"
            << QStringList{"Aus", "Nach 1 Sekunde", "Nach 2 Sekunden", "Nach 3 Sekunden",
                           "Nach 5 Sekunden"};
        QTest::newRow("Einstellung")
            << "Einstellung"
            << QStringList{"Lowcut", "Highcut", "-", "Reglerwertung", "-", "Soundkarte"};
        QTest::newRow("Lowcut") << "Einstellung/Lowcut"
                                << QStringList{"31.5 Hz", "40 Hz",  "50 Hz",  "62.5 Hz",
                                               "80 Hz",   "100 Hz", "125 Hz", "160 Hz",
                                               "200 Hz",  "250 Hz", "315 Hz", "400 Hz"};
        QTest::newRow("Highcut") << "Einstellung/Highcut"
                                 << QStringList{"6.25 kHz", "8 kHz", "10 kHz", "12.5 kHz",
                                                "16 kHz"};
        QTest::newRow("Reglerwertung")
            << "Einstellung/Reglerwertung" << QStringList{"Anwahl", "Anwahl und Absenkung"};
        QTest::newRow("Auswertung")
            << "Auswertung" << QStringList{"Aktuell", "Total", "Fortschritt"};
        QTest::newRow("Aktuell") << "Auswertung/Aktuell" << QStringList{"Versuche", "Zeit"};
        QTest::newRow("Total") << "Auswertung/Total" << QStringList{"Versuche", "Zeit"};
        QTest::newRow("Fortschritt") << "Auswertung/Fortschritt" << QStringList{"Versuche", "Zeit"};
        QTest::newRow("Hilfe") << "Hilfe" << QStringList{"Über Heulmeister", "-", "Anleitung"};
    }

    void menuOrder()
    {
        QFETCH(QString, path);
        QFETCH(QStringList, captions);
        Fixture f;
        QMenu* menu = FindMenu(f.bar, path);
        QVERIFY(menu);
        QCOMPARE(Captions(menu->actions()), captions);
    }

    void items_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("tag");
        QTest::addColumn<bool>("radio");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("checked");
        for (const ItemRow& row : MenuTable()) {
            const QByteArray name = QByteArray(row.path) + " > " + row.caption;
            QTest::newRow(name.constData())
                << QString::fromUtf8(row.path) << QString::fromUtf8(row.caption) << row.tag
                << (row.group[0] != '\0') << row.enabled << row.checked;
        }
    }

    void items()
    {
        QFETCH(QString, path);
        QFETCH(QString, caption);
        QFETCH(int, tag);
        QFETCH(bool, radio);
        QFETCH(bool, enabled);
        QFETCH(bool, checked);
        Fixture f;
        QAction* item = FindItem(f.bar, path, caption);
        QVERIFY(item);
        if (tag == NoTag)
            QVERIFY(!item->data().isValid());
        else
            QCOMPARE(item->data().toInt(), tag);
        QCOMPARE(item->isCheckable(), radio);
        QCOMPARE(item->actionGroup() != nullptr, radio);
        if (radio)
            QVERIFY(item->actionGroup()->isExclusive()); // drawn as radio items
        QCOMPARE(item->isEnabled(), enabled);
        QCOMPARE(item->isChecked(), checked);
        QVERIFY(item->shortcut().isEmpty());
    }

    void radioGroupsAreSeparate()
    {
        Fixture f;
        QHash<QString, QActionGroup*> groupOfName;
        QSet<QActionGroup*> seen;
        for (const ItemRow& row : MenuTable()) {
            if (row.group[0] == '\0')
                continue;
            QAction* item =
                FindItem(f.bar, QString::fromUtf8(row.path), QString::fromUtf8(row.caption));
            QVERIFY(item);
            const QString name = QString::fromUtf8(row.group);
            if (!groupOfName.contains(name)) {
                QVERIFY2(!seen.contains(item->actionGroup()), row.caption);
                groupOfName.insert(name, item->actionGroup());
                seen.insert(item->actionGroup());
            }
            QVERIFY2(item->actionGroup() == groupOfName.value(name), row.caption);
        }
        QCOMPARE(groupOfName.size(), 7);
    }

    void markAfterChoosing_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("value");
        QTest::newRow("4 sek") << "Spielablauf/Zufallsstart"
                               << "4 sek"
                               << "RandomStartSeconds" << 4;
        QTest::newRow("6 sek ") << "Spielablauf/Zufallsstart"
                                << "6 sek "
                                << "RandomStartSeconds" << 6;
        QTest::newRow("20 sek") << "Spielablauf/Zufallsstart"
                                << "20 sek"
                                << "RandomStartSeconds" << 20;
        QTest::newRow("Nach 3 Sekunden") << "Spielablauf/Automatischer Neustart"
                                         << "Nach 3 Sekunden"
                                         << "AutoRestartSeconds" << 3;
        QTest::newRow("Nach 5 Sekunden") << "Spielablauf/Automatischer Neustart"
                                         << "Nach 5 Sekunden"
                                         << "AutoRestartSeconds" << 5;
        QTest::newRow("Anwahl") << "Einstellung/Reglerwertung"
                                << "Anwahl"
                                << "ScoringMode" << 0;
        QTest::newRow("80 Hz") << "Einstellung/Lowcut"
                               << "80 Hz"
                               << "LowCutBand" << 5;
        QTest::newRow("31.5 Hz") << "Einstellung/Lowcut"
                                 << "31.5 Hz"
                                 << "LowCutBand" << 1;
        QTest::newRow("16 kHz") << "Einstellung/Highcut"
                                << "16 kHz"
                                << "HighCutBand" << 26;
        QTest::newRow("1 Sekunden") << "Spielablauf/Feedback Zeit"
                                    << "1 Sekunden"
                                    << "FeedbackTimeSetting" << 2;
        QTest::newRow("5 Sekunden") << "Spielablauf/Feedback Zeit"
                                    << "5 Sekunden"
                                    << "FeedbackTimeSetting" << 6;
    }

    void markAfterChoosing()
    {
        QFETCH(QString, path);
        QFETCH(QString, caption);
        QFETCH(QString, field);
        QFETCH(int, value);
        Fixture f;
        QMenu* menu = FindMenu(f.bar, path);
        QAction* item = FindItem(f.bar, path, caption);
        QVERIFY(menu && item);
        OpenAndReadMarks(menu);

        ClickItem(menu, item);
        QCOMPARE(FieldValue(f.state, field), value);
        QCOMPARE(OpenAndReadMarks(menu), QStringList{caption});
    }

    void kontinuierlichStoresZero()
    {
        Fixture f;
        f.state.FeedbackTimeSetting = 4;
        QSignalSpy applied(&f.menu, &MainMenu::feedbackTimeChosen);
        QMenu* menu = FindMenu(f.bar, "Spielablauf/Feedback Zeit");
        QCOMPARE(OpenAndReadMarks(menu), QStringList{"3 Sekunden"});
        ClickItem(menu, FindItem(f.bar, "Spielablauf/Feedback Zeit", "Kontinuierlich"));
        QCOMPARE(f.state.FeedbackTimeSetting, 0);
        QCOMPARE(applied.count(), 1);
        QCOMPARE(OpenAndReadMarks(menu), QStringList{"Kontinuierlich"});
    }

    // A value that no item carries (hand-edited settings) sets no new mark.
    void valueWithoutItem_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("markFirst");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("value");
        QTest::addColumn<QStringList>("marks");
        QTest::newRow("Zufallszeit 7")
            << "Spielablauf/Zufallsstart"
            << "RandomStartSeconds" << false << 0 << 7 << QStringList{"Aus"};
        QTest::newRow("Zufallszeit 7 after 10")
            << "Spielablauf/Zufallsstart"
            << "RandomStartSeconds" << true << 10 << 7 << QStringList{"10 sek"};
        QTest::newRow("StartZeit 4")
            << "Spielablauf/Automatischer Neustart"
            << "AutoRestartSeconds" << false << 0 << 4 << QStringList{"Aus"};
        QTest::newRow("LowCut 0") << "Einstellung/Lowcut"
                                  << "LowCutBand" << false << 0 << 0 << QStringList{};
        QTest::newRow("LowCut 13") << "Einstellung/Lowcut"
                                   << "LowCutBand" << false << 0 << 13 << QStringList{};
        QTest::newRow("LowCut 13 after 5")
            << "Einstellung/Lowcut"
            << "LowCutBand" << true << 5 << 13 << QStringList{"80 Hz"};
        QTest::newRow("Highcut 27") << "Einstellung/Highcut"
                                    << "HighCutBand" << false << 0 << 27 << QStringList{};
        QTest::newRow("Selektmode 2 after 1")
            << "Einstellung/Reglerwertung"
            << "ScoringMode" << true << 1 << 2 << QStringList{"Anwahl und Absenkung"};
        QTest::newRow("SoundStop 7") << "Spielablauf/Feedback Zeit"
                                     << "FeedbackTimeSetting" << false << 0 << 7 << QStringList{};
        QTest::newRow("SoundStop -1 after 6")
            << "Spielablauf/Feedback Zeit"
            << "FeedbackTimeSetting" << true << 6 << -1 << QStringList{"5 Sekunden"};
    }

    void valueWithoutItem()
    {
        QFETCH(QString, path);
        QFETCH(QString, field);
        QFETCH(bool, markFirst);
        QFETCH(int, first);
        QFETCH(int, value);
        QFETCH(QStringList, marks);
        Fixture f;
        QMenu* menu = FindMenu(f.bar, path);
        QVERIFY(menu);
        if (markFirst) {
            SetField(f.state, field, first);
            OpenAndReadMarks(menu);
        }
        SetField(f.state, field, value);
        QCOMPARE(OpenAndReadMarks(menu), marks);
    }

    // During a turn a cut click is ignored, and its item must not keep the mark.
    void cutClickDuringTurn_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("lowCut");
        QTest::addColumn<int>("highCut");
        QTest::addColumn<QStringList>("marks");
        QTest::newRow("Lowcut 80 Hz") << "Einstellung/Lowcut"
                                      << "80 Hz" << 11 << 22 << QStringList{"315 Hz"};
        QTest::newRow("Highcut 16 kHz") << "Einstellung/Highcut"
                                        << "16 kHz" << 11 << 24 << QStringList{"10 kHz"};
        QTest::newRow("Lowcut from edited 0") << "Einstellung/Lowcut"
                                              << "80 Hz" << 0 << 22 << QStringList{};
    }

    void cutClickDuringTurn()
    {
        QFETCH(QString, path);
        QFETCH(QString, caption);
        QFETCH(int, lowCut);
        QFETCH(int, highCut);
        QFETCH(QStringList, marks);
        Fixture f;
        f.state.LowCutBand = lowCut;
        f.state.HighCutBand = highCut;
        f.state.GameMode = ModeSearching;
        ScrambleLocks(f.state);
        const QByteArray bandsBefore = BandTableBytes(f.state);
        QMenu* menu = FindMenu(f.bar, path);

        ClickItem(menu, FindItem(f.bar, path, caption));

        QCOMPARE(f.state.LowCutBand, lowCut);
        QCOMPARE(f.state.HighCutBand, highCut);
        QCOMPARE(BandTableBytes(f.state), bandsBefore);
        QCOMPARE(f.state.SelectedFader, 15);
        QCOMPARE(f.repaints, 0);
        QCOMPARE(CheckedCaptions(menu), marks);
        QCOMPARE(OpenAndReadMarks(menu), marks);
    }

    void cutChangeOutsideTurn_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("lowCut");
        QTest::addColumn<int>("highCut");
        const struct {
            const char* name;
            GameModeValue mode;
        } modes[] = {{"idle", ModeIdle},
                     {"turn over", ModeTurnOver},
                     {"generator", ModeGeneratorPlaying},
                     {"chart", ModeProgressTimes}};
        for (const auto& m : modes) {
            QTest::addRow("%s, Lowcut 80 Hz", m.name) << int(m.mode) << "Einstellung/Lowcut"
                                                      << "80 Hz" << 5 << 25;
            QTest::addRow("%s, Lowcut 31.5 Hz", m.name) << int(m.mode) << "Einstellung/Lowcut"
                                                        << "31.5 Hz" << 1 << 25;
            QTest::addRow("%s, Highcut 16 kHz", m.name) << int(m.mode) << "Einstellung/Highcut"
                                                        << "16 kHz" << 11 << 26;
        }
        QTest::newRow("Highcut back to 6.25 kHz") << int(ModeIdle) << "Einstellung/Highcut"
                                                  << "6.25 kHz" << 11 << 22;
    }

    void cutChangeOutsideTurn()
    {
        QFETCH(int, mode);
        QFETCH(QString, path);
        QFETCH(QString, caption);
        QFETCH(int, lowCut);
        QFETCH(int, highCut);
        Fixture f;
        f.state.GameMode = static_cast<GameModeValue>(mode);
        f.state.HighCutBand = 25; // the last row narrows the range again
        ScrambleLocks(f.state);
        GameState before = f.state;

        FindItem(f.bar, path, caption)->trigger();

        QCOMPARE(f.state.LowCutBand, lowCut);
        QCOMPARE(f.state.HighCutBand, highCut);
        for (int i = 0; i < BandCount; ++i) {
            const bool inRange = i >= lowCut && i <= highCut;
            QVERIFY2(f.state.BandTable[i].Locked == (inRange ? 0 : 1),
                     qPrintable(QString::number(i)));
            QCOMPARE(int(f.state.BandTable[i].Level), int(before.BandTable[i].Level));
        }
        QCOMPARE(f.state.SelectedFader, int(NoFader));
        QCOMPARE(int(f.state.GameMode), mode);
        QVERIFY(f.repaints > 0);
    }

    void startupChecks_data()
    {
        QTest::addColumn<int>("randomStart");
        QTest::addColumn<int>("autoRestart");
        QTest::addColumn<QString>("randomMark");
        QTest::addColumn<QString>("restartMark");
        QTest::newRow("defaults") << 0 << 0 << "Aus"
                                  << "Aus";
        QTest::newRow("2 and 3") << 2 << 3 << "2 sek"
                                 << "Nach 3 Sekunden";
        QTest::newRow("6 and 1") << 6 << 1 << "6 sek "
                                 << "Nach 1 Sekunde";
        QTest::newRow("20 and 5") << 20 << 5 << "20 sek"
                                  << "Nach 5 Sekunden";
        QTest::newRow("7 and 4 keep Aus") << 7 << 4 << "Aus"
                                          << "Aus";
        QTest::newRow("-2 and 60 keep Aus") << -2 << 60 << "Aus"
                                            << "Aus";
    }

    void startupChecks()
    {
        QFETCH(int, randomStart);
        QFETCH(int, autoRestart);
        QFETCH(QString, randomMark);
        QFETCH(QString, restartMark);
        Fixture f;
        f.state.RandomStartSeconds = randomStart;
        f.state.AutoRestartSeconds = autoRestart;
        f.menu.ApplyStartupChecks();
        // Marked at once, before the player opens anything.
        QCOMPARE(CheckedCaptions(FindMenu(f.bar, "Spielablauf/Zufallsstart")),
                 QStringList{randomMark});
        QCOMPARE(CheckedCaptions(FindMenu(f.bar, "Spielablauf/Automatischer Neustart")),
                 QStringList{restartMark});
        // The values themselves are not touched: a delay of 7 s still applies.
        QCOMPARE(f.state.RandomStartSeconds, randomStart);
        QCOMPARE(f.state.AutoRestartSeconds, autoRestart);
    }

    void autoRestartAusStopsPendingRestart_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("stops");
        QTest::newRow("Aus") << "Aus" << 1;
        QTest::newRow("Nach 1 Sekunde") << "Nach 1 Sekunde" << 0;
        QTest::newRow("Nach 5 Sekunden") << "Nach 5 Sekunden" << 0;
    }

    void autoRestartAusStopsPendingRestart()
    {
        QFETCH(QString, caption);
        QFETCH(int, stops);
        Fixture f;
        f.state.AutoRestartSeconds = 3;
        QSignalSpy stopped(&f.menu, &MainMenu::autoRestartStopped);
        FindItem(f.bar, "Spielablauf/Automatischer Neustart", caption)->trigger();
        QCOMPARE(stopped.count(), stops);
    }

    void scoringModeChangesDuringTurn()
    {
        Fixture f;
        f.state.GameMode = ModeSearching;
        FindItem(f.bar, "Einstellung/Reglerwertung", "Anwahl")->trigger();
        QCOMPARE(f.state.ScoringMode, 0);
        FindItem(f.bar, "Einstellung/Reglerwertung", "Anwahl und Absenkung")->trigger();
        QCOMPARE(f.state.ScoringMode, 1);
    }

    void commandSignals_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QByteArray>("signal");
        QTest::newRow("Beenden") << "Datei"
                                 << "Beenden" << QByteArray(SIGNAL(quitRequested()));
        QTest::newRow("Über Heulmeister")
            << "Hilfe"
            << "Über Heulmeister" << QByteArray(SIGNAL(aboutRequested()));
        QTest::newRow("Anleitung") << "Hilfe"
                                   << "Anleitung" << QByteArray(SIGNAL(helpRequested()));
        QTest::newRow("Feedbackgenerator")
            << "Spielablauf"
            << "Feedbackgenerator" << QByteArray(SIGNAL(feedbackGeneratorTriggered()));
        QTest::newRow("0.5 Sekunden") << "Spielablauf/Feedback Zeit"
                                      << "0.5 Sekunden" << QByteArray(SIGNAL(feedbackTimeChosen()));
    }

    void commandSignals()
    {
        QFETCH(QString, path);
        QFETCH(QString, caption);
        QFETCH(QByteArray, signal);
        Fixture f;
        QSignalSpy spy(&f.menu, signal.constData());
        QSignalSpy quit(&f.menu, &MainMenu::quitRequested);
        FindItem(f.bar, path, caption)->trigger();
        QCOMPARE(spy.count(), 1);
        if (caption != u"Beenden")
            QCOMPARE(quit.count(), 0);
    }

    // The generator owns its mark: a click leaves it as it was, the generator sets it.
    void feedbackGeneratorMarkStaysWithGenerator()
    {
        Fixture f;
        QAction* generator = f.menu.Actions().Feedbackgenerator;
        bool markSeen = true;
        connect(&f.menu, &MainMenu::feedbackGeneratorTriggered, &f.menu, [&] {
            markSeen = generator->isChecked();
            generator->setChecked(!generator->isChecked());
        });
        ClickItem(FindMenu(f.bar, "Spielablauf"), generator);
        QVERIFY(!markSeen);
        QVERIFY(generator->isChecked());
        generator->trigger();
        QVERIFY(markSeen);
        QVERIFY(!generator->isChecked());
    }

    void soundCardItem_data()
    {
        QTest::addColumn<int>("devices");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("none") << 0 << false;
        QTest::newRow("one") << 1 << false;
        QTest::newRow("two") << 2 << true;
        QTest::newRow("five") << 5 << true;
    }

    void soundCardItem()
    {
        QFETCH(int, devices);
        QFETCH(bool, enabled);
        Fixture f;
        f.menu.SetSoundCardCount(devices);
        QCOMPARE(f.menu.Actions().Soundkarte->isEnabled(), enabled);
    }

    void storedResultCharts()
    {
        Fixture f;
        f.menu.SetStoredResultsAvailable(true);
        QVERIFY(f.menu.Actions().Total->isEnabled());
        QVERIFY(f.menu.Actions().Fortschritt->isEnabled());
        QVERIFY(FindMenu(f.bar, "Auswertung/Total")->menuAction()->isEnabled());
    }
};

QTEST_MAIN(MenuTest)
#include "tst_menu.moc"
