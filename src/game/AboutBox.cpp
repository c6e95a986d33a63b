#include "game/AboutBox.h"
#include "game/DialogLook.h"

#include "Version.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

namespace {

const QColor BevelShadow(128, 128, 128);
const QColor BevelHighlight(255, 255, 255);

// A panel with a lowered outer and a raised inner bevel, one pixel each.
class BevelPanel : public QWidget {
  public:
    using QWidget::QWidget;

  protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const QRect outer = rect();
        DrawBevel(painter, outer, BevelShadow, BevelHighlight);
        DrawBevel(painter, outer.adjusted(1, 1, -1, -1), BevelHighlight, BevelShadow);
    }

  private:
    static void DrawBevel(QPainter& painter, const QRect& r, const QColor& topLeft,
                          const QColor& bottomRight)
    {
        painter.setPen(topLeft);
        painter.drawLine(r.topLeft(), r.topRight());
        painter.drawLine(r.topLeft(), r.bottomLeft());
        painter.setPen(bottomRight);
        painter.drawLine(r.bottomLeft(), r.bottomRight());
        painter.drawLine(r.topRight(), r.bottomRight());
    }
};

// A label that acts like a link: a left click opens the address.
class WebLabel : public QLabel {
  public:
    WebLabel(const QUrl& url, UrlOpener openUrl, QWidget* parent)
        : QLabel(url.host(), parent), url_(url), openUrl_(std::move(openUrl))
    {
        QFont underlined = font();
        underlined.setUnderline(true);
        setFont(underlined);
        setCursor(Qt::PointingHandCursor);
        setToolTip(url.toString());
    }

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            openUrl_(url_);
    }

  private:
    QUrl url_;
    UrlOpener openUrl_;
};

QLabel* AddLabel(QWidget* parent, const QString& text, const QRect& geometry)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(geometry);
    return label;
}

} // namespace

QIcon ProgramIcon()
{
    QIcon icon;
    for (int size : {32, 64, 256})
        icon.addFile(QStringLiteral(":/heulmeister-%1.png").arg(size), QSize(size, size));
    return icon;
}

QUrl ProductPageUrl()
{
    return QUrl(QStringLiteral("https://heulmeister.example.org"));
}

void OpenInBrowser(const QUrl& url)
{
    QDesktopServices::openUrl(url);
}

AboutBox::AboutBox(QWidget* parent, UrlOpener openUrl) : QDialog(parent)
{
    setWindowTitle(tr("Info"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(305, 213);

    ApplyTealDialogLook(*this, 11);

    auto* panel = new BevelPanel(this);
    panel->setObjectName(QStringLiteral("InnerPanel"));
    panel->setGeometry(8, 8, 289, 161);

    auto* icon = new QLabel(panel);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    icon->setGeometry(8, 8, 65, 57);
    icon->setScaledContents(true);
    icon->setPixmap(ProgramIcon().pixmap(256, 256));

    AddLabel(panel, QStringLiteral("Heulmeister PRO"), QRect(88, 16, 190, 16));
    AddLabel(panel, tr("Version %1").arg(QStringLiteral(HEULMEISTER_VERSION)),
             QRect(88, 40, 190, 16));
    AddLabel(panel, tr("© 2026 Heulmeister-Projekt"), QRect(8, 80, 273, 16));
    QLabel* comments = AddLabel(panel, QString(), QRect(8, 100, 273, 30));
    comments->setObjectName(QStringLiteral("Comments"));
    comments->setWordWrap(true);
    comments->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* web = new WebLabel(ProductPageUrl(), std::move(openUrl), panel);
    web->setObjectName(QStringLiteral("WebLabel"));
    web->setGeometry(8, 136, 273, 16);

    // A native-looking button on the teal box, as the desktop draws it.
    okButton_ = new QPushButton(tr("OK"), this);
    okButton_->setPalette(QGuiApplication::palette());
    okButton_->setGeometry(115, 178, 75, 25);
    okButton_->setDefault(true);
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
}

int ShowAboutBox(QWidget* parent, UrlOpener openUrl)
{
    AboutBox box(parent, std::move(openUrl));
    if (QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
        // The whole window, frame included, goes to the middle; the frame is
        // known once the native window exists.
        box.winId();
        QRect frame = box.frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        box.move(frame.topLeft());
    }
    return box.exec();
}
