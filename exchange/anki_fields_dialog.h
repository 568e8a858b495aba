#pragma once

#include "anki_import.h"

#include <QDialog>
#include <QList>

class QComboBox;
class QLabel;

// "Pole poznámek z Anki": for each note type with more than two fields, which fields become
// the sides and the comments, with one note of the type shown as the pair it would give.
class AnkiFieldsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit AnkiFieldsDialog(const QList<AnkiTypeToChoose> &types, QWidget *parent = nullptr);

    AnkiFieldChoices choices() const;

private:
    struct TypeRow
    {
        AnkiTypeToChoose type;
        QComboBox *field[4] = {nullptr, nullptr, nullptr, nullptr}; // side 1, 2, comment 1, 2
        QLabel *example = nullptr;
    };
    static AnkiFieldChoice choiceOf(const TypeRow &row);
    void showExample(const TypeRow &row);

    QList<TypeRow> m_rows;
};
