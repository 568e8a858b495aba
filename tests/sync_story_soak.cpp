// Stories of three computers sharing a dictionary through a synchronised folder, told at random
// from fixed seeds: answers, resets, pairs renamed in the editor, pairs added and counters
// changed by hand, a backup put back, and a modelled sync tool that copies files between the
// computers' views of the folder in any order, some late, making a conflict copy of a file
// changed on two sides. Each computer is the program's own parts (the drill, the dictionary,
// the history, the sync with the folder, the shared dictionary) run in step.
//
// The model keeps, apart from the program, every record each computer made, in order, and what
// each had read of the others when it set counters. At the end every log holds the model's
// records with the contexts it expects, every computer holds the same file and cards, and each
// pair's counters are the setting in force plus every answer it did not know of.
//
// MERKO_SOAK_SEEDS sets how many seeds run (40), MERKO_SOAK_STEPS the steps of each (80).

#include "drill/drill_session.h"
#include "history/history_rows.h"
#include "settings/settings.h"
#include "statistics/reports.h"
#include "sync/conflict_copies.h"
#include "sync/log_transfer.h"
#include "sync/shared_dictionary.h"
#include "vocabulary/vocabulary.h"
#include "vocabulary/vocabulary_file.h"
#include "vocabulary/vocabulary_store.h"
#include "test_support.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <set>

namespace {

const char Lesson[] = "pes / der Hund @ 3, 1, 1, 0\r\n"
                      "kočka / die Katze\r\n"
                      "okno / das Fenster @ 0, 2, 0, 2\r\n"
                      "strom / der Baum\r\n";
const char *const Added[] = {"dům / das Haus", "voda / das Wasser", "chléb / das Brot"};
const QString Name = QStringLiteral("lekce.slv");

qint64 soakNow = 1'800'000'000'000; // the computers' clock: one for all, moved on by the story

// A record a computer made, as the model keeps it.
struct Made
{
    bool setting = false;
    PairText pair;
    int side = 1; // answers: the side offered
    bool wrong = false;
    QHash<QString, qint64> knew;  // settings: the last record read of each other computer
    bool entering = false;        // settings: as the dictionary came into the folder
    std::optional<PairText> from; // settings: the pair renamed to this one
};

// What the model knows of one computer: its records in the order made, and the last record of
// each other computer's log that its last sync read.
struct Knowledge
{
    QList<Made> made;
    QHash<QString, qint64> read;
};

using Files = std::map<QString, QByteArray>;

} // namespace

void PrintTo(const PairText &pair, std::ostream *out)
{
    *out << QStringList{pair.side1, pair.comment1, pair.side2, pair.comment2}
                .join(QLatin1Char('|'))
                .toStdString();
}

namespace {

Files filesOf(const QString &view)
{
    Files files;
    QDirIterator it(view, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files[QDir(view).relativeFilePath(path)] = ReadBytes(path);
    }
    return files;
}

// Written by renaming into place, as sync tools do.
void put(const QString &view, const QString &name, const std::optional<QByteArray> &bytes)
{
    const QString path = QDir(view).filePath(name);
    if (!bytes) {
        QFile::remove(path);
        return;
    }
    QDir().mkpath(QFileInfo(path).path());
    WriteBytes(path + QStringLiteral(".tmp"), *bytes);
    QFile::remove(path);
    QFile::rename(path + QStringLiteral(".tmp"), path);
}

// One of the user's computers: the program's parts over its own data folder and its own view
// of the synchronised folder.
class Computer
{
public:
    Computer(const QString &root, const QString &name)
        : m_data(root + QLatin1Char('/') + name + QStringLiteral("/data"))
        , m_view(root + QLatin1Char('/') + name + QStringLiteral("/sync"))
        , m_history(HistoryFilePath(m_data))
    {
        QDir().mkpath(m_data);
        QDir().mkpath(m_view + QStringLiteral("/merko/odpovedi"));
        QString reason;
        m_id = ComputerId(m_data, &reason);
        EXPECT_TRUE(m_history.ensureOpen());
        m_dictionary.setJournalFolder(m_data + QStringLiteral("/journal"));
        m_dictionary.setSyncFolder(m_view, m_data + QStringLiteral("/locks"));
        m_drill.keepHistory(m_history, [] { return soakNow; });
        m_shared.follow(m_view, m_id, [this] { return ++m_asked; });
    }

