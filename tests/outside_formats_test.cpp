#include "core/file_error.h"
#include "test_support.h"
#include "exchange/kvtml.h"
#include "exchange/separated_text.h"
#include "vocabulary/languages.h"
#include "vocabulary/vocabulary_file.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

Vocabulary sample()
{
    return ParseVocabularyFile(U("*čeština-němčina, lekce 1\r\n"
                                 "jemný / zart, fein\r\n"
                                 "kalt {kchalt} / studen[ý|á|é]\r\n"
                                 "kočka / кошка {ruský} @ 3,1,1,0\r\n"
                                 "a / x/y\r\n")
                                   .toUtf8(),
                               QStringLiteral("x.slv"));
}

// Exported and imported again, a dictionary gives the same pairs (without statistics).
TEST(OutsideFormats, ExportThenImportGivesTheSamePairs)
{
    Vocabulary original = sample();
    for (VocabularyEntry &entry : original.entries)
        SetCounters(entry, {});
    // The languages kept in the dictionary's own line, not the theme's, go along.
    StoreLanguages(original, {{QString(), QStringLiteral("cs"), QStringLiteral("ru")}});
    const QByteArray kvtmlBytes = ExportKvtml(original);
    EXPECT_TRUE(kvtmlBytes.contains(U("<name>ruština</name>").toUtf8()));
    EXPECT_EQ(ImportVocabulary(kvtmlBytes).languages, LanguagesOf(original));
    for (const bool kvtml : {true, false}) {
        const QByteArray exported = kvtml ? ExportKvtml(original) : ExportDelimited(original);
        const ImportResult imported = ImportVocabulary(exported);
        const Vocabulary back = DictionaryFromImport(imported);
        // Text columns carry no title; KVTML carries the theme.
        EXPECT_EQ(back.theme, kvtml ? original.theme : QString()) << kvtml;
        EXPECT_EQ(back.entries, original.entries) << kvtml;
        EXPECT_TRUE(imported.skipped.isEmpty()) << kvtml;
    }
}

// A KVTML export names a side's language only where the dictionary says it; brought back, the
// dictionary has a whole languages line or none.
TEST(OutsideFormats, AnExportNamesOnlyTheLanguagesTheDictionarySays)
{
    // clang-format off
    const struct { const char *theme; const char *stored; const char *locales; const char *line; } rows[] = {
        {"*English-Spanish basics", "", "en es", "* jazyky: en es"},
        {"*slova opačného významu", "", "", ""},          // Czech would be a guess
        {"*slovíčka z francouzštiny", "", "cs fr", "* jazyky: cs fr"},
        {"*cokoli", "cs ru", "cs ru", "* jazyky: cs ru"}, // the dictionary's own line wins
    };
    // clang-format on
    for (const auto &row : rows) {
        Vocabulary vocabulary;
        vocabulary.theme = U(row.theme);
        vocabulary.entries = {VocabularyEntry()};
        vocabulary.entries[0].side[1] = QStringLiteral("a");
        vocabulary.entries[0].side[2] = QStringLiteral("b");
        const QStringList stored = QString::fromLatin1(row.stored).split(' ', Qt::SkipEmptyParts);
        if (stored.size() == 2)
            StoreLanguages(vocabulary, {{QString(), stored[0], stored[1]}});
        const QByteArray kvtml = ExportKvtml(vocabulary);
        QStringList locales;
        for (const QByteArray &part : kvtml.split('<')) {
            if (part.startsWith("locale>"))
                locales.append(QString::fromUtf8(part.mid(7)));
        }
        EXPECT_EQ(locales.join(' '), QLatin1String(row.locales)) << row.theme;
        const Vocabulary back = DictionaryFromImport(ImportVocabulary(kvtml));
        const QString written = QString::fromUtf8(FormatVocabularyFile(back));
        EXPECT_EQ(written.contains(QLatin1String("jazyky")), *row.line != 0) << row.theme;
        if (*row.line)
            EXPECT_TRUE(written.contains(QLatin1String(row.line) + QLatin1String("\r\n")))
                << qPrintable(written);
    }
}

