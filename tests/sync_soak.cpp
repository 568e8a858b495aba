// A soak run of the synchronised folder, not part of the suite: two computers, each the program
// with its own data folder and its own view of the shared folder, answer, stop and start at
// random, and a modelled sync tool copies the files between the views (all, or some of them),
// making a conflict copy of a file changed on both sides and none of one changed alike. At the
// end every computer's history and the dictionary's counters are to hold every answer once.
// Run: merko_sync_soak [--gtest_filter=Seeds/SyncSoak.CountersEqualAnswers/N]; STEPS sets the
// steps of a run (40), VERBOSE prints the folders after every step and the logs' records,
// LATE delivers a dictionary now and then as if it came long after it was written.
#include "app/application.h"
#include "drill/drill_window.h"
#include "sync/log_transfer.h"
#include "sync/answer_log.h"
#include "core/text_file.h"
#include "test_support.h"
#include "vocabulary/vocabulary_file.h"
#include "window_support.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <iostream>
#include <map>
#include <set>
#include <optional>

namespace {

const char Lesson[] = "pes / der Hund\r\nkočka / die Katze\r\nokno / das Fenster\r\n";

using Files = std::map<QString, QByteArray>;

Files filesOf(const QString &root)
{
    Files files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString rel = QDir(root).relativeFilePath(path);
        if (rel.contains(QStringLiteral(".lock")) || rel.contains(QStringLiteral("computer-id")))
            continue;
        QFile f(path);
        if (f.open(QIODevice::ReadOnly))
            files[rel] = f.readAll();
    }
    return files;
}

// `late`: the file comes long after it was written (sync tools keep a file's time), perhaps
// before the log that names it.
void put(const QString &root, const QString &rel, const std::optional<QByteArray> &content,
         bool late = false)
{
    const QString path = QDir(root).filePath(rel);
    if (!content) {
        QFile::remove(path);
        return;
    }
    QDir().mkpath(QFileInfo(path).path());
    // renamed into place, as sync tools do
    const QString temp = path + QStringLiteral(".syncthing.tmp");
    WriteBytes(temp, *content);
    if (late)
        SetWrittenBefore(temp, 3600);
    QFile::remove(path);
    QFile::rename(temp, path);
}

struct SyncModel
{
    QString a, b;
    std::map<QString, std::optional<QByteArray>> base;
    int conflicts = 0;
    QRandomGenerator *random;
    // LATE: now and then a dictionary comes as if long after it was written.
    bool lateFiles = qEnvironmentVariableIsSet("LATE");

    void sync(double share)
    {
        Files fa = filesOf(a), fb = filesOf(b);
        std::set<QString> names;
        for (auto &[n, c] : fa)
            names.insert(n);
        for (auto &[n, c] : fb)
            names.insert(n);
        for (auto &[n, c] : base)
            names.insert(n);
        for (const QString &name : names) {
            if (random->generateDouble() > share)
                continue;
            std::optional<QByteArray> ca, cb, cbase;
            if (fa.count(name))
                ca = fa[name];
            if (fb.count(name))
                cb = fb[name];
            if (base.count(name))
                cbase = base[name];
            if (ca == cb) {
                base[name] = ca;
                continue;
            }
            const bool late
                = lateFiles && name.endsWith(QStringLiteral(".slv")) && random->bounded(3) == 0;
            if (ca == cbase) {
                put(a, name, cb, late);
                base[name] = cb;
            } else if (cb == cbase) {
                put(b, name, ca, late);
                base[name] = ca;
            } else if (!ca || !cb) {
                const auto kept = ca ? ca : cb;
                put(a, name, kept);
                put(b, name, kept);
                base[name] = kept;
            } else {
                // both changed: one wins, the other becomes a conflict copy on both sides
                const bool aWins = random->bounded(2) == 0;
                const QByteArray winner = aWins ? *ca : *cb;
                const QByteArray loser = aWins ? *cb : *ca;
                const QString copy = QFileInfo(name).completeBaseName()
                                     + QStringLiteral(".sync-conflict-20261207-1015%1-ABCDEFG.")
                                           .arg(++conflicts, 2, 10, QLatin1Char('0'))
                                     + QFileInfo(name).suffix();
                put(a, name, winner);
                put(b, name, winner);
                put(a, copy, loser);
                put(b, copy, loser);
                base[name] = winner;
                base[copy] = loser;
            }
        }
    }
};

std::pair<int, int> counted(const QString &dictionary)
{
    if (!QFile::exists(dictionary))
        return {-1, -1};
    const Vocabulary vocabulary = ParseVocabularyFile(ReadBytes(dictionary), dictionary);
    int offers = 0, errors = 0;
    for (const VocabularyEntry &entry : vocabulary.entries) {
        offers += entry.offers[1] + entry.offers[2];
        errors += entry.errors[1] + entry.errors[2];
    }
    return {offers, errors};
}

QString expected(const QString &offered)
{
    static const std::map<QString, QString> pairs = {
        {QStringLiteral("pes"), QStringLiteral("der Hund")},
        {U("kočka"), QStringLiteral("die Katze")},
        {QStringLiteral("okno"), QStringLiteral("das Fenster")},
    };
    for (auto &[cz, de] : pairs) {
        if (offered == cz)
            return de;
        if (offered == de)
            return cz;
    }
    return QStringLiteral("?");
}

