#include "application.h"

#include "core/file_error.h"
#include "history/memory_fit.h"
#include "history/review_history.h"
#include "settings/settings.h"

#include <QCoreApplication>
#include <QDate>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstdio>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(OptimiseCommand)
};

void say(FILE *stream, const QString &text)
{
    std::fprintf(stream, "%s\n", qPrintable(text));
}

} // namespace

int OptimiseFromCommandLine()
{
    const QString dataDirectory = DataDirectoryOf(QCoreApplication::applicationFilePath());
    Settings settings;
    try {
        ReadSettings(settings, dataDirectory);
    } catch (const FileError &error) {
        say(stderr, error.message());
        return 1;
    }
    if (!settings.refusedWeights.isEmpty()) {
        say(stderr, Texts::tr("Klíč ParametryFSRS v souboru %1 nemá 21 platných čísel; platí "
                              "výchozí parametry paměti.")
                        .arg(SettingsFilePath(dataDirectory)));
    }
    const QString historyPath
        = HistoryFilePath(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    QString failure;
    if (QFileInfo::exists(historyPath)) {
        // Opened as the drill opens it: brought to this program's schema, its pages checked.
        ReviewHistory history(historyPath);
        QObject::connect(&history, &ReviewHistory::troubled,
                         [&failure](const QString &message) { failure = message; });
        history.ensureOpen();
    }
    const MemoryModel inForce = MemoryModelOf(settings);
    std::optional<Optimisation> result;
    if (failure.isEmpty())
        result = OptimiseHistory(historyPath, inForce.weights, {}, &failure);
    if (!result) {
        say(stderr, failure);
        return 2;
    }
    say(stdout, OptimisationReport(*result));
    if (result->outcome == Optimisation::Outcome::TooFewAnswers)
        return 3;
    if (result->outcome != Optimisation::Outcome::Better) {
        say(stdout, QStringLiteral("ParametryFSRS=") + Fsrs::WeightsText(inForce.weights));
        return 0;
    }
    settings.memoryWeights = result->weights;
    settings.memoryWeightsDate = QDate::currentDate();
    try {
        WriteMemoryWeights(settings, dataDirectory);
    } catch (const FileError &error) {
        say(stderr, error.message());
        return 1;
    }
    say(stdout, QStringLiteral("ParametryFSRS=") + Fsrs::WeightsText(*settings.memoryWeights));
    // The cards follow the new weights at once, as after the settings window's fit.
    if (!ReplayHistoryCards(historyPath, MemoryModelOf(settings), &failure)) {
        say(stderr, Texts::tr("Karty se podle nových parametrů přepočítají při příštím "
                              "spuštění: %1")
                        .arg(failure));
    }
    return 0;
}
