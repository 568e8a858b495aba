#pragma once

#include "text_file.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

// What the finishing of a write that a killed program left half done came to.
struct JournalRecovery
{
    enum class Outcome {
        AlreadyDone, // the file held the new content already
        Finished,    // the file was as the write left it: it holds the new content now
        SetAside,    // the file was changed since: the new content is kept in `setAsidePath`
    };
    Outcome outcome = Outcome::AlreadyDone;
    QString path;
    QString setAsidePath;
};

// Rewrites of a user's files that survive the program being killed at any moment: the new
// content is kept complete in the journal folder (in the user's data folder) before the file
// is written, and removed once the file holds it. The next start finishes what it finds
// there, and removes the program's own temporary files that a kill left beside the file.
class WriteJournal
{
public:
    // Without a folder nothing is kept: a write is a plain safe rewrite.
    explicit WriteJournal(QString folder = QString());

    const QString &folder() const { return m_folder; }

    // Writes the file as WriteFileSafely does; `expectedHash` is the content hash of what the
    // writer believes the file holds now. Throws FileError; the journal is then given up,
    // unless the file itself was left half written in place. `written` runs once the file
    // holds the new content and before the journal lets it go, so that whatever it records
    // is either done or found finished by recover().
    // When the journal itself cannot be written (its folder is read-only or full), the file
    // is written all the same through its temporary copy, which needs no journal, and
    // `unkept`, when given, receives why; a file that could only be written in place is not
    // written then.
    FileStamp write(const QString &path, const QByteArray &bytes, quint64 expectedHash,
                    const std::function<void()> &written = {}, QString *unkept = nullptr) const;
    // The same, expecting the file as it is now (a file not there yet: none).
    FileStamp write(const QString &path, const QByteArray &bytes) const;

    // The steps of a write, for tests that stop a write where a kill would: the new content
    // kept (synced when the file is to be written in place), and given up.
    void begin(const QString &path, const QByteArray &bytes, quint64 expectedHash, qint64 oldSize,
               bool inPlace) const;
    void end(const QString &path) const;

    // The journal entries left by writes that did not end.
    QStringList pending() const;
    // Finishes one of them. Throws FileError when the file or the journal cannot be written;
    // the entry then stays for the next start.
    JournalRecovery recover(const QString &entry) const;

private:
    QString entryPath(const QString &path) const;

    QString m_folder;
};

// The program's own temporary copies of a file (its name and six more characters) whose
// content is a beginning of `content`.
QStringList TemporaryCopiesOf(const QString &path, const QByteArray &content);
