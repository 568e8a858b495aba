#include "window_parts.h"

#include <QFontDatabase>
#include <QHBoxLayout>
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

QPushButton *NamedButton(const QString &text, const char *name, QWidget *parent, bool bold)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    QFont font = button->font();
    font.setBold(bold);
    button->setFont(font);
    button->setAutoDefault(false);
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

QFont FixedPitchFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setFamilies({QStringLiteral("Courier New"), font.family()});
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
