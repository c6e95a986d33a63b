#include "ScriptedDialogs.h"

DialogResult ScriptedDialogs::MessageBox(const MessageBoxRequest& request)
{
    boxes.append(request);
    return boxAnswers.isEmpty() ? DialogResult::Ok : boxAnswers.takeFirst();
}

QString ScriptedDialogs::OpenFileName(const FileDialogRequest& request)
{
    fileDialogs.append(request);
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

QString ScriptedDialogs::SaveFileName(const FileDialogRequest& request)
{
    fileDialogs.append(request);
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}
