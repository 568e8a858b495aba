#include "prompts.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

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

void FitMessageBox(QMessageBox &box, const QString &text, const QString &details)
{
    QString shown = text;
    QString detailed = details;
    // A text taller than half the screen is cut there; the whole of it is behind
    // "Podrobnosti", where it scrolls. The box, its buttons included, stays on the screen.
    const QScreen *screen = box.screen();
    const int room = screen ? screen->availableGeometry().height() / 2 : 400;
    const QFontMetrics metrics(box.font());
    // As the label wraps it: at blanks, and a word wider than the box anywhere.
    const auto height = [&](const QString &candidate) {
        const QRect room(0, 0, 420, 1 << 20);
        return std::max(metrics.boundingRect(room, Qt::TextWordWrap, candidate).height(),
                        metrics.boundingRect(room, Qt::TextWrapAnywhere, candidate).height());
    };
    if (height(shown) > room) {
        qsizetype keep = shown.size();
        while (keep > 0 && height(shown.left(keep) + QChar(0x2026)) > room)
            keep /= 2;
        shown = shown.left(keep).trimmed() + QChar(0x2026);
        detailed = detailed.isEmpty() ? text : text + QStringLiteral("\n\n") + detailed;
    }
    box.setText(shown);
    // Behind Qt's own "Ukázat podrobnosti..." button.
    if (!detailed.isEmpty())
        box.setDetailedText(detailed);
}

namespace {

int showBox(QMessageBox::Icon icon, QWidget *parent, const QString &text, const QString &details,
            QMessageBox::StandardButtons buttons)
{
    QMessageBox box(icon, title(), QString(), buttons, parent);
    FitMessageBox(box, text, details);
    return box.exec();
}

} // namespace

bool MessageBoxPrompts::confirm(QWidget *parent, const QString &text)
{
    return showBox(QMessageBox::Question, parent, text, QString(),
                   QMessageBox::Yes | QMessageBox::No)
           == QMessageBox::Yes;
}

void MessageBoxPrompts::notice(QWidget *parent, const QString &text)
{
    showBox(QMessageBox::Information, parent, text, QString(), QMessageBox::Ok);
}

void MessageBoxPrompts::error(QWidget *parent, const QString &text, const QString &details)
{
    showBox(QMessageBox::Critical, parent, text, details, QMessageBox::Ok);
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
    QMessageBox box(QMessageBox::Critical, title(), QString(), QMessageBox::NoButton, parent);
    FitMessageBox(box, text, QString());
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
