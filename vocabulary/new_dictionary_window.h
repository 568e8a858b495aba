#pragma once

#include <QDialog>

struct AppContext;
class QLineEdit;
class QTableWidget;

// The new-dictionary window: a theme and a grid of Czech and foreign terms.
class TForm4 : public QDialog
{
    Q_OBJECT
public:
    static constexpr int GridRows = 500;

    explicit TForm4(AppContext &context, QWidget *parent = nullptr);

    void FormActivate();
    void Button1Click();
    void Button2Click();
    bool isSaved() const { return m_saved; }

    // Closing asks to save what was typed and not saved.
    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

signals:
    // A dictionary file was written; it may be the current dictionary's.
    void fileSaved(const QString &path);

private:
    AppContext &m_context;
    QLineEdit *m_edit1;
    QTableWidget *m_stringGrid1;
    bool m_saved = true;
    bool m_filling = false;
};
