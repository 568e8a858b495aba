#include "anki_package_maker.h"
#include "exchange/anki_import.h"
#include "history/answer_import.h"
#include "history/sqlite_statement.h"
#include "sync/log_transfer.h"
#include "core/file_error.h"
#include "test_support.h"

#include <QDir>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

constexpr qint64 Day = 24 * 60 * 60 * 1000;
constexpr qint64 Start = 1700000000000;

// clang-format off
struct FieldRow { const char *html; const char *text; };
const FieldRow FieldRows[] = {
    {"<b>der</b> Hund",                       "der Hund"},
    {"Hund<br>Katze",                         "Hund Katze"},
    {"Hund<br/>",                             "Hund"},
    {"<div>eins</div><div>zwei</div>",        "eins zwei"},
    {"Tom &amp; Jerry&nbsp;!",                "Tom & Jerry !"},
    {"&#269;aj &#x10D;",                      "čaj č"},
    {"&lt;b&gt;",                             "<b>"},
    {"pes [sound:pes.mp3]",                   "pes"},
    {"<img src=\"a.jpg\">kočka",              "kočka"},
    {"  a \n\t b  ",                          "a b"},
    {" 日本語[にほんご]を 話[はな]す",        "日本語を話す"},
    {"x[1] [noun]",                           "x[1] [noun]"},
    {"😀<span style=\"x\">smích</span>",      "😀smích"},
};
// clang-format on

// The collation a current Anki declares for names: case does not count, in any alphabet.
TEST(UnicaseCollation, ComparesWithoutRegardToCase)
{
    const struct
    {
        const char *one;
        const char *other;
        int order;
    } cases[] = {
        // clang-format off
        {"Slovíčka", "SLOVÍČKA", 0},
        {"řeč", "ŘEČ", 0},
        {"Straße", "STRASSE", 1}, // ß folds to itself, not to "ss"
        {"abc", "ABD", -1},
        {"Ž", "z", 1},
        {"Ωμέγα", "ΩΜΈΓΑ", 0},
        // clang-format on
    };
    QSqlDatabase db
        = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("unicase"));
    db.setDatabaseName(QStringLiteral(":memory:"));
    ASSERT_TRUE(db.open());
    ASSERT_TRUE(AddUnicaseCollation(db));
    for (const auto &c : cases) {
        QSqlQuery query(db);
        query.prepare(QStringLiteral("SELECT CASE WHEN ? = ? COLLATE unicase THEN 0"
                                     " WHEN ? < ? COLLATE unicase THEN -1 ELSE 1 END"));
        for (int i = 0; i < 2; ++i) {
            query.addBindValue(U(c.one));
            query.addBindValue(U(c.other));
        }
        ASSERT_TRUE(query.exec() && query.next()) << c.one;
        EXPECT_EQ(query.value(0).toInt(), c.order) << c.one << " / " << c.other;
    }
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("unicase"));
}

// clang-format off
struct LinesRow { const char *html; const char *lines; };
const LinesRow LinesRows[] = {
    {"das Haus<br>die Häuser",                  "das Haus|die Häuser"},
    {"<div>rychlý</div><div>brzký</div>",       "rychlý|brzký"},
    {"<p>one</p>\n<p> </p><p>two</p>",          "one|two"},
    {"a\nb",                                    "a b"},   // a line end in HTML is a blank
    {"<table><tr><td>x</td><td>y</td></tr></table>", "x y"},
    {"",                                        ""},
};
struct AlternativesRow { const char *side; const char *written; };
const AlternativesRow AlternativesRows[] = {
    {"速い / 早い",         "速い, 早い"},
    {"〜から/〜ので",       "〜から, 〜ので"},
    {"a / / b /",           "a, b"},
    {"bez lomítka",         "bez lomítka"},
};
// clang-format on

TEST(AnkiFieldText, AFieldsLinesAndAlternatives)
{
    for (const LinesRow &row : LinesRows)
        EXPECT_EQ(AnkiFieldLines(U(row.html)).join('|'), U(row.lines)) << row.html;
    for (const AlternativesRow &row : AlternativesRows)
        EXPECT_EQ(AnkiAlternatives(U(row.side)), U(row.written)) << row.side;
}

