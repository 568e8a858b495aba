#pragma once

#include <QDialog>

struct Settings;
class Prompts;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;

// The settings window: every option in one control, in force as soon as it changes. It edits
// the settings record and tells the rest of the program what it changed through its signals.
class SettingsDialog : public QDialog
{
    Q_OBJECT
public:
    SettingsDialog(Settings &settings, Prompts &prompts, const QString &dataDirectory,
                   QWidget *parent = nullptr);

    // "ulož": writes the settings file.
    void saveSettings();

signals:
    // "v češtině" or "v jazyku" was picked: the side (1 or 2) to offer from now on.
    void offeredSideChosen(int side);
    void criterionPanelVisibilityChanged(bool visible);
    void pictureSwitchedOff();
    // "..." or a double click on the path field: the main menu's load command.
    void chooseDictionaryRequested();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QButtonGroup *radioGroup(const char *name, const QString &title, const QStringList &items,
                             const QRect &place);
    // Puts the options into the controls without the effects of a change.
    void showSettings();
    void showPercentControls();
    void followAssessment();
    void chooseDictionary();
    void finish();

    Settings &m_settings;
    Prompts &m_prompts;
    const QString &m_dataDirectory;
    QButtonGroup *m_pairChoice;
    QButtonGroup *m_sideChoice;
    QButtonGroup *m_assessment;
    QLabel *m_thresholdLabel;
    QSpinBox *m_threshold;
    QCheckBox *m_showCriterion;
    QCheckBox *m_showPicture;
    QCheckBox *m_commentAfterWrongAnswer;
    QLineEdit *m_dictionaryPath;
};
