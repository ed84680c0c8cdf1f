#pragma once

#include "ui/plain_widgets.h"

class QLabel;
class QPushButton;

namespace zel {

class PromptField;

// Which of the four appeals the support window shows for r in [0, 1): floor(4 r).
int appealIndex(float r);
QString appealText(int index);

// The last window of every run: an appeal to visit the forum, the maker's
// other programs, and the refer-a-friend form. Its Exit and its closing ask
// to end the program.
class SupportWindow final : public DialogWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SupportWindow)

public:
    explicit SupportWindow(QWidget *parent = nullptr);

Q_SIGNALS:
    // E&xit was pressed or the window is closing: whoever listens (start-up)
    // ends the program.
    void exitRequested();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildAppeal();
    QList<QWidget *> buildReferralPanel();
    QWidget *buildLibraryPanel(); // returns its link
    void openHomePage();
    void referFriend();

    QLabel *appeal = nullptr;
    QPushButton *homeButton = nullptr;
    PromptField *name = nullptr;
    PromptField *email = nullptr;
    PromptField *friendName = nullptr;
    PromptField *friendEmail = nullptr;
    PromptField *message = nullptr;
};

} // namespace zel
