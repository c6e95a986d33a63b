#pragma once
// The commands "Laden", "Speichern" and "Speichern unter" of the menu "Datei"
// and the loading of results at start-up: the dialogs, the questions before a
// file's unloaded results or another program's changes to it would be
// replaced, the error boxes and the menu items these enable. The file work
// itself is ResultsFile's. Thread: GUI only.

#include "model/GameState.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <functional>

class Dialogs;
class ResultsFile;
struct ResultsFileOutcome;

// How the commands reach the menu and the application; any may be empty.
struct ResultsCommandHooks {
    std::function<void(bool)> setSaveEnabled;            // "Speichern"
    std::function<void(bool)> setStoredResultsAvailable; // "Total" and "Fortschritt"
    // Caption of the error boxes; empty: the application's display name.
    std::function<QString()> applicationTitle;
};

class ResultsCommands {
    Q_DECLARE_TR_FUNCTIONS(ResultsCommands)

  public:
    ResultsCommands(const GameState& state, ResultsFile& resultsFile, Dialogs& dialogs,
                    ResultsCommandHooks hooks = {});

    // "Datei" > "Laden": the open dialog, proposing the file in use.
    void Laden1Click();
    // "Datei" > "Speichern": into the file in use; when that has gone, "Speichern unter"
    // proposing its name.
    void SpeichernClick();
    // "Datei" > "Speichern unter": the save dialog, then asks before the
    // results of a file that has not been loaded in this run are replaced:
    // the remembered file, or any other existing file (the loaded one asks
    // nothing).
    void SpeichernUnterClick();

    // Start-up loads the remembered file, later the first command-line
    // argument (arguments without the program's name). Missing files load
    // nothing; a failure shows its box and start-up goes on.
    void LoadRememberedFile();
    void LoadCommandLineFile(const QStringList& arguments);

    // Whether "Speichern" is enabled: a file was loaded or saved in this run.
    bool SaveEnabled() const { return saveEnabled_; }

    // The German texts, which the dialogs show translated, and the extension.
    static const QString OpenFilter;
    static const QString SaveFilter;
    static const QString DefaultExtension;
    static const QString ReplaceCaption;
    static const QString ReplaceQuestion;
    // Names the other file ("%1") whose results saving would replace.
    static const QString ReplaceOtherQuestion;
    // Another program (a second running game) wrote the file since this game
    // loaded or saved it.
    static const QString ChangedOnDiskQuestion;

  private:
    void Load(const QString& fileName);
    // replaceConfirmed: the player has already agreed to replace what the
    // file holds, so it is not asked about again.
    void Save(const QString& fileName, bool replaceConfirmed = false);
    void SaveAs(const QString& proposedName);
    bool ConfirmReplace(const QString& fileName);
    bool ConfirmSaveOverChangedFile();
    QString BoxCaption() const;
    void ShowError(const ResultsFileOutcome& outcome);
    void EnableSave();

    const GameState& state_;
    ResultsFile& resultsFile_;
    Dialogs& dialogs_;
    ResultsCommandHooks hooks_;
    bool saveEnabled_ = false;
};
