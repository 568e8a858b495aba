#pragma once

#include <QString>

// The eight options of the program, named after their keys in the settings file.
struct Settings
{
    QString Slovnik;     // the dictionary file last chosen
    int Cetnost = 0;     // 0 by offer counts, 1 by error counts, 2 at random
    int PrimJazyk = 0;   // offered side: 0 the first, 1 the second, 2 drawn per pair
    int Hodnoceni = 0;   // 0 exact match, 1 percentage of agreement
    int ProcHodnoc = 90; // threshold in percent for percentage judging
    bool ProcZobraz = false;
    bool Obrazek = false;
    bool Komentar = false;

    // Brings every option into its range, as a radio group or spin field would.
    void Clamp();

    friend bool operator==(const Settings &, const Settings &) = default;
};

inline constexpr char SettingsFileName[] = "Merko.ini";
inline constexpr char SettingsSection[] = "Setup";

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
// open at start-up: `Slovnik` when it names an existing file, otherwise empty.
QString ReadSettings(Settings &settings, const QString &programDirectory);
// Writes the eight keys; throws FileError "Unable to write to <full path>" on failure.
void WriteSettings(const Settings &settings, const QString &programDirectory);
