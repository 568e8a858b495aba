#include "conflict_copies.h"

#include "vocabulary_store.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <limits>

namespace {

// A name taken apart at its last dot: "lekce" and ".slv"; a name without one has no suffix.
std::pair<QString, QString> stemAndSuffix(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0)
        return {name, QString()};
    return {name.left(dot), name.mid(dot)};
}

void countOne(qint32 &counter)
{
    if (counter < std::numeric_limits<qint32>::max())
        ++counter;
}

} // namespace

bool IsConflictCopyName(const QString &copyName, const QString &originalName)
{
    const auto [stem, suffix] = stemAndSuffix(originalName);
    const QString start = QRegularExpression::escape(stem);
    const QString end = QRegularExpression::escape(suffix);
    static const QString syncthing = QStringLiteral("\\.sync-conflict-\\d{8}-\\d{6}-[A-Z0-9]{7}");
    static const QString copied = QStringLiteral(
        " \\((?:[^()]*'s )?conflicted copy \\d{4}-\\d{2}-\\d{2}(?: \\d{6})?\\)(?: \\(\\d+\\))?");
    const QRegularExpression pattern(QStringLiteral("^") + start + QStringLiteral("(?:") + syncthing
                                     + QLatin1Char('|') + copied + QStringLiteral(")") + end
                                     + QStringLiteral("$"));
    return pattern.match(copyName).hasMatch();
}

QStringList ConflictCopies(const QString &dictionaryPath)
{
    const QFileInfo dictionary(dictionaryPath);
    const auto [stem, suffix] = stemAndSuffix(dictionary.fileName());
    QStringList copies;
    const QDir folder = dictionary.absoluteDir();
    for (const QString &name :
         folder.entryList({stem + QLatin1Char('*')}, QDir::Files, QDir::Name)) {
        if (IsConflictCopyName(name, dictionary.fileName()))
            copies.append(folder.filePath(name));
    }
    return copies;
}

QByteArray EncodedCounts(const IncludedAnswers &counts)
{
    QStringList computers = counts.keys();
    computers.sort();
    QByteArray text;
    for (const QString &computer : computers) {
        const NumberRanges &answers = counts.value(computer);
        if (answers.isEmpty())
            continue;
        if (!text.isEmpty())
            text += ',';
        text += computer.toUtf8() + ':' + answers.encoded();
    }
    return text;
}

std::optional<IncludedAnswers> DecodedCounts(QByteArrayView text)
{
    IncludedAnswers counts;
    if (text.isEmpty())
        return counts;
    for (const QByteArray &item : text.toByteArray().split(',')) {
        const qsizetype colon = item.lastIndexOf(':');
        if (colon <= 0)
            return std::nullopt;
        const auto answers = NumberRanges::decoded(QByteArrayView(item).sliced(colon + 1));
        if (!answers)
            return std::nullopt;
        if (!answers->isEmpty())
            counts.insert(QString::fromUtf8(item.first(colon)), *answers);
    }
    return counts;
}

IncludedAnswers CountedByOneWriter(const QMultiHash<QString, IncludedAnswers> &writers)
{
    if (writers.isEmpty())
        return {};
    const QList<QString> names = writers.uniqueKeys();
    const QString first = *std::min_element(names.cbegin(), names.cend());
    const QList<IncludedAnswers> words = writers.values(first);
    return *std::min_element(words.cbegin(), words.cend(),
                             [](const IncludedAnswers &one, const IncludedAnswers &other) {
                                 return EncodedCounts(one) < EncodedCounts(other);
                             });
}

IncludedAnswers UnitedCounts(const QList<IncludedAnswers> &counts)
{
    IncludedAnswers united;
    for (const IncludedAnswers &one : counts) {
        for (auto entry = one.cbegin(); entry != one.cend(); ++entry)
            united[entry.key()].unite(entry.value());
    }
    return united;
}

IncludedAnswers CountsBeyond(const IncludedAnswers &counts, const IncludedAnswers &than)
{
    IncludedAnswers beyond;
    for (auto entry = counts.cbegin(); entry != counts.cend(); ++entry) {
        const NumberRanges more = entry.value().minus(than.value(entry.key()));
        if (!more.isEmpty())
            beyond.insert(entry.key(), more);
    }
    return beyond;
}

VersionMerge MergeConflictCopy(
    Vocabulary &dictionary, const IncludedAnswers &dictionaryIncludes, const Vocabulary &copy,
    const IncludedAnswers &copyIncludes,
    const std::function<QList<CountedAnswer>(const QString &computer, qint64 after, qint64 upTo)>
        &answersOf)
{
    VersionMerge merge;
    const IncludedAnswers missing = CountsBeyond(copyIncludes, dictionaryIncludes);
    merge.included = UnitedCounts({dictionaryIncludes, missing});
    QHash<QString, int> positions; // the first pair of each text
    for (int position = dictionary.count(); position >= 1; --position)
        positions.insert(PairKey(dictionary.at(position)), position);

    // What the copy counted beyond the dictionary, on the pairs the dictionary has.
    for (auto computer = missing.cbegin(); computer != missing.cend(); ++computer) {
        for (const NumberRanges::Run &run : computer.value().runs()) {
            for (const CountedAnswer &answer : answersOf(computer.key(), run.first - 1, run.last)) {
                const int position = positions.value(PairKey(answer.pair), 0);
                if (position == 0)
                    continue; // a pair the dictionary lacks comes with the copy's own counters
                VocabularyEntry &entry = dictionary.at(position);
                countOne(entry.offers[answer.offeredSide]);
                if (answer.wrong)
                    countOne(entry.errors[answer.offeredSide]);
                ++merge.answersAdded;
            }
        }
    }
    // Pairs added, or edited, on the other computer.
    for (const VocabularyEntry &entry : copy.entries) {
        const QString key = PairKey(entry);
        if (positions.contains(key))
            continue;
        if (dictionary.count() >= Vocabulary::Capacity) {
            ++merge.pairsLeft;
            continue;
        }
        dictionary.entries.append(entry);
        positions.insert(key, dictionary.count());
        ++merge.pairsAdded;
    }
    return merge;
}
