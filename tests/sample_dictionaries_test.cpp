#include "assessment/alternatives.h"
#include "assessment/answer_judge.h"
#include "core/text_file.h"
#include "test_support.h"
#include "vocabulary/dictionary_list.h"
#include "vocabulary/vocabulary_file.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QStringList sampleFiles()
{
    return ListDictionaryFiles(QStringLiteral(MERKO_SOURCE_DIR "/dictionaries"));
}

TEST(SampleDictionaries, ThereAreAtLeastFour)
{
    EXPECT_GE(sampleFiles().size(), 4);
}

class SampleDictionaryTest : public testing::TestWithParam<QString>
{
};

// Every alternative of every side, typed as the answer to the other side, must be judged
// right: none may lie beyond the characters that are compared.
TEST_P(SampleDictionaryTest, EveryAlternativeIsAcceptedAsTheAnswer)
{
    Vocabulary vocabulary;
    ReadVocabularyFile(QStringLiteral(MERKO_SOURCE_DIR "/dictionaries/") + GetParam(), vocabulary);
    EXPECT_TRUE(vocabulary.theme.startsWith(QLatin1Char('*')));
    EXPECT_GT(vocabulary.theme.size(), 5);
    EXPECT_GE(vocabulary.count(), 40);
    int withComment = 0;
    int withEndings = 0;
    int withSynonyms = 0;
    for (const VocabularyEntry &entry : vocabulary.entries) {
        for (int side = 1; side <= 2; ++side) {
            const Alternatives alternatives = SplitAlternatives(entry.side[side]);
            ASSERT_GE(alternatives.count(), 1) << entry.side[side].toStdString();
            EXPECT_FALSE(alternatives.tooMany());
            for (const QString &alternative : alternatives.texts) {
                EXPECT_TRUE(
                    JudgeTypedAnswer(alternative, entry.side[side], AssessmentMode::ExactMatch, 90)
                        .correct())
                    << alternative.toStdString() << " for " << entry.side[side].toStdString();
            }
            withComment += !entry.comment[side].isEmpty();
            withEndings += entry.side[side].contains(QLatin1Char('['));
            withSynonyms += entry.side[side].contains(QLatin1Char(','));
        }
    }
    EXPECT_GT(withComment, 0);
    EXPECT_GT(withEndings, 0);
    EXPECT_GT(withSynonyms, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Files, SampleDictionaryTest, testing::ValuesIn(sampleFiles()), [](const auto &info) {
        QString name = info.param;
        return name.replace(QRegularExpression("[^A-Za-z0-9]"), "_").toStdString();
    });

// The samples of languages beyond windows-1250 are UTF-8 with a byte order mark, and need it.
TEST(SampleDictionaries, ForeignScriptsAreUtf8WithAByteOrderMark)
{
    for (const char *name : {"spanelstina.slv", "francouzstina.slv", "rustina.slv"}) {
        const QString path
            = QStringLiteral(MERKO_SOURCE_DIR "/dictionaries/") + QLatin1String(name);
        const QByteArray bytes = ReadBytes(path);
        EXPECT_EQ(DetectEncoding(bytes), TextEncoding::Utf8WithBom) << name;
        EXPECT_TRUE(EncodeCp1250(DecodeText(bytes, TextEncoding::Utf8WithBom)).isEmpty())
            << name << " would fit windows-1250";
        Vocabulary vocabulary;
        ReadVocabularyFile(path, vocabulary);
        EXPECT_EQ(FormatVocabularyFile(vocabulary).left(3), QByteArray("\xEF\xBB\xBF"));
    }
}

TEST(SampleDictionaries, AreCopiedWhereTheUserMayWriteWithoutOverwriting)
{
    QTemporaryDir dir;
    const QString installed = QDir(dir.path()).filePath(QStringLiteral("share/merko/dictionaries"));
    QDir().mkpath(installed);
    WriteBytes(installed + "/a.slv", "a / b\r\n");
    WriteBytes(installed + "/b.SLV", "c / d\r\n");
    const QString user = QDir(dir.path()).filePath(QStringLiteral("user/dictionaries"));
    QDir().mkpath(user);
    WriteBytes(user + "/a.slv", "mine / kept\r\n");

    EXPECT_EQ(InstalledSampleFolder(QDir(dir.path()).filePath(QStringLiteral("bin"))), installed);
    EXPECT_EQ(PrepareSampleDictionaries(installed, user), user);
    EXPECT_EQ(ReadBytes(user + "/a.slv"), QByteArray("mine / kept\r\n"));
    EXPECT_EQ(ReadBytes(user + "/b.SLV"), QByteArray("c / d\r\n"));
    EXPECT_TRUE(PrepareSampleDictionaries(QDir(dir.path()).filePath("none"), user).isEmpty());
}

} // namespace
