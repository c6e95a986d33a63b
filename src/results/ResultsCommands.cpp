#include "results/ResultsCommands.h"

#include "platform/Dialogs.h"
#include "results/ResultsFile.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

namespace {

// Marked for translation here, translated where a dialog shows them.
//: Name|pattern: the pattern after "|" stays as it is.
constexpr char OpenFilterText[] = QT_TRANSLATE_NOOP("ResultsCommands", "Heulmeister Daten|*.HMD");
//: Name|pattern: the pattern after "|" stays as it is.
constexpr char SaveFilterText[] = QT_TRANSLATE_NOOP("ResultsCommands", "Heulmeisterdaten|*.HMD");
constexpr char ReplaceCaptionText[] =
    QT_TRANSLATE_NOOP("ResultsCommands", "Datei existiert bereits");
constexpr char ReplaceQuestionText[] =
    QT_TRANSLATE_NOOP("ResultsCommands", "Es existiert bereits eine Datei gleichen Namens,\n"
                                         "deren Daten jedoch noch nicht geladen sind.\n"
                                         "Falls sie jetzt speichern, gehen diese Daten verloren.\n"
                                         "Wollen sie dennoch speichern?");
constexpr char ReplaceOtherQuestionText[] = QT_TRANSLATE_NOOP(
    "ResultsCommands",
    "Die Datei \"%1\" existiert bereits.\n"
    "Falls sie jetzt speichern, gehen die darin gespeicherten Ergebnisse verloren.\n"
    "Wollen sie dennoch speichern?");
constexpr char ChangedOnDiskQuestionText[] = QT_TRANSLATE_NOOP(
    "ResultsCommands", "Die Ergebnisdatei wurde inzwischen von einem anderen Programm geändert. "
                       "Trotzdem speichern?");

} // namespace

const QString ResultsCommands::OpenFilter = QString::fromUtf8(OpenFilterText);
const QString ResultsCommands::SaveFilter = QString::fromUtf8(SaveFilterText);
const QString ResultsCommands::DefaultExtension = QStringLiteral("HMD");
const QString ResultsCommands::ReplaceCaption = QString::fromUtf8(ReplaceCaptionText);
const QString ResultsCommands::ReplaceQuestion = QString::fromUtf8(ReplaceQuestionText);
const QString ResultsCommands::ReplaceOtherQuestion = QString::fromUtf8(ReplaceOtherQuestionText);
const QString ResultsCommands::ChangedOnDiskQuestion = QString::fromUtf8(ChangedOnDiskQuestionText);

namespace {

bool SameFile(const QString& a, const QString& b)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    const QString canonical = QFileInfo(a).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(b).canonicalFilePath();
}

} // namespace

ResultsCommands::ResultsCommands(const GameState& state, ResultsFile& resultsFile, Dialogs& dialogs,
                                 ResultsCommandHooks hooks)
    : state_(state), resultsFile_(resultsFile), dialogs_(dialogs), hooks_(std::move(hooks))
{
}

void ResultsCommands::Laden1Click()
{
    FileDialogRequest request;
    // The title the desktop's own dialog carries in German.
    request.caption = tr("Öffnen");
    request.filter = tr(OpenFilterText);
    request.defaultExtension = DefaultExtension;
    request.proposedName = state_.ResultsFileName;
    const QString chosen = dialogs_.OpenFileName(request);
    if (!chosen.isEmpty())
        Load(chosen);
}

void ResultsCommands::SpeichernClick()
{
    const QString fileName = state_.ResultsFileName;
    if (!fileName.isEmpty() && QFileInfo::exists(fileName)) {
        Save(fileName);
        return;
    }
    // The file has gone since it was loaded or saved. Writing nothing here
    // would lose the results at exit without a word, so ask where to.
    SaveAs(fileName);
}

void ResultsCommands::SpeichernUnterClick()
{
    SaveAs(state_.ResultsFileName);
}

