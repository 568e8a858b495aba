#include "prompts.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(Prompts)
};

QString title()
{
    return QStringLiteral("Merko");
}

} // namespace

bool MessageBoxPrompts::confirm(QWidget *parent, const QString &text)
{
    return QMessageBox::question(parent, title(), text) == QMessageBox::Yes;
}

void MessageBoxPrompts::notice(QWidget *parent, const QString &text)
{
    QMessageBox::information(parent, title(), text);
}

void MessageBoxPrompts::error(QWidget *parent, const QString &text)
{
    QMessageBox::critical(parent, title(), text);
}

QString MessageBoxPrompts::folderName(QWidget *parent, const QString &start)
{
    return QFileDialog::getExistingDirectory(parent, QString(), start);
}

QString MessageBoxPrompts::openFileName(QWidget *parent, const QString &directory,
                                        const QString &filter)
{
    QFileDialog dialog(parent, QString(), directory, filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

WriteFailureChoice MessageBoxPrompts::writeFailed(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::Critical, title(), text, QMessageBox::NoButton, parent);
    QPushButton *retry = box.addButton(Texts::tr("Zkusit znovu"), QMessageBox::AcceptRole);
    QPushButton *elsewhere = box.addButton(Texts::tr("Uložit jinam..."), QMessageBox::ActionRole);
    QPushButton *discard
        = box.addButton(Texts::tr("Zavřít bez uložení"), QMessageBox::DestructiveRole);
    box.setDefaultButton(retry);
    box.setEscapeButton(retry);
    box.exec();
    if (box.clickedButton() == elsewhere)
        return WriteFailureChoice::SaveElsewhere;
    if (box.clickedButton() == discard)
        return WriteFailureChoice::Discard;
    return WriteFailureChoice::Retry;
}

QString MessageBoxPrompts::saveFileName(QWidget *parent, const QString &start,
                                        const QString &filter, const QString &defaultSuffix)
{
    const QFileInfo startAt(start);
    QFileDialog dialog(parent, QString(), startAt.isDir() ? start : startAt.absolutePath(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix);
    if (!startAt.isDir())
        dialog.selectFile(startAt.fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}
