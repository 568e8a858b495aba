#pragma once

#include "log_exchange.h"

#include "vocabulary/conflict_copies.h"

#include <QSqlDatabase>
#include <QString>

class CurrentDictionary;

// The current dictionary in the synchronised folder: its conflict copies merged by what the
// computers' logs say each version has counted.

// What became of a conflict copy.
struct CopyMerge
{
    enum class Outcome {
        Merged,     // into the dictionary, which is written; the copy is the caller's
        Waiting,    // for a log that names one of the versions: tried again later
        Unreadable, // the copy cannot be read: it stays where it is
        Failed,     // the merge could not be written, or the history read: tried again later
    };
    Outcome outcome = Outcome::Waiting;
    VersionMerge merge;
    QString reason; // Unreadable, Failed: why
};

// Merges the conflict copy into the current dictionary (whose answers are written back first)
// once the logs in the history `db` name both versions, or once a version no log names is
// older than UnloggedVersionWaitMs at `nowMs`.
CopyMerge MergeConflictCopyByLogs(CurrentDictionary &dictionary, QSqlDatabase db,
                                  const QString &copyPath, qint64 nowMs);

// A version written of the dictionary has counted every answer given here on it when it was
// made from this program's own last version (`ownLine`) and no version of this computer waits
// in a conflict copy beside it; otherwise only what its bases had.
bool CountsEveryOwnAnswer(bool ownLine, const QString &dictionaryPath);