TEST(AnkiFieldText, IsPlainTextOfTheField)
{
    for (const FieldRow &row : FieldRows)
        EXPECT_EQ(AnkiFieldText(U(row.html)), U(row.text)) << row.html;
    EXPECT_TRUE(IsClozeField(U("Praha je {{c1::hlavní město}} Česka")));
    EXPECT_TRUE(IsClozeField(U("{{c12::x::nápověda}}")));
    EXPECT_FALSE(IsClozeField(U("{{Front}} c1::")));
}

// A collection with what decks hold in practice: two decks (one nested), a type of two fields
// with both cards, a type of fourteen, a type of texts with gaps, a gap in a plain note, an
// unusable side, and reviews on them.
MadeCollection VariedCollection()
{
    MadeCollection collection = SmallCollection(0);
    QStringList fourteen;
    for (int field = 1; field <= 14; ++field)
        fourteen.append(QStringLiteral("Pole %1").arg(field));
    collection.types.append({2000, QStringLiteral("Čínština"), fourteen});
    collection.types.append(
        {3000, QStringLiteral("Cloze"), {QStringLiteral("Text"), QStringLiteral("Extra")}, true});
    collection.decks.append({3, QStringLiteral("Zvířata")});
    const auto note = [&](qint64 id, qint64 type, QStringList fields, qint64 deck, int cards = 2) {
        collection.notes.append({id, type, fields, deck, cards});
    };
    QStringList chinese;
    for (int field = 1; field <= 14; ++field)
        chinese.append(QStringLiteral("č%1").arg(field));
    note(101, 1000, {U("<b>pes</b>"), U("der Hund")}, 2);
    note(102, 1000, {U("kočka"), U("die&nbsp;Katze")}, 3);
    note(103, 2000, chinese, 3, 1);
    note(104, 3000, {U("{{c1::Praha}} je město"), QString()}, 2, 1);
    note(105, 1000, {U("{{c1::Brno}}"), U("x")}, 2);
    // As shared decks write them: alternatives with '/', a field of several lines or blocks.
    note(106, 1000, {U("a/b"), U("c")}, 2);
    note(107, 1000, {U("a@b"), U("c")}, 2);
    note(108, 1000, {U("das Haus<br>die Häuser"), U("dům")}, 2);
    note(109, 1000, {U("<div>速い / 早い</div>"), U("<div>rychlý</div><div>brzký</div>")}, 2);
    collection.reviews = {
        {Start, 1010, 1, 0},
        {Start + 600000, 1010, 3, 0},
        {Start + Day, 1010, 3, 1},
        {Start + Day + 5, 1011, 4, 1},
        {Start + 2 * Day, 1020, 2, 1},
        {Start + 3 * Day, 1020, 0, 4, 0},
        {Start + 3 * Day + 1, 1030, 3, 1},
        {Start + 4 * Day, 1040, 3, 1},
        {Start + 5 * Day, 1070, 3, 1}, // on the note that is no pair
    };
    return collection;
}

QString sideWithComment(const VocabularyEntry &pair, int side)
{
    const QString comment = pair.comment[side].trimmed();
    return pair.side[side].trimmed()
           + (comment.isEmpty() ? QString() : QStringLiteral(" {") + comment + QLatin1Char('}'));
}

QStringList describe(const AnkiImport &import)
{
    QStringList lines;
    for (const AnkiDictionary &dictionary : import.dictionaries) {
        lines.append(QStringLiteral("# ") + dictionary.content.title);
        for (const VocabularyEntry &pair : dictionary.content.pairs)
            lines.append(QStringLiteral("%1 / %2 %3,%4,%5,%6")
                             .arg(sideWithComment(pair, 1), sideWithComment(pair, 2))
                             .arg(pair.offers[1])
                             .arg(pair.offers[2])
                             .arg(pair.errors[1])
                             .arg(pair.errors[2]));
        lines += dictionary.content.skipped;
        for (const AnkiAnswer &answer : dictionary.answers)
            lines.append(QStringLiteral("%1:%2 %3 %4 %5")
                             .arg(answer.pair)
                             .arg(answer.offeredSide)
                             .arg(answer.atMs - Start)
                             .arg(int(answer.grade))
                             .arg(answer.durationMs));
    }
    lines.append(QStringLiteral("cloze %1, reviews %2, skipped %3")
                     .arg(import.clozeNotes)
                     .arg(import.reviews)
                     .arg(import.reviewsSkipped));
    return lines;
}

