#pragma once
// The program's manual, shown in a window of its own at a topic, as the help
// command of the menu asks for. Thread: GUI only.

#include <QString>
#include <QUrl>
#include <QWidget>

class Dialogs;
class QTextBrowser;

// The manual's file name; see ManualDirectory() for where it lies.
extern const QString ManualFileName;

// Topics are anchors of the manual named "topic<n>".
QString HelpTopicAnchor(int topic);

class HelpWindow : public QWidget {
    Q_OBJECT
  public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Loads the manual (if not loaded yet) and scrolls to the topic.
    void ShowTopic(const QString& manualPath, int topic);

    QUrl Source() const;
    QTextBrowser* Browser() const { return browser_; }

  private:
    QTextBrowser* browser_ = nullptr;
};

// Opens the manual in `manualDir` at `topic`, in the parent's help window if it
// has one already. A missing manual is reported in a message box and nothing
// else happens; the result is then nullptr.
HelpWindow* ShowHelpTopic(Dialogs& dialogs, const QString& manualDir, int topic, QWidget* parent);