    const QString &id() const { return m_id; }
    const QString &view() const { return m_view; }
    QString lesson() const { return m_view + QLatin1Char('/') + Name; }
    ReviewHistory &history() { return m_history; }
    QSqlDatabase database() { return m_history.database(); }

    void open()
    {
        m_dictionary.open(lesson(), CurrentDictionary::Sharing::ShareWithOtherCopies);
        m_drill.restoreUnsavedAnswers();
    }

    // Offers a pair and answers it, right or wrong; what was answered, as the model keeps it.
    std::optional<Made> answer(bool right)
    {
        if (!m_drill.canOffer())
            return std::nullopt;
        m_drill.offerNextPair();
        const int side = m_drill.state().offeredSide;
        const VocabularyEntry entry = m_dictionary.vocabulary().at(m_drill.state().currentPosition);
        const Made made{false, PairTextOf(entry), side, !right, {}, false};
        const Verdict verdict
            = m_drill.checkAnswer(right ? entry.side[3 - side] : QStringLiteral("x"));
        EXPECT_EQ(verdict.correct, right);
        m_shared.syncSoon();
        return made;
    }

    // The sync as the program runs it after an answer or a change in the folder: records
    // given and taken, then the counters the records make written into the file. `heldBack`:
    // the counters reach the window only after whatever comes next (the program computes them
    // on a thread of its own).
    void sync(bool heldBack = false)
    {
        takeHeldBack();
        const quint64 asked = m_asked;
        const SyncRound done = SyncWithFolder(database(), {m_view, m_id}, MemoryModel{});
        EXPECT_TRUE(done.troubles.isEmpty()) << done.troubles.join('\n').toStdString();
        if (done.taken > 0)
            m_drill.historyChanged();
        QString reason;
        auto counters = SharedCountersOf(database(), lesson(), m_id, &reason);
        ASSERT_TRUE(counters) << reason.toStdString();
        counters->recordsCame = done.taken > 0;
        if (heldBack)
            m_heldBack = {*counters, asked};
        else
            m_shared.takeCounters(lesson(), *counters, asked);
    }
    void takeHeldBack()
    {
        if (m_heldBack)
            m_shared.takeCounters(lesson(), m_heldBack->first, m_heldBack->second);
        m_heldBack.reset();
    }

    void reset(bool allPairs, int position)
    {
        Vocabulary &vocabulary = m_dictionary.vocabulary();
        const Vocabulary before = vocabulary;
        if (allPairs)
            ResetAllStatistics(vocabulary);
        else if (position < vocabulary.count())
            SetCounters(vocabulary.entries[position], {});
        m_shared.noteResetCounters(before);
        EXPECT_TRUE(m_dictionary.writeBackAnswers().done());
    }

    // The editor gives a pair's foreign side a new comment, keeping its counters; the pair as
    // it was.
    std::optional<PairText> rename(int position, const QString &comment)
    {
        m_shared.editorOpens(lesson());
        const QString setAside = m_dictionary.setAsideFor(lesson());
        Vocabulary edited;
        ReadVocabularyFile(lesson(), edited);
        std::optional<PairText> renamed;
        if (position < edited.count()) {
            renamed = PairTextOf(edited.entries[position]);
            edited.entries[position].comment[2] = comment;
        }
        WriteVocabularyFile(lesson(), edited);
        m_shared.noteRenamedPairs(lesson());
        m_dictionary.takeBack(setAside);
        open();
        return renamed;
    }

    // The settings noted here since last asked: their pairs and kinds, in the order made.
    QList<std::pair<PairText, bool>> newSettings()
    {
        QList<std::pair<PairText, bool>> found;
        QSqlQuery query(database());
        query.prepare(QStringLiteral("SELECT s.id, p.side1, p.comment1, p.side2, p.comment2,"
                                     " s.entering FROM counter_settings s JOIN pairs p"
                                     " ON p.id = s.pair WHERE s.id > ? AND (s.computer IS NULL"
                                     " OR s.computer = ?) ORDER BY s.id"));
        query.addBindValue(m_lastSetting);
        query.addBindValue(m_id);
        EXPECT_TRUE(query.exec());
        while (query.next()) {
            m_lastSetting = query.value(0).toLongLong();
            found.append({{query.value(1).toString(), query.value(2).toString(),
                           query.value(3).toString(), query.value(4).toString()},
                          query.value(5).toBool()});
        }
        return found;
    }

private:
    QString m_data;
    QString m_view;
    QString m_id;
    ReviewHistory m_history;
    CurrentDictionary m_dictionary;
    Settings m_settings;
    DrillSession m_drill{m_dictionary, m_settings};
    SharedDictionary m_shared{m_dictionary, m_history, [] {
                                  return soakNow;
                              }};
    quint64 m_asked = 0;
    qint64 m_lastSetting = 0;
    std::optional<std::pair<DictionaryCounters, quint64>> m_heldBack;
};

// A sync tool between views, which knows each file's versions as a sync tool does: a file
// changed on one side since the version the other holds goes to the other; one changed on both
// keeps one side's, the other becoming a conflict copy; a file removed where it was current is
// removed on the other side.
class SyncTool
{
public:
    explicit SyncTool(QRandomGenerator &random)
        : m_random(random)
    {}

