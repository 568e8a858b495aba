#pragma once

#include "history/review_history.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class CurrentDictionary;
class Prompts;
class QFileInfo;
class QWidget;
struct AnkiDictionary;
struct AnkiImport;
struct Settings;

// The import of an Anki package as the user goes through it: the package read with a progress
// bar, its note types' fields chosen, the dictionaries' files chosen (or those of an earlier
// import of it updated), its decks written as dictionaries and its reviews taken into the
// history off the window's thread, the deck with the most reviews opened and the user told what
// came and what was left out.
class AnkiPackageImport
{
public:
    // What the rest of the program does on the way.
    struct Steps
    {
        std::function<void(const QString &file)> written; // a dictionary file was written
        std::function<void()> answersTaken;               // the history took new answers
        std::function<void(const QString &file)> open;    // the dictionary to go on with
        std::function<void()> settingsChanged;            // the user chose the schedule
    };

    AnkiPackageImport(CurrentDictionary &dictionary, ReviewHistory &history, Settings &settings,
                      Prompts &prompts, QWidget *parent, Steps steps);

    // False when nothing was imported (the user gave it up, or no note made a pair). Throws
    // FileError for a write that failed, after the dictionaries written before it are opened.
    bool run(const QString &source);

private:
    // The files the decks of a package go to, those of an earlier import among them when the
    // user has them updated; none when the user cancelled.
    struct Targets
    {
        QStringList files;
        QStringList earlier;
    };
    Targets chooseTargets(const QFileInfo &package, const QStringList &titles);
    // What the writing of a package's dictionaries left: the files, the answers on them, the
    // one with the most reviews, and a write that failed.
    struct Written
    {
        QStringList files;
        QList<AnswerRecord> answers;
        qsizetype withMostReviews = 0;
        QString failure;
    };
    Written writeDictionaries(const QString &source,
                              const QList<const AnkiDictionary *> &dictionaries,
                              const Targets &targets);
    // No pair came from the package: says why, the full list in a report beside it.
    void tellNothingTaken(const AnkiImport &import, const QFileInfo &package);
    // After reviews came from Anki: asks whether to offer the words by the review schedule.
    void offerReviewSchedule();
    // The answers brought along go into the history, off the drill's thread; how many were
    // new, or none and why not.
    std::optional<int> importAnswers(const QList<AnswerRecord> &answers, QString *trouble);

    CurrentDictionary &m_dictionary;
    ReviewHistory &m_history;
    Settings &m_settings;
    Prompts &m_prompts;
    QWidget *m_parent;
    Steps m_steps;
};
