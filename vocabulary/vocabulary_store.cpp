#include "vocabulary_store.h"

#include "vocabulary_file.h"

#include "core/file_error.h"

#include <QFileInfo>

void SaveVocabulary(const Vocabulary &vocabulary)
{
    if (vocabulary.path.isEmpty() || vocabulary.count() == 0)
        return;
    WriteVocabularyFile(vocabulary.path, vocabulary);
}

QString ResolvedPath(const QString &fileName)
{
    return QFileInfo(fileName).absoluteFilePath();
}

bool SameFile(const QString &a, const QString &b)
{
    const QString canonicalA = QFileInfo(a).canonicalFilePath();
    if (!canonicalA.isEmpty())
        return canonicalA == QFileInfo(b).canonicalFilePath();
    return ResolvedPath(a) == ResolvedPath(b);
}

void ReadCurrentVocabulary(Vocabulary &vocabulary, const QString &fileName)
{
    SaveVocabulary(vocabulary);
    const QString path = ResolvedPath(fileName);
    ReadVocabularyFile(path, vocabulary);
    vocabulary.path = path;
}

QString VocabularyCaption(const Vocabulary &vocabulary)
{
    const QString name = vocabulary.theme.isEmpty()
                             ? QStringLiteral(" ?????")
                             : QLatin1Char(' ') + vocabulary.theme.mid(1, 100);
    return name + QStringLiteral(" (slov: %1)").arg(vocabulary.count());
}

void OpenForEditing(Vocabulary &vocabulary, const QString &chosen,
                    const std::function<void(const QString &path)> &open)
{
    const QString currentPath = vocabulary.path;
    if (!currentPath.isEmpty() && SameFile(chosen, currentPath)) {
        SaveVocabulary(vocabulary);
        vocabulary.path.clear();
    }
    try {
        open(ResolvedPath(chosen));
    } catch (const FileError &) {
        vocabulary.path = currentPath;
        throw;
    }
}