void ResultsCommands::SaveAs(const QString& proposedName)
{
    FileDialogRequest request;
    request.caption = tr("Speichern unter");
    request.filter = tr(SaveFilterText);
    request.defaultExtension = DefaultExtension;
    request.proposedName = proposedName;
    const QString chosen = dialogs_.SaveFileName(request);
    if (chosen.isEmpty())
        return;
    if (chosen != state_.ResultsFileName) {
        // Another file's results would be gone for good; the loaded file
        // under another spelling of its name loses nothing.
        const bool loadedFile = saveEnabled_ && SameFile(chosen, state_.ResultsFileName);
        const QFileInfo existing(chosen);
        // A folder of that name only gets the error box of the save.
        const bool asked = existing.exists() && !existing.isDir() && !loadedFile;
        if (asked && !ConfirmReplace(chosen))
            return;
        Save(chosen, asked);
        return;
    }
    if (saveEnabled_) {
        Save(chosen);
        return;
    }
    // The remembered file, not loaded in this run: its results are not in
    // StoredBandTable, so saving would replace them with the current ones.
    MessageBoxRequest question;
    question.caption = tr(ReplaceCaptionText);
    question.text = tr(ReplaceQuestionText);
    question.icon = DialogIcon::Question;
    question.buttons = DialogButtons::YesNo;
    question.defaultButton = DialogResult::No;
    if (dialogs_.MessageBox(question) == DialogResult::Yes)
        Save(chosen, true);
}

bool ResultsCommands::ConfirmReplace(const QString& fileName)
{
    MessageBoxRequest question;
    question.caption = tr(ReplaceCaptionText);
    question.text = tr(ReplaceOtherQuestionText).arg(QDir::toNativeSeparators(fileName));
    question.icon = DialogIcon::Question;
    question.buttons = DialogButtons::YesNo;
    question.defaultButton = DialogResult::No;
    return dialogs_.MessageBox(question) == DialogResult::Yes;
}

bool ResultsCommands::ConfirmSaveOverChangedFile()
{
    MessageBoxRequest question;
    question.caption = BoxCaption();
    question.text = tr(ChangedOnDiskQuestionText);
    question.icon = DialogIcon::Question;
    question.buttons = DialogButtons::YesNo;
    question.defaultButton = DialogResult::No;
    return dialogs_.MessageBox(question) == DialogResult::Yes;
}

void ResultsCommands::LoadRememberedFile()
{
    Load(state_.ResultsFileName);
}

void ResultsCommands::LoadCommandLineFile(const QStringList& arguments)
{
    if (arguments.isEmpty() || arguments.constFirst().isEmpty())
        return;
    // Remembered in the settings: relative to today's working folder it would
    // name another file at the next start.
    Load(QFileInfo(arguments.constFirst()).absoluteFilePath());
}

void ResultsCommands::Load(const QString& fileName)
{
    const ResultsFileOutcome outcome = resultsFile_.LoadResults(fileName);
    switch (outcome.status) {
    case ResultsFileStatus::Done:
        EnableSave();
        if (hooks_.setStoredResultsAvailable)
            hooks_.setStoredResultsAvailable(true);
        break;
    case ResultsFileStatus::NotFound:
        break;
    case ResultsFileStatus::Failed:
        ShowError(outcome);
        break;
    }
}

void ResultsCommands::Save(const QString& fileName, bool replaceConfirmed)
{
    // Saving writes what this game loaded plus its own finds: whatever a
    // second game put into the file meanwhile would be gone without a word.
    if (!replaceConfirmed && resultsFile_.ChangedSinceLoadedOrSaved(fileName) &&
        !ConfirmSaveOverChangedFile())
        return;
    const ResultsFileOutcome outcome = resultsFile_.SaveResults(fileName);
    if (outcome.Succeeded())
        EnableSave();
    else
        ShowError(outcome);
}

void ResultsCommands::EnableSave()
{
    saveEnabled_ = true;
    if (hooks_.setSaveEnabled)
        hooks_.setSaveEnabled(true);
}

void ResultsCommands::ShowError(const ResultsFileOutcome& outcome)
{
    MessageBoxRequest box;
    box.caption = BoxCaption();
    box.text = outcome.errorText;
    box.icon = DialogIcon::Error;
    box.buttons = DialogButtons::Ok;
    box.defaultButton = DialogResult::Ok;
    dialogs_.MessageBox(box);
}

QString ResultsCommands::BoxCaption() const
{
    return hooks_.applicationTitle ? hooks_.applicationTitle()
                                   : QGuiApplication::applicationDisplayName();
}
