#include "platform/Dialogs.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>

#include <algorithm>

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
    if (request.chosenFilter)
        *request.chosenFilter =
            int(std::max<qsizetype>(0, ToQtFilter(request.filter)
                                           .split(QStringLiteral(";;"))
                                           .indexOf(dialog.selectedNameFilter())));
    return dialog.selectedFiles().constFirst();
}

// Calls `drawn` once its widget has been painted: posted, so that the paint
// has reached the screen first, and to the application, so that a box
// answered at once still reports it.
class FirstPaintWatch final : public QObject {
  public:
    explicit FirstPaintWatch(std::function<void()> drawn) : drawn_(std::move(drawn)) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (drawn_ && event->type() == QEvent::Paint) {
            QTimer::singleShot(0, QCoreApplication::instance(), std::move(drawn_));
            drawn_ = nullptr;
            watched->removeEventFilter(this);
        }
        return false;
    }

  private:
    std::function<void()> drawn_;
};

} // namespace

DialogResult QtDialogs::MessageBox(const MessageBoxRequest& request)
{
    FirstPaintWatch paintWatch(request.drawn);
    QMessageBox box(ToQtIcon(request.icon), request.caption, request.text);
    if (request.drawn)
        box.installEventFilter(&paintWatch);
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