class AnkiPackageTest : public testing::Test
{
protected:
    QString path(const char *name) const { return m_folder.filePath(QLatin1String(name)); }
    AnkiCollection read(const MadeCollection &made, AnkiForm form)
    {
        WriteAnkiPackage(path("deck.apkg"), made, form);
        const std::optional<AnkiCollection> collection = ReadAnkiPackage(path("deck.apkg"));
        EXPECT_TRUE(collection.has_value());
        return collection.value_or(AnkiCollection{});
    }

    QTemporaryDir m_folder;
};

// Each form of package gives the same dictionaries, counters and answers: decks in the order of
// their names, a theme from the last part of the name, the sides from the first two fields.
TEST_F(AnkiPackageTest, EveryFormGivesTheSameDictionaries)
{
    const QStringList expected = {
        U("# Němčina"),
        U("pes / der Hund 3,1,1,0"),
        U("a, b / c 0,0,0,0"),
        U("das Haus {die Häuser} / dům 0,0,0,0"),
        U("速い, 早い / rychlý {brzký} 0,0,0,0"),
        U("Jazyky::Němčina: poznámka 7 („a@b“): obsahuje '/' nebo '@', které řádek slovníku "
          "nepojme; nepřevzatých opakování: 1"),
        U("0:1 0 1 0"),
        U("0:1 600000 3 0"),
        U("0:1 86400000 3 0"),
        U("0:2 86400005 4 0"),
        U("# Zvířata"),
        U("kočka / die Katze 1,0,0,0"),
        U("č1 / č2 1,0,0,0"),
        U("0:1 172800000 2 0"),
        U("1:1 259200001 3 0"),
        U("cloze 2, reviews 6, skipped 1"),
    };
    for (const AnkiForm form : {AnkiForm::Anki2, AnkiForm::Anki21, AnkiForm::Anki21b}) {
        MadeCollection made = VariedCollection();
        for (MadeReview &review : made.reviews)
            review.durationMs = 0;
        const AnkiCollection collection = read(made, form);
        EXPECT_EQ(describe(BuildAnkiImport(collection, {}, QStringLiteral("deck"))), expected)
            << int(form);
        ASSERT_EQ(collection.noteTypes.size(), 3);
        EXPECT_EQ(collection.noteTypes.at(1).fields.size(), 14);
        EXPECT_TRUE(collection.noteTypes.at(2).cloze);
    }
}

// Archives as other writers make them: members followed by a data descriptor (written to a
// stream that cannot seek back), and members with ZIP64 sizes (Python's zipfile, which Anki
// uses, made both from the same members).
TEST(AnkiPackageShapes, ArchivesOfOtherWritersGiveTheSameNotes)
{
    const QString folder = QStringLiteral(MERKO_SOURCE_DIR "/tests/");
    const std::optional<AnkiCollection> original
        = ReadAnkiPackage(folder + QStringLiteral("fuzz/corpus/anki_package/two-decks.apkg"));
    ASSERT_TRUE(original);
    ASSERT_FALSE(original->notes.isEmpty());
    for (const char *shape : {"streamed.apkg", "zip64.apkg"}) {
        const std::optional<AnkiCollection> read
            = ReadAnkiPackage(folder + QStringLiteral("data/anki/") + QLatin1String(shape));
        ASSERT_TRUE(read) << shape;
        ASSERT_EQ(read->notes.size(), original->notes.size()) << shape;
        for (qsizetype note = 0; note < read->notes.size(); ++note)
            EXPECT_EQ(read->notes[note].fields, original->notes[note].fields) << shape;
        EXPECT_EQ(read->decks, original->decks) << shape;
    }
}

// A type of many fields is offered for a choice with its first note; the chosen fields become
// the sides and the comments.
TEST_F(AnkiPackageTest, ChosenFieldsBecomeSidesAndComments)
{
    const AnkiCollection collection = read(VariedCollection(), AnkiForm::Anki21b);
    const QList<AnkiTypeToChoose> types = AnkiTypesToChoose(collection);
    ASSERT_EQ(types.size(), 1);
    EXPECT_EQ(types.first().type.name, U("Čínština"));
    EXPECT_EQ(types.first().example.id, 103);
    const AnkiImport import = BuildAnkiImport(collection, {{2000, {3, 13, 1, -1}}}, QString());
    const VocabularyEntry &pair = import.dictionaries.at(1).content.pairs.at(1);
    EXPECT_EQ(pair.side[1].trimmed(), U("č4"));
    EXPECT_EQ(pair.comment[1], U("č2"));
    EXPECT_EQ(pair.side[2].trimmed(), U("č14"));
    EXPECT_EQ(pair.comment[2], QString());
}

