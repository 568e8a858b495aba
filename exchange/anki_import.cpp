#include "anki_import.h"

#include "vocabulary/vocabulary_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QSaveFile>

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

QStringList AnkiFieldLines(const QString &field)
{
    static const QRegularExpression sounds(QStringLiteral("\\[sound:[^\\]]*\\]"));
    // Where the field begins a new line: a break, a block's start or end.
    static const QRegularExpression lineBreaks(
        QStringLiteral("<\\s*(br|/?div|/?p|/?li|/?tr|/?h[1-6])\\b[^>]*>"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression cellBreaks(QStringLiteral("<\\s*td\\b[^>]*>"),
                                               QRegularExpression::CaseInsensitiveOption);
    // A reading in brackets after the word it reads, the blank before the word only marking
    // where the word begins: " 毎朝[まいあさ]". Brackets holding plain ASCII are left alone.
    static const QRegularExpression furigana(
        QStringLiteral(" ?([^ >\\[\\]]+?)\\[[^\\]\\x{0}-\\x{7f}][^\\]]*\\]"));
    static const QRegularExpression whiteSpace(QStringLiteral("\\s+"));
    QString text = field;
    text.remove(sounds);
    // In HTML a line end in the text is a blank; only the marks break lines.
    text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(lineBreaks, QStringLiteral("\n"));
    text.replace(cellBreaks, QStringLiteral(" "));
    QStringList lines;
    for (QString line : text.split(QLatin1Char('\n'))) {
        line = PlainTextOfHtml(line);
        line.replace(furigana, QStringLiteral("\\1"));
        line.replace(whiteSpace, QStringLiteral(" "));
        line = line.trimmed();
        if (!line.isEmpty())
            lines.append(line);
    }
    return lines;
}

QString AnkiFieldText(const QString &field)
{
    return AnkiFieldLines(field).join(QLatin1Char(' '));
}

QString AnkiAlternatives(const QString &side)
{
    if (!side.contains(QLatin1Char('/')))
        return side;
    QStringList alternatives;
    for (const QString &part : side.split(QLatin1Char('/'))) {
        if (!part.trimmed().isEmpty())
            alternatives.append(part.trimmed());
    }
    return alternatives.join(QStringLiteral(", "));
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

namespace {

// What the dialog proposes for a type: side 1 the first field; side 2 the first further field
// whose text differs from side 1 in the most notes (a field that repeats the first with marks
// of colour or bold is passed over); as the example a note of middling length with both
// sides, not a deck's header.
void proposeFields(AnkiTypeToChoose &type, const QList<const AnkiNote *> &notes)
{
    constexpr int sampled = 200;
    const qsizetype fields = type.type.fields.size();
    QList<int> differing(fields, 0);
    QList<std::pair<qsizetype, const AnkiNote *>> withBothSides;
    for (qsizetype n = 0; n < std::min<qsizetype>(notes.size(), sampled); ++n) {
        const AnkiNote &note = *notes.at(n);
        const QString first = AnkiFieldText(note.fields.value(0));
        if (first.isEmpty())
            continue;
        for (qsizetype f = 1; f < std::min(fields, note.fields.size()); ++f) {
            const QString text = AnkiFieldText(note.fields.at(f));
            if (!text.isEmpty() && text != first)
                ++differing[f];
        }
        withBothSides.append({first.size(), &note});
    }
    int best = 1;
    for (int f = 2; f < fields; ++f) {
        if (differing.at(f) > differing.at(best))
            best = f;
    }
    type.proposed = {0, best, -1, -1};
    // The example: of the notes whose second side is there too, the one of middling length.
    QList<std::pair<qsizetype, const AnkiNote *>> typical;
    for (const auto &candidate : withBothSides) {
        if (!AnkiFieldText(candidate.second->fields.value(best)).isEmpty())
            typical.append(candidate);
    }
    if (typical.isEmpty())
        return;
    std::stable_sort(typical.begin(), typical.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    type.example = *typical.at(typical.size() / 2).second;
}

} // namespace

QList<AnkiTypeToChoose> AnkiTypesToChoose(const AnkiCollection &collection)
{
    QList<AnkiTypeToChoose> types;
    QHash<qint64, QList<const AnkiNote *>> notesOfType; // of the types offered for a choice
    QSet<qint64> seen;
    for (const AnkiNote &note : collection.notes) {
        if (const auto offered = notesOfType.find(note.typeId); offered != notesOfType.end()) {
            offered->append(&note);
            continue;
        }
        if (seen.contains(note.typeId))
            continue;
        const auto type = std::find_if(collection.noteTypes.cbegin(), collection.noteTypes.cend(),
                                       [&](const AnkiNoteType &t) { return t.id == note.typeId; });
        if (type == collection.noteTypes.cend() || isCloze(&*type, note))
            continue;
        seen.insert(note.typeId);
        if (type->fields.size() > 2) {
            notesOfType.insert(note.typeId, {&note});
            types.append({*type, note, {}}); // proposed below, from all its notes
        }
    }
    for (AnkiTypeToChoose &type : types)
        proposeFields(type, notesOfType.value(type.type.id));
    return types;
}

AnkiNoteSides AnkiSidesOfNote(const AnkiNote &note, const AnkiFieldChoice &choice)
{
    const auto lines = [&](int index) {
        return index >= 0 && index < note.fields.size() ? AnkiFieldLines(note.fields.at(index))
                                                        : QStringList();
    };
    const auto side = [&](int index, int commentIndex, QString *comment) {
        const QStringList sideLines = lines(index);
        QStringList commentParts = sideLines.mid(1);
        const QString chosen = lines(commentIndex).join(QLatin1Char(' '));
        if (!chosen.isEmpty())
            commentParts.append(chosen);
        *comment = commentParts.join(QStringLiteral("; "));
        return sideLines.value(0);
    };
    AnkiNoteSides sides;
    sides.first = AnkiAlternatives(side(choice.side1, choice.comment1, &sides.firstComment));
    sides.second = side(choice.side2, choice.comment2, &sides.secondComment);
    sides.firstComment = AnkiAlternatives(sides.firstComment);
    return sides;
}

namespace {

// A note as a pair: the chosen fields, a side's first line the side and its further lines
// before the chosen comment, alternatives written with '/' the dictionary's own ','. Whether it
// became one; `result` holds it, or the reason why not.
bool notePair(const AnkiNote &note, const AnkiFieldChoice &choice, int number, ImportResult &result,
              QString *where)
{
    const AnkiNoteSides sides = AnkiSidesOfNote(note, choice);
    *where = Texts::tr("poznámka %1 („%2“)")
                 .arg(number)
                 .arg(excerpt(sides.first.isEmpty() ? AnkiFieldText(note.fields.value(0))
                                                    : sides.first));
    return AcceptImportedPair(*where, sides.first, sides.second, sides.firstComment,
                              sides.secondComment, result);
}

// A note that became no pair: its deck, what it is and why, and the reviews left with it.
struct SkippedNote
{
    QString deck;
    QString why;
    int reviews = 0;
};

// The notes of a collection gathered by deck as pairs, or as notes skipped.
struct GatheredNotes
{
    QMap<QString, DeckPairs> decks; // by full name, so in the order of the names
    QHash<qint64, std::pair<DeckPairs *, int>> pairOfNote;
    QHash<qint64, SkippedNote> skipped; // by note
    QList<qint64> skippedOrder;
};

void gatherNotes(const AnkiCollection &collection, const AnkiFieldChoices &choices,
                 const QString &packageTitle, GatheredNotes &gathered, AnkiImport &import)
{
    QHash<qint64, const AnkiNoteType *> types;
    for (const AnkiNoteType &type : collection.noteTypes)
        types.insert(type.id, &type);
    // A note belongs to the deck of its first card.
    QHash<qint64, std::pair<int, qint64>> firstCard;
    for (const AnkiCard &card : collection.cards) {
        const auto found = firstCard.find(card.noteId);
        if (found == firstCard.end() || card.templateIndex < found->first)
            firstCard.insert(card.noteId, {card.templateIndex, card.deckId});
    }
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
        DeckPairs &pairs = gathered.decks[deckName];
        ImportResult one;
        QString where;
        const bool paired = notePair(note, choices.value(note.typeId), number, one, &where);
        if (type && paired) {
            pairs.content.pairs.append(one.pairs.constFirst());
            gathered.pairOfNote.insert(note.id, {&pairs, int(pairs.content.pairs.size()) - 1});
            continue;
        }
        const QString why
            = type ? one.skipped.value(0) : where + Texts::tr(": neznámý typ poznámky");
        gathered.skipped.insert(note.id, {deckName, why});
        gathered.skippedOrder.append(note.id);
    }
}

// Each review that changed the schedule counted on its pair and kept as an answer; those of
// notes skipped counted with them.
void takeReviews(const AnkiCollection &collection, GatheredNotes &gathered, AnkiImport &import)
{
    QHash<qint64, const AnkiCard *> cards;
    for (const AnkiCard &card : collection.cards)
        cards.insert(card.id, &card);
    for (const AnkiReview &review : collection.reviews) {
        const AnkiCard *card = cards.value(review.cardId);
        if (!card)
            continue;
        const auto pair = gathered.pairOfNote.constFind(card->noteId);
        if (pair == gathered.pairOfNote.cend()) {
            const auto skipped = gathered.skipped.find(card->noteId);
            if (skipped != gathered.skipped.end() && changedSchedule(review)) {
                ++skipped->reviews;
                ++import.reviewsOfSkippedNotes;
            }
            continue;
        }
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
    // Every note that became no pair, with its deck and the reviews that went with it.
    for (const qint64 id : gathered.skippedOrder) {
        const SkippedNote &note = gathered.skipped.value(id);
        QString line = note.deck + QStringLiteral(": ") + note.why;
        if (note.reviews > 0)
            line += Texts::tr("; nepřevzatých opakování: %1").arg(note.reviews);
        import.skippedNotes.append(line);
        gathered.decks[note.deck].content.skipped.append(line);
    }
}

// A deck's pairs as dictionaries of at most Vocabulary::Capacity pairs each.
void splitDeck(const QString &deckName, const DeckPairs &pairs, AnkiImport &import)
{
    const QString theme = deckName.split(QStringLiteral("::")).last().trimmed();
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

} // namespace

AnkiImport BuildAnkiImport(const AnkiCollection &collection, const AnkiFieldChoices &choices,
                           const QString &packageTitle)
{
    AnkiImport import;
    GatheredNotes gathered;
    gatherNotes(collection, choices, packageTitle, gathered, import);
    takeReviews(collection, gathered, import);
    for (auto deck = gathered.decks.cbegin(); deck != gathered.decks.cend(); ++deck) {
        if (!deck->content.pairs.isEmpty() || !deck->content.skipped.isEmpty())
            splitDeck(deck.key(), deck.value(), import);
    }
    return import;
}

namespace {

// A file name of a title: what no file system takes replaced, never hidden.
QString fileBaseOf(const QString &title)
{
    static const QRegularExpression unsafe(QStringLiteral("[/\\\\:*?\"<>|\\x{0}-\\x{1f}]"));
    QString base = QString(title).replace(unsafe, QStringLiteral("_")).trimmed();
    if (base.isEmpty() || base.startsWith(QLatin1Char('.')))
        base.prepend(QStringLiteral("anki"));
    return base;
}

QString sidesKey(const VocabularyEntry &entry)
{
    return TrimWhite(entry.side[1]) + QLatin1Char('\x1f') + TrimWhite(entry.side[2]);
}

} // namespace

QList<AnswerRecord> AnkiAnswerRecords(const AnkiDictionary &dictionary, const Vocabulary &written,
                                      const QString &path)
{
    // A pair is where it was written, or, in a dictionary updated, the pair of the same sides.
    QHash<QString, qsizetype> bySides;
    for (qsizetype i = written.count() - 1; i >= 0; --i)
        bySides.insert(sidesKey(written.entries.at(i)), i);
    QList<AnswerRecord> answers;
    answers.reserve(dictionary.answers.size());
    for (const AnkiAnswer &answer : dictionary.answers) {
        if (answer.pair >= dictionary.content.pairs.size())
            continue;
        const QString key = sidesKey(dictionary.content.pairs.at(answer.pair));
        qsizetype position = answer.pair;
        if (position >= written.count() || sidesKey(written.entries.at(position)) != key)
            position = bySides.value(key, -1);
        if (position < 0)
            continue;
        answers.append({answer.atMs,
                        {PairTextOf(written.entries.at(position)), answer.offeredSide},
                        answer.grade,
                        QString(),
                        answer.durationMs,
                        path});
    }
    return answers;
}

int AddNewAnkiPairs(Vocabulary &dictionary, const ImportResult &imported)
{
    QSet<QString> known;
    for (const VocabularyEntry &entry : dictionary.entries)
        known.insert(sidesKey(entry));
    int added = 0;
    for (const VocabularyEntry &pair : imported.pairs) {
        if (dictionary.count() >= Vocabulary::Capacity)
            break;
        if (known.contains(sidesKey(pair)))
            continue;
        known.insert(sidesKey(pair));
        dictionary.entries.append(pair);
        ++added;
    }
    return added;
}

QStringList AnkiEarlierDictionaries(const QString &folder, const QStringList &titles)
{
    QStringList earlier;
    for (const QString &title : titles) {
        const QString file = QDir(folder).filePath(fileBaseOf(title) + QStringLiteral(".slv"));
        earlier.append(QFileInfo(file).isFile() ? file : QString());
    }
    return earlier;
}

namespace {

// New files in `folder` for the names (made safe as file names), each with `suffix`: a name
// taken is numbered "name (2)", "name (3)"... Names that differ only in case are taken too: the
// folder may be shared with a system that does not tell them apart.
QStringList freshFiles(const QString &folder, const QStringList &names, const QString &suffix)
{
    const QDir dir(folder);
    QStringList files;
    QSet<QString> taken;
    for (const QString &name :
         dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
        taken.insert(dir.filePath(name).toLower());
    for (const QString &name : names) {
        const QString base = fileBaseOf(name);
        QString file = dir.filePath(base + suffix);
        for (int number = 2; taken.contains(file.toLower()); ++number)
            file = dir.filePath(QStringLiteral("%1 (%2)").arg(base).arg(number) + suffix);
        taken.insert(file.toLower());
        files.append(file);
    }
    return files;
}

} // namespace

QStringList AnkiDictionaryFiles(const QString &folder, const QStringList &titles)
{
    return freshFiles(folder, titles, QStringLiteral(".slv"));
}

QString WriteAnkiSkippedReport(const AnkiImport &import, const QString &folder,
                               const QString &packageName)
{
    if (import.skippedNotes.isEmpty())
        return {};
    const QString path
        = freshFiles(folder, {Texts::tr("%1 - nepřevzaté poznámky").arg(packageName)},
                     QStringLiteral(".txt"))
              .first();
    QString text = Texts::tr("Poznámky balíčku %1, které se nestaly dvojicí:").arg(packageName)
                   + QStringLiteral("\r\n");
    for (const QString &line : import.skippedNotes)
        text += line + QStringLiteral("\r\n");
    // A report that cannot be written is no failure of the import: the summary still names the
    // first of the notes.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit())
        return {};
    return path;
}

namespace {

// The line that names the report of the notes left out; none without one.
QString reportNamed(const QString &reportPath)
{
    return reportPath.isEmpty() ? QString()
                                : Texts::tr("\nÚplný seznam je v souboru %1.").arg(reportPath);
}

} // namespace

QString AnkiNothingTakenText(const AnkiImport &import, const QString &source,
                             const QString &reportPath)
{
    QStringList reasons;
    if (import.clozeNotes > 0)
        reasons.append(CountedWord(import.clozeNotes,
                                   QT_TRANSLATE_NOOP("CountedWord",
                                                     "poznámka s doplňováním (cloze)|poznámky s "
                                                     "doplňováním (cloze)|poznámek s doplňováním "
                                                     "(cloze)"))
                       + Texts::tr(", které nejsou dvojice"));
    reasons += import.skippedNotes.mid(0, 10);
    QString text = Texts::tr("Z balíčku %1 nešlo převzít žádnou dvojici.\n").arg(source)
                   + reasons.join(QLatin1Char('\n'));
    if (import.skippedNotes.size() > 10)
        text += reportNamed(reportPath);
    return text;
}

QString AnkiImportSummary(const AnkiImport &import, const QStringList &targets, int answers,
                          std::optional<int> historyAdded, const QString &historyTrouble,
                          const QString &reportPath)
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
                                  "poznámka přeskočena|poznámky přeskočeny|poznámek přeskočeno"));
        if (import.reviewsOfSkippedNotes > 0)
            text += Texts::tr(", s nimi %1 opakování").arg(import.reviewsOfSkippedNotes);
        text += QStringLiteral(":\n") + FirstLinesOf(skipped);
        text += reportNamed(reportPath);
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
