#pragma once

#include <QMainWindow>

class QLabel;
class QLineEdit;
class QPushButton;
class QStackedLayout;

namespace zel {

class LinkLabel;
class Panel;
namespace accessibility {
class Announcer;
}

// frmMain: the question panel and the result panel share one rectangle and
// take turns in front; the brand strip below shows one of its two labels.
class MainWindow final : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainWindow)

public:
    explicit MainWindow(QWidget *parent = nullptr);

    // Start-up calls this once, after the window is shown: one draw decides
    // which brand-strip label lies in front for the rest of the run.
    void chooseBrandLabel();

Q_SIGNALS:
    // The window is closing, by any means; closing is never cancelled.
    void closing();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QPushButton *buildQuestionPanel(QWidget *client); // returns its reading button
    QPushButton *buildResultPanel(QWidget *client); // returns its Back button
    void buildBrandStrip(QWidget *client);
    void showReading();
    void drawReading();
    void goBack();
    void openAbout();

    LinkLabel *forumLink = nullptr;
    QStackedLayout *panels = nullptr;
    Panel *questionPanel = nullptr;
    QLineEdit *questionField = nullptr;
    Panel *resultPanel = nullptr;
    QLabel *resultName = nullptr;
    QLabel *resultText = nullptr;
    QStackedLayout *brandLabels = nullptr;
    LinkLabel *coBrandLink = nullptr;
    LinkLabel *fullBrandLink = nullptr;
    accessibility::Announcer *announcer = nullptr;
    bool aboutOpen = false; // or on its way
};

} // namespace zel
