#pragma once

#include "history/clock.h"
#include "history/progress.h"

#include <QDialog>

class CurrentDictionary;
class ProgressCharts;
class Prompts;
class QComboBox;
class QLabel;
class QStackedWidget;
class QTabWidget;
class QTableWidget;
class ReviewHistory;
struct Settings;

// "Pokrok": the answer history in pictures, one page each: answers per day, the share of the
// day's first answers that were right, the cards due in the next two weeks, the cards by how
// long they are held in memory, and the cards that fail most. For the current dictionary or
// the whole history; the page as a picture and the history as CSV can be saved.
class ProgressWindow : public QDialog
{
    Q_OBJECT
public:
    ProgressWindow(ReviewHistory &history, const CurrentDictionary &dictionary,
                   const Settings &settings, Prompts &prompts, Clock clock,
                   QWidget *parent = nullptr);

    // Reads the history again and redraws every page.
    void refresh();
    // This computer's id in the synchronised folder (empty: none), for the count of the
    // computers that gave the answers.
    void setComputer(const QString &computer) { m_computer = computer; }
    QTabWidget *pages() const { return m_pages; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    // A page: the chart, or the text of why there is nothing to show.
    struct ChartPage
    {
        QStackedWidget *stack = nullptr;
        QWidget *view = nullptr; // none without the charts' module
        QLabel *empty = nullptr;
    };
    ChartPage addChartPage(const char *name, const QString &title);
    QWidget *createControls();
    QWidget *createHardestPage();
    QWidget *createButtons();
    void addPageKeys();
    void showEmpty(const QString &why);
    // The chart pages tell why there are no charts; the table of the hardest cards stays.
    void showChartsMissing();
    // Every page tells why the history could not be read.
    void showFailure(const HistoryProgress &progress);
    void drawAnswers(const HistoryProgress &progress);
    void drawShares(const HistoryProgress &progress);
    void drawForecast(const HistoryProgress &progress);
    void drawMemory(const HistoryProgress &progress);
    void fillHardest(const HistoryProgress &progress);
    void showFigures(const HistoryProgress &progress);
    QString scopeDictionary() const;
    int periodDays() const;
    void savePicture();
    void saveAnswers();

    ReviewHistory &m_history;
    const CurrentDictionary &m_dictionary;
    const Settings &m_settings;
    Prompts &m_prompts;
    Clock m_clock;
    QString m_chartsMissing; // why the charts' module could not be loaded
    ProgressCharts *m_charts = nullptr;
    QString m_computer;
    QComboBox *m_scope = nullptr;
    QComboBox *m_period = nullptr;
    QComboBox *m_order = nullptr;
    QTabWidget *m_pages = nullptr;
    ChartPage m_answers;
    ChartPage m_shares;
    ChartPage m_forecast;
    ChartPage m_memory;
    QStackedWidget *m_hardestStack = nullptr;
    QTableWidget *m_hardest = nullptr;
    QLabel *m_hardestEmpty = nullptr;
    QLabel *m_figures = nullptr;
};
