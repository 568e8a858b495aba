#pragma once

#include <QString>

class QMessageBox;
class QWidget;

// What the user chose when a dictionary could not be written back.
enum class WriteFailureChoice { Retry, SaveElsewhere, Discard };

// Every message, question and save dialog of the program goes through this interface, so
// that tests can answer them; the program itself uses message boxes and the file dialog.
class Prompts
{
public:
    virtual ~Prompts() = default;

    // A question with Yes and No; true only for Yes.
    virtual bool confirm(QWidget *parent, const QString &text) = 0;
    // A plain message with OK.
    virtual void notice(QWidget *parent, const QString &text) = 0;
    // An error message with OK; technical details, when there are any, behind "Podrobnosti".
    virtual void error(QWidget *parent, const QString &text, const QString &details = QString())
        = 0;
    // The file name chosen in a save dialog, or empty when the user cancelled. The dialog
    // starts at `start`: a folder, or a file whose name it offers.
    virtual QString saveFileName(QWidget *parent, const QString &start, const QString &filter,
                                 const QString &defaultSuffix)
        = 0;
    // The file chosen in an open dialog, or empty when the user cancelled.
    virtual QString openFileName(QWidget *parent, const QString &directory, const QString &filter)
        = 0;
    // The folder chosen in a folder dialog that starts at `start`, or empty when cancelled.
    virtual QString folderName(QWidget *parent, const QString &start) = 0;
    // An error box for a failed write-back: "Zkusit znovu", "Uložit jinam...", "Zavřít bez
    // uložení". Closing the box retries.
    virtual WriteFailureChoice writeFailed(QWidget *parent, const QString &text) = 0;
};

// Gives a message box its text and details so that it fits the screen: a text taller than half
// the screen is cut there, and the whole of it is shown behind "Podrobnosti".
void FitMessageBox(QMessageBox &box, const QString &text, const QString &details);

class MessageBoxPrompts : public Prompts
{
public:
    bool confirm(QWidget *parent, const QString &text) override;
    void notice(QWidget *parent, const QString &text) override;
    void error(QWidget *parent, const QString &text, const QString &details = QString()) override;
    QString saveFileName(QWidget *parent, const QString &start, const QString &filter,
                         const QString &defaultSuffix) override;
    WriteFailureChoice writeFailed(QWidget *parent, const QString &text) override;
    QString openFileName(QWidget *parent, const QString &directory, const QString &filter) override;
    QString folderName(QWidget *parent, const QString &start) override;
};
