#pragma once

#include <QDialog>

#include <functional>

struct Settings;
class Prompts;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class MemoryWeightsPanel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QToolButton;

// The settings window: every option in one control, in force as soon as it changes. It edits
// the settings record and tells the rest of the program that it changed.
class SettingsDialog : public QDialog
{
    Q_OBJECT
public:
    // Lets the user choose a dictionary and opens it; the chosen file, or empty.
    using ChooseDictionary = std::function<QString()>;

    // `historyPath`: the answer history that the memory model is fitted to.
    SettingsDialog(Settings &settings, Prompts &prompts, const QString &dataDirectory,
                   const QString &historyPath, ChooseDictionary chooseDictionary,
                   QWidget *parent = nullptr);

    // "ulož": writes the settings file.
    void saveSettings();

signals:
    // An option with an effect elsewhere (the side, the judging, the criterion panel, the
    // picture, the review schedule) has really changed.
    void settingsChanged();
    // The memory model's weights changed (fitted to the history, or the defaults again): the
    // history's cards are to follow them.
    void memoryModelChanged();
    // "Synchronizace...": the user wants to name the folder shared with other computers.
    void synchronisationRequested();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createChoices();
    void createPercentControls();
    void createScheduleControls();
    void createCheckBoxes();
    void createLanguageChoice();
    void createDictionaryField(const QFont &formFont);
    void createButtonsAndTabOrder();
    void connectChoices();
    QButtonGroup *radioGroup(const char *name, const QString &title, const QStringList &items,
                             const QRect &place);
    // Puts the options into the controls without the effects of a change.
    void showSettings();
    void showPercentControls();
    void showScheduleControls();
    void followAssessment();
    void chooseDictionary();
    void finish();

    Settings &m_settings;
    Prompts &m_prompts;
    const QString &m_dataDirectory;
    ChooseDictionary m_chooseDictionary;
    QButtonGroup *m_pairChoice;
    QButtonGroup *m_sideChoice;
    QButtonGroup *m_assessment;
    QLabel *m_thresholdLabel;
    QSpinBox *m_threshold;
    QLabel *m_retentionLabel;
    QSpinBox *m_retention;
    QLabel *m_newPerDayLabel;
    QSpinBox *m_newPerDay;
    QCheckBox *m_showCriterion;
    QCheckBox *m_showPicture;
    QCheckBox *m_commentAfterWrongAnswer;
    QPushButton *m_syncButton;
    QCheckBox *m_speakOffered;
    QCheckBox *m_speakAnswer;
    QCheckBox *m_showDifference;
    QComboBox *m_interfaceLanguage; // automatic, or one of the interface languages
    MemoryWeightsPanel *m_memoryWeights;
    QLineEdit *m_dictionaryPath;
    QToolButton *m_chooseButton = nullptr; // chooses the dictionary in the chooser
    QPushButton *m_okButton;
    QPushButton *m_saveButton;
};
