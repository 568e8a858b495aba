#include "selection_window.h"

#include "app/app_context.h"
#include "app/file_error.h"
#include "app/window_parts.h"
#include "dictionary_list.h"

#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QTreeView>
#include <QVBoxLayout>

TForm6::TForm6(AppContext &context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QStringLiteral("    výběr slovníku:"));
    resize(467, 352);
    QPalette silver = palette();
    silver.setColor(QPalette::Window, QColor(192, 192, 192));
    setPalette(silver);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(QStringLiteral("Splitter1"));
    m_splitter->setHandleWidth(2);
    m_splitter->setStyleSheet(QStringLiteral("QSplitter::handle { background: red; }"));
    layout->addWidget(m_splitter);

    m_directoryListBox1 = new QTreeView(m_splitter);
    m_directoryListBox1->setObjectName(QStringLiteral("DirectoryListBox1"));
    m_directoryListBox1->setHeaderHidden(true);
    m_splitter->addWidget(m_directoryListBox1);

    auto *panel2 = new QWidget(m_splitter);
    panel2->setObjectName(QStringLiteral("Panel2"));
    m_splitter->addWidget(panel2);
    m_splitter->setSizes({129, 338});
    m_splitter->setStretchFactor(1, 1);

    auto *panelLayout = new QVBoxLayout(panel2);
    panelLayout->setContentsMargins(4, 4, 4, 4);
    m_listBox1 = new QListWidget(panel2);
    m_listBox1->setObjectName(QStringLiteral("ListBox1"));
    panelLayout->addWidget(m_listBox1, 1);

    auto *bottom = new QHBoxLayout;
    m_driveComboBox1 = new QComboBox(panel2);
    m_driveComboBox1->setObjectName(QStringLiteral("DriveComboBox1"));
    bottom->addWidget(m_driveComboBox1, 1);
    QPushButton *button1 = NamedButton(QStringLiteral("OK"), "Button1", panel2);
    bottom->addWidget(button1);
    panelLayout->addLayout(bottom);

    m_fileListBox1 = new QListWidget(panel2);
    m_fileListBox1->setObjectName(QStringLiteral("FileListBox1"));
    m_fileListBox1->hide();

    connect(m_listBox1, &QListWidget::itemDoubleClicked, this, &TForm6::ListBox1DblClick);
    connect(m_listBox1, &QListWidget::itemActivated, this, &TForm6::ListBox1DblClick);
    connect(button1, &QPushButton::clicked, this, &TForm6::ListBox1DblClick);
    connect(m_driveComboBox1, &QComboBox::activated, this,
            [this](int index) { openDirectory(m_driveComboBox1->itemData(index).toString()); });
}

void TForm6::createTree()
{
    m_model = new QFileSystemModel(this);
    m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_model->setRootPath(QDir::rootPath());
    m_directoryListBox1->setModel(m_model);
    for (int column = 1; column < m_model->columnCount(); ++column)
        m_directoryListBox1->hideColumn(column);
    connect(m_directoryListBox1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) { directoryChosen(current); });
    // The tree reads folders in the background: keep the working directory in view.
    connect(m_model, &QFileSystemModel::directoryLoaded, this,
            [this] { m_directoryListBox1->scrollTo(m_directoryListBox1->currentIndex()); });
    fillDrives();
}

// Linux has no drive letters: the volumes stand in for them, the root and home first.
void TForm6::fillDrives()
{
    QStringList places{QDir::rootPath(), QDir::homePath()};
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady() && !places.contains(volume.rootPath()))
            places.append(volume.rootPath());
    }
    for (const QString &place : places)
        m_driveComboBox1->addItem(QDir::toNativeSeparators(place), place);
}

void TForm6::showEvent(QShowEvent *event)
{
    FormActivate();
    QDialog::showEvent(event);
}

void TForm6::FormActivate()
{
    if (!m_model) {
        createTree();
        offerSampleDictionaries();
    }
    showWorkingDirectory();
}

// The tree, the drive box and the list all show the working directory.
void TForm6::showWorkingDirectory()
{
    const QModelIndex index = m_model->index(QDir::currentPath());
    if (index.isValid()) {
        const QSignalBlocker blocker(m_directoryListBox1->selectionModel());
        m_directoryListBox1->setCurrentIndex(index);
        m_directoryListBox1->scrollTo(index);
        m_directoryListBox1->expand(index);
    }
    showDriveOf(QDir::currentPath());
    FileListBox1Change();
}

// A new user of an installed program starts in a folder without dictionaries: the first
// opening then shows the sample dictionaries, copied where their statistics can be written.
void TForm6::offerSampleDictionaries()
{
    if (!ListDictionaryFiles(QDir::currentPath()).isEmpty() || m_context.programDirectory.isEmpty())
        return;
    const QString samples = PrepareSampleDictionaries(
        InstalledSampleFolder(m_context.programDirectory),
        QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
            .filePath(QStringLiteral("dictionaries")));
    if (!samples.isEmpty())
        QDir::setCurrent(samples);
}

void TForm6::showDriveOf(const QString &path)
{
    // The volume whose root is the longest beginning of the path.
    int best = -1;
    qsizetype bestLength = -1;
    for (int i = 0; i < m_driveComboBox1->count(); ++i) {
        const QString root = m_driveComboBox1->itemData(i).toString();
        const bool contains
            = path == root || path.startsWith(root.endsWith('/') ? root : root + '/');
        if (contains && root.size() > bestLength) {
            best = i;
            bestLength = root.size();
        }
    }
    if (best >= 0)
        m_driveComboBox1->setCurrentIndex(best);
}

void TForm6::openDirectory(const QString &path)
{
    if (!QDir::setCurrent(path))
        return;
    if (!m_model)
        createTree();
    showWorkingDirectory();
}

void TForm6::directoryChosen(const QModelIndex &index)
{
    if (index.isValid())
        openDirectory(m_model->filePath(index));
}

void TForm6::FileListBox1Change()
{
    m_listBox1->clear();
    m_fileListBox1->clear();
    const QDir directory = QDir::current();
    const QStringList files = ListDictionaryFiles(directory.path());
    m_fileListBox1->addItems(files);
    if (files.isEmpty())
        return;
    try {
        for (const QString &file : files) {
            const QString firstLine = ReadFirstLine(directory.filePath(file));
            auto *item = new QListWidgetItem(DictionaryListItem(file, firstLine), m_listBox1);
            item->setData(Qt::UserRole, file);
        }
    } catch (const FileError &error) {
        m_context.prompts.error(this, error.message());
    }
    if (m_listBox1->count() > 0)
        m_listBox1->setCurrentRow(0);
}

void TForm6::ListBox1DblClick()
{
    const QListWidgetItem *item = m_listBox1->currentItem();
    if (!item)
        return;
    // The full path, so that the setting finds the file whatever the working directory is
    // when it is next used.
    m_context.settings.Slovnik
        = QDir::current().absoluteFilePath(item->data(Qt::UserRole).toString());
    accept();
}
