// The program driven from the keyboard in a process of its own, for tests that end it the way
// the system does. Usage: merko_drill_probe FOLDER ANSWERS kill|term
// FOLDER holds Merko.ini naming the dictionary; every answer typed is "x" (wrong), then the
// next pair is offered. After the answers it prints "answered" and ends as asked: SIGKILL
// (nothing can be saved any more) or SIGTERM (the program's own ending).

#include "app/application.h"
#include "drill/drill_window.h"
#include "widgets/prompts.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <cstring>

namespace {

class SilentPrompts : public Prompts
{
public:
    bool confirm(QWidget *, const QString &) override { return false; }
    void notice(QWidget *, const QString &) override {}
    void error(QWidget *, const QString &text, const QString & = QString()) override
    {
        std::fprintf(stderr, "error: %s\n", qPrintable(text));
    }
    QString saveFileName(QWidget *, const QString &, const QString &, const QString &) override
    {
        return {};
    }
    QString openFileName(QWidget *, const QString &, const QString &) override { return {}; }
    QString folderName(QWidget *, const QString &) override { return {}; }
    WriteFailureChoice writeFailed(QWidget *, const QString &) override
    {
        return WriteFailureChoice::Discard;
    }
};

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 4)
        return 2;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const int answers = std::atoi(argv[2]);
    const bool kill = std::strcmp(argv[3], "kill") == 0;

    SilentPrompts prompts;
    Application merko(prompts, QDir(folder).filePath(QStringLiteral("merko")), folder);
    merko.watchForTermination();
    merko.start();
    DrillWindow &window = merko.drillWindow();
    auto *answer = window.findChild<QLineEdit *>(QStringLiteral("Edit2"));
    auto *next = window.findChild<QPushButton *>(QStringLiteral("Button1"));
    for (int i = 0; i < answers; ++i) {
        QTest::keyClicks(answer, QStringLiteral("x"));
        QTest::keyClick(answer, Qt::Key_Return);
        QTest::keyClick(next, Qt::Key_Return);
    }
    std::puts("answered");
    std::fflush(stdout);
    std::raise(kill ? SIGKILL : SIGTERM);
    return application.exec();
}
