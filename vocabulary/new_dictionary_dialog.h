#pragma once

#include <QDialog>

class Prompts;
class WriteJournal;
class QLineEdit;
class QTableWidget;

// The new-dictionary window: a theme and a grid of Czech and foreign terms.
class NewDictionaryDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr int GridRows = 500;

    // Files are written through the journal, so that a kill half-way loses nothing.
    NewDictionaryDialog(Prompts &prompts, const WriteJournal &journal, QWidget *parent = nullptr);

    // "ulož": asks for a file name and writes the theme and the pairs there.
    void save();
    bool isSaved() const { return m_saved; }
    // Empties the grid below its headings; the theme stays. Done at every opening.
    void clearGrid();

    // Closing asks to save what was typed and not saved.
    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

signals:
    // A dictionary file was written; it may be the current dictionary's.
    void fileSaved(const QString &path);

private:
    Prompts &m_prompts;
    const WriteJournal &m_journal;
    QLineEdit *m_theme;
    QTableWidget *m_grid;
    bool m_saved = true;
    bool m_filling = false;
};