// The export's format follows the name the user gave the file.
TEST(OutsideFormats, TheExportFormatFollowsTheFileName)
{
    const Vocabulary vocabulary = sample();
    // clang-format off
    const struct { const char *name; bool delimited; } cases[] = {
        {"slova.tsv", true},
        {"slova.TXT", true},
        {"slova.kvtml", false},
        {"slova", false},
        {"slova.tsv.kvtml", false},
    };
    // clang-format on
    for (const auto &c : cases) {
        const QByteArray bytes = ExportForFile(vocabulary, QLatin1String(c.name));
        EXPECT_EQ(bytes, c.delimited ? ExportDelimited(vocabulary) : ExportKvtml(vocabulary))
            << c.name;
    }
}

TEST(OutsideFormats, AKvtmlFileWithIdentifiersLessonsAndComments)
{
    const QByteArray kvtml = U(R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE kvtml PUBLIC "kvtml2.dtd" "http://edu.kde.org/kvtml/kvtml2.dtd">
<kvtml version="2.0">
  <information><generator>Parley</generator><title>Zvířata</title></information>
  <identifiers>
    <identifier id="0"><name>Čeština</name><locale>cs</locale></identifier>
    <identifier id="1"><name>Deutsch</name><locale>de</locale></identifier>
    <identifier id="2"><name>English</name><locale>en</locale></identifier>
  </identifiers>
  <entries>
    <entry id="0">
      <translation id="1"><text>der Hund</text><comment>pl. Hunde</comment></translation>
      <translation id="0"><text>pes</text></translation>
      <translation id="2"><text>dog</text></translation>
    </entry>
    <entry id="1">
      <translation id="0"><text>kočka</text></translation>
      <translation id="1"><text></text></translation>
    </entry>
    <entry id="2">
      <translation id="0"><text>kůň</text></translation>
      <translation id="1"><text>das Pferd</text></translation>
    </entry>
  </entries>
  <lessons><container><name>Lekce 1</name><entry id="0"/><entry id="2"/></container></lessons>
</kvtml>
)")
                                 .toUtf8();
    const ImportResult result = ImportVocabulary(kvtml);
    EXPECT_EQ(result.title, U("Zvířata"));
    ASSERT_EQ(result.pairs.size(), 2);
    EXPECT_EQ(result.pairs[0].side[1], U("pes"));
    EXPECT_EQ(result.pairs[0].side[2], U("der Hund "));
    EXPECT_EQ(result.pairs[0].comment[2], U("pl. Hunde"));
    EXPECT_EQ(result.pairs[1].side[2], U("das Pferd"));
    ASSERT_EQ(result.skipped.size(), 1);
    EXPECT_EQ(result.skipped.first(), U("položka na řádku 16: jedna strana je prázdná"));
    EXPECT_EQ(ImportSummary(result, 2),
              U("Načteno 2 dvojice, 1 položka přeskočena:\npoložka na řádku 16: jedna strana je "
                "prázdná"));
}

TEST(OutsideFormats, ATabSeparatedExportWithHeaderLinesAndHtml)
{
    const QByteArray text = U("#separator:tab\n#html:true\n#columns:Front\tBack\tTags\n"
                              "<b>pes</b>\tder&nbsp;Hund<br>r&nbsp;Hund\tzvířata\n"
                              "salt &amp; pepper\t<div>sůl a&nbsp;pepř</div>\t\n")
                                .toUtf8();
    const ImportResult result = ImportVocabulary(text);
    ASSERT_EQ(result.pairs.size(), 2);
    EXPECT_EQ(result.pairs[0].side[1], U("pes"));
    EXPECT_EQ(result.pairs[0].side[2], U("der Hund r Hund"));
    EXPECT_EQ(result.pairs[1].side[1], U("salt & pepper"));
    EXPECT_EQ(result.pairs[1].side[2], U("sůl a pepř"));
    EXPECT_TRUE(result.skipped.isEmpty());
}

