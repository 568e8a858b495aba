#pragma once

#include "drill/drill_session.h"
#include "settings/settings.h"
#include "vocabulary/current_dictionary.h"
#include "widgets/prompts.h"

#include <QString>

// What exists once for the whole run: the current dictionary, the options and the drill over
// them. The application owns it and hands each window only the parts it works on.
struct AppContext
{
    explicit AppContext(Prompts &prompts, QString executablePath)
        : prompts(prompts)
        , executablePath(std::move(executablePath))
    {}

    Prompts &prompts;
    QString executablePath;   // where the program runs from; the settings lie beside it
    QString programDirectory; // set at start-up
    QString dataDirectory;    // where the settings and the report file are kept

    CurrentDictionary dictionary;
    Settings settings;
    DrillSession drill{dictionary, settings};
};
