#include "app/app_context.h"
#include "app/application.h"
#include "drill/drill_window.h"
#include "test_support.h"
#include "vocabulary/vocabulary_file.h"
#include "window_support.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// One dictionary used by two copies of the program, or changed meanwhile by another program.
class SharingTest : public testing::Test
{
protected:
    void SetUp() override
    {
        WriteBytes(dictionary(), Cp1250("*lekce\r\n* r = der, e = die, s = das\r\n"
                                        "pes / r Hund\r\nkočka / e Katze\r\n"));
    }
    QString dictionary() const { return QDir(shared.path()).filePath(QStringLiteral("lekce.slv")); }
    void start(RunningProgram &program) { program.startNaming(dictionary()); }
    // Answers the pair on screen wrongly and goes on to the next one.
    static void answerWrongly(RunningProgram &program)
    {
        auto *answer = child<QLineEdit>(program.form(), "Edit2");
        QTest::keyClicks(answer, QStringLiteral("x"));
        QTest::keyClick(answer, Qt::Key_Return);
        QTest::keyClick(child<QPushButton>(program.form(), "Button1"), Qt::Key_Return);
    }
    Vocabulary fileNow() const
    {
        Vocabulary vocabulary;
        ReadVocabularyFile(dictionary(), vocabulary);
        return vocabulary;
    }
    static int offers(const Vocabulary &vocabulary)
    {
        int sum = 0;
        for (const VocabularyEntry &entry : vocabulary.entries)
            sum += entry.offers[1] + entry.offers[2];
        return sum;
    }

    QTemporaryDir shared;
};

TEST_F(SharingTest, TwoCopiesWarnAndCountEveryAnswerOfBoth)
{
    RunningProgram first;
    start(first);
    ASSERT_EQ(first.app().context().dictionary.vocabulary().count(), 2);
    RunningProgram second;
    second.prompts.answers = {true}; // open it all the same
    start(second);
    ASSERT_EQ(second.prompts.texts("confirm").size(), 1);
    EXPECT_TRUE(second.prompts.texts("confirm").first().contains(U("jiné kopii")));
    ASSERT_EQ(second.app().context().dictionary.vocabulary().count(), 2);

    for (RunningProgram *program : {&first, &second, &first, &second, &first})
        answerWrongly(*program);
    EXPECT_EQ(offers(fileNow()), 5);
    EXPECT_TRUE(first.form().close());
    EXPECT_TRUE(second.form().close());
    const Vocabulary last = fileNow();
    EXPECT_EQ(offers(last), 5);
    EXPECT_TRUE(ReadBytes(dictionary()).contains("* r = der, e = die, s = das\r\n"));
    // Each copy was told once that the file had changed under it.
    EXPECT_EQ(first.prompts.texts("notice").size(), 1);
    EXPECT_EQ(second.prompts.texts("notice").size(), 1);
}

TEST_F(SharingTest, AnotherProgramsEditIsKeptAndTheAnswersAddedToIt)
{
    RunningProgram program;
    start(program);
    answerWrongly(program);
    // A text editor saves the file meanwhile: a pair corrected, one added, counters changed.
    WriteBytes(dictionary(), Cp1250("*lekce\r\npes / r Hund @ 10,10,0,0\r\nkočka / e Katze\r\n"
                                    "kůň / s Pferd\r\n"));
    const QString onScreen = child<QLineEdit>(program.form(), "Edit1")->text();
    auto *answer = child<QLineEdit>(program.form(), "Edit2");
    QTest::keyClicks(answer, QStringLiteral("x"));
    QTest::keyClick(answer, Qt::Key_Return);
    const Vocabulary merged = fileNow();
    ASSERT_EQ(merged.count(), 3) << "the added pair is there";
    EXPECT_EQ(offers(merged), 21) << "the editor's 20 (it replaced the first answer) and one";
    EXPECT_EQ(program.prompts.texts("notice").size(), 1);
    EXPECT_TRUE(program.prompts.texts("notice").first().contains(U("jiný program")));
    AppContext &context = program.app().context();
    EXPECT_EQ(context.dictionary.vocabulary().count(), 3) << "the drill goes on with the file";
    // The pair on screen is followed into the file as it is now.
    const DrillState &drill = context.drill.state();
    ASSERT_TRUE(context.drill.hasPair());
    EXPECT_EQ(context.dictionary.vocabulary().at(drill.currentPosition).side[drill.offeredSide],
              onScreen);
    QTest::keyClick(answer, Qt::Key_F1);
    EXPECT_EQ(offers(fileNow()), 22);
}

} // namespace
