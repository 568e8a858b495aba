#include "conflict_copies.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

// A name taken apart at its last dot: "lekce" and ".slv"; a name without one has no suffix.
std::pair<QString, QString> stemAndSuffix(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0)
        return {name, QString()};
    return {name.left(dot), name.mid(dot)};
}

} // namespace

bool IsConflictCopyName(const QString &copyName, const QString &originalName)
{
    const auto [stem, suffix] = stemAndSuffix(originalName);
    const QString start = QRegularExpression::escape(stem);
    const QString end = QRegularExpression::escape(suffix);
    static const QString syncthing = QStringLiteral("\\.sync-conflict-\\d{8}-\\d{6}-[A-Z0-9]{7}");
    static const QString copied = QStringLiteral(
        " \\((?:[^()]*'s )?conflicted copy \\d{4}-\\d{2}-\\d{2}(?: \\d{6})?\\)(?: \\(\\d+\\))?");
    const QRegularExpression pattern(QStringLiteral("^") + start + QStringLiteral("(?:") + syncthing
                                     + QLatin1Char('|') + copied + QStringLiteral(")") + end
                                     + QStringLiteral("$"));
    return pattern.match(copyName).hasMatch();
}

QStringList ConflictCopies(const QString &dictionaryPath)
{
    const QFileInfo dictionary(dictionaryPath);
    const auto [stem, suffix] = stemAndSuffix(dictionary.fileName());
    QStringList copies;
    const QDir folder = dictionary.absoluteDir();
    for (const QString &name :
         folder.entryList({stem + QLatin1Char('*')}, QDir::Files, QDir::Name)) {
        if (IsConflictCopyName(name, dictionary.fileName()))
            copies.append(folder.filePath(name));
    }
    return copies;
}
