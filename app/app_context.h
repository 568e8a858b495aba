#pragma once

#include "drill/drill_session.h"
#include "history/review_history.h"
#include "settings/settings.h"
#include "sync/shared_dictionary.h"
#include "vocabulary/current_dictionary.h"
#include "widgets/prompts.h"

#include <QDir>
#include <QFileInfo>
#include <QString>

// What exists once for the whole run: the current dictionary, the options, the answer history
// and the drill over them. The application owns it and hands each window only the parts it
// works on.
struct AppContext
{
    // `userDataFolder`: the write journal and the answer history are kept there. `clock`:
    // the time of answers and the day of the schedule and the progress.
    AppContext(Prompts &prompts, QString executablePath, const QString &userDataFolder, Clock clock)
        : prompts(prompts)
        , executablePath(std::move(executablePath))
        , clock(std::move(clock))
        , history(HistoryFilePath(userDataFolder))
    {
        dictionary.setJournalFolder(QDir(userDataFolder).filePath(QStringLiteral("journal")));
        drill.keepHistory(history, this->clock);
    }

    // The dictionary follows the synchronised folder of the settings; the locks of the
    // dictionaries in it are kept in the data folder.
    void applySyncFolder()
    {
        dictionary.setSyncFolder(settings.syncFolder,
                                 QFileInfo(history.path()).dir().filePath(QStringLiteral("locks")));
    }

    Prompts &prompts;
    QString executablePath;   // where the program runs from; the settings lie beside it
    QString programDirectory; // set at start-up
    QString dataDirectory;    // where the settings and the report file are kept
    Clock clock;

    CurrentDictionary dictionary;
    Settings settings;
    ReviewHistory history; // opened when first needed
    DrillSession drill{dictionary, settings};
    SharedDictionary shared{dictionary, history, clock}; // its part in the synchronised folder
};
