#pragma once

#include <QWidget>

struct Settings;
class MemoryFitRun;
class Prompts;
class QLabel;
class QProgressDialog;
class QPushButton;
struct Optimisation;

// The memory model's weights in the settings window: which are in force (the published ones,
// or the learner's own with the day they were fitted), a button that fits them to the answers
// of the history (off the window's thread, with a progress bar that can cancel it) and tells
// how the weights in force and the fitted ones predict recall, and one that goes back to the
// published weights. Weights that change are written to the settings file at once.
class MemoryWeightsPanel : public QWidget
{
    Q_OBJECT
public:
    MemoryWeightsPanel(Settings &settings, Prompts &prompts, const QString &dataDirectory,
                       QString historyPath, QWidget *parent);
    ~MemoryWeightsPanel() override;

    // Shows the weights of the settings.
    void showWeights();
    QPushButton *optimiseButton() const { return m_optimise; }
    QPushButton *defaultsButton() const { return m_defaults; }

signals:
    // The weights in force changed.
    void changed();

private:
    void optimise();
    void fitFinished(const std::optional<Optimisation> &result, const QString &failure);
    void restoreDefaults();
    void keep();

    Settings &m_settings;
    Prompts &m_prompts;
    const QString &m_dataDirectory;
    QString m_historyPath;
    QLabel *m_state;
    QPushButton *m_optimise;
    QPushButton *m_defaults;
    MemoryFitRun *m_run = nullptr;
    QProgressDialog *m_progress = nullptr;
};
