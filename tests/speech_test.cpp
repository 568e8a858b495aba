#include "app/app_context.h"
#include "app/application.h"
#include "drill/drill_window.h"
#include "speech_server.h"
#include "test_support.h"
#include "drill/speaker.h"
#include "window_support.h"

#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Speech through a speech-dispatcher of the test's own that writes down what it is asked to
// say instead of saying it: no sound card needed.
class SpeechTest : public testing::Test
{
protected:
    void SetUp() override
    {
        // The scripts install it: a machine without it is no place to pass these tests.
        ASSERT_TRUE(RecordingSpeechServer::available()) << "speech-dispatcher is not installed";
        ASSERT_TRUE(server.start());
    }
    // The lines said, once `count` of them are there (or after five seconds).
    QStringList saidOnce(int count)
    {
        RecordingSpeechServer::waitFor([&] { return server.said().size() >= count; });
        return server.said();
    }

    QTemporaryDir dir;
    RecordingSpeechServer server{dir.path()};
};

TEST_F(SpeechTest, EachWordIsSaidInAVoiceOfItsLanguageOrNotAtAll)
{
    Speaker speaker;
    QStringList problems;
    QObject::connect(&speaker, &Speaker::problem,
                     [&](const QString &message) { problems.append(message); });
    speaker.say(QStringLiteral("pes"), QStringLiteral("cs"));
    EXPECT_EQ(saidOnce(1), QStringList{QStringLiteral("cs|cs-voice|pes")});
    speaker.say(QStringLiteral("der Hund"), QStringLiteral("de"));
    EXPECT_EQ(saidOnce(2).value(1), QStringLiteral("de|de-voice|der Hund"));

    // Russian has no voice here: nothing is said, in no other voice, and the user is told once.
    speaker.say(QString::fromUtf8("собака"), QStringLiteral("ru"));
    speaker.say(QString::fromUtf8("кошка"), QStringLiteral("ru"));
    speaker.say(QStringLiteral("die Katze"), QStringLiteral("de"));
    EXPECT_EQ(saidOnce(3).value(2), QStringLiteral("de|de-voice|die Katze"));
    EXPECT_EQ(server.said().size(), 3);
    RecordingSpeechServer::waitFor([&] { return !problems.isEmpty(); });
    EXPECT_EQ(problems, QStringList{QString::fromUtf8("Pro ruštinu není nainstalován hlas.")});
}

TEST(SpeechWithoutServerTest, ASpeakerWithoutAServiceTellsItOnceAndSaysNothing)
{
    QTemporaryDir dir;
    qputenv("SPEECHD_ADDRESS", ("unix_socket:" + dir.path() + "/no-socket").toUtf8());
    const auto restore = qScopeGuard([] { qunsetenv("SPEECHD_ADDRESS"); });
    Speaker speaker;
    QStringList problems;
    QObject::connect(&speaker, &Speaker::problem,
                     [&](const QString &message) { problems.append(message); });
    speaker.say(QStringLiteral("pes"), QStringLiteral("cs"));
    speaker.say(QStringLiteral("kočka"), QStringLiteral("cs"));
    RecordingSpeechServer::waitFor([&] { return !problems.isEmpty(); });
    RecordingSpeechServer::waitFor([] { return false; }, 300); // a second report would come now
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems.first().contains(QStringLiteral("speech-dispatcher")));
}

// The whole program: a Czech-German dictionary says the offered Czech word in Czech, the
// German answer after a wrong one in German, and F4 says the word again.
TEST_F(SpeechTest, TheDrillSaysTheOfferedWordAndAfterAWrongAnswerTheRightOne)
{
    RunningProgram program;
    program.startWith("*čeština-němčina\r\npes / r Hund\r\n",
                      "Vyslovovat=1\r\nVyslovitOdpoved=1\r\n");
    EXPECT_EQ(saidOnce(1), QStringList{QStringLiteral("cs|cs-voice|pes")});
    auto *answer = child<QLineEdit>(program.form(), "Edit2");
    QTest::keyClicks(answer, QStringLiteral("e Katze"));
    QTest::keyClick(answer, Qt::Key_Return);
    EXPECT_EQ(saidOnce(2).value(1), QStringLiteral("de|de-voice|r Hund"));
    QTest::keyClick(child<QPushButton>(program.form(), "Button1"), Qt::Key_F4);
    EXPECT_EQ(saidOnce(3).value(2), QStringLiteral("cs|cs-voice|pes"));
    EXPECT_TRUE(program.prompts.texts("notice").isEmpty());
}

} // namespace
