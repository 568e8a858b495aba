#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM and SIGHUP (the system or the desktop ending the program) into a signal of the
// event loop, where it is safe to write files: a signal handler may only write to a pipe.
class TerminationWatch : public QObject
{
    Q_OBJECT
public:
    explicit TerminationWatch(QObject *parent = nullptr);
    ~TerminationWatch() override;

signals:
    void terminationRequested();

private:
    void readSignal();

    QSocketNotifier *m_notifier = nullptr;
};

// A write that exceeds the file size limit fails with an error instead of killing the program.
void IgnoreFileSizeSignal();
