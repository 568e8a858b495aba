#include "progress_charts.h"

#include <QCoreApplication>
#include <QHash>
#include <QPluginLoader>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(ProgressCharts)
};

} // namespace

ProgressCharts *LoadProgressCharts(QString *reason, const QString &module)
{
    // Looked for beside the program (a build) and where the package installs it. Once loaded,
    // a module stays for the program's life: its loaders are kept in a table that is never
    // destroyed, which outlives the objects the module made.
    static auto *const loaders = [] {
        QCoreApplication::addLibraryPath(QCoreApplication::applicationDirPath()
                                         + QStringLiteral("/" MERKO_MODULE_DIR));
        return new QHash<QString, QPluginLoader *>;
    }();
    QPluginLoader *&loader = (*loaders)[module];
    if (!loader)
        loader = new QPluginLoader(module);
    auto *charts = qobject_cast<ProgressCharts *>(loader->instance());
    if (!charts && reason) {
        QString error = loader->errorString();
        if (error.endsWith(QLatin1Char('.')))
            error.chop(1);
        *reason = Texts::tr("modul %1 nelze načíst (%2)").arg(module, error);
    }
    return charts;
}