// A shared deck of many fields, as such decks come: a header note first, a second field that
// repeats the first in colour. The proposed second side is a field that differs from the first,
// the example a typical note.
TEST_F(AnkiPackageTest, TheProposedFieldsPassOverARepeatedFieldAndAHeader)
{
    MadeCollection made = SmallCollection(0);
    made.types.append({2000,
                       QStringLiteral("Chinese"),
                       {QStringLiteral("Simplified"), QStringLiteral("SimplifiedColored"),
                        QStringLiteral("Pinyin"), QStringLiteral("Meaning")}});
    // clang-format off
    const struct { qint64 id; const char *simplified; const char *colored; const char *pinyin; const char *meaning; } rows[] = {
        {1, "HSK 1 – seznam slov, neupravovat", "", "", ""},
        {2, "爱", "<span style=\"color: #e30000\">爱</span>", "ài", "love"},
        {3, "八", "<span style=\"color: #00aa00\">八</span>", "bā", "eight"},
        {4, "爸爸", "<b>爸爸</b>", "bà<br>ba", "dad"},
    };
    // clang-format on
    for (const auto &row : rows)
        made.notes.append({1700000000000 + row.id,
                           2000,
                           {U(row.simplified), U(row.colored), U(row.pinyin), U(row.meaning)},
                           2});
    const QList<AnkiTypeToChoose> types = AnkiTypesToChoose(read(made, AnkiForm::Anki21b));
    ASSERT_EQ(types.size(), 1);
    EXPECT_EQ(types.first().proposed, (AnkiFieldChoice{0, 2, -1, -1}));
    EXPECT_EQ(types.first().example.id, 1700000000003) << "a typical note, not the header";
}

// clang-format off
struct ReviewRow { int type; int ease; int factor; int templateIndex; bool taken; };
const ReviewRow ReviewRows[] = {
    {0, 1, 0,    0, true},  // learning, again
    {1, 2, 2500, 0, true},  // review, hard
    {2, 3, 2500, 1, true},  // relearning, good, the back asked
    {1, 4, 2500, 1, true},  // review, easy
    {3, 3, 2500, 0, true},  // filtered deck that reschedules
    {3, 3, 0,    0, false}, // filtered deck that keeps the schedule
    {4, 0, 0,    0, false}, // manual change of the schedule
    {1, 0, 2500, 0, false}, // no grade: rescheduled
    {5, 3, 2500, 0, false}, // rescheduled in bulk
    {1, 3, 2500, 2, false}, // a third card of the note
};
// clang-format on

TEST_F(AnkiPackageTest, ReviewsThatChangedTheScheduleComeAlong)
{
    MadeCollection made = SmallCollection(1);
    made.notes.first().cards = 3;
    const AnkiCollection plain = read(made, AnkiForm::Anki21);
    for (const ReviewRow &row : ReviewRows) {
        AnkiCollection collection = plain;
        collection.reviews = {{Start, made.notes.first().id * 10 + row.templateIndex, row.ease,
                               row.type, row.factor, 3000}};
        const AnkiImport import = BuildAnkiImport(collection, {}, QString());
        const AnkiDictionary &dictionary = import.dictionaries.first();
        const VocabularyEntry &pair = dictionary.content.pairs.first();
        const int side = row.templateIndex + 1;
        SCOPED_TRACE(testing::Message() << row.type << " " << row.ease << " " << row.factor);
        EXPECT_EQ(import.reviews, row.taken ? 1 : 0);
        EXPECT_EQ(import.reviewsSkipped, row.taken ? 0 : 1);
        EXPECT_EQ(pair.offers[1] + pair.offers[2], row.taken ? 1 : 0);
        EXPECT_EQ(pair.errors[1] + pair.errors[2], row.taken && row.ease == 1 ? 1 : 0);
        if (row.taken) {
            EXPECT_EQ(pair.offers[side], 1);
            ASSERT_EQ(dictionary.answers.size(), 1);
            EXPECT_EQ(dictionary.answers.first().offeredSide, side);
            EXPECT_EQ(int(dictionary.answers.first().grade), row.ease);
            EXPECT_EQ(dictionary.answers.first().durationMs, 3000);
        }
    }
}

