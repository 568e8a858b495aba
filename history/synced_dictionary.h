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
// once the logs in the history `db` name both versions, or once the file of a version no log
// names came more than UnloggedVersionWaitMs before `nowMs`.
CopyMerge MergeConflictCopyByLogs(CurrentDictionary &dictionary, QSqlDatabase db,
                                  const QString &copyPath, qint64 nowMs);

// Counts into the current dictionary the answers its version owes (OwedAnswers): Merged when
// some were, Waiting when none are owed (or its version is not logged yet), Failed when the
// history cannot be read or the file written.
CopyMerge CountOwedAnswers(CurrentDictionary &dictionary, QSqlDatabase db);
