#include "anki_import.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>

#include <algorithm>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(AnkiImport)
};

constexpr int excerptLength = 30;

// The pairs of one deck while they are gathered, with the answers on them.
struct DeckPairs
{
    ImportResult content;
    QList<AnkiAnswer> answers;
};

// Whether a review is one of the learning: a grade given, not a change of the schedule by
// hand, nor a review in a filtered deck that left the schedule as it was.
bool changedSchedule(const AnkiReview &review)
{
    if (review.ease < 1 || review.ease > 4)
        return false;
    switch (review.type) {
    case 0:
    case 1:
    case 2:
        return true;
    case 3:
        return review.factor != 0;
    default:
        return false;
    }
}

QString excerpt(const QString &text)
{
    return text.size() > excerptLength ? text.left(excerptLength) + Texts::tr("…") : text;
}

} // namespace

QString AnkiFieldText(const QString &field)
{
    static const QRegularExpression sounds(QStringLiteral("\\[sound:[^\\]]*\\]"));
    static const QRegularExpression blocks(QStringLiteral("<\\s*(div|p|li|tr|td|h[1-6])\\b[^>]*>"),
                                           QRegularExpression::CaseInsensitiveOption);
    // A reading in brackets after the word it reads, the blank before the word only marking
    // where the word begins: " 毎朝[まいあさ]". Brackets holding plain ASCII are left alone.
    static const QRegularExpression furigana(
        QStringLiteral(" ?([^ >\\[\\]]+?)\\[[^\\]\\x{0}-\\x{7f}][^\\]]*\\]"));
    static const QRegularExpression whiteSpace(QStringLiteral("\\s+"));
    QString text = field;
    text.remove(sounds);
    text.replace(blocks, QStringLiteral(" "));
    text = PlainTextOfHtml(text);
    text.replace(furigana, QStringLiteral("\\1"));
    text.replace(whiteSpace, QStringLiteral(" "));
    return text.trimmed();
}

bool IsClozeField(const QString &field)
{
    static const QRegularExpression cloze(QStringLiteral("\\{\\{c\\d+::"));
    return cloze.match(field).hasMatch();
}

namespace {

bool isCloze(const AnkiNoteType *type, const AnkiNote &note)
{
    return (type && type->cloze)
           || std::any_of(note.fields.cbegin(), note.fields.cend(), IsClozeField);
}

} // namespace

QList<AnkiTypeToChoose> AnkiTypesToChoose(const AnkiCollection &collection)
{
    QList<AnkiTypeToChoose> types;
    QSet<qint64> seen;
    for (const AnkiNote &note : collection.notes) {
        if (seen.contains(note.typeId))
            continue;
        const auto type = std::find_if(collection.noteTypes.cbegin(), collection.noteTypes.cend(),
                                       [&](const AnkiNoteType &t) { return t.id == note.typeId; });
        if (type == collection.noteTypes.cend() || isCloze(&*type, note))
            continue;
        seen.insert(note.typeId);
        if (type->fields.size() > 2)
            types.append({*type, note});
    }
    return types;
}

AnkiImport BuildAnkiImport(const AnkiCollection &collection, const AnkiFieldChoices &choices,
                           const QString &packageTitle)
{
    AnkiImport import;
    QHash<qint64, const AnkiNoteType *> types;
    for (const AnkiNoteType &type : collection.noteTypes)
        types.insert(type.id, &type);
    QHash<qint64, const AnkiCard *> cards;
    // A note belongs to the deck of its first card.
    QHash<qint64, std::pair<int, qint64>> firstCard;
    for (const AnkiCard &card : collection.cards) {
        cards.insert(card.id, &card);
        const auto found = firstCard.find(card.noteId);
        if (found == firstCard.end() || card.templateIndex < found->first)
            firstCard.insert(card.noteId, {card.templateIndex, card.deckId});
    }

    QMap<QString, DeckPairs> decks; // by full name, so in the order of the names
    QHash<qint64, std::pair<DeckPairs *, int>> pairOfNote;
    int number = 0;
    for (const AnkiNote &note : collection.notes) {
        ++number;
        const AnkiNoteType *type = types.value(note.typeId);
        if (isCloze(type, note)) {
            ++import.clozeNotes;
            continue;
        }
        const auto deck = firstCard.constFind(note.id);
        const QString deckName = deck == firstCard.cend()
                                     ? packageTitle
                                     : collection.decks.value(deck->second, packageTitle);
        DeckPairs &pairs = decks[deckName];
        const AnkiFieldChoice choice = choices.value(note.typeId);
        const auto field = [&](int index) {
            return index >= 0 && index < note.fields.size() ? AnkiFieldText(note.fields.at(index))
                                                            : QString();
        };
        const QString first = field(choice.side1);
        const QString where = Texts::tr("poznámka %1 („%2“)")
                                  .arg(number)
                                  .arg(excerpt(first.isEmpty() ? field(0) : first));
        if (!type) {
            pairs.content.skipped.append(where + Texts::tr(": neznámý typ poznámky"));
            continue;
        }
        if (AcceptImportedPair(where, first, field(choice.side2), field(choice.comment1),
                               field(choice.comment2), pairs.content))
            pairOfNote.insert(note.id, {&pairs, int(pairs.content.pairs.size()) - 1});
    }

    for (const AnkiReview &review : collection.reviews) {
        const AnkiCard *card = cards.value(review.cardId);
        if (!card)
            continue;
        const auto pair = pairOfNote.constFind(card->noteId);
        if (pair == pairOfNote.cend())
            continue;
        if (card->templateIndex > 1 || !changedSchedule(review)) {
            ++import.reviewsSkipped;
            continue;
        }
        auto [deck, position] = *pair;
        const int side = card->templateIndex + 1;
        const Grade grade = Grade(review.ease);
        VocabularyEntry &entry = deck->content.pairs[position];
        ++entry.offers[side];
        if (grade == Grade::Again)
            ++entry.errors[side];
        deck->answers.append(
            {position, side, review.atMs, grade, std::max<qint64>(review.durationMs, 0)});
        ++import.reviews;
    }

    for (auto deck = decks.begin(); deck != decks.end(); ++deck) {
        const DeckPairs &pairs = deck.value();
        if (pairs.content.pairs.isEmpty() && pairs.content.skipped.isEmpty())
            continue;
        const QString theme = deck.key().split(QStringLiteral("::")).last().trimmed();
        const int parts = std::max<int>(
            1, int((pairs.content.pairs.size() + Vocabulary::Capacity - 1) / Vocabulary::Capacity));
        for (int part = 0; part < parts; ++part) {
            AnkiDictionary dictionary;
            const int first = part * Vocabulary::Capacity;
            dictionary.content.title
                = parts == 1 ? theme : QStringLiteral("%1 %2").arg(theme).arg(part + 1);
            dictionary.content.pairs = pairs.content.pairs.mid(first, Vocabulary::Capacity);
            if (part == 0)
                dictionary.content.skipped = pairs.content.skipped;
            for (const AnkiAnswer &answer : pairs.answers) {
                if (answer.pair >= first && answer.pair < first + Vocabulary::Capacity) {
                    dictionary.answers.append(answer);
                    dictionary.answers.last().pair -= first;
                }
            }
            import.dictionaries.append(dictionary);
        }
    }
    return import;
}

