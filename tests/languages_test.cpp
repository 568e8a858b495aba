#include "drill/drill_session.h"
#include "test_support.h"
#include "vocabulary/current_dictionary.h"
#include "exchange/imported_pairs.h"
#include "vocabulary/languages.h"
#include "vocabulary/vocabulary_file.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

namespace {

struct GuessCase
{
    const char *theme;
    const char *first;
    const char *second;
};

// CTest names the cases by this: letters of ASCII only, the theme's others as '_'.
void PrintTo(const GuessCase &row, std::ostream *out)
{
    std::string name;
    for (const QChar c : QString::fromUtf8(row.theme))
        name += c.unicode() < 0x80 && c.isPrint() ? char(c.unicode()) : '_';
    *out << row.first << '-' << row.second << ' ' << name;
}

class GuessLanguagesTest : public testing::TestWithParam<GuessCase>
{
};

TEST_P(GuessLanguagesTest, TheNamesInTheThemeGiveTheCodes)
{
    const SideLanguages guessed = GuessLanguages(QString::fromUtf8(GetParam().theme));
    EXPECT_EQ(guessed.side[1], QLatin1String(GetParam().first));
    EXPECT_EQ(guessed.side[2], QLatin1String(GetParam().second));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Themes, GuessLanguagesTest,
    testing::Values(GuessCase{"*čeština-němčina, základní slova", "cs", "de"},
                    GuessCase{"*angličtina-němčina", "en", "de"},
                    GuessCase{"*Ruština – čeština", "ru", "cs"},
                    GuessCase{"*slovíčka z francouzštiny", "cs", "fr"}, // one foreign language
                    GuessCase{"*čeština-španělština", "cs", "es"},
                    GuessCase{"*portugalština a holandština", "pt", "nl"},
                    GuessCase{"*slova opačného významu", "cs", ""},
                    GuessCase{"*English-Spanish basics", "en", "es"},
                    GuessCase{"*Deutsch für Anfänger", "cs", "de"},
                    GuessCase{"*español – English", "es", "en"},
                    GuessCase{"*Czech-German, lesson 1", "cs", "de"},
                    GuessCase{"*Русский язык", "cs", "ru"},
                    GuessCase{"*日本語の単語 – angličtina", "ja", "en"}),
    [](const testing::TestParamInfo<GuessCase> &info) { return std::to_string(info.index); });
// clang-format on

TEST(LanguagesTest, ChoicesOfTheDialogGiveTheirCodes)
{
    // clang-format off
    const struct { const char *choice; const char *code; } cases[] = {
        {"němčina (de)", "de"}, {"  DE ", "de"}, {"ruština", "ru"}, {"klingonština", ""},
        {"", ""},
    };
    // clang-format on
    for (const auto &c : cases)
        EXPECT_EQ(LanguageCodeOf(QString::fromUtf8(c.choice)), QLatin1String(c.code)) << c.choice;
    EXPECT_EQ(LanguageAccusative(QStringLiteral("ru")), QString::fromUtf8("ruštinu"));
}

// The languages line is the program's own: right after the theme, read back, kept by every
// write-back, and in place of an older one.
class LanguagesFileTest : public testing::Test
{
protected:
    QString path(const char *name) const { return QDir(dir.path()).filePath(QLatin1String(name)); }
    void open(const QByteArray &bytes)
    {
        WriteBytes(path("a.slv"), bytes);
        dictionary.open(path("a.slv"), CurrentDictionary::Sharing::RespectOtherCopies);
    }
    SideLanguages languages(const char *first, const char *second)
    {
        SideLanguages chosen;
        chosen.side[1] = QLatin1String(first);
        chosen.side[2] = QLatin1String(second);
        return chosen;
    }