TEST(OutsideFormats, ACsvWithQuotedCommasDoubledQuotesAndALineBreakInQuotes)
{
    const QByteArray csv = U("\"pes, hafan\",dog\n"
                             "\"řekl \"\"ahoj\"\"\",said hello\n"
                             "\"dva\nřádky\",two lines\n"
                             "kůň,horse\n")
                               .toUtf8();
    const ImportResult result = ImportVocabulary(csv);
    ASSERT_EQ(result.pairs.size(), 3);
    EXPECT_EQ(result.pairs[0].side[1], U("pes, hafan"));
    EXPECT_EQ(result.pairs[1].side[1], U("řekl \"ahoj\""));
    EXPECT_EQ(result.pairs[2].side[1], U("kůň"));
    ASSERT_EQ(result.skipped.size(), 1);
    EXPECT_EQ(result.skipped.first(), U("řádek 3: obsahuje konec řádku"));
}

TEST(OutsideFormats, AWindows1250SemicolonFileFromASpreadsheet)
{
    const ImportResult result
        = ImportVocabulary(Cp1250("kůň;Pferd\r\nžába;Frosch\r\ndům;Haus, Gebäude\r\n"));
    ASSERT_EQ(result.pairs.size(), 3);
    EXPECT_EQ(result.pairs[1].side[1], U("žába"));
    EXPECT_EQ(result.pairs[2].side[2], U("Haus, Gebäude")) << "the comma belongs to the side";
}

// What a dictionary line cannot hold is left out and said, never dropped or changed silently.
TEST(OutsideFormats, WhatCannotBeCarriedOverIsSaid)
{
    const QByteArray text = U("a/b\tx\ne-mail\tname@example.org\npes {hafan}\tHund\n").toUtf8()
                            + QByteArray(60, 'k') + "\tdlouhé\nsám\n\tprázdná\n";
    const ImportResult result = ImportDelimited(text);
    EXPECT_TRUE(result.pairs.isEmpty());
    EXPECT_EQ(result.skipped,
              (QStringList{U("řádek 1: obsahuje '/' nebo '@', které řádek slovníku nepojme"),
                           U("řádek 2: obsahuje '/' nebo '@', které řádek slovníku nepojme"),
                           U("řádek 3: obsahuje složenou závorku, kterou slovník vyhrazuje "
                             "komentářům"),
                           U("řádek 4: strana i s komentářem je delší než 50 znaků"),
                           U("řádek 5: chybí druhé pole"), U("řádek 6: jedna strana je prázdná")}));

    // More than a dictionary holds: the first 1000 are written, the rest said.
    QByteArray many;
    for (int i = 0; i < 1003; ++i)
        many += "slovo" + QByteArray::number(i) + "\tWort\n";
    const ImportResult big = ImportVocabulary(many);
    EXPECT_EQ(big.pairs.size(), 1003);
    EXPECT_EQ(DictionaryFromImport(big).count(), 1000);
    EXPECT_TRUE(ImportSummary(big, 1000).endsWith(U("3 další nebyly zapsány.")));

    for (const QByteArray &empty : {QByteArray(), QByteArray("\r\n  \r\n")}) {
        try {
            ImportVocabulary(empty);
            ADD_FAILURE() << "an empty file was imported";
        } catch (const FileError &error) {
            EXPECT_EQ(error.message(), U("Soubor je prázdný."));
        }
    }
    try {
        ImportVocabulary("<?xml version=\"1.0\"?>\n<kvtml version=\"2.0\">\n<entries><entry>"
                         "</entries>\n</kvtml>\n");
        ADD_FAILURE() << "malformed XML was imported";
    } catch (const FileError &error) {
        EXPECT_TRUE(error.message().startsWith(U("Soubor není platný KVTML: chyba na řádku 3")))
            << error.message().toStdString();
        EXPECT_FALSE(error.message().endsWith(QStringLiteral(".."))) << "one full stop";
    }
}

