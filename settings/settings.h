#pragma once

#include "assessment/answer_judge.h"

#include "history/fsrs.h"

#include <QDate>
#include <QString>

#include <optional>

// How the next pair is chosen (key "Cetnost"): by offer counts, by error counts, at random,
// or by the review schedule of the answer history.
enum class PairChoice { ByOffers = 0, ByErrors = 1, AtRandom = 2, BySchedule = 3 };
// Which side of a pair is offered (key "PrimJazyk"): the first, the second, or drawn per pair.
enum class SideChoice { First = 0, Second = 1, AtRandom = 2 };

// The options of the program; the comments name their keys in the settings file.
struct Settings
{
    QString dictionaryPath;                                 // Slovnik: the file last chosen
    PairChoice pairChoice = PairChoice::ByOffers;           // Cetnost
    SideChoice sideChoice = SideChoice::First;              // PrimJazyk
    AssessmentMode assessment = AssessmentMode::ExactMatch; // Hodnoceni
    int threshold = 90;                                     // ProcHodnoc: percent for acceptance
    bool showCriterion = false;                             // ProcZobraz: the criterion panel
    bool showPicture = false;                               // Obrazek: the motivating picture
    bool commentAfterWrongAnswer = false;                   // Komentar
    // The review schedule: the recall aimed at, in percent (70 to 97), and how many cards
    // never answered may come each day.
    int desiredRetention = 90; // Retence
    int newPerDay = 20;        // NovychDenne
    // Speech: the offered word, and the right answer after a wrong one or a reveal.
    bool speakOffered = false; // Vyslovovat
    bool speakAnswer = false;  // VyslovitOdpoved
    // After a wrong answer, a line shows where it differs from the expected side.
    bool showDifference = false; // UkazatRozdil
    // A folder that a sync tool shares between the user's computers; empty: none.
    QString syncFolder; // SyncSlozka
    // The language of the interface, a code ("cs", "en"); empty: as the desktop asks. Read
    // once at start; a change applies from the next start.
    QString interfaceLanguage; // Rozhrani
    // The memory model's weights fitted to the learner's answers, and the day they were
    // fitted; none: the published defaults.
    std::optional<Fsrs::Weights> memoryWeights; // ParametryFSRS
    QDate memoryWeightsDate;                    // ParametryFSRSDatum
    // The text of ParametryFSRS when it was not 21 valid weights (the defaults are in force
    // then); empty otherwise. The user is told once.
    QString refusedWeights;

    friend bool operator==(const Settings &, const Settings &) = default;
};

// The side (1 or 2) that every pair is offered with, or none when it is drawn for each pair.
std::optional<int> FixedOfferedSide(const Settings &settings);

// The recall that the review schedule aims at, 0.70 to 0.97.
double DesiredRetention(const Settings &settings);
// The memory model in force: the learner's weights or the defaults, and the retention.
MemoryModel MemoryModelOf(const Settings &settings);

// The criterion panel is shown exactly when answers are judged by percentage and the user
// asked to see the criterion.
bool CriterionPanelVisible(const Settings &settings);

inline constexpr char SettingsFileName[] = "Merko.ini";
inline constexpr char SettingsSection[] = "Setup";
inline constexpr int MinimumRetention = 70;
inline constexpr int MaximumRetention = 97;
inline constexpr int MaximumNewPerDay = 999;

// The directory of the program's executable, given its full path.
QString ProgramDirectory(const QString &executablePath);
QString SettingsFilePath(const QString &programDirectory);

// Where the settings file and the report file are kept: the program's directory when the
// user may write there (a build folder, a copy unpacked anywhere), otherwise the user's
// configuration folder for the program (an installed program in a system folder).
QString ChooseDataDirectory(const QString &programDirectory, const QString &configDirectory);

// An integer of the settings file: blanks, a sign, decimal digits or hexadecimal ones after
// "$" or "0x". Anything else gives the default.
int ReadSettingsInteger(const QString &text, int defaultValue);

// Fills `settings` from the settings file in the directory and returns the dictionary to
// open at start-up: the dictionary path when it names an existing file, otherwise empty.
// Throws FileError, with `settings` at their defaults, for a file that cannot be read.
QString ReadSettings(Settings &settings, const QString &programDirectory);
// Writes the eight keys, and those of the review schedule, of speech and of the difference line
// once they are not at their defaults or the file has them; throws FileError "Unable to write to
// <full path>" on failure, and leaves a file that cannot be read alone (FileError).
void WriteSettings(const Settings &settings, const QString &programDirectory);
// Writes the memory model's weights alone, at once: fitted at some cost, they are kept whether
// or not the other options are, and only this writes them (so that a copy of the program that
// read the file before they were fitted keeps them when it saves its options). Throws
// FileError.
void WriteMemoryWeights(const Settings &settings, const QString &programDirectory);
// Writes the synchronised folder alone, at once: a computer's choice, not one of the options
// that "ulož" keeps. An empty one is written only over one the file has. Throws FileError.
void WriteSyncFolder(const QString &folder, const QString &programDirectory);
