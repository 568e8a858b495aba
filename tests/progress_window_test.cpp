#include "app/app_context.h"
#include "app/application.h"
#include "drill/drill_window.h"
#include "history/progress_charts.h"
#include "history/progress_window.h"
#include "test_support.h"
#include "window_support.h"

#include <QAbstractButton>
#include <QAction>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChartView>
#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QLineSeries>
#include <QSqlQuery>
#include <QStackedBarSeries>
#include <QTableWidget>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>
#include <QValueAxis>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

// The progress window from the keyboard: every page, the two exports, Esc.
class ProgressWindowTest : public testing::Test
{
protected:
    void answer(const QString &typed)
    {
        auto *field = child<QLineEdit>(program.form(), "Edit2");
        QTest::keyClicks(field, typed);
        QTest::keyClick(field, Qt::Key_Return);
        QTest::keyClick(child<QPushButton>(program.form(), "Button1"), Qt::Key_Return);
    }
    void open(std::function<void(ProgressWindow &)> check)
    {
        bool opened = false;
        program.whenOpen<ProgressWindow>([&](ProgressWindow &window) {
            opened = true;
            QApplication::setActiveWindow(&window);
            check(window);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        });
        child<QAction>(program.form(), "Pokrok1")->trigger();
        EXPECT_TRUE(opened);
    }
    // Which of a chart page's two faces is shown: 0 the chart, 1 why there is none.
    static int face(ProgressWindow &window, const char *page)
    {
        return child<QStackedWidget>(window, page)->currentIndex();
    }

    RunningProgram program;

public:
    // The program's time runs from noon of a fixed day, a second a look at the clock: the days
    // the charts name do not depend on when the test runs. Every copy of the clock reads the
    // same time.
    ProgressWindowTest()
    {
        program.clock = [at = std::make_shared<qint64>(
                             QDateTime(QDate(2026, 12, 9), QTime(12, 0)).toMSecsSinceEpoch())] {
            return *at += 1000;
        };
    }
};

// The series a chart page draws.
QList<QAbstractSeries *> seriesOf(ProgressWindow &window, const char *page)
{
    return child<QStackedWidget>(window, page)->findChild<QChartView *>()->chart()->series();
}

// Every access key of the window's tabs, buttons and labels, in order.
QString accessKeys(ProgressWindow &window)
{
    QStringList texts;
    for (int tab = 0; tab < window.pages()->count(); ++tab)
        texts.append(window.pages()->tabText(tab));
    for (auto *button : window.findChildren<QAbstractButton *>())
        texts.append(button->text());
    for (auto *label : window.findChildren<QLabel *>())
        texts.append(label->text());
    QString keys;
    for (const QString &text : texts) {
        const qsizetype at = text.indexOf(QLatin1Char('&'));
        if (at >= 0 && at + 1 < text.size() && text.at(at + 1) != QLatin1Char('&'))
            keys.append(text.at(at + 1).toLower());
    }
    return keys;
}

// After one exact and one wrong answer today:
void checkAnswersPage(ProgressWindow &window)
{
    // Today's bar holds one exact and one wrong answer, on a day axis of 30 days.
    const auto *bars = qobject_cast<QStackedBarSeries *>(seriesOf(window, "AnswersPage")[0]);
    ASSERT_TRUE(bars);
    ASSERT_EQ(bars->barSets().size(), 3);
    EXPECT_EQ(bars->barSets()[0]->count(), 30);
    EXPECT_EQ(bars->barSets()[0]->at(29), 1) << "exact today";
    EXPECT_EQ(bars->barSets()[2]->at(29), 1) << "wrong today";
    const auto counts = child<QStackedWidget>(window, "AnswersPage")
                            ->findChild<QChartView *>()
                            ->chart()
                            ->axes(Qt::Vertical);
    ASSERT_EQ(counts.size(), 1);
    const auto *countAxis = qobject_cast<QValueAxis *>(counts.first());
    ASSERT_TRUE(countAxis);
    EXPECT_EQ(countAxis->tickCount(), int(countAxis->max()) + 1) << "a tick on each count";
}

void checkSharesPage(ProgressWindow &window)
{
    // Half of today's first answers were right; the days are whole steps, today last.
    const auto *shares = qobject_cast<QLineSeries *>(seriesOf(window, "SharesPage")[0]);
    ASSERT_TRUE(shares);
    ASSERT_EQ(shares->count(), 1);
    EXPECT_EQ(shares->at(0), QPointF(29, 50));
    EXPECT_EQ(seriesOf(window, "SharesPage").value(1)->name(), U("udržet v paměti 90 %"))
        << "named as the setting";
}

