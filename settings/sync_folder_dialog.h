#pragma once

#include <QDialog>

#include <functional>

class Prompts;
class QLineEdit;

// Names the folder that a sync tool shares between the user's computers, or none. The folder
// is accepted only when the answers can be kept in it: `problemOf` says why not (or nothing),
// as the history that keeps them there knows.
class SyncFolderDialog : public QDialog
{
    Q_OBJECT
public:
    using FolderProblem = std::function<QString(const QString &folder)>;

    SyncFolderDialog(Prompts &prompts, const QString &folder, FolderProblem problemOf,
                     QWidget *parent = nullptr);

    // The folder named, empty for none.
    QString folder() const;

    void accept() override;

private:
    void chooseFolder();

    Prompts &m_prompts;
    FolderProblem m_problemOf;
    QLineEdit *m_folder;
};
