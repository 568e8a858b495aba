#pragma once

#include "languages.h"

#include <QDialog>

class QComboBox;

// "Jazyky slovníku": the languages of the two sides, for speaking them in the right voice.
// Each is chosen from the languages known by name or typed as an ISO code.
class LanguagesDialog : public QDialog
{
    Q_OBJECT
public:
    explicit LanguagesDialog(QWidget *parent = nullptr);

    void setLanguages(const SideLanguages &languages);
    SideLanguages languages() const;

private:
    QComboBox *m_side[3] = {nullptr, nullptr, nullptr};
};
