#include "support/ScriptedDialogs.h"

DialogResult ScriptedDialogs::MessageBox(const MessageBoxRequest& request)
{
    boxes.append(request);
    if (onBox)
        onBox(request);
    if (boxAnswers.isEmpty())
        return request.defaultButton;
    return boxAnswers.takeFirst();
}

QString ScriptedDialogs::OpenFileName(const FileDialogRequest& request)
{
    fileDialogs.append(request);
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

QString ScriptedDialogs::SaveFileName(const FileDialogRequest& request)
{
    fileDialogs.append(request);
    const int filter = filterAnswers.isEmpty() ? 0 : filterAnswers.takeFirst();
    if (request.chosenFilter)
        *request.chosenFilter = filter;
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

QStringList ScriptedDialogs::captions() const
{
    QStringList result;
    for (const MessageBoxRequest& box : boxes)
        result << box.caption;
    return result;
}
