#pragma once

#include <QString>
#include <QStringList>

// Copies of a dictionary that a sync tool keeps when the file was changed on two computers
// before they met: Syncthing's "lekce.sync-conflict-20261207-101500-ABCDEFG.slv", Nextcloud's
// "lekce (conflicted copy 2026-12-07 101500).slv", Dropbox's "lekce (Jana's conflicted copy
// 2026-12-07).slv" (a number in brackets may follow).
bool IsConflictCopyName(const QString &copyName, const QString &originalName);
// The conflict copies beside a dictionary, by name.
QStringList ConflictCopies(const QString &dictionaryPath);