void checkDayAxes(ProgressWindow &window)
{
    // Both pages name every fifth whole day, today the last.
    for (const char *page : {"AnswersPage", "SharesPage"}) {
        QCategoryAxis *days = nullptr;
        for (QAbstractAxis *axis : child<QStackedWidget>(window, page)
                                       ->findChild<QChartView *>()
                                       ->chart()
                                       ->axes(Qt::Horizontal)) {
            if (auto *named = qobject_cast<QCategoryAxis *>(axis))
                days = named;
        }
        ASSERT_TRUE(days) << page;
        const QStringList labels = days->categoriesLabels();
        ASSERT_EQ(labels.size(), 6) << page;
        EXPECT_EQ(labels.last(), QStringLiteral("9.12."));
        EXPECT_EQ(days->endValue(labels.last()), 29.0);
        EXPECT_EQ(labels.first(), QStringLiteral("14.11."));
        for (const QString &label : labels)
            EXPECT_EQ(std::fmod(days->endValue(label), 5.0), 4.0) << page;
    }
}

TEST_F(ProgressWindowTest, EveryPageIsReachedFromTheKeyboardAndShowsTheAnswers)
{
    program.startWith("pes / r Hund\r\nkočka / e Katze\r\n");
    answer(QStringLiteral("r Hund"));
    answer(QStringLiteral("x"));
    QWidget *progress = nullptr;
    open([&](ProgressWindow &window) {
        progress = &window;
        const QString keys = accessKeys(window);
        for (const QChar key : keys)
            EXPECT_EQ(keys.count(key), 1) << "access key " << QString(key).toStdString();

        checkAnswersPage(window);
        checkSharesPage(window);
        checkDayAxes(window);

        // The hardest card is the one answered wrongly.
        auto *hardest = child<QTableWidget>(window, "HardestCards");
        ASSERT_GE(hardest->rowCount(), 1);
        EXPECT_EQ(hardest->item(0, 0)->text(), QStringLiteral("kočka"));
        EXPECT_EQ(hardest->item(0, 3)->text(), QStringLiteral("1")) << "wrong answers";
        EXPECT_EQ(hardest->item(0, 5)->text(), QStringLiteral("99"))
            << "a word failed seconds ago is not shown as certain to be recalled";

        // A longer period draws more days; the whole history holds the same two answers.
        child<QComboBox>(window, "ProgressPeriod")->setCurrentIndex(1);
        const auto *bars = qobject_cast<QStackedBarSeries *>(seriesOf(window, "AnswersPage")[0]);
        EXPECT_EQ(bars->barSets()[0]->count(), 90);
        child<QComboBox>(window, "ProgressScope")->setCurrentIndex(1);
        // The line wraps between figures only: a label keeps its number.
        EXPECT_TRUE(child<QLabel>(window, "ProgressFigures")
                        ->text()
                        .contains(QStringLiteral("celkem\u00A0odpovědí:\u00A02, čas")));

        QTabWidget *pages = window.pages();
        // clang-format off
        const struct { Qt::Key key; Qt::KeyboardModifiers modifiers; int page; } steps[] = {
            {Qt::Key_Tab, Qt::ControlModifier, 1},
            {Qt::Key_PageDown, Qt::ControlModifier, 2},
            {Qt::Key_PageDown, Qt::ControlModifier, 3},
            {Qt::Key_Tab, Qt::ControlModifier, 4},
            {Qt::Key_PageDown, Qt::ControlModifier, 0}, // round to the first
            {Qt::Key_PageUp, Qt::ControlModifier, 4},
        };
        // clang-format on
        for (const auto &step : steps) {
            QTest::keyClick(QApplication::focusWidget(), step.key, step.modifiers);
            EXPECT_EQ(pages->currentIndex(), step.page);
        }
    });
    EXPECT_FALSE(progress->isVisible()) << "Esc closes it";
}

