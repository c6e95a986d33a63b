// The fuzz targets' checks over every regression input (each a hostile file
// that once broke the program) and the seed corpus, in the normal build.

#include "JournalFuzzTarget.h"
#include "ResultsFuzzTarget.h"
#include "SettingsFuzzTarget.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <functional>

namespace {

using Check = std::function<QString(const QByteArray&)>;

Check CheckFor(const QString& target)
{
    if (target == QLatin1String("settings"))
        return CheckSettingsFile;
    if (target == QLatin1String("journal"))
        return CheckJournalRows;
    return CheckResultsFile;
}

} // namespace

class TestFuzz : public QObject {
    Q_OBJECT

  private slots:
    void inputsAreThere_data();
    void inputsAreThere();
    void replay_data();
    void replay();
};

void TestFuzz::inputsAreThere_data()
{
    QTest::addColumn<QString>("folder");
    for (const char* target : {"settings", "results", "journal"}) {
        for (const char* kind : {"regressions", "corpus"}) {
            const QString folder =
                QStringLiteral("%1/%2").arg(QLatin1String(kind), QLatin1String(target));
            QTest::newRow(qPrintable(folder)) << folder;
        }
        QTest::addRow("%s dictionary", target)
            << QStringLiteral("%1.dict").arg(QLatin1String(target));
    }
}

void TestFuzz::inputsAreThere()
{
    QFETCH(QString, folder);
    const QFileInfo info(QStringLiteral(FUZZ_DIR "/") + folder);
    if (info.isDir())
        QVERIFY(!QDir(info.filePath()).entryList(QDir::Files).isEmpty());
    else
        QVERIFY(info.size() > 0);
}

void TestFuzz::replay_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("path");
    for (const QString& kind : {QStringLiteral("regressions"), QStringLiteral("corpus")}) {
        for (const QString& target :
             {QStringLiteral("settings"), QStringLiteral("results"), QStringLiteral("journal")}) {
            const QDir folder(QStringLiteral(FUZZ_DIR "/%1/%2").arg(kind, target));
            for (const QString& name : folder.entryList(QDir::Files, QDir::Name))
                QTest::addRow("%s/%s/%s", qPrintable(kind), qPrintable(target), qPrintable(name))
                    << target << folder.filePath(name);
        }
    }
}

void TestFuzz::replay()
{
    QFETCH(QString, target);
    QFETCH(QString, path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString failure = CheckFor(target)(file.readAll());
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

QTEST_MAIN(TestFuzz)
#include "tst_fuzz.moc"