// A deck of more notes than a dictionary holds becomes numbered dictionaries, each answer with
// its pair.
TEST_F(AnkiPackageTest, ALargeDeckIsSplit)
{
    MadeCollection made = SmallCollection(2100);
    made.reviews = {{Start, made.notes.at(1500).id * 10 + 1, 1, 1}};
    const AnkiImport import = BuildAnkiImport(read(made, AnkiForm::Anki2), {}, QString());
    ASSERT_EQ(import.dictionaries.size(), 3);
    const int sizes[] = {1000, 1000, 100};
    for (int part = 0; part < 3; ++part) {
        EXPECT_EQ(import.dictionaries.at(part).content.title, U("Němčina %1").arg(part + 1));
        EXPECT_EQ(import.dictionaries.at(part).content.pairs.size(), sizes[part]);
    }
    ASSERT_EQ(import.dictionaries.at(1).answers.size(), 1);
    EXPECT_EQ(import.dictionaries.at(1).answers.first().pair, 500);
    EXPECT_EQ(import.dictionaries.at(1).content.pairs.at(500).errors[2], 1);
}

// The files of several dictionaries never replace a file: a name taken is numbered.
TEST_F(AnkiPackageTest, DictionaryFilesAreNewFiles)
{
    WriteBytes(path("Slovesa.slv"), "x");
    const QStringList files = AnkiDictionaryFiles(
        m_folder.path(), {U("Slovesa"), U("A/B: C?"), U("slovesa"), U(".skryté"), QString()});
    const QStringList names = {U("Slovesa (2).slv"), U("A_B_ C_.slv"), U("slovesa (3).slv"),
                               U("anki.skryté.slv"), U("anki.slv")};
    ASSERT_EQ(files.size(), names.size());
    for (int index = 0; index < names.size(); ++index)
        EXPECT_EQ(files.at(index), m_folder.filePath(names.at(index)));
}

// However many notes become no pair, every one of them is listed, with its deck, in a report
// beside the dictionaries; the summary shows the first and names the report.
TEST_F(AnkiPackageTest, EveryNoteLeftOutIsListedInTheReport)
{
    MadeCollection made = SmallCollection(3);
    for (int index = 0; index < 15; ++index)
        made.notes.append(
            {1700000000000 + index, 1000, {QStringLiteral("e-mail@%1").arg(index), U("x")}, 2});
    const AnkiImport import = BuildAnkiImport(read(made, AnkiForm::Anki21), {}, QString());
    ASSERT_EQ(import.skippedNotes.size(), 15);
    const QString report = WriteAnkiSkippedReport(import, m_folder.path(), U("Němčina"));
    EXPECT_EQ(report, m_folder.filePath(U("Němčina - nepřevzaté poznámky.txt")));
    const QString text = QString::fromUtf8(ReadBytes(report));
    for (int index = 0; index < 15; ++index)
        EXPECT_TRUE(text.contains(
            QStringLiteral("Jazyky::Němčina: poznámka %1 („e-mail@%2“)").arg(index + 4).arg(index)))
            << index;
    const QString summary = AnkiImportSummary(import, {path("a.slv")}, 0, 0, QString(), report);
    EXPECT_TRUE(summary.contains(U("... a 5 dalších."))) << summary.toStdString();
    EXPECT_TRUE(summary.endsWith(U("Úplný seznam je v souboru ") + report + QLatin1Char('.')));
    EXPECT_NE(WriteAnkiSkippedReport(import, m_folder.path(), U("Němčina")), report)
        << "a second report does not replace the first";
}

