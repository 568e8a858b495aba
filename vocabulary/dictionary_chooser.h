#pragma once

#include <QDialog>
#include <QStringList>

class Prompts;
class QComboBox;
class QLabel;
class QFileSystemModel;
class QListWidget;
class QModelIndex;
class QPushButton;
class QSplitter;
class QTimer;
class QTreeView;

// The dictionary selection window: volumes, a directory tree that sets the working
// directory, and the dictionary files of that directory with their themes. It returns the
// chosen file; what is done with it is the caller's.
class DictionaryChooser : public QDialog
{
    Q_OBJECT
public:
    // The program's directory tells where an installed program keeps its sample dictionaries.
    DictionaryChooser(Prompts &prompts, const QString &programDirectory, QWidget *parent = nullptr);

    // The full path of the file chosen last.
    QString selectedPath() const { return m_selectedPath; }
    // Chooses the file under the cursor of the list and closes the window.
    void chooseCurrentFile();

    // Shows the working directory and its dictionaries again; done at every opening.
    void refresh();
    // Opens a directory as the tree does: it becomes the working directory.
    void openDirectory(const QString &path);

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void listDictionaries();
    void createDirectoryTree();
    void createFilePanel();
    void connectControls();
    // The folder model, built when the window is first shown.
    void createTree();
    void fillDrives();
    void offerSampleDictionaries();
    void showDriveOf(const QString &path);
    void showWorkingDirectory();
    void directoryChosen(const QModelIndex &index);

    Prompts &m_prompts;
    const QString &m_programDirectory;
    QString m_selectedPath;
    QSplitter *m_splitter;
    QPushButton *m_okButton;
    QTreeView *m_directoryTree;
    QFileSystemModel *m_model = nullptr; // created when the window is first shown
    QTimer *m_keepInView = nullptr;      // scrolls the working directory into view
    QListWidget *m_dictionaryList;
    QListWidget *m_fileList;
    QComboBox *m_driveBox;
    QLabel *m_folder; // the working directory's path
};