// Each view: the dictionary's counters, then its files (a dictionary with its version).
std::string describe(const QString &fa, const QString &fb)
{
    QStringList names;
    for (const QString &f : {fa, fb}) {
        const auto c = counted(f + "/lekce.slv");
        names << QStringLiteral("[%1,%2]").arg(c.first).arg(c.second);
        for (auto &[n, content] : filesOf(f))
            names << n.section('/', -1).left(12)
                         + (n.endsWith(".slv")
                                ? "=" + QString::fromLatin1(ContentVersion(content).left(6))
                                : QString());
        names << "|";
    }
    return names.join(' ').toStdString();
}

class SyncSoak : public testing::TestWithParam<int>
{
protected:
    void SetUp() override
    {
        QDir().mkpath(fa + "/merko/odpovedi");
        QDir().mkpath(fb + "/merko/odpovedi");
        // The lesson was put into the folder before.
        for (const QString &f : {fa, fb})
            PutInFolder(f, QStringLiteral("lekce.slv"), Cp1250(Lesson));
        model.base["lekce.slv"] = Cp1250(Lesson);
    }

    void startOn(int i)
    {
        computers[i].startNaming(
            folders[i] + "/lekce.slv",
            ("Cetnost=3\r\nSyncSlozka=" + folders[i].toUtf8() + "\r\n").constData());
        running[i] = true;
        QTest::qWait(300);
    }

    void stopOn(int i)
    {
        computers[i].stop();
        running[i] = false;
    }

    // One step drawn at random: answers on a computer (started if need be), a computer
    // stopped, or the sync tool's exchange of some or all files.
    void takeStep()
    {
        const int what = random.bounded(10);
        const int i = random.bounded(2);
        if (what < 4) {
            if (!running[i]) {
                startOn(i);
                trace << QStringLiteral("start%1").arg(i);
            }
            const int n = 1 + random.bounded(3);
            for (int k = 0; k < n; ++k) {
                const QString offered = child<QLineEdit>(computers[i].form(), "Edit1")->text();
                const bool right = random.bounded(2) == 0;
                computers[i].answer(right ? expected(offered) : QStringLiteral("x"));
                ++given;
                if (!right)
                    ++wrong;
            }
            trace << QStringLiteral("answer%1x%2").arg(i).arg(n);
        } else if (what < 6) {
            if (running[i]) {
                stopOn(i);
                trace << QStringLiteral("stop%1").arg(i);
            }
        } else {
            const double share = what < 8 ? 1.0 : 0.5;
            model.sync(share);
            trace << QStringLiteral("sync%1").arg(share);
            QTest::qWait(200);
        }
        if (qEnvironmentVariableIsSet("VERBOSE") && !trace.isEmpty()) // a step may do nothing
            std::cerr << trace.last().toStdString() << " given " << given << "/" << wrong << "  "
                      << describe(fa, fb) << "\n";
    }

    // Both stopped, then rounds of full sync and a start and stop of each.
    void converge()
    {
        for (int i = 0; i < 2; ++i)
            if (running[i])
                stopOn(i);
        for (int round = 0; round < 6; ++round) {
            model.sync(1.0);
            for (int i = 0; i < 2; ++i) {
                startOn(i);
                QTest::qWait(1500);
                stopOn(i);
                model.sync(1.0);
                if (qEnvironmentVariableIsSet("VERBOSE"))
                    std::cerr << "round " << round << " computer " << i << "  " << describe(fa, fb)
                              << "\n";
            }
        }
    }

    void tellLogs()
    {
        if (qEnvironmentVariableIsSet("VERBOSE")) {
            for (const QString &log : QDir(fa + "/merko/odpovedi").entryList({"*.log"})) {
                const AnswerLogPart part = ReadAnswerLogFile(fa + "/merko/odpovedi/" + log, 0, 0);
                std::cerr << "log " << log.left(4).toStdString() << ": " << part.answers.size()
                          << " answers\n";
                std::cerr << "   settings: " << part.settings.size() << "\n";
            }
        }
    }

    QRandomGenerator random{quint32(GetParam())};
    QTemporaryDir root;
    const QString fa = root.path() + "/a";
    const QString fb = root.path() + "/b";
    SyncModel model{fa, fb, {}, 0, &random};
    RunningProgram computers[2];
    const QString folders[2] = {fa, fb};
    bool running[2] = {false, false};
    int given = 0;
    int wrong = 0;
    QStringList trace;
};

TEST_P(SyncSoak, CountersEqualAnswers)
{
    const int steps
        = qEnvironmentVariableIntValue("STEPS") ? qEnvironmentVariableIntValue("STEPS") : 40;
    for (int step = 0; step < steps; ++step)
        takeStep();
    converge();
    tellLogs();
    const Files left = filesOf(fa);
    QStringList names;
    for (auto &[n, c] : left)
        names << n;
    const QString story = trace.join(' ') + "\nfiles: " + names.join(' ');
    EXPECT_EQ(counted(fa + "/lekce.slv"), std::make_pair(given, wrong)) << story.toStdString();
    EXPECT_EQ(counted(fb + "/lekce.slv"), std::make_pair(given, wrong)) << story.toStdString();
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(queryValue(computers[i].path("data/history.sqlite"),
                             QStringLiteral("SELECT count(*) FROM reviews"))
                      .toInt(),
                  given)
            << i;
        for (const auto &asked : computers[i].prompts.asked)
            std::cerr << i << " " << asked.kind.toStdString() << ": " << asked.text.toStdString()
                      << "\n";
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, SyncSoak, testing::Range(1, 41));

} // namespace