    QTemporaryDir dir;
    CurrentDictionary dictionary;
};

TEST_F(LanguagesFileTest, TheLineFollowsTheThemeAndEveryWriteKeepsIt)
{
    open("*lekce\r\n; moje\r\npes / r Hund\r\n");
    EXPECT_EQ(LanguagesOf(dictionary.vocabulary()), languages("cs", "")) << "guessed";
    dictionary.storeLanguages(languages("cs", "de"));
    EXPECT_TRUE(ReadBytes(path("a.slv")).startsWith("*lekce\r\n* jazyky: cs de\r\n; moje\r\npes "));
    ++dictionary.vocabulary().at(1).offers[1];
    dictionary.writeBackAnswers();
    EXPECT_TRUE(ReadBytes(path("a.slv")).startsWith("*lekce\r\n* jazyky: cs de\r\n; moje\r\n"));

    // Read again, the line names the languages; a new choice replaces it in place.
    dictionary.open(path("a.slv"), CurrentDictionary::Sharing::RespectOtherCopies);
    EXPECT_EQ(StoredLanguages(dictionary.vocabulary()), languages("cs", "de"));
    dictionary.storeLanguages(languages("cs", "en"));
    EXPECT_TRUE(ReadBytes(path("a.slv")).startsWith("*lekce\r\n* jazyky: cs en\r\n; moje\r\n"));
    EXPECT_EQ(ReadBytes(path("a.slv")).count("jazyky"), 1);
}

TEST_F(LanguagesFileTest, WithoutAThemeTheLineFollowsTheFirstPairAndIsNoTheme)
{
    for (const QByteArray &pairs : {QByteArray("pes / r Hund\nkočka / e Katze\n"),
                                    QByteArray("pes / r Hund\n")}) { // after the last pair
        open(pairs);
        dictionary.storeLanguages(languages("cs", "en"));
        dictionary.storeLanguages(languages("cs", "de"));
        dictionary.open(path("a.slv"), CurrentDictionary::Sharing::RespectOtherCopies);
        EXPECT_TRUE(dictionary.vocabulary().theme.isEmpty());
        EXPECT_EQ(StoredLanguages(dictionary.vocabulary()), languages("cs", "de"));
        EXPECT_EQ(dictionary.vocabulary().count(), pairs.count('/'));
        EXPECT_EQ(ReadBytes(path("a.slv")).count("jazyky"), 1) << "replaced, not added";
    }
}

TEST_F(LanguagesFileTest, AKvtmlImportTakesTheLanguagesOfItsIdentifiers)
{
    WriteBytes(path("a.kvtml"),
               "<?xml version=\"1.0\"?><kvtml version=\"2.0\"><information><title>Zvířata"
               "</title></information><identifiers><identifier id=\"0\"><locale>cs_CZ</locale>"
               "</identifier><identifier id=\"1\"><locale>de</locale></identifier></identifiers>"
               "<entries><entry id=\"0\"><translation id=\"0\"><text>pes</text></translation>"
               "<translation id=\"1\"><text>r Hund</text></translation></entry></entries>"
               "</kvtml>");
    dictionary.importInto(path("a.kvtml"), path("b.slv"),
                          DictionaryFromImport(ImportVocabularyFile(path("a.kvtml"))));
    EXPECT_TRUE(ReadBytes(path("b.slv"))
                    .startsWith("*Zv\xED\xF8"
                                "ata\r\n* jazyky: cs de\r\n"));
}

// What the drill says, and in which language, as the settings ask.
TEST_F(LanguagesFileTest, TheDrillSaysTheOfferedWordAndTheRightAnswerInTheirLanguages)
{
    open(Cp1250("*čeština-němčina\r\npes / r Hund, r Rüde\r\n"));
    Settings settings;
    DrillSession drill(dictionary, settings);
    QSignalSpy spoken(&drill, &DrillSession::speak);
    const auto said = [&] {
        QStringList lines;
        for (const QList<QVariant> &call : spoken)
            lines.append(call.at(1).toString() + QLatin1Char(':') + call.at(0).toString());
        spoken.clear();
        return lines;
    };
    drill.offerNextPair();
    drill.checkAnswer(QStringLiteral("x"));
    drill.sayOfferedAgain();
    EXPECT_EQ(said(), QStringList{QStringLiteral("cs:pes")}) << "F4 speaks even when switched off";

    settings.speakOffered = true;
    settings.speakAnswer = true;
    settings.sideChoice = SideChoice::Second;
    drill.applySettings();
    // clang-format off
    const struct { const char *typed; const char *expected; } answers[] = {
        {"pes", ""},                             // right: nothing more is said
        {"x", "cs:pes"},                         // wrong: the right answer in Czech
        {nullptr, "cs:pes"},                     // F1
    };
    // clang-format on
    for (const auto &a : answers) {
        const OfferedPair offered = drill.offerNextPair();
        EXPECT_EQ(said(), QStringList{QStringLiteral("de:") + offered.text})
            << "the alternative shown is the one said";
        if (a.typed)
            drill.checkAnswer(QString::fromUtf8(a.typed));
        else
            drill.revealAndCount();
        EXPECT_EQ(said().join(QLatin1Char('|')), QString::fromUtf8(a.expected)) << a.typed;
    }
}

} // namespace