QList<AnswerRecord> AnkiAnswerRecords(const AnkiDictionary &dictionary, const Vocabulary &written,
                                      const QString &path)
{
    QList<AnswerRecord> answers;
    answers.reserve(dictionary.answers.size());
    for (const AnkiAnswer &answer : dictionary.answers) {
        if (answer.pair >= written.count())
            continue;
        answers.append({answer.atMs,
                        {PairTextOf(written.entries.at(answer.pair)), answer.offeredSide},
                        answer.grade,
                        QString(),
                        answer.durationMs,
                        path});
    }
    return answers;
}

QStringList AnkiDictionaryFiles(const QString &folder, const QStringList &titles)
{
    static const QRegularExpression unsafe(QStringLiteral("[/\\\\:*?\"<>|\\x{0}-\\x{1f}]"));
    const QDir dir(folder);
    QStringList files;
    // Names that differ only in case are taken too: the folder may be shared with a system
    // that does not tell them apart.
    QSet<QString> taken;
    for (const QString &name :
         dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
        taken.insert(dir.filePath(name).toLower());
    for (const QString &title : titles) {
        QString base = QString(title).replace(unsafe, QStringLiteral("_")).trimmed();
        if (base.isEmpty() || base.startsWith(QLatin1Char('.')))
            base.prepend(QStringLiteral("anki"));
        QString file = dir.filePath(base + QStringLiteral(".slv"));
        for (int number = 2; taken.contains(file.toLower()); ++number)
            file = dir.filePath(QStringLiteral("%1 (%2).slv").arg(base).arg(number));
        taken.insert(file.toLower());
        files.append(file);
    }
    return files;
}

QString AnkiImportSummary(const AnkiImport &import, const QStringList &targets, int answers,
                          std::optional<int> historyAdded, const QString &historyTrouble)
{
    int pairs = 0;
    int written = 0;
    QStringList skipped;
    for (const AnkiDictionary &dictionary : import.dictionaries) {
        if (!dictionary.content.pairs.isEmpty() && written++ < targets.size())
            pairs += int(dictionary.content.pairs.size());
        skipped += dictionary.content.skipped;
    }
    QString text = Texts::tr("Načteno ")
                   + CountedWord(pairs, QT_TRANSLATE_NOOP("CountedWord", "dvojice|dvojice|dvojic"))
                   + Texts::tr(" do ")
                   + CountedWord(int(targets.size()),
                                 QT_TRANSLATE_NOOP("CountedWord", "slovníku|slovníků|slovníků"))
                   + QStringLiteral(":\n") + targets.join(QLatin1Char('\n'));
    if (import.clozeNotes > 0)
        text += QStringLiteral("\n")
                + CountedWord(
                    import.clozeNotes,
                    QT_TRANSLATE_NOOP(
                        "CountedWord",
                        "poznámka s doplňováním (cloze) není dvojice|poznámky s doplňováním "
                        "(cloze) nejsou dvojice|poznámek s doplňováním (cloze) nejsou dvojice"))
                + QLatin1Char('.');
    if (!skipped.isEmpty()) {
        text += QStringLiteral("\n")
                + CountedWord(int(skipped.size()),
                              QT_TRANSLATE_NOOP(
                                  "CountedWord",
                                  "poznámka přeskočena|poznámky přeskočeny|poznámek přeskočeno"))
                + QStringLiteral(":\n") + FirstLinesOf(skipped);
    }
    if (answers > 0 || import.reviewsSkipped > 0) {
        text += Texts::tr("\nPřevzato opakování z Anki: %1").arg(answers);
        if (import.reviewsSkipped > 0)
            text += Texts::tr("; vynecháno %1 (ruční změny plánu, opakování ve filtrovaných "
                              "balíčcích bez přeplánování, další karty poznámky)")
                        .arg(import.reviewsSkipped);
        text += QLatin1Char('.');
        if (!historyAdded)
            text += Texts::tr("\nHistorie odpovědí je nepřevzala: %1 Slovníky je "
                              "započítávají.")
                        .arg(historyTrouble);
        else if (*historyAdded < answers)
            text += Texts::tr(" Z toho už v historii bylo: %1.").arg(answers - *historyAdded);
    }
    return text;
}
