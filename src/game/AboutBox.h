#pragma once
// The "Info" box of the help menu, and the program's icon. Thread: GUI only.

#include <QDialog>
#include <QIcon>
#include <QUrl>

#include <functional>

class QPushButton;

// The program's icon in the sizes shipped with it.
QIcon ProgramIcon();

// The product page the about box links to.
QUrl ProductPageUrl();

// Opens a web address; the about box uses the desktop's browser unless a test
// hands in something else.
using UrlOpener = std::function<void(const QUrl&)>;
void OpenInBrowser(const QUrl& url);

class AboutBox : public QDialog {
    Q_OBJECT
  public:
    explicit AboutBox(QWidget* parent = nullptr, UrlOpener openUrl = OpenInBrowser);

    QPushButton* OkButton() const { return okButton_; }

  private:
    QPushButton* okButton_ = nullptr;
};

// Creates a fresh box, shows it modally in the middle of the screen and
// destroys it when it closes. Returns the dialog's result.
int ShowAboutBox(QWidget* parent = nullptr, UrlOpener openUrl = OpenInBrowser);
