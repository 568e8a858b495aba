#pragma once

#include <QString>

// The full name of a file name as the working directory resolves it now.
QString ResolvedPath(const QString &fileName);
// Both names lead to the same file (links followed where the files exist).
bool SameFile(const QString &a, const QString &b);
// The file lies in the folder or one below it; never in an empty folder name.
bool IsInFolder(const QString &fileName, const QString &folder);
