#include "paths.h"

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