    void sync(const QString &a, const QString &b, double share)
    {
        observe(a);
        observe(b);
        std::set<QString> names;
        for (const QString &view : {a, b})
            for (const auto &[name, version] : m_versions[view])
                names.insert(name);
        for (const QString &name : names) {
            if (m_random.generateDouble() > share)
                continue;
            Version &inA = m_versions[a][name];
            Version &inB = m_versions[b][name];
            if (inA.bytes == inB.bytes)
                continue;
            if (inB.follows(inA)) {
                put(a, name, inB.bytes);
                inA = inB;
            } else if (inA.follows(inB)) {
                put(b, name, inA.bytes);
                inB = inA;
            } else {
                const bool aWins = m_random.bounded(2) == 0;
                const Version &winner = aWins ? inA : inB;
                const Version &loser = aWins ? inB : inA;
                if (loser.bytes) {
                    const QString copy = QFileInfo(name).completeBaseName()
                                         + QStringLiteral(".sync-conflict-20261209-%1-SOAKTST.")
                                               .arg(++m_conflicts, 6, 10, QLatin1Char('0'))
                                         + QFileInfo(name).suffix();
                    for (const QString &view : {a, b}) {
                        put(view, copy, loser.bytes);
                        m_versions[view][copy] = {loser.bytes, {std::nullopt}};
                    }
                }
                Version merged{winner.bytes, inA.before};
                merged.before.insert(inB.before.cbegin(), inB.before.cend());
                merged.before.insert(inA.bytes);
                merged.before.insert(inB.bytes);
                merged.before.erase(winner.bytes);
                put(aWins ? b : a, name, winner.bytes);
                inA = merged;
                inB = merged;
            }
        }
    }

private:
    struct Version
    {
        std::optional<QByteArray> bytes;            // none: removed
        std::set<std::optional<QByteArray>> before; // the versions it came from
        bool follows(const Version &other) const { return before.count(other.bytes) > 0; }
    };

    // A file changed in the view since the tool last looked comes from the version it saw.
    void observe(const QString &view)
    {
        auto &versions = m_versions[view];
        const Files files = filesOf(view);
        for (auto &[name, version] : versions) {
            const auto now = files.count(name) ? std::optional(files.at(name)) : std::nullopt;
            if (now != version.bytes) {
                version.before.insert(version.bytes);
                version.bytes = now;
            }
        }
        for (const auto &[name, bytes] : files)
            if (!versions.count(name) && !name.endsWith(QStringLiteral(".tmp")))
                versions[name] = {bytes, {std::nullopt}};
    }

