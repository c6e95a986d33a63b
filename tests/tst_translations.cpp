// Qt's own texts follow the user's language.

#include "platform/QtTranslations.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTranslator>
#include <QtTest>

class TestTranslations : public QObject {
    Q_OBJECT

  private slots:
    void standardButtonsSpeakTheUsersLanguage_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QStringList>("buttons"); // OK, Cancel, Yes, No
        QTest::newRow("German desktop")
            << "de_DE" << true << QStringList{"OK", "Abbrechen", "Ja", "Nein"};
        QTest::newRow("Austrian desktop")
            << "de_AT" << true << QStringList{"OK", "Abbrechen", "Ja", "Nein"};
        QTest::newRow("English desktop")
            << "en_GB" << false << QStringList{"OK", "Cancel", "Yes", "No"};
    }

    void standardButtonsSpeakTheUsersLanguage()
    {
        QFETCH(QString, locale);
        QFETCH(bool, installed);
        QFETCH(QStringList, buttons);
        // Every row starts from Qt's own English.
        for (QTranslator* translator : qApp->findChildren<QTranslator*>()) {
            QCoreApplication::removeTranslator(translator);
            delete translator;
        }
        QCOMPARE(InstallQtTranslations(*qApp, QLocale(locale)), installed);
        QMessageBox box(QMessageBox::Question, QStringLiteral("Frage"), QStringLiteral("?"),
                        QMessageBox::Ok | QMessageBox::Cancel | QMessageBox::Yes | QMessageBox::No);
        QStringList texts;
        for (auto which : {QMessageBox::Ok, QMessageBox::Cancel, QMessageBox::Yes, QMessageBox::No})
            texts << box.button(which)->text().remove(QLatin1Char('&'));
        QCOMPARE(texts, buttons);
    }
};

QTEST_MAIN(TestTranslations)
#include "tst_translations.moc"
