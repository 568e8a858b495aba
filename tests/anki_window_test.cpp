#include "anki_package_maker.h"
#include "app/app_context.h"
#include "app/application.h"
#include "drill/drill_window.h"
#include "exchange/anki_fields_dialog.h"
#include "sync/answer_log.h"
#include "sync/log_transfer.h"
#include "settings/settings.h"
#include "test_support.h"
#include "window_support.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QSet>
#include <QFile>
#include <QLabel>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

constexpr qint64 Start = 1700000000000;

// Two decks, one of them of a type with four fields, and reviews on both.
MadeCollection TwoDecks()
{
    MadeCollection collection = SmallCollection(2);
    collection.types.append({2000,
                             QStringLiteral("Slovesa"),
                             {QStringLiteral("Infinitiv"), QStringLiteral("Préteritum"),
                              QStringLiteral("Perfektum"), QStringLiteral("Česky")}});
    collection.decks.append({3, QStringLiteral("Slovesa")});
    collection.notes.append(
        {1700000000000, 2000, {U("gehen"), U("ging"), U("ist gegangen"), U("jít")}, 3});
    collection.reviews = {{Start, 16000000000000, 3, 1},
                          {Start + 1000, 16000000000001, 1, 1},
                          {Start + 2000, 17000000000000, 3, 0}};
    return collection;
}

// From the menu: the fields are chosen, the decks become dictionaries in the chosen folder, the
// first is opened, the reviews are in the history and the user is told.
TEST(AnkiImportWindow, APackageBecomesDictionariesWithTheirReviews)
{
    RunningProgram program;
    program.start();
    WriteAnkiPackage(program.path(QStringLiteral("balicek.apkg")), TwoDecks(), AnkiForm::Anki21b);
    QDir().mkpath(program.path(QStringLiteral("slovniky")));
    program.prompts.openNames = {program.path(QStringLiteral("balicek.apkg"))};
    program.prompts.folderNames = {program.path(QStringLiteral("slovniky"))};
    QString example;
    program.whenOpen<AnkiFieldsDialog>([&](AnkiFieldsDialog &dialog) {
        child<QComboBox>(dialog, "field0_0")->setCurrentIndex(3);
        child<QComboBox>(dialog, "field1_0")->setCurrentIndex(0);
        child<QComboBox>(dialog, "field2_0")->setCurrentIndex(3);
        example = child<QLabel>(dialog, "example_0")->text();
        dialog.accept();
    });
    child<QAction>(program.form(), "Importovat1")->trigger();
    EXPECT_EQ(example, U("jít {ist gegangen} / gehen"));
    const QString german = program.path(QStringLiteral("slovniky/Němčina.slv"));
    const QString verbs = program.path(QStringLiteral("slovniky/Slovesa.slv"));
    EXPECT_TRUE(ReadBytes(verbs).startsWith(Cp1250("*Slovesa\r\njít {ist gegangen}")));
    EXPECT_TRUE(ReadBytes(verbs).contains("/ gehen "));
    EXPECT_TRUE(ReadBytes(verbs).endsWith("@    1,    0,    0,    0\r\n"));
    EXPECT_EQ(program.app().context().dictionary.vocabulary().path, german);
    EXPECT_EQ(CountersOf(program.app().context().dictionary.vocabulary().at(1)),
              (Counters{1, 1, 0, 1}));
    EXPECT_EQ(queryValue(program.path(QStringLiteral("data/history.sqlite")),
                         QStringLiteral("SELECT count(*) FROM reviews"))
                  .toInt(),
              3);
    ASSERT_EQ(program.prompts.texts("notice").size(), 1);
    EXPECT_TRUE(
        program.prompts.texts("notice").first().contains(U("Převzato opakování z Anki: 3.")));
}

// The same package imported again updates the dictionaries the first import made: their pairs
// and counters stay, a new note is added, no review is counted twice. After reviews came, the
// review schedule is offered.
TEST(AnkiImportWindow, ThePackageImportedAgainUpdatesItsDictionaries)
{
    RunningProgram program;
    program.start();
    MadeCollection decks = TwoDecks();
    const QString package = program.path(QStringLiteral("balicek.apkg"));
    WriteAnkiPackage(package, decks, AnkiForm::Anki21b);
    QDir().mkpath(program.path(QStringLiteral("slovniky")));
    const auto import = [&] {
        program.prompts.openNames = {package};
        program.prompts.folderNames = {program.path(QStringLiteral("slovniky"))};
        program.whenOpen<AnkiFieldsDialog>([](AnkiFieldsDialog &dialog) { dialog.accept(); });
        child<QAction>(program.form(), "Importovat1")->trigger();
    };
    program.prompts.answers = {false}; // the schedule not yet
    import();
    const QString german = program.path(QStringLiteral("slovniky/Němčina.slv"));
    const QByteArray first = ReadBytes(german);
    EXPECT_NE(program.app().context().settings.pairChoice, PairChoice::BySchedule);

    decks.notes.append({1600000000009, 1000, {U("kůň"), U("das Pferd")}, 2});
    WriteAnkiPackage(package, decks, AnkiForm::Anki21b);
    program.prompts.answers = {true, true}; // update; then the schedule
    import();
    const QStringList confirms = program.prompts.texts("confirm");
    ASSERT_EQ(confirms.size(), 3);
    EXPECT_TRUE(confirms.at(1).contains(U("Doplnit do nich nové poznámky")))
        << confirms.at(1).toStdString();
    EXPECT_EQ(QDir(program.path(QStringLiteral("slovniky"))).entryList({"*.slv"}),
              (QStringList{U("Němčina.slv"), U("Slovesa.slv")}))
        << "no second copies";
    const QByteArray updated = ReadBytes(german);
    EXPECT_TRUE(updated.startsWith(first.left(first.lastIndexOf("\r\n") + 2)))
        << "the pairs and counters stay";
    EXPECT_TRUE(updated.contains(Cp1250("kůň"))) << "the new note is added";
    EXPECT_EQ(queryValue(program.path(QStringLiteral("data/history.sqlite")),
                         QStringLiteral("SELECT count(*) FROM reviews"))
                  .toInt(),
              3)
        << "the reviews once";
    EXPECT_EQ(program.app().context().settings.pairChoice, PairChoice::BySchedule);
    EXPECT_EQ(program.app().context().dictionary.vocabulary().path, german)
        << "the deck with the most reviews is opened";
}

