// The results file commands "Laden", "Speichern", "Speichern unter" and the
// start-up loads, answered by scripted dialogs on files in a temporary folder.

#include "game/MainMenu.h"
#include "model/FaderModel.h"
#include "model/GameState.h"
#include "results/ResultsCommands.h"
#include "results/ResultsFile.h"
#include "support/Builders.h"
#include "support/ScratchMount.h"
#include "support/ScriptedDialogs.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMenuBar>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <cstddef>
#include <cstring>
#include <memory>

namespace {

const QString AppTitle = QStringLiteral("Schrillsucher");

struct Counters {
    int finds = 0;
    int attempts = 0;
    int findTimeMs = 0;
};

// A results file with one band's counters set.
void WriteResults(const QString& path, int band, Counters counters)
{
    BandArray table = FreshBandTable();
    table[band].Finds = counters.finds;
    table[band].Attempts = counters.attempts;
    table[band].FindTime = counters.findTimeMs;
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(table.data()), sizeof(BandSlot) * BandCount);
}

QByteArray Bytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

Counters CountersIn(const QString& path, int band)
{
    const QByteArray bytes = Bytes(path);
    if (bytes.size() < int(sizeof(BandSlot)) * BandCount)
        return {-1, -1, -1};
    BandSlot slot;
    std::memcpy(&slot, bytes.constData() + band * sizeof(BandSlot), sizeof slot);
    return {slot.Finds, slot.Attempts, slot.FindTime};
}

Counters CountersOf(const BandSlot& slot)
{
    return {slot.Finds, slot.Attempts, slot.FindTime};
}

bool operator==(const Counters& a, const Counters& b)
{
    return a.finds == b.finds && a.attempts == b.attempts && a.findTimeMs == b.findTimeMs;
}

char* toString(const Counters& c)
{
    return QTest::toString(
        QStringLiteral("%1/%2/%3").arg(c.finds).arg(c.attempts).arg(c.findTimeMs));
}

// Which question "Speichern unter" asks before it writes.
enum class Question {
    None,
    NotLoaded,    // the remembered file, whose results were never loaded
    ReplaceOther, // another existing file
};

// The form as start-up leaves it, with the commands wired to recording hooks.
struct Fixture {
    QTemporaryDir dir;
    GameState state;
    ResultsFile file{state};
    ScriptedDialogs dialogs;
    QList<bool> saveEnabledCalls;
    QList<bool> storedAvailableCalls;
    std::unique_ptr<ResultsCommands> commands;

    Fixture()
    {
        state.BandTable = FreshBandTable();
        state.StoredBandTable = state.BandTable;
        ResultsCommandHooks hooks;
        hooks.setSaveEnabled = [this](bool on) { saveEnabledCalls.append(on); };
        hooks.setStoredResultsAvailable = [this](bool on) { storedAvailableCalls.append(on); };
        commands = std::make_unique<ResultsCommands>(state, file, dialogs, hooks);
    }
    QString Path(const QString& name) const { return dir.filePath(name); }
    // Results of the current game in one band.
    void Play(int band, Counters counters)
    {
        state.BandTable[band].Finds = counters.finds;
        state.BandTable[band].Attempts = counters.attempts;
        state.BandTable[band].FindTime = counters.findTimeMs;
    }
};

void VerifyErrorBox(const MessageBoxRequest& box, const QString& text)
{
    QCOMPARE(box.caption, AppTitle);
    QCOMPARE(box.text, text);
    QCOMPARE(box.icon, DialogIcon::Error);
    QCOMPARE(box.buttons, DialogButtons::Ok);
}

} // namespace

