#pragma once

#include "app/prompts.h"
#include "drill/drill_state.h"
#include "drill/pair_chooser.h"
#include "settings/settings.h"
#include "vocabulary/vocabulary.h"

#include <QString>

// What exists once for the whole run: the current dictionary, the options, the drill state
// and the chooser. The application owns it and hands it to every window it creates.
struct AppContext
{
    explicit AppContext(Prompts &prompts, QString executablePath)
        : prompts(prompts)
        , executablePath(std::move(executablePath))
    {}

    Prompts &prompts;
    QString executablePath;   // where the program runs from; the settings lie beside it
    QString programDirectory; // set at the first activation of the main window
    QString dataDirectory;    // where the settings and the report file are kept

    Vocabulary vocabulary;
    Settings settings;
    DrillState drill;
    PairChooser chooser;
};
