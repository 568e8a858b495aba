#include "work_progress.h"

#include "core/file_error.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProgressDialog>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <exception>
#include <memory>
#include <optional>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(WorkProgress)
};

} // namespace

void RunWithProgress(QWidget *parent, const QString &label, bool cancellable,
                     const std::function<void(const ProgressReport &)> &work)
{
    std::atomic<int> percent = -1; // none told yet: the dialog shows that it is busy
    std::atomic<bool> cancelled = false;
    std::optional<FileError> error;
    std::unique_ptr<QThread> thread(QThread::create([&] {
        try {
            // A file error is the work's own failure, told as any other command's.
            error = FileFailureOf([&] {
                work([&](int done) {
                    percent = done;
                    return !cancelled.load();
                });
            });
        } catch (const std::exception &failure) {
            error = FileError(QString::fromLocal8Bit(failure.what()));
        }
    }));
    QProgressDialog dialog(label, QString(), 0, 0, parent);
    dialog.setObjectName(QStringLiteral("WorkProgress"));
    dialog.setWindowTitle(QStringLiteral("Merko"));
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    dialog.setMinimumDuration(400);
    if (cancellable) {
        auto *cancel = new QPushButton(Texts::tr("Zrušit"), &dialog);
        dialog.setCancelButton(cancel);
        QObject::connect(&dialog, &QProgressDialog::canceled, &dialog, [&] {
            cancelled = true;
            dialog.setLabelText(Texts::tr("Ruší se..."));
        });
    }
    QTimer pace;
    QObject::connect(&pace, &QTimer::timeout, &dialog, [&] {
        const int done = percent;
        if (done < 0)
            return;
        if (dialog.maximum() == 0)
            dialog.setRange(0, 100);
        dialog.setValue(done);
    });
    QEventLoop loop;
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    dialog.setValue(0);
    thread->start();
    pace.start(50);
    loop.exec();
    thread->wait();
    if (error)
        throw *error;
}