// An earlier import's dictionary gets the pairs it lacks, by their two sides; its own pairs,
// their comments and counters stay, and it never grows beyond its capacity.
TEST(AnkiUpdate, AddsOnlyThePairsTheDictionaryLacks)
{
    const auto entry = [](const char *one, const char *two, int offers) {
        VocabularyEntry pair;
        pair.side[1] = U(one);
        pair.side[2] = U(two);
        pair.offers[1] = offers;
        return pair;
    };
    Vocabulary earlier;
    earlier.entries = {entry("pes", "der Hund", 7), entry("kočka", "die Katze", 3)};
    earlier.entries[0].comment[1] = U("můj komentář");
    ImportResult imported;
    imported.pairs = {entry("pes ", "der Hund", 1), entry("kůň", "das Pferd", 2),
                      entry("kůň", "das Pferd", 2), entry("kočka", "der Kater", 0)};
    EXPECT_EQ(AddNewAnkiPairs(earlier, imported), 2);
    QStringList sides;
    for (const VocabularyEntry &pair : earlier.entries)
        sides.append(
            QStringLiteral("%1/%2/%3").arg(pair.side[1], pair.side[2]).arg(pair.offers[1]));
    EXPECT_EQ(sides, (QStringList{U("pes/der Hund/7"), U("kočka/die Katze/3"), U("kůň/das Pferd/2"),
                                  U("kočka/der Kater/0")}));
    EXPECT_EQ(earlier.entries[0].comment[1], U("můj komentář"));

    Vocabulary full;
    full.entries = QList<VocabularyEntry>(Vocabulary::Capacity, entry("x", "y", 0));
    EXPECT_EQ(AddNewAnkiPairs(full, imported), 0);
    EXPECT_EQ(full.count(), Vocabulary::Capacity);
}

// What the user is told: the pairs and files written, the notes left out and why, the reviews
// brought and those the history had already or could not take.
TEST_F(AnkiPackageTest, TheSummarySaysWhatWasWritten)
{
    const AnkiImport import
        = BuildAnkiImport(read(VariedCollection(), AnkiForm::Anki2), {}, QString());
    EXPECT_EQ(
        AnkiImportSummary(import, {U("/a/Němčina.slv"), U("/a/Zvířata.slv")}, 6, 6, QString()),
        U("Načteno 6 dvojic do 2 slovníků:\n/a/Němčina.slv\n/a/Zvířata.slv\n"
          "2 poznámky s doplňováním (cloze) nejsou dvojice.\n"
          "1 poznámka přeskočena, s nimi 1 opakování:\n"
          "Jazyky::Němčina: poznámka 7 („a@b“): obsahuje '/' nebo '@', které řádek slovníku "
          "nepojme; "
          "nepřevzatých opakování: 1\n"
          "Převzato opakování z Anki: 6; vynecháno 1 (ruční změny plánu, opakování ve "
          "filtrovaných balíčcích bez přeplánování, další karty poznámky)."));
    // clang-format off
    const struct { int targets; int answers; std::optional<int> added; const char *ends; } rows[] = {
        {1, 4, 4,            "Načteno 4 dvojice do 1 slovníku:\n/a/Němčina.slv"},
        {2, 6, 2,            "další karty poznámky). Z toho už v historii bylo: 4."},
        {2, 6, std::nullopt, "Historie odpovědí je nepřevzala: je zamčená. Slovníky je započítávají."},
    };
    // clang-format on
    const QStringList targets = {U("/a/Němčina.slv"), U("/a/Zvířata.slv")};
    for (const auto &row : rows) {
        const QString text = AnkiImportSummary(import, targets.mid(0, row.targets), row.answers,
                                               row.added, U("je zamčená."));
        EXPECT_TRUE(text.contains(U(row.ends))) << text.toStdString();
    }
}

// clang-format off
enum class Damage { NotZip, CutZip, NoCollection, UpwardName, AbsoluteName, Expands,
                    CompressedExpands, NotDatabase, CutDatabase, ZeroedPage, CutCompressed,
                    LaterSchema, LaterPackage, NoNotes };
// The message, and what the details behind it say (nothing: no details).
struct BadRow { Damage damage; const char *message; const char *details; };
const BadRow BadRows[] = {
    {Damage::NotZip,            "není balíček Anki: není to archiv ZIP", ""},
    {Damage::CutZip,            "deck.apkg je poškozený nebo neúplný balíček Anki", "ZIP"},
    {Damage::NoCollection,      "chybí v něm sbírka", ""},
    {Damage::UpwardName,        "„../../.bashrc“, jehož jméno míří mimo balíček", ""},
    {Damage::AbsoluteName,      "„/etc/passwd“, jehož jméno míří mimo balíček", ""},
    {Damage::Expands,           "by se rozbalil do více než 1 MB", ""},
    {Damage::CompressedExpands, "by se rozbalil do více než 1 MB", ""},
    {Damage::NotDatabase,       "deck.apkg je poškozený nebo neúplný balíček Anki", "database"},
    {Damage::CutDatabase,       "deck.apkg je poškozený nebo neúplný balíček Anki", "database"},
    {Damage::ZeroedPage,        "deck.apkg je poškozený nebo neúplný balíček Anki", "Page"},
    {Damage::CutCompressed,     "deck.apkg je poškozený nebo neúplný balíček Anki", "neúplná"},
    {Damage::LaterSchema,       "má verzi 19, novější", ""},
    {Damage::LaterPackage,      "Balíček deck.apkg má verzi 4, novější", ""},
    {Damage::NoNotes,           "V balíčku deck.apkg nejsou žádné poznámky.", ""},
};
// clang-format on

