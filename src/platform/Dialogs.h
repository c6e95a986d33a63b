#pragma once
// Modal message boxes and file dialogs. The game asks through this interface
// so that tests can answer without a person. Thread: GUI only.

#include <QString>

#include <functional>

enum class DialogIcon { None, Error, Warning, Question, Information };
enum class DialogButtons { Ok, OkCancel, YesNo };
enum class DialogResult { Ok, Cancel, Yes, No };

struct MessageBoxRequest {
    QString caption;
    QString text; // lines separated by '\n'
    DialogIcon icon = DialogIcon::None;
    DialogButtons buttons = DialogButtons::Ok;
    DialogResult defaultButton = DialogResult::Ok;
    bool alwaysOnTop = false;
    // Called once, after the box has first been drawn on the screen; a box
    // answered without being shown never calls it.
    std::function<void()> drawn;
};

struct FileDialogRequest {
    QString caption;
    QString filter;           // Windows-style "Description|*.EXT"
    QString defaultExtension; // without the dot
    QString proposedName;
    // When set, a save dialog writes here which file type of `filter` the
    // player chose, from 0.
    int* chosenFilter = nullptr;
};

class Dialogs {
  public:
    virtual ~Dialogs() = default;
    // Shows a modal box; pending events keep being dispatched while it is open.
    virtual DialogResult MessageBox(const MessageBoxRequest& request) = 0;
    // Empty result: the player cancelled.
    virtual QString OpenFileName(const FileDialogRequest& request) = 0;
    virtual QString SaveFileName(const FileDialogRequest& request) = 0;
};

// The real boxes and dialogs of the desktop.
class QtDialogs final : public Dialogs {
  public:
    DialogResult MessageBox(const MessageBoxRequest& request) override;
    QString OpenFileName(const FileDialogRequest& request) override;
    QString SaveFileName(const FileDialogRequest& request) override;
};
