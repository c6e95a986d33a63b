#include "platform/Dialogs.h"

#include <QFileDialog>
#include <QMessageBox>

namespace {

QMessageBox::Icon ToQtIcon(DialogIcon icon)
{
    switch (icon) {
    case DialogIcon::Error:
        return QMessageBox::Critical;
    case DialogIcon::Warning:
        return QMessageBox::Warning;
    case DialogIcon::Question:
        return QMessageBox::Question;
    case DialogIcon::Information:
        return QMessageBox::Information;
    case DialogIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButton ToQtButton(DialogResult result)
{
    switch (result) {
    case DialogResult::Ok:
        return QMessageBox::Ok;
    case DialogResult::Cancel:
        return QMessageBox::Cancel;
    case DialogResult::Yes:
        return QMessageBox::Yes;
    case DialogResult::No:
        return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

// "Heulmeister Daten|*.HMD" -> "Heulmeister Daten (*.HMD)"
QString ToQtFilter(const QString& windowsFilter)
{
    const QStringList parts = windowsFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        filters << QStringLiteral("%1 (%2)").arg(parts[i], QString(parts[i + 1]).replace(';', ' '));
    return filters.join(QStringLiteral(";;"));
}

QString RunFileDialog(const FileDialogRequest& request, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(nullptr, request.caption);
    dialog.setAcceptMode(mode);
    dialog.setNameFilter(ToQtFilter(request.filter));
    dialog.setDefaultSuffix(request.defaultExtension);
    // Qt's own dialog: the native one cannot be driven in tests and asks its
    // own overwrite question, which the game asks itself.
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
    if (mode == QFileDialog::AcceptOpen)
        dialog.setFileMode(QFileDialog::AnyFile);
    if (!request.proposedName.isEmpty())
        dialog.selectFile(request.proposedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

DialogResult QtDialogs::MessageBox(const MessageBoxRequest& request)
{
    QMessageBox box(ToQtIcon(request.icon), request.caption, request.text);
    switch (request.buttons) {
    case DialogButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case DialogButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case DialogButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    }
    box.setDefaultButton(ToQtButton(request.defaultButton));
    if (request.alwaysOnTop)
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
    switch (box.exec()) {
    case QMessageBox::Ok:
        return DialogResult::Ok;
    case QMessageBox::Yes:
        return DialogResult::Yes;
    case QMessageBox::No:
        return DialogResult::No;
    default:
        return DialogResult::Cancel;
    }
}

QString QtDialogs::OpenFileName(const FileDialogRequest& request)
{
    return RunFileDialog(request, QFileDialog::AcceptOpen);
}

QString QtDialogs::SaveFileName(const FileDialogRequest& request)
{
    return RunFileDialog(request, QFileDialog::AcceptSave);
}
