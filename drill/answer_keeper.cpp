#include "answer_keeper.h"

#include "drill_session.h"

#include "history/review_history.h"
#include "vocabulary/current_dictionary.h"
#include "vocabulary/vocabulary_file.h"
#include "widgets/prompts.h"
#include "widgets/run_command.h"

#include "core/write_journal.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <utility>

namespace {

// The texts were the application's before they came here; their translations keep that name.
struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(Application)
};

} // namespace

AnswerKeeper::AnswerKeeper(DrillSession &drill, CurrentDictionary &dictionary,
                           ReviewHistory &history, Prompts &prompts, QWidget *window)
    : m_drill(drill)
    , m_dictionary(dictionary)
    , m_history(history)
    , m_prompts(prompts)
    , m_window(window)
{
    connect(&m_drill, &DrillSession::answerSaved, this, &AnswerKeeper::tellWriteBack);
    connect(&m_dictionary, &CurrentDictionary::writtenBack, this, &AnswerKeeper::tellWriteBack);
    // Answers that could not be taken over while the history was locked are taken now.
    connect(&m_history, &ReviewHistory::caughtUp, this, &AnswerKeeper::restoreUnsavedAnswers);
}

void AnswerKeeper::finishInterruptedWrites()
{
    const WriteJournal &journal = m_dictionary.journal();
    for (const QString &entry : journal.pending()) {
        RunCommand(m_prompts, m_window, [&] {
            const JournalRecovery recovery = journal.recover(entry);
            if (recovery.outcome != JournalRecovery::Outcome::SetAside && !recovery.path.isEmpty())
                m_finishedWrites.append(recovery.path);
            if (recovery.outcome == JournalRecovery::Outcome::Finished)
                m_prompts.notice(m_window,
                                 Texts::tr("Ukládání slovníku %1 přerušilo minule ukončení "
                                           "programu. Program ho teď dokončil; žádná odpověď "
                                           "se neztratila.")
                                     .arg(recovery.path));
            else if (recovery.outcome == JournalRecovery::Outcome::SetAside)
                m_prompts.notice(m_window,
                                 Texts::tr("Ukládání slovníku %1 přerušilo minule ukončení "
                                           "programu a soubor se mezitím změnil. Aby se nic "
                                           "nepřepsalo, slovník s posledními odpověďmi je "
                                           "uložen jako %2.")
                                     .arg(recovery.path, recovery.setAsidePath));
        });
    }
}

void AnswerKeeper::settleFinishedWrites()
{
    // Writes finished at the start hold the answers that waited for them.
    for (const QString &path : std::exchange(m_finishedWrites, {}))
        m_history.settleAll(path);
    m_historyReady = true;
}

void AnswerKeeper::restoreUnsavedAnswers()
{
    if (!m_historyReady)
        return;
    const int restored = m_drill.restoreUnsavedAnswers();
    if (restored > 0)
        m_prompts.notice(m_window,
                         Texts::tr("Některé odpovědi ve slovníku %1 se minule nestihly uložit "
                                   "(program byl ukončen, nebo byl plný disk). Program je teď "
                                   "doplnil z historie odpovědí do statistiky slovníku. Počet "
                                   "doplněných odpovědí: %2.")
                             .arg(m_dictionary.path())
                             .arg(restored));
}

QString AnswerKeeper::continuingSentence(const QString &reason)
{
    QString because = reason;
    if (!because.isEmpty() && because.at(1 < because.size() ? 1 : 0).isLower())
        because[0] = because.at(0).toLower();
    while (because.endsWith(QLatin1Char('.')))
        because.chop(1);
    return because;
}

QString AnswerKeeper::saveFailureText(const QString &reason) const
{
    return Texts::tr("Slovník %1 se nepodařilo uložit: %2.\nOdpovědi od posledního "
                     "uložení jsou zatím jen v paměti programu.")
        .arg(m_dictionary.path(), continuingSentence(reason));
}

void AnswerKeeper::writeBackBeforeLeaving()
{
    for (;;) {
        const DictionaryResult result = m_dictionary.writeBackBeforeLeaving();
        if (result.done()) {
            tellWriteBack(result);
            return;
        }
        switch (m_prompts.writeFailed(m_window, saveFailureText(result.reason))) {
        case WriteFailureChoice::Retry:
            break;
        case WriteFailureChoice::SaveElsewhere:
            if (saveElsewhere())
                return;
            break;
        case WriteFailureChoice::Discard:
            m_dictionary.discardAnswers();
            return;
        }
    }
}

bool AnswerKeeper::saveElsewhere()
{
    const QString target
        = m_prompts.saveFileName(m_window, QFileInfo(m_dictionary.path()).absolutePath(),
                                 Texts::tr("slovníky (*.slv)"), QStringLiteral("slv"));
    if (target.isEmpty()
        || !RunCommand(m_prompts, m_window, [&] { m_dictionary.saveElsewhere(target); }))
        return false;
    emit savedElsewhere(target);
    return true;
}

void AnswerKeeper::tellWriteBack(const DictionaryResult &result)
{
    const QString &path = m_dictionary.path();
    if (result.tellFailure)
        m_prompts.error(m_window,
                        saveFailureText(result.reason)
                            + Texts::tr(" Program to zkusí znovu po každé další odpovědi a "
                                        "při ukončení."));
    if (!result.journalUnkept.isEmpty())
        m_prompts.notice(m_window,
                         Texts::tr("Do složky %1 nelze zapsat deník ukládání (%2). Slovník %3 "
                                   "se ukládá dál; chybí jen dodatečná pojistka pro případ, "
                                   "že by byl program ukončen uprostřed ukládání.")
                             .arg(m_dictionary.journal().folder(), result.journalUnkept, path));
    if (result.becameUtf8)
        m_prompts.notice(m_window, BecameUtf8Message(path));
    for (const QString &pair : result.unstoredPairs)
        m_prompts.notice(m_window, UnstoredAnswersMessage(pair));
    if (!result.tellMerge)
        return;
    QString text = Texts::tr("Slovník %1 mezitím změnil jiný program nebo jiná kopie "
                             "Merka. Vaše odpovědi byly přičteny ke statistice, kterou "
                             "soubor obsahuje teď.")
                       .arg(path);
    if (result.lostPairs > 0)
        text += Texts::tr("\nDvojic, na které jste odpovídali a které už v souboru nejsou: "
                          "%1; jejich odpovědi nebylo kam zapsat.")
                    .arg(result.lostPairs);
    // A box would take the key meant for the drill.
    if (m_mergesAreNews && m_dictionary.isShared())
        emit news(text);
    else
        m_prompts.notice(m_window, text);
}
