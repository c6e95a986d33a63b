// Our texts are German unless the player chose English, whatever the
// system's language; under English every menu item, button and status line
// of the window is the translation, and the choice in the menu is kept for
// the next start.

#include "platform/Language.h"
#include "session/SettingsFile.h"
#include "support/GameHarness.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTranslator>
#include <QXmlStreamReader>
#include <QtTest>

namespace {

// The texts of our translation that read differently in English.
QSet<QString> GermanOnlyTexts()
{
    QFile file(QStringLiteral(TEST_DATA_DIR "/../../translations/heulmeister_en.ts"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QSet<QString> german;
    QXmlStreamReader xml(&file);
    QString source;
    while (!xml.atEnd()) {
        if (!xml.readNextStartElement())
            continue;
        if (xml.name() == u"source")
            source = xml.readElementText();
        else if (xml.name() == u"translation" &&
                 xml.readElementText(QXmlStreamReader::IncludeChildElements) != source)
            german.insert(source);
    }
    return german;
}

// What the player reads: every menu item, every button, the status lines.
QStringList TextsOnScreen(GameHarness& rig)
{
    QStringList texts;
    QList<QAction*> pending = rig.form->form.menuBar()->actions();
    while (!pending.isEmpty()) {
        QAction* action = pending.takeFirst();
        if (action->menu())
            pending += action->menu()->actions();
        if (!action->isSeparator())
            texts << action->text();
    }
    for (const QPushButton* button : rig.form->form.findChildren<QPushButton*>())
        texts << button->text();
    return texts + rig.Labels();
}

} // namespace

class LanguageTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup()
    {
        for (QTranslator* translator : qApp->findChildren<QTranslator*>()) {
            QCoreApplication::removeTranslator(translator);
            delete translator;
        }
        QLocale::setDefault(QLocale::c());
    }

    void languageIsThePlayersChoice_data()
    {
        QTest::addColumn<QByteArray>("training");
        QTest::addColumn<QString>("systemLocale");
        QTest::addColumn<bool>("english");
        QTest::newRow("no key, C") << QByteArray() << "C" << false;
        QTest::newRow("no key, German system") << QByteArray() << "de_DE" << false;
        QTest::newRow("no key, English system") << QByteArray() << "en_US" << false;
        QTest::newRow("German, English system") << QByteArray("Sprache=de\n") << "en_GB" << false;
        QTest::newRow("unknown, English system") << QByteArray("Sprache=fr\n") << "en_US" << false;
        QTest::newRow("English, C") << QByteArray("Sprache=en\n") << "C" << true;
        QTest::newRow("English, German system") << QByteArray("Sprache=en\n") << "de_DE" << true;
    }

    void languageIsThePlayersChoice()
    {
        QFETCH(QByteArray, training);
        QFETCH(QString, systemLocale);
        QFETCH(bool, english);
        QStringList german;
        {
            GameHarness reference;
            QVERIFY(reference.Start(QByteArray()));
            german = TextsOnScreen(reference);
        }
        QLocale::setDefault(QLocale(systemLocale));
        GameHarness rig;
        const QByteArray settings = "[Spiel]\nSelektmode=0\n[Training]\n" + training;
        QFile file(rig.SettingsPath());
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(settings) == settings.size());
        file.close();
        QVERIFY(
            InstallLanguage(*qApp, LanguageFromSetting(ReadLanguageSetting(rig.SettingsPath()))));
        QVERIFY(rig.StartAsIs());

        const QStringList shown = TextsOnScreen(rig);
        QCOMPARE(shown.size(), german.size());
        QStringList top;
        for (const QAction* menu : rig.form->form.menuBar()->actions())
            top << menu->text();
        if (!english) {
            QCOMPARE(shown, german);
            return;
        }
        QCOMPARE(top, (QStringList{"File", "Game", "Settings", "Evaluation", "Training", "Help"}));
        const QSet<QString> germanOnly = GermanOnlyTexts();
        QVERIFY(!germanOnly.isEmpty());
        for (const QString& text : shown)
            QVERIFY2(!germanOnly.contains(text), qPrintable(text));
    }

    void choiceCountsFromTheNextStart()
    {
        GameHarness rig;
        QVERIFY(rig.Start("[Spiel]\nSelektmode=0\n"));
        QVERIFY(rig.TriggerMenuItem(QStringLiteral("Training/Sprache/English")));
        QCOMPARE(rig.form->form.menuBar()->actions().first()->text(), QStringLiteral("Datei"));
        rig.Stop(); // the window writes its settings as it closes
        QCOMPARE(LanguageFromSetting(ReadLanguageSetting(rig.SettingsPath())), Language::English);
    }
};

QTEST_MAIN(LanguageTest)
#include "tst_language.moc"
