#include "dictionary_chooser.h"

#include "dictionary_list.h"
#include "widgets/run_command.h"
#include "widgets/window_parts.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QHeaderView>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(DictionaryChooser)
};

} // namespace

DictionaryChooser::DictionaryChooser(Prompts &prompts, const QString &programDirectory,
                                     QWidget *parent)
    : QDialog(parent)
    , m_prompts(prompts)
    , m_programDirectory(programDirectory)
{
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(Texts::tr("    výběr slovníku:"));
    // Wider than the window first was, so that the folder tree shows whole names.
    resize(640, 380);
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
    createDirectoryTree();
    createFilePanel();
    m_splitter->setSizes({240, 400});
    m_splitter->setStretchFactor(1, 1);
    connectControls();
}

void DictionaryChooser::createDirectoryTree()
{
    m_directoryTree = new QTreeView(m_splitter);
    m_directoryTree->setObjectName(QStringLiteral("DirectoryListBox1"));
    m_directoryTree->setHeaderHidden(true);
    // Deep folders scroll sideways instead of cutting their names.
    m_directoryTree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_directoryTree->header()->setStretchLastSection(false);
    m_splitter->addWidget(m_directoryTree);
}

// The folder's path, its dictionaries, the drive box and "OK".
void DictionaryChooser::createFilePanel()
{
    auto *filePanel = new QWidget(m_splitter);
    filePanel->setObjectName(QStringLiteral("Panel2"));
    m_splitter->addWidget(filePanel);

    auto *panelLayout = new QVBoxLayout(filePanel);
    panelLayout->setContentsMargins(4, 4, 4, 4);
    m_folder = new QLabel(filePanel);
    m_folder->setObjectName(QStringLiteral("FolderLabel"));
    m_folder->setTextInteractionFlags(Qt::TextSelectableByMouse);
    panelLayout->addWidget(m_folder);
    m_dictionaryList = new QListWidget(filePanel);
    m_dictionaryList->setObjectName(QStringLiteral("ListBox1"));
    panelLayout->addWidget(m_dictionaryList, 1);

    auto *bottom = new QHBoxLayout;
    m_driveBox = new QComboBox(filePanel);
    m_driveBox->setObjectName(QStringLiteral("DriveComboBox1"));
    bottom->addWidget(m_driveBox, 1);
    m_okButton = NamedButton(QStringLiteral("OK"), "Button1", filePanel);
    bottom->addWidget(m_okButton);
    panelLayout->addLayout(bottom);

    m_fileList = new QListWidget(filePanel);
    m_fileList->setObjectName(QStringLiteral("FileListBox1"));
    m_fileList->hide();
}

void DictionaryChooser::connectControls()
{
    connect(m_dictionaryList, &QListWidget::itemDoubleClicked, this,
            &DictionaryChooser::chooseCurrentFile);
    connect(m_dictionaryList, &QListWidget::itemActivated, this,
            &DictionaryChooser::chooseCurrentFile);
    connect(m_okButton, &QPushButton::clicked, this, &DictionaryChooser::chooseCurrentFile);
    // The arrows on the closed box would switch the drive at once and empty the list: a drive
    // is chosen from the opened list (Alt+Down, F4 or a click).
    m_driveBox->installEventFilter(this);
    connect(m_driveBox, &QComboBox::activated, this,
            [this](int index) { openDirectory(m_driveBox->itemData(index).toString()); });
}

void DictionaryChooser::createTree()
{
    m_model = new QFileSystemModel(this);
    m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_model->setRootPath(QDir::rootPath());
    m_directoryTree->setModel(m_model);
    for (int column = 1; column < m_model->columnCount(); ++column)
        m_directoryTree->hideColumn(column);
    connect(m_directoryTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) { directoryChosen(current); });
    // The tree reads and sorts folders in the background, and every folder read moves the rows
    // below it: once the tree has settled, the working directory is scrolled into view.
    m_keepInView = new QTimer(this);
    m_keepInView->setSingleShot(true);
    m_keepInView->setInterval(0);
    connect(m_keepInView, &QTimer::timeout, this, [this] {
        m_directoryTree->scrollTo(m_directoryTree->currentIndex(),
                                  QAbstractItemView::PositionAtCenter);
    });
    const auto keepInView = [this] {
        m_keepInView->start();
    };
    connect(m_model, &QFileSystemModel::directoryLoaded, this, keepInView);
    connect(m_model, &QFileSystemModel::layoutChanged, this, keepInView);
    connect(m_model, &QFileSystemModel::rowsInserted, this, keepInView);
    fillDrives();
}