    QRandomGenerator &m_random;
    std::map<QString, std::map<QString, Version>> m_versions; // by view, then file
    int m_conflicts = 0;
};

// The last record of each other computer's log in the view.
QHash<QString, qint64> readableIn(const Computer &computer)
{
    QHash<QString, qint64> last;
    const QString logs = computer.view() + QStringLiteral("/merko/odpovedi");
    for (const QString &file : QDir(logs).entryList({QStringLiteral("*.log")})) {
        const QString id = QFileInfo(file).completeBaseName();
        if (id != computer.id())
            last.insert(id, ReadAnswerLogFile(logs + '/' + file, 0, 0).lastSeq);
    }
    return last;
}

struct ModelSetting
{
    QString computer;
    qint64 seq = 0;
    qint64 atMs = 0;
    Counters counters{};
    RecordSet knew; // as logged, with its own computer's records before it
    bool entering = false;
};

struct ModelAnswer
{
    QString computer;
    qint64 seq = 0;
    int side = 1;
    bool wrong = false;
};

// Each answer on the pair counted once, after the setting in force: one that no other setting
// knew of; of several, a user's over one the dictionary came in with, the user's latest, or
// the first that the dictionary came in with.
Counters expectedCounters(const QList<ModelSetting> &settings, const QList<ModelAnswer> &answers)
{
    const auto knows = [](const ModelSetting &one, const QString &computer, qint64 seq) {
        return one.knew.value(computer).contains(seq);
    };
    const ModelSetting *inForce = nullptr;
    for (const ModelSetting &setting : settings) {
        bool superseded = false;
        for (const ModelSetting &other : settings)
            superseded
                = superseded || (&other != &setting && knows(other, setting.computer, setting.seq));
        if (superseded)
            continue;
        const auto key = std::tuple(setting.atMs, setting.computer, setting.seq);
        if (!inForce || (inForce->entering && !setting.entering))
            inForce = &setting;
        else if (setting.entering == inForce->entering) {
            const auto other = std::tuple(inForce->atMs, inForce->computer, inForce->seq);
            if (setting.entering ? key < other : key > other)
                inForce = &setting;
        }
    }
    Counters counters = inForce ? inForce->counters : Counters{};
    for (const ModelAnswer &answer : answers) {
        if (inForce && knows(*inForce, answer.computer, answer.seq))
            continue;
        ++counters[answer.side - 1];
        if (answer.wrong)
            ++counters[answer.side + 1];
    }
    return counters;
}

int envOr(const char *name, int fallback)
{
    const int value = qEnvironmentVariableIntValue(name);
    return value > 0 ? value : fallback;
}

class SyncStory : public testing::TestWithParam<int>
{
protected:
    void SetUp() override
    {
        soakNow = 1'800'000'000'000;
        for (const char *name : {"a", "b", "c"}) {
            computers.push_back(std::make_unique<Computer>(root.path(), QLatin1String(name)));
            PutInFolder(computers.back()->view(), Name, Cp1250(Lesson));
            computers.back()->open();
        }
    }

    // Settings the program noted on a computer join its records, with what it had read.
    void noteSettings(Computer &computer, std::optional<PairText> from = {})
    {
        Knowledge &known = model[computer.id()];
        for (const auto &[pair, entering] : computer.newSettings())
            known.made.append({true, pair, 1, false, known.read, entering, from});
    }

    void sync(Computer &computer, bool heldBack = false)
    {
        model[computer.id()].read = readableIn(computer);
        computer.sync(heldBack);
        noteSettings(computer);
    }

    // One step of the story, drawn at random: answers, syncs of the program and of the sync
    // tool, resets, renames, edits by hand, a backup put back, a dictionary opened again.
    void takeStep()
    {
        soakNow += random.bounded(1, 40) * 3'600'000LL;
        const int what = random.bounded(100);
        const int at = random.bounded(3);
        Computer &computer = *computers[std::size_t(at)];
        const QString who = QString::number(at);
        if (what < 30) {
            const int count = random.bounded(1, 4);
            for (int i = 0; i < count; ++i)
                if (const auto made = computer.answer(random.bounded(3) > 0))
                    model[computer.id()].made.append(*made);
            story << QStringLiteral("answer%1x%2").arg(who).arg(count);
            if (random.bounded(2))
                sync(computer);
        } else if (what < 45) {
            const bool heldBack = random.bounded(3) == 0;
            sync(computer, heldBack);
            story << QStringLiteral("sync%1%2").arg(who, heldBack ? "late" : "");
        } else if (what < 65) {
            const int other = (at + random.bounded(1, 3)) % 3;
            const double share = random.bounded(2) ? 1.0 : 0.5;
            tool.sync(computer.view(), computers[std::size_t(other)]->view(), share);
            story << QStringLiteral("sync%1%2/%3").arg(who).arg(other).arg(share);
        } else if (what < 71) {
            const bool all = random.bounded(2);
            computer.reset(all, random.bounded(4));
            noteSettings(computer);
            story << QStringLiteral("reset%1%2").arg(who, all ? "all" : "one");
        } else if (what < 76) {
            if (qEnvironmentVariableIsSet("VERBOSE"))
                std::cerr << "before rename" << at << ":\n"
                          << ReadBytes(computer.lesson()).toStdString();
            const auto renamed
                = computer.rename(random.bounded(4), QStringLiteral("v%1").arg(++renames));
            if (qEnvironmentVariableIsSet("VERBOSE"))
                std::cerr << "after:\n" << ReadBytes(computer.lesson()).toStdString();
            noteSettings(computer, renamed);
            story << QStringLiteral("rename%1").arg(who);
        } else if (what < 82) {
            editByHand(computer, who);
        } else if (what < 88) {
            if (!backup) {
                backup = {at, ReadBytes(computer.lesson())};
                story << QStringLiteral("backup%1").arg(who);
            } else {
                put(computers[std::size_t(backup->first)]->view(), Name, backup->second);
                story << QStringLiteral("putback%1").arg(backup->first);
                backup.reset();
            }
        } else {
            computer.open();
            story << QStringLiteral("reopen%1").arg(who);
        }
    }

