#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class CurrentDictionary;
class DrillSession;
class Prompts;
class QWidget;
class ReviewHistory;
struct DictionaryResult;

// Where keeping the answers meets the user (the order of the writes is in docs/answers.md): at
// the start the writes a killed run left half done are finished, once the window is drawn the
// history settles them and gives back the answers the file lacks, and a dictionary is written
// back before it is left, the user deciding when that fails. Every write-back's news is told
// here.
class AnswerKeeper : public QObject
{
    Q_OBJECT
public:
    AnswerKeeper(DrillSession &drill, CurrentDictionary &dictionary, ReviewHistory &history,
                 Prompts &prompts, QWidget *window);

    // Before the first dictionary is opened: writes that a killed run left half done are
    // finished, or their content kept aside.
    void finishInterruptedWrites();
    // Once the window has been drawn: the answers of the writes finished at the start are
    // settled in the history, which may be used from now on.
    void settleFinishedWrites();
    bool historyReady() const { return m_historyReady; }
    // Answers of the history that the current dictionary's file did not get are added to it,
    // and the user told.
    void restoreUnsavedAnswers();
    // Writes the answers back before the dictionary is left; on failure the user chooses to
    // retry, to save elsewhere or to go on without saving, and is never kept from going on.
    void writeBackBeforeLeaving();
    // Tells the user what a write-back did that is news: a failure, UTF-8, a merge.
    void tellWriteBack(const DictionaryResult &result);
    // While the dictionary is synced with other computers through a shared folder, another
    // writer's change is the normal case: it goes to the news line, not into a box.
    void setMergesAreNews(bool news) { m_mergesAreNews = news; }

    // The system's reason as it continues a sentence: lower case unless it is an abbreviation,
    // without its own full stop.
    static QString continuingSentence(const QString &reason);

signals:
    // The dictionary was saved into another file, which it goes on in.
    void savedElsewhere(const QString &path);
    void news(const QString &text);

private:
    bool saveElsewhere();
    QString saveFailureText(const QString &reason) const;

    DrillSession &m_drill;
    CurrentDictionary &m_dictionary;
    ReviewHistory &m_history;
    Prompts &m_prompts;
    QWidget *m_window;
    QStringList m_finishedWrites; // files whose interrupted writes the start finished
    bool m_historyReady = false;
    bool m_mergesAreNews = false;
};
