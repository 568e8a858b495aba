#include "prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace {

QString title()
{
    return QApplication::applicationDisplayName();
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

QString MessageBoxPrompts::saveFileName(QWidget *parent, const QString &directory,
                                        const QString &filter, const QString &defaultSuffix)
{
    QFileDialog dialog(parent, QString(), directory, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}
