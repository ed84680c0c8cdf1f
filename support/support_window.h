#pragma once

#include <QWidget>

class LinkLabel;
class Panel;
class PromptField;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// Which of the four appeals the support window shows for r in [0, 1): floor(4 r).
int appeal_index(float r);
QString appeal_text(int index);

// The last window of every run: an appeal to visit the forum, the maker's
// other programs, and the refer-a-friend form. Closing it ends the program.
class SupportWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SupportWindow)

public:
    explicit SupportWindow(QWidget *parent = nullptr);

    void cmdSubmit_Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void Form_Load();
    void Form_Unload();
    void Check1_Click(bool checked);
    void lblGoToHome_Click();
    void cmdClose_Click();

    QLabel *Picture1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QPushButton *Check1 = nullptr;
    QPushButton *cmdClose = nullptr;
    Panel *Frame2 = nullptr;
    QLineEdit *txtName = nullptr;
    QLineEdit *txtEmail = nullptr;
    QLineEdit *txtFriendName = nullptr;
    QLineEdit *txtFriendEmail = nullptr;
    QPushButton *cmdSubmit = nullptr;
    QPlainTextEdit *txtMessage = nullptr;
    Panel *Frame6 = nullptr;
    QLabel *Label3 = nullptr;
    LinkLabel *lblGoToHome = nullptr;

    PromptField *name = nullptr;
    PromptField *email = nullptr;
    PromptField *friendName = nullptr;
    PromptField *friendEmail = nullptr;
    PromptField *message = nullptr;
};
