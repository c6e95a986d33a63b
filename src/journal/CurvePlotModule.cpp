#include "journal/CurvePlotModule.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QMutex>

#include <optional>

namespace {

std::optional<QStringList>& SearchPathOverride()
{
    static std::optional<QStringList> folders;
    return folders;
}

} // namespace

void SetCurvePlotSearchPath(const QStringList& folders)
{
    SearchPathOverride() = folders;
}

QStringList CurvePlotSearchPath()
{
    if (SearchPathOverride())
        return *SearchPathOverride();
    const QString programDir = QCoreApplication::applicationDirPath();
    return {programDir, QDir::cleanPath(programDir + QStringLiteral("/../lib/heulmeister"))};
}

namespace {

QFunctionPointer ResolveInModule(const char* name, QString* errorText)
{
    QStringList tried;
    QString lastError;
    for (const QString& folder : CurvePlotSearchPath()) {
        const QString path = QDir(folder).filePath(QLatin1String(CurvePlotModuleFile));
        tried << QDir::toNativeSeparators(path);
        if (!QFileInfo::exists(path))
            continue;
        // Never unloaded: the plots it made may outlive any one window.
        QLibrary module(path);
        module.setLoadHints(QLibrary::PreventUnloadHint);
        if (QFunctionPointer factory = module.resolve(name))
            return factory;
        lastError = module.errorString();
    }
    if (errorText)
        *errorText =
            lastError.isEmpty()
                ? QCoreApplication::translate("CurvePlotModule",
                                              "Das Modul für die Grafik fehlt (gesucht: %1).")
                      .arg(tried.join(QStringLiteral(", ")))
                : QCoreApplication::translate("CurvePlotModule",
                                              "Das Modul für die Grafik lässt sich nicht laden: %1")
                      .arg(lastError);
    return nullptr;
}

} // namespace

CreateCurvePlotFunction LoadCurvePlot(QString* errorText)
{
    static QMutex mutex;
    const QMutexLocker lock(&mutex);
    static CreateCurvePlotFunction loaded = nullptr;
    if (!loaded)
        loaded = reinterpret_cast<CreateCurvePlotFunction>(
            ResolveInModule(CurvePlotFactoryName, errorText));
    return loaded;
}

CreateStagePlotFunction LoadStagePlot(QString* errorText)
{
    static QMutex mutex;
    const QMutexLocker lock(&mutex);
    static CreateStagePlotFunction loaded = nullptr;
    if (!loaded)
        loaded = reinterpret_cast<CreateStagePlotFunction>(
            ResolveInModule(StagePlotFactoryName, errorText));
    return loaded;
}
