#pragma once

#include <QDialog>

namespace zel {

// The About window: the program's name, what the oracle is, and two links.
// Built afresh for each opening and destroyed when it closes.
class AboutWindow final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AboutWindow)

public:
    explicit AboutWindow(QWidget *parent = nullptr);

private:
    void openHomePage();
    void openFullBrandPage();
};

// Opens the About window modally above `over` and returns once it has closed.
void showAbout(QWidget *over);

} // namespace zel
