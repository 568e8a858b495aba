#include "sync_folder_dialog.h"

#include "widgets/prompts.h"
#include "widgets/window_parts.h"

#include <QCoreApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(SyncFolderDialog)
};

} // namespace

SyncFolderDialog::SyncFolderDialog(Prompts &prompts, const QString &folder, FolderProblem problemOf,
                                   QWidget *parent)
    : QDialog(parent)
    , m_prompts(prompts)
    , m_problemOf(std::move(problemOf))
{
    setObjectName(QStringLiteral("SyncFolderDialog"));
    setWindowTitle(Texts::tr("Synchronizace"));
    auto *layout = new QVBoxLayout(this);
    auto *explanation = new QLabel(
        Texts::tr("Složka, kterou synchronizační program (například Syncthing) sdílí mezi "
                  "vašimi počítači. Merko do ní zapisuje odpovědi tohoto počítače (do "
                  "podsložky merko/odpovedi) a čte odpovědi ostatních, takže plán "
                  "opakování je na všech počítačích stejný. Slovníky uložené v ní se "
                  "procvičují jako kdekoli jinde. Prázdné pole: bez synchronizace."),
        this);
    explanation->setObjectName(QStringLiteral("Label1"));
    explanation->setWordWrap(true);
    explanation->setMinimumWidth(420);
    layout->addWidget(explanation);

    auto *row = new QHBoxLayout;
    auto *caption = new QLabel(Texts::tr("&složka:"), this);
    m_folder = new QLineEdit(QDir::toNativeSeparators(folder), this);
    m_folder->setObjectName(QStringLiteral("Edit1"));
    caption->setBuddy(m_folder);
    auto *choose = new QToolButton(this);
    choose->setObjectName(QStringLiteral("SpeedButton1"));
    choose->setText(QStringLiteral("..."));
    choose->setFocusPolicy(Qt::TabFocus);
    connect(choose, &QToolButton::clicked, this, &SyncFolderDialog::chooseFolder);
    row->addWidget(caption);
    row->addWidget(m_folder, 1);
    row->addWidget(choose);
    layout->addLayout(row);

    auto *buttons = new QHBoxLayout;
    auto *none = NamedButton(Texts::tr("&Nesynchronizovat"), "Button3", this, false);
    auto *ok = NamedButton(QStringLiteral("OK"), "Button1", this, false);
    auto *cancel = NamedButton(Texts::tr("Zrušit"), "Button2", this, false);
    ok->setDefault(true);
    connect(none, &QPushButton::clicked, m_folder, &QLineEdit::clear);
    connect(ok, &QPushButton::clicked, this, &SyncFolderDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &SyncFolderDialog::reject);
    buttons->addWidget(none);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    setTabOrder(m_folder, choose);
    setTabOrder(choose, none);
    setTabOrder(none, ok);
    setTabOrder(ok, cancel);
}

QString SyncFolderDialog::folder() const
{
    const QString named = m_folder->text().trimmed();
    return named.isEmpty() ? QString() : QDir::cleanPath(QDir::fromNativeSeparators(named));
}

void SyncFolderDialog::accept()
{
    if (!folder().isEmpty()) {
        const QString problem = m_problemOf(folder());
        if (!problem.isEmpty()) {
            m_prompts.error(this, problem);
            m_folder->setFocus();
            return;
        }
    }
    QDialog::accept();
}

void SyncFolderDialog::chooseFolder()
{
    const QString chosen
        = m_prompts.folderName(this, folder().isEmpty() ? QDir::homePath() : folder());
    if (!chosen.isEmpty())
        m_folder->setText(QDir::toNativeSeparators(chosen));
}
