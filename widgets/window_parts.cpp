#include "window_parts.h"

#include <QAction>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

QVBoxLayout *FlatColumn(QWidget *window)
{
    auto *layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    return layout;
}

namespace {

class EnterPresses : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                static_cast<QPushButton *>(watched)->click();
                return true;
            }
        }
        return false;
    }
};

// Enter (and the keypad's Enter) press the button when it has the focus, as Space does.
void pressOnEnter(QPushButton *button)
{
    button->installEventFilter(new EnterPresses(button));
}

} // namespace

void SaveShortcut(QPushButton *button)
{
    auto *action = new QAction(button);
    action->setShortcut(QKeySequence::Save);
    action->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(action, &QAction::triggered, button, &QPushButton::click);
    button->window()->addAction(action);
}

QPushButton *NamedButton(const QString &text, const char *name, QWidget *parent, bool bold)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    QFont font = button->font();
    font.setBold(bold);
    button->setFont(font);
    button->setAutoDefault(false);
    pressOnEnter(button);
    return button;
}

QWidget *ButtonStrip(const char *name, int height, const QList<QPushButton *> &buttons,
                     QWidget *parent)
{
    auto *strip = new QWidget(parent);
    strip->setObjectName(QLatin1String(name));
    strip->setFixedHeight(height);
    auto *layout = new QHBoxLayout(strip);
    layout->addStretch();
    for (QPushButton *button : buttons) {
        button->setParent(strip);
        layout->addWidget(button);
    }
    return strip;
}

QString CellText(const QTableWidget *grid, int row, int column)
{
    const QTableWidgetItem *item = grid->item(row, column);
    return item ? item->text() : QString();
}

namespace {

// The first of the families that is installed, else the system's font of that kind. Naming
// only installed families spares the toolkit a search for a substitute, which costs more
// than building the whole main window.
QFont InstalledFont(const QStringList &preferred, QFontDatabase::SystemFont kind)
{
    QFont font = QFontDatabase::systemFont(kind);
    const QStringList installed = QFontDatabase::families();
    for (const QString &family : preferred) {
        if (installed.contains(family)) {
            font.setFamily(family);
            break;
        }
    }
    return font;
}

} // namespace

QFont FixedPitchFont()
{
    return InstalledFont({QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"),
                          QStringLiteral("DejaVu Sans Mono")},
                         QFontDatabase::FixedFont);
}

QFont SerifFont()
{
    QFont font = InstalledFont({QStringLiteral("Times New Roman"),
                                QStringLiteral("Liberation Serif"), QStringLiteral("DejaVu Serif")},
                               QFontDatabase::GeneralFont);
    font.setStyleHint(QFont::Serif);
    return font;
}

QPlainTextEdit *Memo(QWidget *parent, const QFont &font, bool wrapLines)
{
    auto *memo = new QPlainTextEdit(parent);
    memo->setObjectName(QStringLiteral("Memo1"));
    memo->setFont(font);
    memo->setLineWrapMode(wrapLines ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    return memo;
}
