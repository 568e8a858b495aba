#include "app/application.h"
#include "drill/drill_window.h"
#include "history/progress_window.h"
#include "test_support.h"
#include "window_support.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

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
};

TEST_F(ProgressWindowTest, EveryPageIsReachedFromTheKeyboardAndBothExportsWrite)
{
    program.startWith("pes / r Hund\r\nkočka / e Katze\r\n");
    answer(QStringLiteral("r Hund"));
    answer(QStringLiteral("x"));
    program.prompts.saveNames = {program.path(QStringLiteral("strana.png")),
                                 program.path(QStringLiteral("historie.csv"))};
    QWidget *progress = nullptr;
    open([&](ProgressWindow &window) {
        progress = &window;
        QTabWidget *pages = window.pages();
        EXPECT_EQ(pages->currentIndex(), 0);
        for (const char *page : {"AnswersPage", "SharesPage", "ForecastPage", "MemoryPage"})
            EXPECT_EQ(face(window, page), 0) << page;
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
        child<QPushButton>(window, "SavePicture")->click();
        child<QPushButton>(window, "SaveAnswers")->click();
        EXPECT_TRUE(child<QLabel>(window, "ProgressFigures")
                        ->text()
                        .contains(QStringLiteral("celkem odpovědí: 2")));
    });
    EXPECT_FALSE(progress->isVisible()) << "Esc closes it";
    EXPECT_TRUE(ReadBytes(program.path(QStringLiteral("strana.png"))).startsWith("\x89PNG"));
    const QByteArray csv = ReadBytes(program.path(QStringLiteral("historie.csv")));
    EXPECT_EQ(csv.count("\r\n"), 3) << "a header and the two answers";
    EXPECT_TRUE(program.prompts.texts("error").isEmpty());
}

TEST_F(ProgressWindowTest, AnEmptyHistorySaysWhyInsteadOfEmptyAxes)
{
    program.startWith("pes / r Hund\r\n");
    open([&](ProgressWindow &window) {
        for (const char *page : {"AnswersPage", "SharesPage", "ForecastPage", "MemoryPage"}) {
            EXPECT_EQ(face(window, page), 1) << page;
            EXPECT_TRUE(child<QStackedWidget>(window, page)
                            ->findChild<QLabel *>()
                            ->text()
                            .contains(QStringLiteral("zatím")));
        }
    });
}

} // namespace