// Named on the command line, a package is imported as from the menu; a damaged one is refused
// and the dictionary that was open stays so.
TEST(AnkiImportWindow, APackageNamedAtStartAndADamagedOne)
{
    RunningProgram program;
    // Its one review a manual change of the schedule: nothing for the history to take.
    MadeCollection onlyManual = SmallCollection(3);
    onlyManual.reviews = {{Start, 16000000000000, 0, 4, 0}};
    WriteAnkiPackage(program.path(QStringLiteral("nemcina.colpkg")), onlyManual, AnkiForm::Anki2);
    program.prompts.saveNames = {program.path(QStringLiteral("nemcina.slv"))};
    program.start(QStringLiteral("merko"), program.path(QStringLiteral("nemcina.colpkg")));
    EXPECT_EQ(program.prompts.saveStarts, QStringList{program.path(QStringLiteral("Němčina.slv"))});
    EXPECT_EQ(program.app().context().dictionary.vocabulary().count(), 3);
    ASSERT_EQ(program.prompts.texts("notice").size(), 1);
    EXPECT_TRUE(program.prompts.texts("notice").first().contains(
        U("Převzato opakování z Anki: 0; vynecháno 1")));
    EXPECT_FALSE(program.prompts.texts("notice").first().contains(U("Historie")));

    WriteBytes(program.path(QStringLiteral("vadny.apkg")), "PK\x03\x04 damaged");
    program.prompts.openNames = {program.path(QStringLiteral("vadny.apkg"))};
    child<QAction>(program.form(), "Importovat1")->trigger();
    ASSERT_EQ(program.prompts.texts("error").size(), 1);
    EXPECT_TRUE(program.prompts.texts("error").first().contains(U("poškozený nebo neúplný")));
    EXPECT_FALSE(program.prompts.asked.last().details.isEmpty()) << "the details go along";
    EXPECT_EQ(program.app().context().dictionary.vocabulary().path,
              program.path(QStringLiteral("nemcina.slv")));
}

// Imported into the synchronised folder, each dictionary comes with its counters set after
// the reviews it holds, so that no computer counts them again.
TEST(AnkiImportWindow, InTheSynchronisedFolderEachDictionaryCountedItsReviews)
{
    RunningProgram program;
    QDir().mkpath(program.path(QStringLiteral("sync")));
    ASSERT_EQ(SyncFolderProblem(program.path(QStringLiteral("sync"))), QString());
    program.writeSettings(
        ("[Setup]\r\nSyncSlozka=" + program.path(QStringLiteral("sync")).toUtf8() + "\r\n")
            .constData());
    program.start();
    const QString idFile = program.path(QStringLiteral("data/computer-id"));
    ASSERT_TRUE(WaitFor([&] { return QFile::exists(idFile); }));
    WriteAnkiPackage(program.path(QStringLiteral("balicek.apkg")), TwoDecks(), AnkiForm::Anki21b);
    program.prompts.openNames = {program.path(QStringLiteral("balicek.apkg"))};
    program.prompts.folderNames = {program.path(QStringLiteral("sync"))};
    program.whenOpen<AnkiFieldsDialog>([](AnkiFieldsDialog &dialog) { dialog.accept(); });
    child<QAction>(program.form(), "Importovat1")->trigger();
    program.stop();

    const QString id = QString::fromLatin1(ReadBytes(idFile).trimmed());
    const AnswerLogPart log = ReadAnswerLogFile(
        program.path(QStringLiteral("sync/merko/odpovedi/") + id + QStringLiteral(".log")), 0, 0);
    QSet<QString> dictionaries;
    for (const LoggedAnswer &logged : log.answers)
        dictionaries.insert(logged.answer.dictionary);
    ASSERT_EQ(dictionaries.size(), 2);
    for (const QString &dictionary : dictionaries) {
        int settings = 0;
        for (const LoggedSetting &setting : log.settings) {
            if (setting.setting.dictionary != dictionary)
                continue;
            ++settings;
            for (const LoggedAnswer &logged : log.answers) {
                if (logged.answer.dictionary == dictionary)
                    EXPECT_TRUE(HoldsRecord(setting.setting.context, id, logged.seq))
                        << dictionary.toStdString();
            }
        }
        EXPECT_GT(settings, 0) << dictionary.toStdString();
    }
}

} // namespace
