#include "dictionary_list.h"

#include "core/file_error.h"
#include "core/text_file.h"
#include "vocabulary_file.h"

#include <QDir>
#include <QFile>

QStringList ListDictionaryFiles(const QString &directory)
{
    return QDir(directory).entryList({QStringLiteral("*.slv")}, QDir::Files,
                                     QDir::Name | QDir::IgnoreCase);
}

QString DictionaryListItem(const QString &fileName, const QString &firstLine)
{
    const QString line = TrimWhite(firstLine);
    if (!line.startsWith(QLatin1Char('*')))
        return fileName;
    return fileName + QStringLiteral(" - ") + line.mid(1, 50);
}

QString ReadFirstLine(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError(file.errorString());
    const QStringList lines = TextLines(file.readLine(64 * 1024));
    return lines.isEmpty() ? QString() : lines.constFirst();
}

QString InstalledSampleFolder(const QString &programDirectory)
{
    return QDir::cleanPath(programDirectory + QStringLiteral("/../share/merko/dictionaries"));
}

QString PrepareSampleDictionaries(const QString &installedFolder, const QString &userFolder)
{
    const QStringList samples = ListDictionaryFiles(installedFolder);
    if (samples.isEmpty() || !QDir().mkpath(userFolder))
        return QString();
    const QDir from(installedFolder);
    const QDir to(userFolder);
    for (const QString &sample : samples) {
        const QString target = to.filePath(sample);
        if (!QFile::exists(target) && QFile::copy(from.filePath(sample), target))
            QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::WriteOwner);
    }
    return userFolder;
}