// Linux has no drive letters: the volumes stand in for them, the root and home first.
void DictionaryChooser::fillDrives()
{
    QStringList places{QDir::rootPath(), QDir::homePath()};
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady() && !places.contains(volume.rootPath()))
            places.append(volume.rootPath());
    }
    for (const QString &place : places)
        m_driveBox->addItem(QDir::toNativeSeparators(place), place);
}

void DictionaryChooser::showEvent(QShowEvent *event)
{
    refresh();
    QDialog::showEvent(event);
    m_dictionaryList->setFocus(Qt::TabFocusReason);
}

bool DictionaryChooser::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_driveBox && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool arrow = key->key() == Qt::Key_Up || key->key() == Qt::Key_Down
                           || key->key() == Qt::Key_PageUp || key->key() == Qt::Key_PageDown
                           || key->key() == Qt::Key_Home || key->key() == Qt::Key_End;
        if (arrow && !key->modifiers().testFlag(Qt::AltModifier))
            return true;
    }
    if (watched == m_driveBox && event->type() == QEvent::Wheel)
        return true;
    return QDialog::eventFilter(watched, event);
}

void DictionaryChooser::refresh()
{
    if (!m_model) {
        createTree();
        offerSampleDictionaries();
    }
    showWorkingDirectory();
}

// The tree, the drive box and the list all show the working directory.
void DictionaryChooser::showWorkingDirectory()
{
    const QModelIndex index = m_model->index(QDir::currentPath());
    if (index.isValid()) {
        const QSignalBlocker blocker(m_directoryTree->selectionModel());
        m_directoryTree->setCurrentIndex(index);
        m_directoryTree->scrollTo(index);
        m_directoryTree->expand(index);
    }
    showDriveOf(QDir::currentPath());
    m_folder->setText(QDir::toNativeSeparators(QDir::currentPath()));
    listDictionaries();
}

// A new user of an installed program starts in a folder without dictionaries: the first
// opening then shows the sample dictionaries, copied where their statistics can be written.
void DictionaryChooser::offerSampleDictionaries()
{
    if (!ListDictionaryFiles(QDir::currentPath()).isEmpty() || m_programDirectory.isEmpty())
        return;
    const QString samples = PrepareSampleDictionaries(
        InstalledSampleFolder(m_programDirectory),
        QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
            .filePath(QStringLiteral("dictionaries")));
    if (!samples.isEmpty())
        QDir::setCurrent(samples);
}

void DictionaryChooser::showDriveOf(const QString &path)
{
    // The volume whose root is the longest beginning of the path.
    int best = -1;
    qsizetype bestLength = -1;
    for (int i = 0; i < m_driveBox->count(); ++i) {
        const QString root = m_driveBox->itemData(i).toString();
        const bool contains
            = path == root || path.startsWith(root.endsWith('/') ? root : root + '/');
        if (contains && root.size() > bestLength) {
            best = i;
            bestLength = root.size();
        }
    }
    if (best >= 0)
        m_driveBox->setCurrentIndex(best);
}

void DictionaryChooser::openDirectory(const QString &path)
{
    if (!QDir::setCurrent(path))
        return;
    if (!m_model)
        createTree();
    showWorkingDirectory();
}

void DictionaryChooser::directoryChosen(const QModelIndex &index)
{
    if (index.isValid())
        openDirectory(m_model->filePath(index));
}

void DictionaryChooser::listDictionaries()
{
    m_dictionaryList->clear();
    m_fileList->clear();
    const QDir directory = QDir::current();
    const QStringList files = ListDictionaryFiles(directory.path());
    m_fileList->addItems(files);
    if (files.isEmpty())
        return;
    RunCommand(m_prompts, this, [&] {
        for (const QString &file : files) {
            const QString firstLine = ReadFirstLine(directory.filePath(file));
            auto *item = new QListWidgetItem(DictionaryListItem(file, firstLine), m_dictionaryList);
            item->setData(Qt::UserRole, file);
        }
    });
    if (m_dictionaryList->count() > 0)
        m_dictionaryList->setCurrentRow(0);
}

void DictionaryChooser::chooseCurrentFile()
{
    const QListWidgetItem *item = m_dictionaryList->currentItem();
    if (!item)
        return;
    // The full path, so that the setting finds the file whatever the working directory is
    // when it is next used.
    m_selectedPath = QDir::current().absoluteFilePath(item->data(Qt::UserRole).toString());
    accept();
}
