#pragma once

#include <QString>

#include <functional>

class QWidget;

// How far a long piece of work is, told by the work itself: the percentage done, and whether
// it should go on (false once the user has cancelled).
using ProgressReport = std::function<bool(int percent)>;

// Runs `work` on a thread of its own while a progress dialog over `parent` shows how far it
// is (until the work tells a percentage, that it is busy), so that the windows stay
// responsive; the dialog appears only for work that takes a moment. With `cancellable` its "Zrušit"
// asks the work to stop. A FileError the work throws is thrown again here, as is any other failure
// as a FileError.
void RunWithProgress(QWidget *parent, const QString &label, bool cancellable,
                     const std::function<void(const ProgressReport &)> &work);