TEST_F(ProgressWindowTest, TheForecastSaysTomorrowWhereTheWordFitsAndTheDateWhereNot)
{
    program.startWith("pes / r Hund\r\n");
    answer(QStringLiteral("x"));
    open([&](ProgressWindow &window) {
        window.pages()->setCurrentIndex(2);
        auto *view = child<QStackedWidget>(window, "ForecastPage")->findChild<QChartView *>();
        QBarCategoryAxis *days = nullptr;
        for (QAbstractAxis *axis : view->chart()->axes(Qt::Horizontal))
            days = qobject_cast<QBarCategoryAxis *>(axis);
        ASSERT_TRUE(days);
        const QRegularExpression date(QStringLiteral("^\\d+\\.\\d+\\.$"));
        // clang-format off
        const struct { int width; bool word; } rows[] = {
            {1200, true},
            {300, false}, // fourteen bars of 15 px: the word would be cut to "z…"
            {1200, true},
        };
        // clang-format on
        for (const auto &row : rows) {
            window.resize(row.width, 560);
            EXPECT_TRUE(WaitFor([&] { return (days->at(1) == U("zítra")) == row.word; }))
                << row.width << " px: " << days->at(1).toStdString();
            if (!row.word)
                EXPECT_TRUE(date.match(days->at(1)).hasMatch()) << days->at(1).toStdString();
            EXPECT_EQ(days->at(0), U("dnes"));
        }
    });
}

TEST_F(ProgressWindowTest, BothExportsWriteWhatTheHistoryHolds)
{
    program.startWith("pes / r Hund\r\nkočka / e Katze\r\n");
    answer(QStringLiteral("r Hund"));
    answer(QStringLiteral("x"));
    program.prompts.saveNames = {program.path(QStringLiteral("strana.png")),
                                 program.path(QStringLiteral("historie.csv"))};
    open([&](ProgressWindow &window) {
        child<QPushButton>(window, "SavePicture")->click();
        child<QPushButton>(window, "SaveAnswers")->click();
    });
    EXPECT_TRUE(ReadBytes(program.path(QStringLiteral("strana.png"))).startsWith("\x89PNG"));
    const QByteArray csv = ReadBytes(program.path(QStringLiteral("historie.csv")));
    EXPECT_EQ(csv.count("\r\n"), 3) << "a header and the two answers";
    EXPECT_TRUE(program.prompts.texts("error").isEmpty());
}

// Each scope says why it has nothing; a history that cannot be read says that instead.
TEST_F(ProgressWindowTest, AnEmptyOrBrokenHistorySaysWhyInsteadOfEmptyAxes)
{
    program.startWith("pes / r Hund\r\n");
    const auto why = [](ProgressWindow &window, const char *page) {
        return child<QStackedWidget>(window, page)->findChild<QLabel *>()->text();
    };
    open([&](ProgressWindow &window) {
        for (const char *page : {"AnswersPage", "SharesPage", "ForecastPage", "MemoryPage"}) {
            EXPECT_EQ(face(window, page), 1) << page;
            EXPECT_TRUE(why(window, page).startsWith(U("Na tento slovník zatím"))) << page;
        }
        child<QComboBox>(window, "ProgressScope")->setCurrentIndex(1);
        EXPECT_TRUE(why(window, "AnswersPage").startsWith(U("Historie odpovědí je zatím")));
    });
    answer(QStringLiteral("r Hund"));
    RenameTableUnderViews(program.app().context().history.path(), QStringLiteral("answers"),
                          QStringLiteral("away"));
    program.prompts.saveNames = {program.path(QStringLiteral("historie.csv"))};
    open([&](ProgressWindow &window) {
        EXPECT_EQ(face(window, "MemoryPage"), 1);
        EXPECT_TRUE(why(window, "MemoryPage").contains(U("nelze přečíst")));
        child<QPushButton>(window, "SaveAnswers")->click();
    });
    EXPECT_FALSE(QFile::exists(program.path(QStringLiteral("historie.csv"))));
    ASSERT_EQ(program.prompts.texts("error").size(), 1);
    EXPECT_TRUE(program.prompts.texts("error").first().contains(U("nelze přečíst")));
}

// The charts come from a module loaded once; one that cannot be loaded is named in the reason.
TEST(ProgressCharts, TheModuleIsLoadedOnceAndAMissingOneIsNamed)
{
    QString reason;
    ProgressCharts *charts = LoadProgressCharts(&reason);
    ASSERT_TRUE(charts) << reason.toStdString();
    EXPECT_EQ(LoadProgressCharts(nullptr), charts);
    EXPECT_FALSE(LoadProgressCharts(&reason, QStringLiteral("merko_no_such_module")));
    EXPECT_TRUE(reason.contains(QStringLiteral("merko_no_such_module"))) << qPrintable(reason);
}

} // namespace
