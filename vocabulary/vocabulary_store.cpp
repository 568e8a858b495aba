#include "vocabulary_store.h"

#include "vocabulary_file.h"

#include "app/file_error.h"

#include <QFileInfo>

void SaveVocabulary(const Vocabulary &vocabulary)
{
    if (vocabulary.Path.isEmpty() || vocabulary.Count() == 0)
        return;
    WriteVocabularyFile(vocabulary.Path, vocabulary);
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
    vocabulary.Path = path;
}

QString VocabularyCaption(const Vocabulary &vocabulary)
{
    const QString name = vocabulary.Theme.isEmpty()
                             ? QStringLiteral(" ?????")
                             : QLatin1Char(' ') + vocabulary.Theme.mid(1, 100);
    return name + QStringLiteral(" (slov: %1)").arg(vocabulary.Count());
}

void OpenForEditing(Vocabulary &vocabulary, const QString &chosen,
                    const std::function<void(const QString &path)> &open)
{
    const QString currentPath = vocabulary.Path;
    if (!currentPath.isEmpty() && SameFile(chosen, currentPath)) {
        SaveVocabulary(vocabulary);
        vocabulary.Path.clear();
    }
    try {
        open(ResolvedPath(chosen));
    } catch (const FileError &) {
        vocabulary.Path = currentPath;
        throw;
    }
}
