#pragma once

#include <QDialog>
#include <QStringList>

struct AppContext;
class QComboBox;
class QFileSystemModel;
class QListWidget;
class QModelIndex;
class QSplitter;
class QTreeView;

// The dictionary selection window: volumes, a directory tree that sets the working
// directory, and the dictionary files of that directory with their themes.
class TForm6 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm6(AppContext &context, QWidget *parent = nullptr);

    void FormActivate();
    void FileListBox1Change();
    void ListBox1DblClick();

    // Opens a directory as the tree does: it becomes the working directory.
    void openDirectory(const QString &path);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void createTree();
    void fillDrives();
    void offerSampleDictionaries();
    void showDriveOf(const QString &path);
    void showWorkingDirectory();
    void directoryChosen(const QModelIndex &index);

    AppContext &m_context;
    QSplitter *m_splitter;
    QTreeView *m_directoryListBox1;
    QFileSystemModel *m_model = nullptr; // created when the window is first shown
    QListWidget *m_listBox1;
    QListWidget *m_fileListBox1;
    QComboBox *m_driveComboBox1;
};
