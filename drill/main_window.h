#pragma once

#include <QMainWindow>

#include <functional>

struct AppContext;
class AnimatedPicture;
class QAction;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class TAboutBox;
class TForm2;
class TForm3;
class TForm4;
class TForm5;
class TForm6;
class TForm7;
class TForm8;

// The windows that the main window opens from its menu, created after it at start-up.
struct SecondaryWindows
{
    TForm2 *settings = nullptr;
    TForm3 *editor = nullptr;
    TForm4 *newDictionary = nullptr;
    TAboutBox *about = nullptr;
    TForm5 *report = nullptr;
    TForm6 *selection = nullptr;
    TForm7 *current = nullptr;
    TForm8 *help = nullptr;
};

// The main window: the drill of the current dictionary, its counters and the main menu.
class TForm1 : public QMainWindow
{
    Q_OBJECT
public:
    enum class PanelColour { Silver, Lime, Red, Magenta };

    explicit TForm1(AppContext &context, QWidget *parent = nullptr);

    void setSecondaryWindows(const SecondaryWindows &windows);

    // The drill.
    void Button1Click();
    void OfferNextPair();
    void RecordAnswer(bool correct);
    void RefreshCounters();
    void ShowAnswerComment();
    void Edit2KeyDown(int key);
    // Returns whether the key was taken; keys that type nothing are left alone.
    bool Button1KeyDown(int key, const QString &text);
    void Edit2DblClick();
    void CheckAnswer();
    PanelColour panelColour() const { return m_panelColour; }

    // Loading and saving.
    void LoadVocabulary(const QString &fileName);
    void Nati1Click();

    // The rest of the menu.
    void Nov1Click();
    void Vbr1Click();
    void Ukaaktuln1Click();
    void Konec1Click();
    void etnosti1Click();
    void Chybovosti1Click();
    void etnosti2Click();
    void Chybovosti2Click();
    void Vechny1Click();
    void Aktuln1Click();
    void Volby1Click();
    void Help2Click();
    void Oaplikaci1Click();

    // Activation: the picture animates only while this window is active; the first
    // activation reads the settings and loads the last dictionary.
    void FormActivate();
    void FormDeactivate();

    // Effects of the settings window.
    void setCriteriaPanelVisible(bool visible);
    // An editor wrote this file: when it is the current dictionary's, the dictionary is read
    // from it again instead of being written back over it later.
    void dictionaryFileSaved(const QString &path);
    void hidePicture();

    // Runs a user command; a file error it raises is shown in an error box. True when the
    // command ran through.
    bool runCommand(const std::function<void()> &command);

signals:
    // A pair was put on screen; start-up measurements wait for the first one.
    void pairOffered();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void runStartUp();
    void buildControls();
    void buildMenu();
    bool hasPair() const;
    void setPanelColour(PanelColour colour);
    void showExpectedSide();
    void revealAnswer();
    void resetDrillCounters();
    void showReport(const QStringList &lines, const QString &title);
    void resetStatistics(const QString &question, void (*reset)(struct Vocabulary &));

    AppContext &m_context;
    SecondaryWindows m_windows;
    bool m_firstActivation = true;
    PanelColour m_panelColour = PanelColour::Silver;

    QLabel *m_label11 = nullptr;
    QLineEdit *m_edit1 = nullptr;
    QLineEdit *m_edit11 = nullptr;
    QFrame *m_panel1 = nullptr;
    QLineEdit *m_edit2 = nullptr;
    QLineEdit *m_edit12 = nullptr;
    QPushButton *m_button1 = nullptr;
    AnimatedPicture *m_picture = nullptr;
    QGroupBox *m_groupBox1 = nullptr;
    QLineEdit *m_edit3 = nullptr;
    QLineEdit *m_edit4 = nullptr;
    QLineEdit *m_edit5 = nullptr;
    QLineEdit *m_edit6 = nullptr;
    QLineEdit *m_edit7 = nullptr;
    QLineEdit *m_edit8 = nullptr;
    QLineEdit *m_edit9 = nullptr;
    QLineEdit *m_edit10 = nullptr;
    QLabel *m_label12 = nullptr;
    QProgressBar *m_gauge2 = nullptr;
};
