#include "game/HelpWindow.h"

#include "game/AboutBox.h"
#include "platform/Dialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QTextBrowser>
#include <QVBoxLayout>

const QString ManualFileName = QStringLiteral("Heulmeister.html");

QString HelpTopicAnchor(int topic)
{
    return QStringLiteral("topic%1").arg(topic);
}

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(tr("Heulmeister Pro - Anleitung"));
    setWindowIcon(ProgramIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    resize(760, 640);

    browser_ = new QTextBrowser(this);
    browser_->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
}

void HelpWindow::ShowTopic(const QString& manualPath, int topic)
{
    QUrl url = QUrl::fromLocalFile(manualPath);
    url.setFragment(HelpTopicAnchor(topic));
    // The same page with another fragment only scrolls; a new page loads.
    browser_->setSource(url);
    browser_->scrollToAnchor(url.fragment());
}

QUrl HelpWindow::Source() const
{
    return browser_->source();
}

HelpWindow* ShowHelpTopic(Dialogs& dialogs, const QString& manualDir, int topic, QWidget* parent)
{
    // The page in the language of our texts; the German one where it is missing.
    QString manualPath = QDir(manualDir).filePath(
        HelpWindow::tr("Heulmeister.html", "the manual's file in this language"));
    if (!QFileInfo(manualPath).isFile())
        manualPath = QDir(manualDir).filePath(ManualFileName);
    if (!QFileInfo(manualPath).isFile()) {
        MessageBoxRequest request;
        request.caption = HelpWindow::tr("Anleitung");
        request.text = HelpWindow::tr("Die Anleitung wurde nicht gefunden:\n%1")
                           .arg(QDir::toNativeSeparators(manualPath));
        request.icon = DialogIcon::Warning;
        dialogs.MessageBox(request);
        return nullptr;
    }

    HelpWindow* window =
        parent ? parent->findChild<HelpWindow*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    if (!window)
        window = new HelpWindow(parent);
    window->show();
    window->raise();
    window->activateWindow();
    // After show(), so that the scroll position is taken with the real size.
    window->ShowTopic(manualPath, topic);
    return window;
}
