// The "Info" box, the program icon, and the help command with its manual.

#include "game/AboutBox.h"
#include "game/HelpWindow.h"
#include "game/MainMenu.h"
#include "game/TrainingMenu.h"
#include "model/FaderModel.h"
#include "platform/Dialogs.h"
#include "support/ScriptedDialogs.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>

#include <functional>

namespace {

QString SourceManualPath()
{
    return QDir::cleanPath(QStringLiteral(TEST_DATA_DIR "/../../resources/manual/") +
                           ManualFileName);
}

// Runs `inspect` on the about box as soon as it is open; `inspect` must close it.
void WhenAboutBoxOpen(std::function<void(AboutBox*)> inspect)
{
    auto* poll = new QTimer;
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, inspect] {
        if (auto* box = qobject_cast<AboutBox*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            inspect(box);
        }
    });
    poll->start();
}

QLabel* LabelWithText(QWidget* parent, const QString& text)
{
    for (QLabel* label : parent->findChildren<QLabel*>())
        if (label->text() == text)
            return label;
    return nullptr;
}

QStringList AnchorNames(QTextDocument* document)
{
    QStringList names;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            names += it.fragment().charFormat().anchorNames();
    return names;
}

QString ReadManual()
{
    QFile file(SourceManualPath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

} // namespace

class AboutTest : public QObject {
    Q_OBJECT

  private slots:
    void aboutBoxLayout()
    {
        struct Seen {
            QString title;
            QSize size, minimum, maximum;
            QColor background, text;
            QString fontFamily;
            int fontPixels = 0;
            QRect panel, icon, centre;
            bool iconShown = false;
            bool product = false, version = false;
            QString notice;
            bool commentsEmptyAndWrapping = false;
            bool okIsDefault = false;
            bool allLabelsArial11 = true;
            QPoint screenCentre;
        } seen;

        WhenAboutBoxOpen([&seen](AboutBox* box) {
            seen.title = box->windowTitle();
            seen.size = box->size();
            seen.minimum = box->minimumSize();
            seen.maximum = box->maximumSize();
            seen.background = box->palette().color(QPalette::Window);
            seen.text = box->palette().color(QPalette::WindowText);
            seen.fontFamily = box->font().family();
            seen.fontPixels = box->font().pixelSize();
            if (QWidget* panel = box->findChild<QWidget*>(QStringLiteral("InnerPanel")))
                seen.panel = panel->geometry();
            if (auto* icon = box->findChild<QLabel*>(QStringLiteral("ProgramIcon"))) {
                seen.icon = icon->geometry();
                seen.iconShown = icon->hasScaledContents() && !icon->pixmap().isNull();
            }
            for (QLabel* label : box->findChildren<QLabel*>())
                seen.allLabelsArial11 &= label->font().family() == QStringLiteral("Arial") &&
                                         label->font().pixelSize() == 11;
            seen.product = LabelWithText(box, QStringLiteral("Heulmeister PRO"));
            seen.version = LabelWithText(box, QStringLiteral("Version " PROJECT_VERSION_TEXT));
            for (QLabel* label : box->findChildren<QLabel*>())
                if (label->text().contains(QStringLiteral("©")))
                    seen.notice = label->text();
            if (auto* comments = box->findChild<QLabel*>(QStringLiteral("Comments")))
                seen.commentsEmptyAndWrapping = comments->text().isEmpty() && comments->wordWrap();
            seen.okIsDefault = box->OkButton()->isDefault() && box->OkButton()->text() == "OK";
            seen.centre = box->frameGeometry();
            seen.screenCentre = box->screen()->availableGeometry().center();
            QTest::mouseClick(box->OkButton(), Qt::LeftButton);
        });
        const int result = ShowAboutBox(nullptr, [](const QUrl&) {});

        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(seen.title, QStringLiteral("Info"));
        QCOMPARE(seen.size, QSize(305, 213));
        QCOMPARE(seen.minimum, QSize(305, 213));
        QCOMPARE(seen.maximum, QSize(305, 213));
        QCOMPARE(seen.background, QColor(0, 128, 128));
        QCOMPARE(seen.text, QColor(Qt::white));
        QCOMPARE(seen.fontFamily, QStringLiteral("Arial"));
        QCOMPARE(seen.fontPixels, 11);
        QCOMPARE(seen.panel, QRect(8, 8, 289, 161));
        QCOMPARE(seen.icon.size(), QSize(65, 57));
        QVERIFY(seen.iconShown);
        QVERIFY(seen.product);
        QVERIFY(seen.version);
        QVERIFY(seen.notice.contains(QRegularExpression(QStringLiteral("20\\d\\d"))));
        QVERIFY(seen.commentsEmptyAndWrapping);
        QVERIFY(seen.okIsDefault);
        QVERIFY(seen.allLabelsArial11);
        QVERIFY((seen.centre.center() - seen.screenCentre).manhattanLength() <= 2);
    }

    void enterClosesWithOk()
    {
        WhenAboutBoxOpen([](AboutBox* box) { QTest::keyClick(box, Qt::Key_Return); });
        QCOMPARE(ShowAboutBox(nullptr, [](const QUrl&) {}), int(QDialog::Accepted));
    }

    void freshBoxEachTime()
    {
        QPointer<AboutBox> first;
        WhenAboutBoxOpen([&first](AboutBox* box) {
            first = box;
            // Something the next box must not inherit.
            box->findChild<QLabel*>(QStringLiteral("Comments"))->setText(QStringLiteral("alt"));
            box->accept();
        });
        ShowAboutBox(nullptr, [](const QUrl&) {});
        QVERIFY(first.isNull());

        QPointer<AboutBox> second;
        QString comments = QStringLiteral("not seen");
        WhenAboutBoxOpen([&second, &comments](AboutBox* box) {
            second = box;
            comments = box->findChild<QLabel*>(QStringLiteral("Comments"))->text();
            box->reject();
        });
        QCOMPARE(ShowAboutBox(nullptr, [](const QUrl&) {}), int(QDialog::Rejected));
        QVERIFY(second.isNull());
        QCOMPARE(comments, QString());
    }

    void webLabelOpensProductPage_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("opened");
        QTest::newRow("left click") << int(Qt::LeftButton) << 1;
        QTest::newRow("right click") << int(Qt::RightButton) << 0;
    }

    void webLabelOpensProductPage()
    {
        QFETCH(int, button);
        QFETCH(int, opened);
        QList<QUrl> urls;
        AboutBox box(nullptr, [&urls](const QUrl& url) { urls.append(url); });
        auto* web = box.findChild<QLabel*>(QStringLiteral("WebLabel"));
        QVERIFY(web);
        QTest::mouseClick(web, Qt::MouseButton(button));
        QCOMPARE(urls.size(), opened);
        // The page that opens is the one the label names, over a secure link.
        if (opened) {
            QCOMPARE(urls.front().host(), web->text());
            QCOMPARE(urls.front().scheme(), QStringLiteral("https"));
        }
        QVERIFY(!box.isVisible()); // the click opens the page, the box stays as it is
    }

    void programIconHasItsSizes()
    {
        const QIcon icon = ProgramIcon();
        QVERIFY(!icon.isNull());
        for (int size : {32, 64, 256})
            QVERIFY2(icon.availableSizes().contains(QSize(size, size)),
                     qPrintable(QString::number(size)));
        const QImage image = icon.pixmap(64, 64).toImage();
        // Drawn, not blank: the corners are transparent, the middle is not.
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        QVERIFY(qAlpha(image.pixel(32, 32)) > 200);
    }

    void missingManualIsReported()
    {
        QTemporaryDir programDir;
        ScriptedDialogs dialogs;
        QWidget main;
        HelpWindow* window = ShowHelpTopic(dialogs, programDir.path(), 10, &main);
        QVERIFY(window == nullptr);
        QCOMPARE(dialogs.boxes.size(), 1);
        QCOMPARE(dialogs.boxes.front().caption, QStringLiteral("Anleitung"));
        QVERIFY(dialogs.boxes.front().text.contains(programDir.path() + "/" + ManualFileName));
        QCOMPARE(dialogs.boxes.front().buttons, DialogButtons::Ok);
        QVERIFY(main.findChildren<HelpWindow*>().isEmpty());
    }

    void manualOpensAtTopic()
    {
        QTemporaryDir programDir;
        QVERIFY(QFile::copy(SourceManualPath(), programDir.filePath(ManualFileName)));
        ScriptedDialogs dialogs;
        QWidget main;
        HelpWindow* window = ShowHelpTopic(dialogs, programDir.path(), 10, &main);
        QVERIFY(window);
        QVERIFY(dialogs.boxes.isEmpty());
        QVERIFY(window->isVisible());
        QCOMPARE(window->Source().toLocalFile(), programDir.filePath(ManualFileName));
        QCOMPARE(window->Source().fragment(), QStringLiteral("topic10"));
        QVERIFY(AnchorNames(window->Browser()->document()).contains(QStringLiteral("topic10")));

        // A second call reuses the window and moves to the new topic.
        HelpWindow* again = ShowHelpTopic(dialogs, programDir.path(), 70, &main);
        QCOMPARE(again, window);
        QCOMPARE(window->Source().fragment(), QStringLiteral("topic70"));
        QVERIFY(window->Browser()->verticalScrollBar()->value() > 0);
        QCOMPARE(main.findChildren<HelpWindow*>().size(), 1);
    }

    void manualShippedNextToProgram()
    {
        // The build copies the manual next to the program (one level above the tests).
        QVERIFY(QFile::exists(QCoreApplication::applicationDirPath() + "/../" + ManualFileName));
    }

    void manualLinksAllResolve()
    {
        const QString html = ReadManual();
        QVERIFY(!html.isEmpty());
        QTextDocument document;
        document.setHtml(html);
        const QStringList anchors = AnchorNames(&document);
        QRegularExpression link(QStringLiteral("href=\"#([^\"]+)\""));
        int links = 0;
        for (auto it = link.globalMatch(html); it.hasNext(); ++links) {
            const QString target = it.next().captured(1);
            QVERIFY2(anchors.contains(target), qPrintable(target));
        }
        QVERIFY(links >= 8);
    }

    // Every menu and command the player sees is explained in the manual.
    void manualCoversEveryMenu()
    {
        QTextDocument document;
        document.setHtml(ReadManual());
        const QString text = document.toPlainText();
        GameState state;
        FaderModel faders(state);
        QMenuBar bar;
        MainMenu menu(&bar, state, faders);
        TrainingMenu training(&bar, nullptr, state.Training, state);
        QList<QAction*> pending = bar.actions();
        while (!pending.isEmpty()) {
            QAction* action = pending.takeFirst();
            if (action->menu())
                pending += action->menu()->actions();
            if (action->isSeparator() || action->data().isValid())
                continue; // values are described with their menu
            QVERIFY2(text.contains(action->text()), qPrintable(action->text()));
        }
        for (const char* word :
             {"Heulmeister Pro.inf", ".config/Heulmeister Pro", ".HMD", "Bild auf", "Bild ab",
              "Leertaste", "Eingabetaste", "Pfeil", "Rechte Maustaste", "Anwahl und Absenkung"})
            QVERIFY2(text.contains(QString::fromUtf8(word)), word);
    }
};

QTEST_MAIN(AboutTest)
#include "tst_about.moc"
