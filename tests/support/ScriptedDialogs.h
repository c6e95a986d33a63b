#pragma once
// Answers message boxes and file dialogs from a script and records what was
// asked, so tests drive the game without a person.

#include "platform/Dialogs.h"

#include <QList>
#include <QStringList>
#include <functional>

class ScriptedDialogs final : public Dialogs {
  public:
    DialogResult MessageBox(const MessageBoxRequest& request) override;
    QString OpenFileName(const FileDialogRequest& request) override;
    QString SaveFileName(const FileDialogRequest& request) override;

    // Answers used in order; when they run out a box gets its default button
    // and a file dialog is cancelled.
    QList<DialogResult> boxAnswers;
    QStringList fileAnswers;
    // The file type chosen with each save answer, from 0; 0 when they run out.
    QList<int> filterAnswers;

    // Called as each box comes up, to look at the program while it waits.
    std::function<void(const MessageBoxRequest&)> onBox;

    QList<MessageBoxRequest> boxes;
    QList<FileDialogRequest> fileDialogs;

    QStringList captions() const;
};
