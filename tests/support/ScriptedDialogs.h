#pragma once
// Dialogs that answer without a person: every request is recorded, boxes
// are answered from a script (OK when the script is empty), file dialogs
// return the scripted names (empty = cancelled).

#include "platform/Dialogs.h"

#include <QList>
#include <QStringList>

class ScriptedDialogs final : public Dialogs {
public:
    DialogResult MessageBox(const MessageBoxRequest& request) override;
    QString OpenFileName(const FileDialogRequest& request) override;
    QString SaveFileName(const FileDialogRequest& request) override;

    QList<DialogResult> boxAnswers;
    QStringList fileAnswers;
    QList<MessageBoxRequest> boxes;
    QList<FileDialogRequest> fileDialogs;
};
