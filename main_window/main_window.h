#pragma once

#include <QMainWindow>

class LinkLabel;
class Panel;
class QLabel;
class QLineEdit;
class QPushButton;
class QCloseEvent;
class QWidget;

// frmMain: the question panel and the result panel share one rectangle and
// take turns in front; the brand strip below shows one of its two labels.
class MainWindow final : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainWindow)

public:
    explicit MainWindow(QWidget *parent = nullptr);

    // Start-up calls this once, after the window is shown.
    void CoBrand_Randomize();

    void cmdProceed_Click();
    void cmdBack_Click();

    void mnuExit_Click();
    void mnuOnline_Click();
    void mnuVisit_Click();
    void mnuUpdate_Click();
    void mnuAbout_Click();
    void mnuDonate_Click();
    void Label14_Click();
    void lblCobrand_Click();
    void lblFullBrand_Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenuBar();
    void Form_Unload();
    void Form_Load();
    void Oracle_Draw();

    LinkLabel *Label14 = nullptr;
    Panel *fraMain = nullptr;
    QLabel *Picture1_0 = nullptr;
    QLabel *lblLabel_0 = nullptr;
    QLabel *lblLabel_3 = nullptr;
    QLineEdit *txtQuestion = nullptr;
    QPushButton *cmdProceed = nullptr;
    Panel *fraResult = nullptr;
    QLabel *Picture1_1 = nullptr;
    QPushButton *cmdBack = nullptr;
    QLabel *lblResult_0 = nullptr;
    QLabel *lblResult_1 = nullptr;
    QWidget *fraFullBrand = nullptr;
    LinkLabel *lblCobrand = nullptr;
    LinkLabel *lblFullBrand = nullptr;
};