    // By hand in a text editor: a pair added, or a pair's counters changed.
    void editByHand(Computer &computer, const QString &who)
    {
        Vocabulary edited = ParseVocabularyFile(ReadBytes(computer.lesson()), computer.lesson());
        if (added < 3 && random.bounded(2)) {
            edited.entries.append(ParseVocabularyLine(U(Added[added++]), false).entry);
            story << QStringLiteral("add%1").arg(who);
        } else {
            SetCounters(edited.entries[random.bounded(edited.count())], {9, 9, 9, 9});
            story << QStringLiteral("counters%1").arg(who);
        }
        WriteBytes(computer.lesson(), FormatVocabularyFile(edited));
    }

    // Every computer reads everything and writes what it reads, until they agree.
    void converge()
    {
        for (int round = 0; round < 4; ++round) {
            for (int a = 0; a < 3; ++a) {
                for (int b = a + 1; b < 3; ++b)
                    tool.sync(computers[std::size_t(a)]->view(), computers[std::size_t(b)]->view(),
                              1);
            }
            for (auto &computer : computers)
                sync(*computer);
        }
        for (int a = 0; a < 3; ++a)
            for (int b = a + 1; b < 3; ++b)
                tool.sync(computers[std::size_t(a)]->view(), computers[std::size_t(b)]->view(), 1);
    }

    // The logs hold the model's records in order. A setting knows its own computer's records
    // before it, and of the others no more than its computer had read. The settings and answers
    // are gathered by pair.
    void checkLogs()
    {
        for (auto &computer : computers) {
            const Knowledge &known = model[computer->id()];
            const AnswerLogPart log = ReadAnswerLogFile(
                computer->view() + "/merko/odpovedi/" + computer->id() + ".log", 0, 0);
            if (qEnvironmentVariableIsSet("VERBOSE"))
                std::cerr << "LOG " << computer->id().toStdString() << "\n"
                          << ReadBytes(computer->view() + "/merko/odpovedi/" + computer->id()
                                       + ".log")
                                 .toStdString();
            ASSERT_EQ(log.answers.size() + log.settings.size(), known.made.size()) << told;
            auto answer = log.answers.cbegin();
            auto setting = log.settings.cbegin();
            for (qsizetype seq = 1; seq <= known.made.size(); ++seq) {
                const Made &made = known.made.at(seq - 1);
                if (made.setting) {
                    ASSERT_TRUE(setting != log.settings.cend() && setting->seq == seq) << told;
                    const CounterSetting &logged = setting->setting;
                    EXPECT_EQ(logged.pair, made.pair) << told;
                    EXPECT_EQ(logged.entering, made.entering) << told;
                    EXPECT_EQ(logged.context.value(computer->id()),
                              seq > 1 ? NumberRanges::span(1, seq - 1) : NumberRanges())
                        << "setting " << seq << ": " << told;
                    for (auto other = logged.context.cbegin(); other != logged.context.cend();
                         ++other)
                        if (other.key() != computer->id())
                            EXPECT_EQ(
                                other->minus(NumberRanges::span(1, made.knew.value(other.key()))),
                                NumberRanges())
                                << "setting " << seq << " knew no more than was read: " << told;
                    const ModelSetting kept{computer->id(), seq,
                                            logged.atMs,    logged.counters,
                                            logged.context, logged.entering};
                    settings[made.pair].append(kept);
                    if (made.from)
                        renamedPairs.append({kept, *made.from});
                    ++setting;
                } else {
                    ASSERT_TRUE(answer != log.answers.cend() && answer->seq == seq) << told;
                    EXPECT_EQ(answer->answer.card.pair, made.pair) << told;
                    EXPECT_EQ(answer->answer.card.offeredSide, made.side) << told;
                    EXPECT_EQ(answer->answer.grade == Grade::Again, made.wrong) << told;
                    answers[made.pair].append({computer->id(), seq, made.side, made.wrong});
                    ++answersGiven;
                    ++answer;
                }
            }
        }
    }