// The members of a package with that damage; a package that is no ZIP, or one cut short, is
// made by the caller.
QList<QPair<QString, QByteArray>> damagedMembers(Damage damage, const QByteArray &database)
{
    const QByteArray zeros(4 << 20, '\0');
    QList<QPair<QString, QByteArray>> members = {{QStringLiteral("collection.anki2"), database}};
    MadeCollection later = SmallCollection(3);
    switch (damage) {
    case Damage::NotZip: // written by the caller
        break;
    case Damage::NoCollection:
        members = {{QStringLiteral("media"), "{}"}};
        break;
    case Damage::UpwardName:
        members.append({QStringLiteral("../../.bashrc"), "x"});
        break;
    case Damage::AbsoluteName:
        members.append({QStringLiteral("/etc/passwd"), "x"});
        break;
    case Damage::Expands:
        members.append({QStringLiteral("meta"), zeros});
        break;
    case Damage::CompressedExpands:
        members = {{QStringLiteral("collection.anki21b"), ZstdCompressed(zeros)}};
        break;
    case Damage::NotDatabase:
        members = {{QStringLiteral("collection.anki2"),
                    QByteArray("SQLite format 3") + QByteArray(5000, 'x')}};
        break;
    case Damage::CutDatabase:
        members = {{QStringLiteral("collection.anki2"), database.left(database.size() / 2)}};
        break;
    case Damage::ZeroedPage: {
        // The page of a table zeroed: the file opens, its check finds the page.
        QByteArray zeroed = database;
        zeroed.replace(2 * 4096, 4096, QByteArray(4096, '\0'));
        members = {{QStringLiteral("collection.anki2"), zeroed}};
        break;
    }
    case Damage::CutZip:
        break;
    case Damage::CutCompressed: {
        const QByteArray compressed = ZstdCompressed(database);
        members = {{QStringLiteral("collection.anki21b"), compressed.left(compressed.size() / 2)}};
        break;
    }
    case Damage::LaterSchema:
        later.schema = 19;
        members
            = {{QStringLiteral("collection.anki2"), CollectionDatabase(later, AnkiForm::Anki2)}};
        break;
    case Damage::LaterPackage:
        members.append({QStringLiteral("meta"), QByteArray("\x08\x04", 2)});
        break;
    case Damage::NoNotes:
        members = {{QStringLiteral("collection.anki2"),
                    CollectionDatabase(SmallCollection(0), AnkiForm::Anki2)}};
        break;
    }
    return members;
}

