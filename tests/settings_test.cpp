#include "core/file_error.h"
#include "settings/interface_language.h"
#include "settings/settings.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

namespace {

class SettingsFileTest : public testing::Test
{
protected:
    QString iniPath() const { return SettingsFilePath(dir.path()); }
    Settings read(const QByteArray &ini, QString *open = nullptr)
    {
        WriteBytes(iniPath(), ini);
        Settings settings;
        settings.threshold = -77; // must be overwritten
        const QString path = ReadSettings(settings, dir.path());
        if (open)
            *open = path;
        return settings;
    }
    QTemporaryDir dir;
};

TEST(ProgramDirectory, IsTheDirectoryOfTheExecutable)
{
    EXPECT_EQ(ProgramDirectory(QStringLiteral("/opt/merko/bin/merko")),
              QStringLiteral("/opt/merko/bin"));
    EXPECT_EQ(SettingsFilePath(QStringLiteral("/opt/merko")),
              QStringLiteral("/opt/merko/Merko.ini"));
}

struct IntegerCase
{
    const char *name;
    const char *text;
    int expected;

    // The case's name in test output, instead of its bytes.
    friend void PrintTo(const IntegerCase &c, std::ostream *out) { *out << c.name; }
};

class SettingsIntegerTest : public testing::TestWithParam<IntegerCase>
{
};

TEST_P(SettingsIntegerTest, ReadsDecimalAndHexOrGivesTheDefault)
{
    EXPECT_EQ(ReadSettingsInteger(QString::fromLatin1(GetParam().text), -99), GetParam().expected);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Values, SettingsIntegerTest,
    testing::Values(
        IntegerCase{"decimal", "90", 90},
        IntegerCase{"blanksAndPlus", "  +7", 7},
        IntegerCase{"negative", "-5", -5},
        IntegerCase{"hexWith0x", "0x5A", 90},
        IntegerCase{"hexWith0XMixedCase", "0X5a", 90},
        IntegerCase{"hexWithDollar", "$10", 16},
        IntegerCase{"negativeHexWithDollar", "-$10", -16},
        IntegerCase{"dollarAllBitsIsMinusOne", "$FFFFFFFF", -1},
        IntegerCase{"empty", "", -99},
        IntegerCase{"letters", "abc", -99},
        IntegerCase{"trailingLetter", "12a", -99},
        IntegerCase{"innerBlank", "1 2", -99},
        IntegerCase{"hexWithoutDigits", "0x", -99},
        IntegerCase{"dollarWithoutDigits", "$", -99},
        IntegerCase{"signAlone", "-", -99},
        IntegerCase{"exponent", "1e3", -99},
        IntegerCase{"largest", "2147483647", 2147483647},
        IntegerCase{"smallest", "-2147483648", -2147483647 - 1},
        IntegerCase{"beyondTheLargest", "2147483648", -99},
        IntegerCase{"dollarBeyond32Bits", "$1FFFFFFFF", -99}),
    [](const testing::TestParamInfo<IntegerCase> &info) { return std::string(info.param.name); });
// clang-format on

TEST_F(SettingsFileTest, WithoutAFileEveryOptionHasItsDefault)
{
    Settings settings;
    settings.pairChoice = PairChoice::AtRandom;
    settings.dictionaryPath = QStringLiteral("x");
    EXPECT_TRUE(ReadSettings(settings, dir.path()).isEmpty());
    EXPECT_EQ(settings, Settings());
    EXPECT_EQ(settings.threshold, 90);
}

TEST_F(SettingsFileTest, ReadsKeysWithoutRegardToCaseAndClampsThem)
{
    const Settings s = read("; comment\r\n[other]\r\nCetnost=1\r\n[setup]\r\n"
                            "cetnost=7\r\nPRIMJAZYK = 1\r\nHodnoceni=5\r\nProcHodnoc=150\r\n"
                            "ProcZobraz=2\r\nObrazek=0\r\nKomentar=$1\r\n");
    EXPECT_EQ(s.pairChoice, PairChoice::AtRandom);
    EXPECT_EQ(s.sideChoice, SideChoice::Second);
    EXPECT_EQ(s.assessment, AssessmentMode::PercentMatch);
    EXPECT_EQ(s.threshold, 100);
    EXPECT_TRUE(s.showCriterion);
    EXPECT_FALSE(s.showPicture);
    EXPECT_TRUE(s.commentAfterWrongAnswer);
}

TEST_F(SettingsFileTest, UnreadableValuesGiveTheirDefaults)
{
    EXPECT_EQ(read("[Setup]\nProcHodnoc=-5\n").threshold, 0);
    EXPECT_EQ(read("[Setup]\nProcHodnoc=abc\n").threshold, 90);
    EXPECT_EQ(read("[Setup]\nProcHodnoc=0x5A\n").threshold, 90);
    EXPECT_EQ(read("[Setup]\nProcHodnoc=\n").threshold, 90);
    EXPECT_EQ(read("[Setup]\nProcHodnoc=45\n").threshold, 45);
    EXPECT_EQ(read("[Setup]\nCetnost=-3\nPrimJazyk=x\n").pairChoice, PairChoice::ByOffers);
    EXPECT_FALSE(read("[Setup]\nObrazek=on\n").showPicture);
    EXPECT_EQ(read("ProcHodnoc=50\n[Setup]\n").threshold, 90);
}

// The review schedule is 3; its two numbers are kept in their ranges, and stay out of a file
// until they differ from their defaults (or the file has them already).
TEST_F(SettingsFileTest, TheReviewScheduleAndItsNumbersAreReadAndWrittenOnlyWhenUsed)
{
    EXPECT_EQ(read("[Setup]\nCetnost=3\n").pairChoice, PairChoice::BySchedule);
    EXPECT_EQ(read("[Setup]\nCetnost=4\n").pairChoice, PairChoice::AtRandom);
    const Settings low = read("[Setup]\nRetence=50\nNovychDenne=-4\n");
    EXPECT_EQ(low.desiredRetention, 70);
    EXPECT_EQ(low.newPerDay, 0);
    const Settings high = read("[Setup]\nRetence=99\nNovychDenne=123456\n");
    EXPECT_EQ(high.desiredRetention, 97);
    EXPECT_EQ(high.newPerDay, MaximumNewPerDay);
    EXPECT_EQ(read("[Setup]\nRetence=x\n").desiredRetention, 90);

    QFile::remove(iniPath());
    Settings settings;
    settings.pairChoice = PairChoice::BySchedule;
    WriteSettings(settings, dir.path());
    EXPECT_FALSE(ReadBytes(iniPath()).contains("Retence")) << "defaults stay out";
    settings.desiredRetention = 85;
    WriteSettings(settings, dir.path());
    EXPECT_TRUE(ReadBytes(iniPath()).endsWith("Komentar=0\r\nRetence=85\r\n"));
    settings.desiredRetention = 90;
    WriteSettings(settings, dir.path());
    EXPECT_TRUE(ReadBytes(iniPath()).endsWith("Komentar=0\r\nRetence=90\r\n"))
        << "a key the file has is kept up to date";
    Settings back;
    ReadSettings(back, dir.path());
    EXPECT_EQ(back, settings);
}

// The memory model's weights: 21 numbers in their ranges, or the defaults and the text named.
TEST_F(SettingsFileTest, TheMemoryWeightsAreTakenOnlyWhenAllTwentyOneAreValid)
{
    const QString defaults = Fsrs::WeightsText(Fsrs::DefaultWeights);
    const QString twenty = defaults.section(QLatin1Char(','), 0, 19);
    const QString outside = QString(defaults).replace(QStringLiteral("0.2000"),
                                                      QStringLiteral("0.9000")); // the decay's
    const QString comma
        = QString(defaults).replace(QStringLiteral("0.2172"), QStringLiteral("0,2172"));
    // clang-format off
    const QList<std::pair<QString, const char *>> refused{
        {twenty,                                                "twenty numbers"},
        {defaults + QStringLiteral(", 1"),                      "twenty-two numbers"},
        {QStringLiteral("x, ") + twenty,                        "a letter"},
        {QStringLiteral("nan, ") + twenty,                      "a NaN"},
        {outside,                                               "a weight outside its range"},
        {comma,                                                 "a decimal comma"},
    };
    // clang-format on
    for (const auto &[text, why] : refused) {
        const Settings settings = read("[Setup]\nParametryFSRS=" + text.toUtf8() + "\n");
        EXPECT_FALSE(settings.memoryWeights) << why;
        EXPECT_EQ(settings.refusedWeights, text) << why;
        EXPECT_EQ(MemoryModelOf(settings).weights, Fsrs::DefaultWeights) << why;
    }
    EXPECT_EQ(read("[Setup]\nParametryFSRS=\n").refusedWeights, QString()) << "empty: defaults";

    Fsrs::Weights own = Fsrs::DefaultWeights;
    own[0] = 0.51234; // kept to four places
    Settings settings;
    settings.memoryWeights = Fsrs::Rounded(own);
    settings.memoryWeightsDate = QDate(2026, 12, 9);
    WriteMemoryWeights(settings, dir.path());
    EXPECT_TRUE(ReadBytes(iniPath()).contains("ParametryFSRS=0.5123, 1.1771, "));
    settings.desiredRetention = 85;
    WriteSettings(settings, dir.path());
    Settings back;
    ReadSettings(back, dir.path());
    EXPECT_EQ(back, settings);
    EXPECT_EQ(MemoryModelOf(back), (MemoryModel{*settings.memoryWeights, 0.85}));

    Settings before; // a copy of the program that read the file before the weights were fitted
    WriteSettings(before, dir.path());
    ReadSettings(back, dir.path());
    EXPECT_EQ(back.memoryWeights, settings.memoryWeights) << "its options leave them alone";
    settings.memoryWeights.reset(); // back to the defaults
    WriteMemoryWeights(settings, dir.path());
    ReadSettings(back, dir.path());
    EXPECT_FALSE(back.memoryWeights);
    EXPECT_FALSE(back.memoryWeightsDate.isValid());
    // A refused value is left as the user wrote it while the defaults are in force.
    WriteMemoryWeights(read("[Setup]\nParametryFSRS=1, 2\n"), dir.path());
    EXPECT_TRUE(ReadBytes(iniPath()).contains("ParametryFSRS=1, 2\n"));
}

TEST_F(SettingsFileTest, TheLaterSwitchesAreReadAndWrittenOnlyWhenUsed)
{
    const Settings on = read("[Setup]\nVyslovovat=1\nVyslovitOdpoved=1\nUkazatRozdil=1\n");
    EXPECT_TRUE(on.speakOffered);
    EXPECT_TRUE(on.speakAnswer);
    EXPECT_TRUE(on.showDifference);
    QFile::remove(iniPath());
    Settings settings;
    WriteSettings(settings, dir.path());
    EXPECT_FALSE(ReadBytes(iniPath()).contains("Vyslov")) << "defaults stay out";
    EXPECT_FALSE(ReadBytes(iniPath()).contains("Ukazat")) << "defaults stay out";
    settings.speakAnswer = true;
    WriteSettings(settings, dir.path());
    EXPECT_TRUE(ReadBytes(iniPath()).endsWith("Komentar=0\r\nVyslovitOdpoved=1\r\n"));
    settings.showDifference = true;
    WriteSettings(settings, dir.path());
    EXPECT_TRUE(ReadBytes(iniPath()).endsWith("VyslovitOdpoved=1\r\nUkazatRozdil=1\r\n"));
}

TEST_F(SettingsFileTest, TheSynchronisedFolderIsWrittenOnlyOnceNamed)
{
    EXPECT_EQ(read("[Setup]\nSyncSlozka=/mnt/sdilene\n").syncFolder,
              QStringLiteral("/mnt/sdilene"));
    QFile::remove(iniPath());
    WriteSyncFolder(QString(), dir.path());
    EXPECT_FALSE(QFile::exists(iniPath())) << "no folder, nothing written";
    WriteSettings(Settings(), dir.path());
    const QByteArray without = ReadBytes(iniPath());
    WriteSyncFolder(QString(), dir.path());
    EXPECT_EQ(ReadBytes(iniPath()), without);
    WriteSyncFolder(U("/home/jana/Sdílené"), dir.path());
    EXPECT_EQ(ReadBytes(iniPath()), without + "SyncSlozka=/home/jana/Sd\xedlen\xe9\r\n")
        << "the one key, nothing else of the file";
    Settings back;
    ReadSettings(back, dir.path());
    EXPECT_EQ(back.syncFolder, U("/home/jana/Sdílené"));
    WriteSettings(back, dir.path());
    EXPECT_EQ(ReadBytes(iniPath()), without + "SyncSlozka=/home/jana/Sd\xedlen\xe9\r\n");
    WriteSyncFolder(QString(), dir.path());
    EXPECT_EQ(ReadBytes(iniPath()), without + "SyncSlozka=\r\n") << "switched off";
}

TEST_F(SettingsFileTest, TheInterfaceLanguageIsWrittenOnlyOnceChosen)
{
    EXPECT_EQ(read("[Setup]\nRozhrani= en \n").interfaceLanguage, QStringLiteral("en"));
    QFile::remove(iniPath());
    Settings settings;
    WriteSettings(settings, dir.path());
    const QByteArray automatic = ReadBytes(iniPath());
    EXPECT_FALSE(automatic.contains("Rozhrani")) << "automatic stays out";
    EXPECT_EQ(ReadInterfaceLanguageChoice(dir.path()), QString());
    settings.interfaceLanguage = QStringLiteral("en");
    WriteSettings(settings, dir.path());
    EXPECT_EQ(ReadBytes(iniPath()), automatic + "Rozhrani=en\r\n");
    EXPECT_EQ(ReadInterfaceLanguageChoice(dir.path()), QStringLiteral("en"));
    settings.interfaceLanguage.clear();
    WriteSettings(settings, dir.path());
    EXPECT_EQ(ReadBytes(iniPath()), automatic + "Rozhrani=\r\n") << "back to automatic";
    QFile::remove(iniPath());
    ASSERT_TRUE(QDir().mkdir(iniPath()));
    EXPECT_EQ(ReadInterfaceLanguageChoice(dir.path()), QString()) << "a file that cannot be read";
}

// The language the environment asks for, as the C library reads its variables.
TEST(InterfaceLanguage, FollowsTheLocaleOrTheChoice)
{
    // clang-format off
    const struct { const char *language, *all, *messages, *lang, *choice, *expected; } cases[] = {
        {"", "", "", "", "", "cs"},                                    // nothing set
        {"", "", "", "en_US.UTF-8", "", "en"},
        {"", "", "", "en", "", "en"},
        {"", "", "", "cs_CZ.UTF-8", "", "cs"},
        {"", "", "", "de_DE.UTF-8", "", "cs"},                         // nothing the program has
        {"de:en_GB", "", "", "de_DE.UTF-8", "", "en"},                 // the first it has
        {"cs:en", "", "", "en_US.UTF-8", "", "cs"},
        {"en", "", "", "C", "", "cs"},                                 // the C locale ignores the list
        {"", "en_GB.UTF-8", "", "cs_CZ.UTF-8", "", "en"},              // LC_ALL before LANG
        {"", "", "en_US.UTF-8", "cs_CZ.UTF-8", "", "en"},              // LC_MESSAGES before LANG
        {"", "cs_CZ.UTF-8", "en_US.UTF-8", "", "", "cs"},              // LC_ALL before LC_MESSAGES
        {"", "", "", "EN_us@euro", "", "en"},
        {"", "", "", "cs_CZ.UTF-8", "en", "en"},                       // the settings' choice wins
        {"", "", "", "en_US.UTF-8", "cs", "cs"},
        {"", "", "", "en_US.UTF-8", "xx", "en"},                       // a choice it does not have
    };
    // clang-format on
    for (const auto &c : cases) {
        const auto variable = [&c](const char *name) {
            const std::string_view which(name);
            return QString::fromLatin1(which == "LANGUAGE"      ? c.language
                                       : which == "LC_ALL"      ? c.all
                                       : which == "LC_MESSAGES" ? c.messages
                                       : which == "LANG"        ? c.lang
                                                                : "");
        };
        EXPECT_EQ(InterfaceLanguageOfRun(QLatin1String(c.choice), variable),
                  QLatin1String(c.expected))
            << c.language << " | " << c.all << " | " << c.messages << " | " << c.lang << " | "
            << c.choice;
    }
}

TEST_F(SettingsFileTest, TheDictionaryIsOpenedOnlyWhenItExists)
{
    const QString existing = QDir(dir.path()).filePath(QStringLiteral("lekce č.slv"));
    WriteBytes(existing, "a / b\r\n");
    QString open;
    Settings s
        = read("[Setup]\r\nSlovnik=" + Cp1250(existing.toUtf8().constData()) + "\r\n", &open);
    EXPECT_EQ(s.dictionaryPath, existing);
    EXPECT_EQ(open, existing);

    s = read("[Setup]\r\nSlovnik=/no/such/file.slv\r\n", &open);
    EXPECT_EQ(s.dictionaryPath, QStringLiteral("/no/such/file.slv"));
    EXPECT_TRUE(open.isEmpty());

    s = read("[Setup]\r\nSlovnik=" + dir.path().toUtf8() + "\r\n", &open);
    EXPECT_TRUE(open.isEmpty()) << "a directory is no dictionary";
}

// A folder named in Cyrillic is found again at the next start: the settings file becomes UTF-8
// (with its byte order mark) only when it has to.
TEST_F(SettingsFileTest, ADictionaryPathBeyondWindows1250IsFoundAgain)
{
    QDir(dir.path()).mkdir(U("словари"));
    const QString dictionary = QDir(dir.path()).filePath(U("словари/урок.slv"));
    WriteBytes(dictionary, "a / b\r\n");
    Settings settings;
    settings.dictionaryPath = dictionary;
    WriteSettings(settings, dir.path());
    EXPECT_TRUE(ReadBytes(iniPath()).startsWith("\xEF\xBB\xBF[Setup]\r\nSlovnik="));
    Settings again;
    EXPECT_EQ(ReadSettings(again, dir.path()), dictionary);
    EXPECT_EQ(again.dictionaryPath, dictionary);

    // Back to a path that windows-1250 holds: the file is windows-1250 again.
    settings.dictionaryPath = U("/home/u/čeština.slv");
    WriteSettings(settings, dir.path());
    EXPECT_TRUE(ReadBytes(iniPath()).startsWith(Cp1250("[Setup]\r\nSlovnik=/home/u/čeština.slv")));
}

TEST_F(SettingsFileTest, ANewFileGetsTheEightKeysInTheirOrder)
{
    Settings settings;
    settings.dictionaryPath = QString::fromUtf8("/home/u/čeština.slv");
    settings.sideChoice = SideChoice::AtRandom;
    settings.showCriterion = true;
    WriteSettings(settings, dir.path());
    EXPECT_EQ(ReadBytes(iniPath()), Cp1250("[Setup]\r\nSlovnik=/home/u/čeština.slv\r\nCetnost=0\r\n"
                                           "PrimJazyk=2\r\nHodnoceni=0\r\nProcHodnoc=90\r\n"
                                           "ProcZobraz=1\r\nObrazek=0\r\nKomentar=0\r\n"));
    Settings back;
    ReadSettings(back, dir.path());
    EXPECT_EQ(back, settings);
}

TEST_F(SettingsFileTest, WritingReplacesKeysInPlaceAndKeepsEveryOtherLine)
{
    WriteBytes(iniPath(), "; my notes\r\n[Window]\r\nLeft=10\r\n\r\n[SETUP]\r\n"
                          "  procHODNOC = 50\r\nmine=keep me\r\nslovnik=old.slv\r\n\r\n"
                          "[Later]\nX=1\n");
    Settings settings;
    settings.dictionaryPath = QStringLiteral("new.slv");
    settings.threshold = 75;
    WriteSettings(settings, dir.path());
    EXPECT_EQ(ReadBytes(iniPath()),
              QByteArray("; my notes\r\n[Window]\r\nLeft=10\r\n\r\n[SETUP]\r\n"
                         "ProcHodnoc=75\r\nmine=keep me\r\nSlovnik=new.slv\r\n"
                         "Cetnost=0\r\nPrimJazyk=0\r\nHodnoceni=0\r\n"
                         "ProcZobraz=0\r\nObrazek=0\r\nKomentar=0\r\n\r\n"
                         "[Later]\r\nX=1\r\n"));
}

TEST_F(SettingsFileTest, AMissingSectionIsAddedAtTheEnd)
{
    WriteBytes(iniPath(), "[Other]\nA=1");
    WriteSettings(Settings(), dir.path());
    EXPECT_TRUE(ReadBytes(iniPath()).startsWith("[Other]\r\nA=1\r\n\r\n[Setup]\r\nSlovnik=\r\n"));
}

TEST_F(SettingsFileTest, AFailedWriteNamesTheFullPath)
{
    const QString missing = QDir(dir.path()).filePath(QStringLiteral("gone"));
    try {
        WriteSettings(Settings(), missing);
        FAIL() << "writing into a missing directory succeeded";
    } catch (const FileError &error) {
        EXPECT_EQ(error.message(), QStringLiteral("Unable to write to ") + missing + "/Merko.ini");
    }
}

// Only a missing settings file is an empty one: a file that is there but cannot be read is
// told of and never written over with the eight keys alone.
TEST_F(SettingsFileTest, AFileThatCannotBeReadIsToldOfAndLeftAlone)
{
    const QByteArray huge = "[Setup]\r\nCetnost=1\r\n" + QByteArray(17 * 1024 * 1024, ';');
    // clang-format off
    const struct { const char *name; std::function<void()> make; } cases[] = {
        {"a folder", [&] { QDir(dir.path()).mkdir(QStringLiteral("Merko.ini")); }},
        {"over the size limit", [&] { WriteBytes(iniPath(), huge); }},
    };
    // clang-format on
    for (const auto &c : cases) {
        c.make();
        Settings settings;
        settings.pairChoice = PairChoice::AtRandom;
        try {
            ReadSettings(settings, dir.path());
            ADD_FAILURE() << c.name << ": read";
        } catch (const FileError &error) {
            EXPECT_TRUE(error.message().contains(iniPath())) << c.name;
        }
        EXPECT_EQ(settings, Settings()) << c.name;
        EXPECT_THROW(WriteSettings(Settings(), dir.path()), FileError) << c.name;
        if (QFileInfo(iniPath()).isFile())
            EXPECT_EQ(ReadBytes(iniPath()), huge) << c.name;
        else
            EXPECT_TRUE(QFileInfo(iniPath()).isDir()) << c.name;
        QDir(iniPath()).removeRecursively();
        QFile::remove(iniPath());
    }
}

// The manual pages and the help tell what a start opens as the settings work: the dictionary
// kept in them, saved with "ulož" together with the options; none promises "the one chosen
// last", which a start does not keep by itself.
TEST(ShippedTexts, SayAStartOpensTheDictionaryKeptInTheSettings)
{
    // clang-format off
    const struct { const char *file; const char *said; const char *notPromised; } rows[] = {
        {"man/merko.1",        "opens the dictionary kept in the settings",                  "chosen last"},
        {"man/cs/merko.1",     "otevře slovník uchovaný v nastavení",                        "zvolen\\w* naposledy"},
        {"assets/help.txt",    "i zvolený slovník: ten program při příštím spuštění otevře", "zvolen\\w* naposledy"},
        {"assets/help_en.txt", "The dictionary chosen is saved with them",                   "chosen last"},
    };
    // clang-format on
    for (const auto &row : rows) {
        QFile file(QStringLiteral(MERKO_SOURCE_DIR "/") + QLatin1String(row.file));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << row.file;
        // Lines wrap anywhere in these texts: they are read as one line.
        const QString text = QString::fromUtf8(file.readAll()).simplified();
        EXPECT_TRUE(text.contains(QString::fromUtf8(row.said))) << row.file;
        EXPECT_FALSE(text.contains(QRegularExpression(QString::fromUtf8(row.notPromised))))
            << row.file;
    }
}

// The texts installed beside the program link to no address that does not exist (the about
// box's links are tested with the window).
TEST(ShippedTexts, LinkToNoPlaceholderAddress)
{
    for (const char *name :
         {"packaging/org.example.merko.metainfo.xml", "man/merko.1", "man/cs/merko.1"}) {
        QFile file(QStringLiteral(MERKO_SOURCE_DIR "/") + QLatin1String(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name;
        EXPECT_FALSE(file.readAll().contains("merko.example.org")) << name;
    }
}

} // namespace
