#pragma once

#include <QDialog>

class LinkLabel;
class QLabel;
class QPushButton;

// The About window: the program's name, what the oracle is, and two links.
// Built afresh for each opening and destroyed when it closes.
class AboutWindow final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AboutWindow)

public:
    explicit AboutWindow(QWidget *parent = nullptr);

private:
    void lblHomePage_Click();
    void lblCobrand_Click();

    QPushButton *cmdOK = nullptr;
    QLabel *picIcon = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    LinkLabel *lblCobrand = nullptr;
    QLabel *Label3 = nullptr;
    LinkLabel *lblHomePage = nullptr;
    QWidget *Line2 = nullptr;
};

// Opens the About window modally above `over` and returns once it has closed.
void show_about(QWidget *over);
