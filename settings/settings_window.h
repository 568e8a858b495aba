#pragma once

#include <QDialog>

struct AppContext;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;

// The settings window: every option in one control, in force as soon as it changes.
class TForm2 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm2(AppContext &context, QWidget *parent = nullptr);

    // Shows the options of the settings record; each change has its usual effect.
    void ApplySettings();

    void RadioGroup2Click();
    void RadioGroup3Click();
    void CheckBox2Click();
    void Edit1Change();
    void Button2Click();
    void Button1Click();

signals:
    void criteriaPanelVisibilityChanged(bool visible);
    void pictureSwitchedOff();
    // "..." or a double click on the path field: the main menu's load command.
    void loadRequested();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QButtonGroup *radioGroup(const char *name, const QString &title, const QStringList &items,
                             const QRect &place);

    AppContext &m_context;
    QButtonGroup *m_radioGroup1;
    QButtonGroup *m_radioGroup2;
    QButtonGroup *m_radioGroup3;
    QLabel *m_label1;
    QSpinBox *m_spinEdit1;
    QCheckBox *m_checkBox1;
    QCheckBox *m_checkBox2;
    QCheckBox *m_checkBox3;
    QLineEdit *m_edit1;
};