    void checkRenamedPairs()
    {
        // A renamed pair carries the counters that the records its setting knew of gave the old one
        // (before the dictionary came into the folder, the file's own).
        for (const auto &[renamed, old] : renamedPairs) {
            bool cameIn = false;
            for (const QList<ModelSetting> &ofPair : std::as_const(settings))
                for (const ModelSetting &setting : ofPair)
                    cameIn = cameIn
                             || (setting.entering
                                 && renamed.knew.value(setting.computer).contains(setting.seq));
            if (!cameIn)
                continue;
            QList<ModelSetting> knownSettings;
            for (const ModelSetting &setting : settings.value(old))
                if (renamed.knew.value(setting.computer).contains(setting.seq))
                    knownSettings.append(setting);
            QList<ModelAnswer> knownAnswers;
            for (const ModelAnswer &answer : answers.value(old))
                if (renamed.knew.value(answer.computer).contains(answer.seq))
                    knownAnswers.append(answer);
            EXPECT_EQ(renamed.counters, expectedCounters(knownSettings, knownAnswers))
                << "renamed from " << old.side1.toStdString() << " by setting " << renamed.seq
                << ": " << told;
        }
    }

    void checkComputersAgree()
    {
        // Every computer holds the same file, no copy beside it, and every answer in its history.
        const QByteArray file = ReadBytes(computers[0]->lesson());
        QStringList cards;
        for (auto &computer : computers) {
            EXPECT_EQ(ReadBytes(computer->lesson()), file) << told;
            EXPECT_TRUE(ConflictCopies(computer->lesson()).isEmpty()) << told;
            EXPECT_EQ(computer->history().answerCount(), answersGiven) << told;
            const QStringList held = queryRows(
                computer->database(),
                QStringLiteral("SELECT side1, comment1, side2, comment2, direction, stability,"
                               " difficulty, last_review_ms, reviews, lapses FROM cards"
                               " ORDER BY 1, 2, 3, 4, 5"));
            if (&computer == &computers.front())
                cards = held;
            else
                EXPECT_EQ(held, cards) << "the cards agree: " << told;
        }
        // Each pair's counters are the model's.
        const Vocabulary shared = ParseVocabularyFile(file, computers[0]->lesson());
        QSet<QString> seen;
        for (const VocabularyEntry &entry : shared.entries) {
            if (seen.contains(PairKey(entry)))
                continue;
            seen.insert(PairKey(entry));
            const PairText pair = PairTextOf(entry);
            EXPECT_EQ(CountersOf(entry),
                      expectedCounters(settings.value(pair), answers.value(pair)))
                << pair.side1.toStdString() << " / " << pair.side2.toStdString() << " "
                << pair.comment2.toStdString() << ": " << told;
        }
    }

    QRandomGenerator random{quint32(GetParam())};
    QTemporaryDir root;
    std::vector<std::unique_ptr<Computer>> computers;
    SyncTool tool{random};
    std::map<QString, Knowledge> model;
    QStringList story;
    std::optional<std::pair<int, QByteArray>> backup;
    int renames = 0;
    int added = 0;
    std::string told; // the story, for every failure
    // From the logs, by pair.
    QHash<PairText, QList<ModelSetting>> settings;
    QHash<PairText, QList<ModelAnswer>> answers;
    QList<std::pair<ModelSetting, PairText>> renamedPairs; // with the pair renamed
    int answersGiven = 0;
};

TEST_P(SyncStory, EveryPairCountsEachAnswerOnceSinceTheSettingThatKnewOfIt)
{
    const int steps = envOr("MERKO_SOAK_STEPS", 80);
    for (int step = 0; step < steps; ++step)
        takeStep();
    converge();
    told = story.join(' ').toStdString();
    checkLogs();
    if (HasFatalFailure())
        return;
    checkRenamedPairs();
    checkComputersAgree();
}

INSTANTIATE_TEST_SUITE_P(Seeds, SyncStory, testing::Range(1, 1 + envOr("MERKO_SOAK_SEEDS", 40)));

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
