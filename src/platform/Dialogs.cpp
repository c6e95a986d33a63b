#include "platform/Dialogs.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QDialog>
#include <QEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>
#include <vector>

namespace {

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

// The box is built here from labels and buttons rather than as a
// QMessageBox: the safety warning is the program's first window, and
// QMessageBox's set-up (its button box, the icon looked up at once) took a
// third of its time to the screen.
std::optional<QStyle::StandardPixmap> IconOf(DialogIcon icon)
{
    switch (icon) {
    case DialogIcon::Error:
        return QStyle::SP_MessageBoxCritical;
    case DialogIcon::Warning:
        return QStyle::SP_MessageBoxWarning;
    case DialogIcon::Question:
        return QStyle::SP_MessageBoxQuestion;
    case DialogIcon::Information:
        return QStyle::SP_MessageBoxInformation;
    case DialogIcon::None:
        break;
    }
    return std::nullopt;
}

// Qt's own box icon, looked up when first drawn: the lookup searches the
// desktop's icon theme (4 ms without one), which need not keep the box off
// the screen, as the size is known without it.
class BoxIcon final : public QWidget {
  public:
    BoxIcon(QStyle::StandardPixmap icon, const QWidget& box) : icon_(icon)
    {
        const int extentPx = box.style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &box);
        setFixedSize(extentPx, extentPx);
    }

  protected:
    void paintEvent(QPaintEvent*) override
    {
        if (pixmap_.isNull() || pixmap_.devicePixelRatio() != devicePixelRatioF())
            pixmap_ =
                style()->standardIcon(icon_, nullptr, this).pixmap(size(), devicePixelRatioF());
        QPainter(this).drawPixmap(0, 0, pixmap_);
    }

  private:
    QStyle::StandardPixmap icon_;
    QPixmap pixmap_;
};

// In the order Qt's boxes show them on this desktop; the last is Escape's.
std::vector<DialogResult> Answers(DialogButtons buttons)
{
    switch (buttons) {
    case DialogButtons::OkCancel:
        return {DialogResult::Ok, DialogResult::Cancel};
    case DialogButtons::YesNo:
        return {DialogResult::Yes, DialogResult::No};
    case DialogButtons::Ok:
        break;
    }
    return {DialogResult::Ok};
}

// The texts and translations of Qt's own standard buttons.
QString ButtonText(DialogResult answer)
{
    switch (answer) {
    case DialogResult::Ok:
        return QCoreApplication::translate("QPlatformTheme", "OK");
    case DialogResult::Cancel:
        return QCoreApplication::translate("QPlatformTheme", "Cancel");
    case DialogResult::Yes:
        return QCoreApplication::translate("QPlatformTheme", "&Yes");
    case DialogResult::No:
        return QCoreApplication::translate("QPlatformTheme", "&No");
    }
    return {};
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

// Announced as Qt's own boxes are, an alert that a screen reader reads out
// as it opens; the interface is made only once an assistive tool asks.
class AlertBox final : public QDialog {
  public:
    using QDialog::QDialog;

  protected:
    void showEvent(QShowEvent* event) override
    {
        QDialog::showEvent(event);
        QAccessibleEvent alert(this, QAccessible::Alert);
        QAccessible::updateAccessibility(&alert);
    }
};

QAccessibleInterface* AlertBoxAccessible(const QString&, QObject* object)
{
    if (auto* box = dynamic_cast<AlertBox*>(object))
        return new QAccessibleWidget(box, QAccessible::AlertMessage);
    return nullptr;
}

} // namespace

DialogResult QtDialogs::MessageBox(const MessageBoxRequest& request)
{
    static const bool alertRoleKnown = (QAccessible::installFactory(AlertBoxAccessible), true);
    Q_UNUSED(alertRoleKnown);
    // A box's frame: a title and a close button, no maximise.
    AlertBox box(nullptr, Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    box.setWindowTitle(request.caption);
    box.setAccessibleName(request.caption);
    box.setAccessibleDescription(request.text);
    if (request.alwaysOnTop)
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
    FirstPaintWatch paintWatch(request.drawn);
    if (request.drawn)
        box.installEventFilter(&paintWatch);

    auto* row = new QHBoxLayout;
    if (const auto icon = IconOf(request.icon)) {
        row->addWidget(new BoxIcon(*icon, box), 0, Qt::AlignTop);
        row->addSpacing(box.style()->pixelMetric(QStyle::PM_LayoutHorizontalSpacing) * 2);
    }
    // Plain text: a file name with "<" in it is shown as it is.
    auto* text = new QLabel(request.text);
    text->setTextFormat(Qt::PlainText);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    row->addWidget(text, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    const std::vector<DialogResult> answers = Answers(request.buttons);
    DialogResult chosen = answers.back(); // Escape and the window's close button
    for (DialogResult answer : answers) {
        auto* button = new QPushButton(ButtonText(answer));
        if (answer == request.defaultButton) {
            button->setDefault(true);
            button->setFocus(); // Enter answers with it, wherever the box opens
        }
        QObject::connect(button, &QPushButton::clicked, &box, [&box, &chosen, answer] {
            chosen = answer;
            box.accept();
        });
        buttons->addWidget(button);
    }
    auto* layout = new QVBoxLayout(&box);
    layout->addLayout(row);
    layout->addSpacing(box.style()->pixelMetric(QStyle::PM_LayoutVerticalSpacing));
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    box.exec();
    return chosen;
}

QString QtDialogs::OpenFileName(const FileDialogRequest& request)
{
    return RunFileDialog(request, QFileDialog::AcceptOpen);
}

QString QtDialogs::SaveFileName(const FileDialogRequest& request)
{
    return RunFileDialog(request, QFileDialog::AcceptSave);
}