// The limits of what an import takes, one row each.
TEST(OutsideFormats, AnImportTakesSidesUpToFiftyCharactersTrimmed)
{
    const QByteArray fifty(50, 'x');
    // clang-format off
    const struct { const char *name; QByteArray line; const char *first; } cases[] = {
        {"firstOfFifty", fifty + "\tb\n", "x"},
        {"firstOfFiftyOne", fifty + "x\tb\n", nullptr},
        {"secondOfFifty", "a\t" + fifty + "\n", "a"},
        {"secondOfFiftyOne", "a\t" + fifty + "x\n", nullptr},
        {"blanksAndTabsAroundTheFirst", "#separator:semicolon\n \t pes \t;dog\n", "pes"},
        {"sideAndCommentOfFifty", "#columns:a\tb\tComment 1\n" + QByteArray(40, 'x') + "\tb\t" + QByteArray(7, 'k') + "\n", "x"},
        {"sideAndCommentOfFiftyOne", "#columns:a\tb\tComment 1\n" + QByteArray(40, 'x') + "\tb\t" + QByteArray(8, 'k') + "\n", nullptr},
    };
    // clang-format on
    for (const auto &c : cases) {
        const ImportResult result = ImportDelimited(c.line);
        ASSERT_EQ(result.pairs.size(), c.first ? 1 : 0) << c.name;
        if (c.first)
            EXPECT_TRUE(result.pairs.first().side[1].startsWith(U(c.first))) << c.name;
        if (c.first && QByteArray(c.name) == "blanksAndTabsAroundTheFirst")
            EXPECT_EQ(result.pairs.first().side[1], QStringLiteral("pes"));
    }
}

// A first side that a separated-text reader would take for a header line is quoted.
TEST(OutsideFormats, AFirstSideBeginningWithAHashSurvivesTheTabSeparatedExport)
{
    Vocabulary vocabulary;
    vocabulary.entries.append(ParseVocabularyLine(QStringLiteral("#1 / first"), false).entry);
    vocabulary.entries.append(ParseVocabularyLine(QStringLiteral("pes / dog"), false).entry);
    const ImportResult back = ImportDelimited(ExportDelimited(vocabulary));
    ASSERT_EQ(back.pairs.size(), 2);
    EXPECT_EQ(back.pairs.first().side[1], QStringLiteral("#1"));
}

TEST(OutsideFormats, CountsAreSaidWithTheCzechPluralForms)
{
    // clang-format off
    const struct { int count; const char *said; } cases[] = {
        {0, "0 dvojic"}, {1, "1 dvojice"}, {2, "2 dvojice"}, {4, "4 dvojice"}, {5, "5 dvojic"},
        {21, "21 dvojic"},
    };
    // clang-format on
    for (const auto &c : cases)
        EXPECT_EQ(CountedWord(c.count, "dvojice|dvojice|dvojic"), U(c.said)) << c.count;
}

// What is no text is refused before anything is read; text with a page break or a stray
// control character is still text.
TEST(OutsideFormats, AFileThatIsNoTextIsRefused)
{
    QByteArray random;
    for (int i = 0; i < 4096; ++i)
        random += char((i * 7919 + 13) % 251);
    // clang-format off
    const struct { const char *name; QByteArray bytes; bool binary; } cases[] = {
        {"nul", QByteArray("pes\tdog\n\0\n", 10), true},
        {"random", random, true},
        {"pageBreak", "pes\tdog\n\f\nkocka\tcat\n", false},
        {"oneStrayControl", "pes\tdog\x01\nkocka\tcat\nokno\tWindow\n", false},
    };
    // clang-format on
    for (const auto &c : cases) {
        EXPECT_EQ(LooksBinary(c.bytes), c.binary) << c.name;
        if (c.binary)
            EXPECT_THROW(ImportVocabulary(c.bytes), FileError) << c.name;
    }
}

// A theme is one line, from the title or, without one, from the file's name.
TEST(OutsideFormats, TheThemeIsOneLineAndComesFromTheNameWithoutATitle)
{
    const ImportResult kvtml = ImportVocabulary(
        U("<?xml version=\"1.0\"?><kvtml version=\"2.0\"><information><title>Hraniční "
          "případy\nnavíc / extra\t!</title></information><entries><entry id=\"0\">"
          "<translation id=\"0\"><text>a</text></translation><translation id=\"1\">"
          "<text>b</text></translation></entry></entries></kvtml>")
            .toUtf8());
    EXPECT_EQ(kvtml.title, U("Hraniční případy navíc / extra !"));
    EXPECT_EQ(DictionaryFromImport(kvtml).count(), 1);

    QTemporaryDir dir;
    const QString file = QDir(dir.path()).filePath(QStringLiteral("slovíčka lekce 3.tsv"));
    WriteBytes(file, "pes\tdog\n");
    EXPECT_EQ(ImportVocabularyFile(file).title, U("slovíčka lekce 3"));
}

} // namespace