// What cannot be read is refused with a message that says why; nothing is written anywhere.
TEST_F(AnkiPackageTest, BadPackagesAreRefused)
{
    const QByteArray database = CollectionDatabase(SmallCollection(3), AnkiForm::Anki2);
    for (const BadRow &row : BadRows) {
        if (row.damage == Damage::NotZip)
            WriteBytes(path("deck.apkg"), "PK not really");
        else
            WriteZip(path("deck.apkg"), damagedMembers(row.damage, database));
        if (row.damage == Damage::CutZip) // a download cut short
            WriteBytes(path("deck.apkg"), ReadBytes(path("deck.apkg")).left(300));
        const QStringList before
            = QDir(m_folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        try {
            ReadAnkiPackage(path("deck.apkg"), {}, {1 << 20});
            ADD_FAILURE() << row.message;
        } catch (const FileError &error) {
            EXPECT_TRUE(error.message().contains(U(row.message))) << error.message().toStdString();
            // The library's own words only behind the details, never in the message.
            EXPECT_EQ(error.details().isEmpty(), *row.details == 0) << row.message;
            EXPECT_TRUE(error.details().contains(U(row.details))) << error.details().toStdString();
            EXPECT_FALSE(error.message().contains(QLatin1String("***")));
        }
        EXPECT_EQ(QDir(m_folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    }
}

// The progress only grows, through the unpacking and the reading of the tables; the reading
// stops when asked.
TEST_F(AnkiPackageTest, ReadingTellsItsProgressAndCanBeCancelled)
{
    WriteAnkiPackage(path("deck.apkg"), SmallCollection(5000), AnkiForm::Anki21b);
    QList<int> told;
    EXPECT_TRUE(ReadAnkiPackage(path("deck.apkg"), [&](int percent) {
                    told.append(percent);
                    return true;
                }).has_value());
    EXPECT_TRUE(std::is_sorted(told.cbegin(), told.cend()));
    EXPECT_TRUE(told.contains(40));
    EXPECT_EQ(told.last(), 100);
    told.clear();
    const auto stopWhileReadingTables = [&](int percent) {
        told.append(percent);
        return percent <= 40;
    };
    EXPECT_FALSE(ReadAnkiPackage(path("deck.apkg"), stopWhileReadingTables).has_value());
    ASSERT_FALSE(told.isEmpty());
    EXPECT_GT(told.last(), 40);
    EXPECT_LT(told.last(), 100);
}

// The answers brought along make the same cards as the same answers given in a drill, also on
// a card answered here later; taken again, none is added twice.
TEST(ImportAnswers, MakeTheCardsOfTheSameAnswersAndAreTakenOnce)
{
    const PairText dog{U("pes"), QString(), U("der Hund"), QString()};
    const PairText cat{U("kočka"), U("zvíře"), U("die Katze"), QString()};
    const QList<AnswerRecord> brought = {
        {Start, {dog, 1}, Grade::Again, QString(), 3000, QStringLiteral("/a.slv")},
        {Start + 600000, {dog, 1}, Grade::Good, QString(), 3000, QStringLiteral("/a.slv")},
        {Start + Day, {dog, 2}, Grade::Easy, QString(), 3000, QStringLiteral("/a.slv")},
        {Start + 3 * Day, {dog, 1}, Grade::Hard, QString(), 3000, QStringLiteral("/a.slv")},
        {Start + 2 * Day, {cat, 1}, Grade::Good, QString(), 3000, QStringLiteral("/a.slv")},
    };
    const AnswerRecord later{Start + 10 * Day, {dog, 1}, Grade::Good,
                             U("pes"),         900,      QStringLiteral("/a.slv")};
    QTemporaryDir folder;
    ReviewHistory answered(QDir(folder.path()).filePath(QStringLiteral("a/history.sqlite")));
    ReviewHistory imported(QDir(folder.path()).filePath(QStringLiteral("b/history.sqlite")));
    ASSERT_TRUE(answered.ensureOpen() && imported.ensureOpen());
    QList<AnswerRecord> inOrder = brought;
    inOrder.append(later);
    std::sort(inOrder.begin(), inOrder.end(),
              [](const AnswerRecord &x, const AnswerRecord &y) { return x.atMs < y.atMs; });
    for (const AnswerRecord &answer : inOrder)
        answered.record(answer);
    imported.record(later);
    QString reason;
    EXPECT_EQ(ImportAnswers(imported.database(), brought, MemoryModel{}, &reason), 5)
        << reason.toStdString();
    EXPECT_EQ(ImportAnswers(imported.database(), brought, MemoryModel{}, &reason), 0);
    EXPECT_EQ(imported.answerCount(), 6);
    const auto cards = [](ReviewHistory &history) {
        return queryRows(history.database(),
                         QStringLiteral("SELECT side1, direction, stability, difficulty,"
                                        " last_review_ms, due_ms, introduced_ms, reviews, lapses"
                                        " FROM cards ORDER BY side1, direction"));
    };
    EXPECT_EQ(cards(imported).size(), 3);
    EXPECT_EQ(cards(imported), cards(answered));
    EXPECT_EQ(
        queryValue(imported.path(),
                   QStringLiteral("SELECT count(*) FROM reviews WHERE settled = 1 AND seq IS NULL"))
            .toInt(),
        5);
    // As this computer's answers they go to its log in the synchronised folder.
    const auto logged = OwnRecordsForLog(
        imported.database(), QStringLiteral("tento"), 0, [](const QString &path) { return path; },
        &reason);
    ASSERT_TRUE(logged.has_value());
    EXPECT_EQ(logged->answers.size(), 6);
}

} // namespace
