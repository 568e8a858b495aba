#include "paths.h"

#include <QDir>
#include <QFileInfo>

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

bool IsInFolder(const QString &fileName, const QString &folder)
{
    if (folder.isEmpty() || fileName.isEmpty())
        return false;
    const QString relative = QDir(folder).relativeFilePath(ResolvedPath(fileName));
    return relative != QStringLiteral("..") && !relative.startsWith(QStringLiteral("../"))
           && !QDir::isAbsolutePath(relative);
}