class TestResultsCommands : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QGuiApplication::setApplicationDisplayName(AppTitle); }

    void ladenLoadsTheChosenFile()
    {
        Fixture f;
        const QString remembered = f.Path("alt.HMD");
        const QString chosen = f.Path("neu.HMD");
        WriteResults(chosen, 12, {3, 7, 9000});
        f.state.ResultsFileName = remembered;
        f.dialogs.fileAnswers << chosen;

        f.commands->Laden1Click();

        QCOMPARE(f.dialogs.fileDialogs.size(), 1);
        const FileDialogRequest& request = f.dialogs.fileDialogs.constFirst();
        QCOMPARE(request.filter, QStringLiteral("Heulmeister Daten|*.HMD"));
        QCOMPARE(request.defaultExtension, QStringLiteral("HMD"));
        QCOMPARE(request.proposedName, remembered);
        QCOMPARE(CountersOf(f.state.StoredBandTable[12]), (Counters{3, 7, 9000}));
        QCOMPARE(f.state.ResultsFileName, chosen);
        QCOMPARE(f.saveEnabledCalls, QList<bool>{true});
        QCOMPARE(f.storedAvailableCalls, QList<bool>{true});
        QVERIFY(f.commands->SaveEnabled());
        QVERIFY(f.dialogs.boxes.isEmpty());
    }

    void ladenCancelledOrMissing_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::newRow("cancelled") << QString();
        QTest::newRow("typed name that does not exist") << QStringLiteral("fehlt.HMD");
    }

    void ladenCancelledOrMissing()
    {
        QFETCH(QString, answer);
        Fixture f;
        const QString remembered = f.Path("alt.HMD");
        f.state.ResultsFileName = remembered;
        f.dialogs.fileAnswers << (answer.isEmpty() ? answer : f.Path(answer));
        const BandArray storedBefore = f.state.StoredBandTable;

        f.commands->Laden1Click();

        QCOMPARE(f.dialogs.fileDialogs.size(), 1);
        QVERIFY(f.dialogs.boxes.isEmpty());
        QCOMPARE(f.state.ResultsFileName, remembered);
        QVERIFY(std::memcmp(&storedBefore, &f.state.StoredBandTable, sizeof storedBefore) == 0);
        QVERIFY(f.saveEnabledCalls.isEmpty());
        QVERIFY(f.storedAvailableCalls.isEmpty());
    }

    void ladenFailureShowsTheError_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("text");
        QTest::newRow("folder") << "folder"
                                << "File access denied.";
        QTest::newRow("short file") << "short"
                                    << "Read beyond end of file.";
    }

    void ladenFailureShowsTheError()
    {
        QFETCH(QString, kind);
        QFETCH(QString, text);
        Fixture f;
        QString chosen = f.Path("kaputt.HMD");
        if (kind == "folder") {
            QVERIFY(QDir(f.dir.path()).mkdir("kaputt.HMD"));
        } else {
            QFile file(chosen);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray(293 * 27, '\1'));
        }
        f.state.ResultsFileName = f.Path("alt.HMD");
        f.dialogs.fileAnswers << chosen;
        const BandArray storedBefore = f.state.StoredBandTable;

        f.commands->Laden1Click();

        QCOMPARE(f.dialogs.boxes.size(), 1);
        VerifyErrorBox(f.dialogs.boxes.constFirst(), text);
        QCOMPARE(f.state.ResultsFileName, f.Path("alt.HMD"));
        QVERIFY(std::memcmp(&storedBefore, &f.state.StoredBandTable, sizeof storedBefore) == 0);
        QVERIFY(f.saveEnabledCalls.isEmpty());
        QVERIFY(f.storedAvailableCalls.isEmpty());
        QVERIFY(!f.commands->SaveEnabled());
    }

    void speichernWritesTheFileInUse()
    {
        Fixture f;
        const QString path = f.Path("daten.HMD");
        WriteResults(path, 14, {2, 5, 3000});
        f.dialogs.fileAnswers << path;
        f.commands->Laden1Click();
        f.Play(14, {1, 1, 500});
        f.Play(15, {1, 2, 700});

        f.commands->SpeichernClick();

        QCOMPARE(f.dialogs.fileDialogs.size(), 1); // only the one of "Laden"
        QVERIFY(f.dialogs.boxes.isEmpty());
        QCOMPARE(CountersIn(path, 14), (Counters{3, 6, 3500}));
        QCOMPARE(CountersIn(path, 15), (Counters{1, 2, 700}));
        QCOMPARE(f.state.ResultsFileName, path);
    }

    // Two games on one file: a save over what the other wrote since this game
    // loaded or saved the file asks first; No leaves file and game alone.
    void saveOverAFileChangedOnDisk_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("saveAs"); // "Speichern unter" with the same name
        QTest::addColumn<int>("answer");
        const int yes = int(DialogResult::Yes);
        const int no = int(DialogResult::No);
        QTest::newRow("unchanged: no question") << "" << false << no;
        QTest::newRow("other game saved: No") << "other game" << false << no;
        QTest::newRow("other game saved: Yes") << "other game" << false << yes;
        QTest::newRow("other game saved, Speichern unter: No") << "other game" << true << no;
        QTest::newRow("same size and time, other bytes") << "bytes" << false << no;
        QTest::newRow("only the time") << "time" << false << no;
        QTest::newRow("appended to by another process") << "appended" << false << no;
    }

    void saveOverAFileChangedOnDisk()
    {
        QFETCH(QString, change);
        QFETCH(bool, saveAs);
        QFETCH(int, answer);
        Fixture f;
        Fixture other; // a second game running on the same file
        const QString path = f.Path("daten.HMD");
        WriteResults(path, 14, {2, 5, 3000});
        for (Fixture* game : {&f, &other}) {
            game->dialogs.fileAnswers << path;
            game->commands->Laden1Click();
        }
        f.Play(15, {1, 2, 700});
        f.commands->SpeichernClick();
        QVERIFY(f.dialogs.boxes.isEmpty());

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        const QDateTime modified = file.fileTime(QFileDevice::FileModificationTime);
        if (change == "other game") {
            other.Play(16, {1, 1, 400});
            other.dialogs.boxAnswers << DialogResult::Yes; // it was asked as well
            other.commands->SpeichernClick();
            QCOMPARE(other.dialogs.boxes.size(), 1);
        } else if (change == "bytes") {
            QVERIFY(file.seek(16 * sizeof(BandSlot) + offsetof(BandSlot, Finds)));
            file.write("\x07");
            QVERIFY(file.flush());
            QVERIFY(file.setFileTime(modified, QFileDevice::FileModificationTime));
        } else if (change == "time") {
            QVERIFY(file.setFileTime(modified.addSecs(2), QFileDevice::FileModificationTime));
        } else if (change == "appended") {
            QCOMPARE(QProcess::execute("/bin/sh", {"-c", "printf x >> \"$1\"", "sh", path}), 0);
        }
        file.close();
        const QByteArray before = Bytes(path);
        f.Play(15, {2, 3, 1500});
        f.dialogs.boxAnswers << DialogResult(answer);
        if (saveAs) {
            f.dialogs.fileAnswers << path;
            f.commands->SpeichernUnterClick();
        } else {
            f.commands->SpeichernClick();
        }

        QCOMPARE(f.dialogs.boxes.size(), change.isEmpty() ? 0 : 1);
        if (!change.isEmpty()) {
            const MessageBoxRequest& box = f.dialogs.boxes.constFirst();
            QCOMPARE(box.caption, AppTitle);
            QCOMPARE(box.text, QStringLiteral("Die Ergebnisdatei wurde inzwischen von einem "
                                              "anderen Programm geändert. Trotzdem speichern?"));
            QCOMPARE(box.icon, DialogIcon::Question);
            QCOMPARE(box.buttons, DialogButtons::YesNo);
            QCOMPARE(box.defaultButton, DialogResult::No);
        }
        if (answer == int(DialogResult::No) && !change.isEmpty())
            QCOMPARE(Bytes(path), before);
        else
            QCOMPARE(CountersIn(path, 15), (Counters{2, 3, 1500}));
        QCOMPARE(f.state.ResultsFileName, path);
    }

    void speichernAfterTheFileVanished_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::newRow("confirmed") << true;
        QTest::newRow("cancelled") << false;
    }

    void speichernAfterTheFileVanished()
    {
        QFETCH(bool, confirm);
        Fixture f;
        const QString path = f.Path("daten.HMD");
        WriteResults(path, 14, {2, 5, 3000});
        f.dialogs.fileAnswers << path;
        f.commands->Laden1Click();
        f.Play(16, {1, 3, 900});
        QVERIFY(QFile::remove(path));
        if (confirm)
            f.dialogs.fileAnswers << path;

        f.commands->SpeichernClick();

        // Instead of writing nothing, "Speichern unter" proposes the name.
        QCOMPARE(f.dialogs.fileDialogs.size(), 2);
        const FileDialogRequest& request = f.dialogs.fileDialogs.at(1);
        QCOMPARE(request.proposedName, path);
        QCOMPARE(request.filter, QStringLiteral("Heulmeisterdaten|*.HMD"));
        QCOMPARE(request.defaultExtension, QStringLiteral("HMD"));
        // The file's results were loaded, so nothing can be lost: no question.
        QVERIFY(f.dialogs.boxes.isEmpty());
        QCOMPARE(f.state.ResultsFileName, path);
        QCOMPARE(QFile::exists(path), confirm);
        if (confirm) {
            QCOMPARE(CountersIn(path, 14), (Counters{2, 5, 3000}));
            QCOMPARE(CountersIn(path, 16), (Counters{1, 3, 900}));
        }
    }

    void speichernWithoutAFileAsksForOne()
    {
        Fixture f;
        f.Play(13, {1, 1, 400});
        const QString path = f.Path("erste.HMD");
        f.dialogs.fileAnswers << path;

        f.commands->SpeichernClick();

        QCOMPARE(f.dialogs.fileDialogs.size(), 1);
        QCOMPARE(f.dialogs.fileDialogs.constFirst().proposedName, QString());
        QCOMPARE(CountersIn(path, 13), (Counters{1, 1, 400}));
        QCOMPARE(f.state.ResultsFileName, path);
    }

    void speichernUnter_data()
    {
        QTest::addColumn<QString>("remembered"); // file name in use, "" for none
        QTest::addColumn<bool>("rememberedExists");
        QTest::addColumn<bool>("loaded"); // the remembered file loaded in this run
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<bool>("chosenExists"); // another file of the chosen name exists
        QTest::addColumn<int>("question");      // Question asked, if any
        QTest::addColumn<int>("answer");        // DialogResult given to the question
        QTest::addColumn<bool>("saves");

        const int yes = int(DialogResult::Yes);
        const int no = int(DialogResult::No);
        const int none = int(Question::None);
        const int notLoaded = int(Question::NotLoaded);
        const int replace = int(Question::ReplaceOther);
        QTest::newRow("new name") << "" << false << false << "neu.HMD" << false << none << no
                                  << true;
        // Another existing file would lose its results: asked first.
        QTest::newRow("other existing file: No keeps it")
            << "alt.HMD" << true << false << "anders.HMD" << true << replace << no << false;
        QTest::newRow("other existing file: Yes replaces it")
            << "alt.HMD" << true << false << "anders.HMD" << true << replace << yes << true;
        QTest::newRow("other existing file while one is loaded")
            << "alt.HMD" << true << true << "anders.HMD" << true << replace << no << false;
        QTest::newRow("other existing file, none remembered")
            << "" << false << false << "anders.HMD" << true << replace << yes << true;
        // The loaded file, under another spelling of its name: nothing to lose.
        QTest::newRow("loaded file spelled otherwise")
            << "alt.HMD" << true << true << "./alt.HMD" << false << none << no << true;
        QTest::newRow("remembered, not loaded: No keeps the file")
            << "alt.HMD" << true << false << "alt.HMD" << true << notLoaded << no << false;
        QTest::newRow("remembered, not loaded: Yes replaces it")
            << "alt.HMD" << true << false << "alt.HMD" << true << notLoaded << yes << true;
        QTest::newRow("remembered and loaded")
            << "alt.HMD" << true << true << "alt.HMD" << true << none << no << true;
        QTest::newRow("remembered but missing at start")
            << "alt.HMD" << false << false << "alt.HMD" << false << notLoaded << yes << true;
        // Names are compared exactly.
        QTest::newRow("other case is another name")
            << "alt.HMD" << true << false << "ALT.HMD" << false << none << no << true;
    }

    void speichernUnter()
    {
        QFETCH(QString, remembered);
        QFETCH(bool, rememberedExists);
        QFETCH(bool, loaded);
        QFETCH(QString, chosen);
        QFETCH(bool, chosenExists);
        QFETCH(int, question);
        QFETCH(int, answer);
        QFETCH(bool, saves);

        Fixture f;
        const QString rememberedPath = remembered.isEmpty() ? QString() : f.Path(remembered);
        const QString chosenPath = f.Path(chosen);
        if (rememberedExists)
            WriteResults(rememberedPath, 20, {5, 9, 12000});
        if (chosenExists && chosenPath != rememberedPath)
            WriteResults(chosenPath, 21, {4, 4, 4000});
        f.state.ResultsFileName = rememberedPath;
        if (loaded) {
            f.dialogs.fileAnswers << rememberedPath;
            f.commands->Laden1Click();
            f.dialogs.fileDialogs.clear();
            f.saveEnabledCalls.clear();
        }
        const QByteArray before = Bytes(chosenPath);
        f.Play(17, {2, 3, 2500});
        f.dialogs.fileAnswers << chosenPath;
        f.dialogs.boxAnswers << DialogResult(answer);

        f.commands->SpeichernUnterClick();

        QCOMPARE(f.dialogs.fileDialogs.size(), 1);
        const FileDialogRequest& request = f.dialogs.fileDialogs.constFirst();
        QCOMPARE(request.proposedName, rememberedPath);
        QCOMPARE(request.filter, QStringLiteral("Heulmeisterdaten|*.HMD"));
        QCOMPARE(request.defaultExtension, QStringLiteral("HMD"));

        QCOMPARE(f.dialogs.boxes.size(), question == int(Question::None) ? 0 : 1);
        if (question != int(Question::None)) {
            const MessageBoxRequest& box = f.dialogs.boxes.constFirst();
            QCOMPARE(box.caption, QStringLiteral("Datei existiert bereits"));
            if (question == int(Question::NotLoaded)) {
                QCOMPARE(box.text,
                         QStringLiteral("Es existiert bereits eine Datei gleichen Namens,\n"
                                        "deren Daten jedoch noch nicht geladen sind.\n"
                                        "Falls sie jetzt speichern, gehen diese Daten "
                                        "verloren.\n"
                                        "Wollen sie dennoch speichern?"));
            } else {
                QCOMPARE(box.text, QStringLiteral("Die Datei \"%1\" existiert bereits.\n"
                                                  "Falls sie jetzt speichern, gehen die darin "
                                                  "gespeicherten Ergebnisse verloren.\n"
                                                  "Wollen sie dennoch speichern?")
                                       .arg(QDir::toNativeSeparators(chosenPath)));
            }
            QCOMPARE(box.icon, DialogIcon::Question);
            QCOMPARE(box.buttons, DialogButtons::YesNo);
            QCOMPARE(box.defaultButton, DialogResult::No);
        }
        if (saves) {
            QCOMPARE(CountersIn(chosenPath, 17), (Counters{2, 3, 2500}));
            // Only what was loaded goes in beside the game.
            QCOMPARE(CountersIn(chosenPath, 20),
                     loaded ? (Counters{5, 9, 12000}) : (Counters{0, 0, 0}));
            QCOMPARE(CountersIn(chosenPath, 21), (Counters{0, 0, 0}));
            QCOMPARE(f.state.ResultsFileName, chosenPath);
            QCOMPARE(f.saveEnabledCalls, QList<bool>{true});
            QVERIFY(f.commands->SaveEnabled());
        } else {
            QCOMPARE(Bytes(chosenPath), before);
            QCOMPARE(f.state.ResultsFileName, rememberedPath);
            QVERIFY(f.saveEnabledCalls.isEmpty());
        }
        QCOMPARE(f.storedAvailableCalls.size(), loaded ? 1 : 0);
    }

    void speichernUnterCancelled()
    {
        Fixture f;
        f.Play(17, {1, 1, 100});
        f.commands->SpeichernUnterClick();
        QCOMPARE(f.dialogs.fileDialogs.size(), 1);
        QVERIFY(f.dialogs.boxes.isEmpty());
        QVERIFY(QDir(f.dir.path()).isEmpty());
        QVERIFY(f.saveEnabledCalls.isEmpty());
    }

    void saveErrors_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::newRow("folder as file name") << "ordner"
                                             << "File access denied.";
        QTest::newRow("missing folder") << "fehlt/daten.HMD"
                                        << "Invalid filename.";
    }

    void saveErrors()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        Fixture f;
        QVERIFY(QDir(f.dir.path()).mkdir("ordner"));
        const QString remembered = f.Path("alt.HMD");
        f.state.ResultsFileName = remembered;
        f.Play(17, {1, 1, 100});
        f.dialogs.fileAnswers << f.Path(name);

        f.commands->SpeichernUnterClick();

        QCOMPARE(f.dialogs.boxes.size(), 1);
        VerifyErrorBox(f.dialogs.boxes.constFirst(), text);
        QCOMPARE(f.state.ResultsFileName, remembered);
        QVERIFY(f.saveEnabledCalls.isEmpty());
        QVERIFY(!f.commands->SaveEnabled());
    }

    void desktopSaveDialogAsksNothingOfItsOwn()
    {
        // The game asks its own questions; the desktop's save dialog must not
        // ask a second one for an existing file.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("da.HMD"));
        WriteResults(path, 3, {1, 1, 1});
        bool sawDialog = false;
        bool confirmsOverwrite = true;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            sawDialog = true;
            confirmsOverwrite = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
            if (confirmsOverwrite) { // its question would wait for a person
                dialog->reject();
                return;
            }
            dialog->selectFile(path);
            QMetaObject::invokeMethod(dialog, "accept");
        });
        poll.start(10);
        QtDialogs dialogs;
        FileDialogRequest request;
        request.caption = QStringLiteral("Speichern unter");
        request.filter = ResultsCommands::SaveFilter;
        request.defaultExtension = ResultsCommands::DefaultExtension;
        const QString chosen = dialogs.SaveFileName(request);
        poll.stop();
        QVERIFY(sawDialog);
        QVERIFY(!confirmsOverwrite);
        QCOMPARE(QFileInfo(chosen).canonicalFilePath(), QFileInfo(path).canonicalFilePath());
    }

    void speichernOnAFullDisk()
    {
        // "Speichern" into the loaded file on a full disk: one error box, and
        // the file keeps its results byte for byte.
        Fixture f;
        const QString folder = f.Path("voll");
        QVERIFY(QDir().mkpath(folder));
        ScratchMount tmpfs = ScratchMount::SmallTmpfs(folder, 64 * 1024);
        QVERIFY2(tmpfs.Mounted(), qPrintable(tmpfs.Error()));
        const QString path = folder + QStringLiteral("/daten.HMD");
        WriteResults(path, 14, {2, 5, 3000});
        f.dialogs.fileAnswers << path;
        f.commands->Laden1Click();
        const QByteArray before = Bytes(path);
        QVERIFY(FillFileSystem(folder));
        f.Play(16, {1, 3, 900});

        f.commands->SpeichernClick();

        QCOMPARE(f.dialogs.boxes.size(), 1);
        VerifyErrorBox(f.dialogs.boxes.constFirst(), QStringLiteral("Disk full."));
        QCOMPARE(Bytes(path), before);
        QCOMPARE(f.state.ResultsFileName, path);
        QVERIFY(f.commands->SaveEnabled());
        QVERIFY2(tmpfs.Unmount(), qPrintable(tmpfs.Error()));
    }

    void errorBoxCaptionFromTheHook()
    {
        Fixture f;
        ResultsCommandHooks hooks;
        hooks.applicationTitle = [] { return QStringLiteral("Heulmeister PRO"); };
        ResultsCommands commands(f.state, f.file, f.dialogs, hooks);
        f.dialogs.fileAnswers << f.dir.path();
        commands.Laden1Click();
        QCOMPARE(f.dialogs.captions(), QStringList{QStringLiteral("Heulmeister PRO")});
    }

    void startUp_data()
    {
        // Files: "good" holds band 18 = 1/2/3000, "other" band 19 = 4/4/4000,
        // "broken" is too short, "missing" does not exist; "" no argument.
        QTest::addColumn<QString>("remembered");
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("loadedName"); // expected ResultsFileName
        QTest::addColumn<int>("storedBand18Finds");
        QTest::addColumn<int>("storedBand19Finds");
        QTest::addColumn<int>("errorBoxes");
        QTest::addColumn<bool>("enabled");

        QTest::newRow("remembered only") << "good"
                                         << ""
                                         << "good" << 1 << 0 << 0 << true;
        QTest::newRow("argument wins") << "good"
                                       << "other"
                                       << "other" << 0 << 4 << 0 << true;
        QTest::newRow("remembered missing") << "missing"
                                            << "other"
                                            << "other" << 0 << 4 << 0 << true;
        QTest::newRow("argument missing") << "good"
                                          << "missing"
                                          << "good" << 1 << 0 << 0 << true;
        QTest::newRow("both missing") << "missing"
                                      << "missing"
                                      << "missing" << 0 << 0 << 0 << false;
        QTest::newRow("nothing remembered") << ""
                                            << ""
                                            << "" << 0 << 0 << 0 << false;
        QTest::newRow("remembered broken, argument loads") << "broken"
                                                           << "other"
                                                           << "other" << 0 << 4 << 1 << true;
        QTest::newRow("argument broken, remembered stays") << "good"
                                                           << "broken"
                                                           << "good" << 1 << 0 << 1 << true;
        QTest::newRow("both broken") << "broken"
                                     << "broken"
                                     << "broken" << 0 << 0 << 2 << false;
    }

    void startUp()
    {
        QFETCH(QString, remembered);
        QFETCH(QString, argument);
        QFETCH(QString, loadedName);
        QFETCH(int, storedBand18Finds);
        QFETCH(int, storedBand19Finds);
        QFETCH(int, errorBoxes);
        QFETCH(bool, enabled);

        Fixture f;
        WriteResults(f.Path("good"), 18, {1, 2, 3000});
        WriteResults(f.Path("other"), 19, {4, 4, 4000});
        {
            QFile broken(f.Path("broken"));
            QVERIFY(broken.open(QIODevice::WriteOnly));
            broken.write(QByteArray(100, '\0'));
        }
        auto path = [&f](const QString& name) { return name.isEmpty() ? name : f.Path(name); };
        f.state.ResultsFileName = path(remembered);
        QStringList arguments;
        if (!argument.isEmpty())
            arguments << path(argument) << f.Path("good"); // only the first counts

        f.commands->LoadRememberedFile();
        f.commands->LoadCommandLineFile(arguments);

        QCOMPARE(f.state.ResultsFileName, path(loadedName));
        QCOMPARE(int(f.state.StoredBandTable[18].Finds), storedBand18Finds);
        QCOMPARE(int(f.state.StoredBandTable[19].Finds), storedBand19Finds);
        QCOMPARE(f.dialogs.boxes.size(), errorBoxes);
        for (const MessageBoxRequest& box : f.dialogs.boxes)
            VerifyErrorBox(box, QStringLiteral("Read beyond end of file."));
        QVERIFY(f.dialogs.fileDialogs.isEmpty());
        QCOMPARE(f.commands->SaveEnabled(), enabled);
        QCOMPARE(!f.storedAvailableCalls.isEmpty(), enabled);
    }

    void relativeArgumentIsRememberedInFull()
    {
        Fixture f;
        WriteResults(f.Path("rel.HMD"), 18, {1, 1, 1000});
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(f.dir.path()));
        f.commands->LoadCommandLineFile({QStringLiteral("rel.HMD")});
        QDir::setCurrent(previous);
        QCOMPARE(f.state.ResultsFileName, QFileInfo(f.Path("rel.HMD")).absoluteFilePath());
        QCOMPARE(int(f.state.StoredBandTable[18].Finds), 1);
    }

    void menuItemsFollowLoadAndSave()
    {
        Fixture f;
        FaderModel faders(f.state);
        QMenuBar bar;
        MainMenu menu(&bar, f.state, faders);
        const MainMenuActions& actions = menu.Actions();
        ResultsCommands commands(f.state, f.file, f.dialogs, menu.ResultsHooks());
        auto enabled = [&actions] {
            return QList<bool>{actions.Speichern->isEnabled(), actions.Total->isEnabled(),
                               actions.Fortschritt->isEnabled()};
        };
        QCOMPARE(enabled(), (QList<bool>{false, false, false}));

        // A failed load changes nothing.
        f.dialogs.fileAnswers << f.dir.path();
        commands.Laden1Click();
        QCOMPARE(enabled(), (QList<bool>{false, false, false}));

        // A save enables "Speichern" only.
        f.dialogs.fileAnswers << f.Path("neu.HMD");
        commands.SpeichernUnterClick();
        QCOMPARE(enabled(), (QList<bool>{true, false, false}));

        // A load enables all three.
        f.dialogs.fileAnswers << f.Path("neu.HMD");
        commands.Laden1Click();
        QCOMPARE(enabled(), (QList<bool>{true, true, true}));
    }
};

QTEST_MAIN(TestResultsCommands)
#include "tst_results_commands.moc"
