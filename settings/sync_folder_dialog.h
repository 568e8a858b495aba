#pragma once

#include <QDialog>

class Prompts;
class QLineEdit;

// Names the folder that a sync tool shares between the user's computers, or none. The folder
// is accepted only when the answers can be kept in it.
class SyncFolderDialog : public QDialog
{
    Q_OBJECT
public:
    SyncFolderDialog(Prompts &prompts, const QString &folder, QWidget *parent = nullptr);

    // The folder named, empty for none.
    QString folder() const;

    void accept() override;

private:
    void chooseFolder();

    Prompts &m_prompts;
    QLineEdit *m_folder;
};
