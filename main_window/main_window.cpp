#include "main_window.h"

#include "about_window.h"
#include "brand_choice.h"
#include "link_label.h"
#include "look.h"
#include "open_link.h"
#include "oracle_table.h"
#include "panel.h"
#include "random_source.h"
#include "support_window.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPixmap>
#include <QPushButton>

#include <limits>

namespace {

// The window's design: texts, colours, fonts and rectangles (pixels at 96 DPI,
// relative to the client area or to the panel that holds the control).
// Half-pixel positions of the design (108.5, 262.5, 53.3) round to whole pixels.
const QString Title = QStringLiteral("Zel Orvalis v1.0");
constexpr QSize ClientArea(562, 354);

const QColor White(255, 255, 255);
const QColor Black(0, 0, 0);
const QColor LinkBlue(68, 109, 217);
const QColor Purple(154, 54, 171);
const QColor Yellow(255, 255, 0);
const QColor LightYellow(255, 255, 192);

const QString PicturePath = QStringLiteral(":/assets/picture.png");

const QString ForumText = QStringLiteral(
    "The Most Popular Online Velmora Discussion Forum. Click Here To Visit Velmora Now.");
const QString GuideText = QStringLiteral(
    "Let the Zel Orvalis guide you in your quest for answers. Take a deep breath and "
    "concentrate on the question in mind. The Oracle will answer your question in seconds!");
const QString QuestionPrompt = QStringLiteral("Enter Your Question");
const QString ProceedCaption = QStringLiteral("&Orvalis Reading");
const QString ResultCaption = QStringLiteral("Zel Orvalis Results");
const QString BackCaption = QStringLiteral("&Back");
const QString CoBrandCaption = QStringLiteral(
    "Co-brand this software for your site. Increase loyalty and traffic to your site. Put "
    "your site's name &&  link here. See \"Help\" for details. Click Here for more info on "
    "co-branding.");
const QString FullBrandCaption = QStringLiteral(
    "Home Business Opportunity. Start your own Internet business and make money online. Get "
    "this software fully branded for your website. Click here for more details.");

constexpr QRect Label14Rect(108, 0, 345, 29);
constexpr QRect PanelRect(0, 32, 562, 265);
constexpr QRect PictureRect(24, 32, 157, 150);
constexpr QRect GuideRect(212, 40, 321, 61);
constexpr QRect QuestionPromptRect(262, 112, 130, 13);
constexpr QRect QuestionRect(262, 128, 220, 20);
constexpr QRect ProceedRect(262, 157, 220, 25);
constexpr QRect BackRect(24, 232, 53, 25);
constexpr QRect NameRect(192, 32, 55, 18); // grows with the drawn name
constexpr QRect ReadingRect(192, 56, 357, 201);
constexpr QRect BrandStripRect(0, 297, 562, 57);
constexpr QRect BrandLabelRect(8, 11, 545, 40);

QFont verdana(double points, unsigned style = look::Regular)
{
    return look::design_font(QStringLiteral("Verdana"), points, style);
}

void setTextColour(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

void setBackground(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QLabel *textLabel(QWidget *parent, const char *name, const QString &text, const QRect &rect,
                  const QFont &font, const QColor &colour, Qt::Alignment alignment, bool wraps)
{
    auto *label = look::place(new QLabel(text, parent), name, rect);
    label->setTextFormat(Qt::PlainText);
    label->setFont(text.isEmpty() ? font : look::fitted_font(font, text, rect.size(), wraps));
    label->setAlignment(alignment);
    label->setWordWrap(wraps);
    setTextColour(label, colour);
    return label;
}

// A label that grows to fit its text, keeping its top-left corner; a fixed
// text keeps within the width it was designed with.
QLabel *autoSizeLabel(QWidget *parent, const char *name, const QString &text, const QRect &design,
                      const QFont &font, const QColor &colour)
{
    auto *label
        = textLabel(parent, name, text, design, font, colour, Qt::AlignLeft | Qt::AlignTop, false);
    label->adjustSize();
    return label;
}

QLabel *picture(QWidget *parent, const char *name)
{
    auto *label = look::place(new QLabel(parent), name, PictureRect);
    label->setPixmap(QPixmap(PicturePath));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setAccessibleName(QStringLiteral("Oracle"));
    label->setAccessibleDescription(
        QStringLiteral("An antique sculpted head with a fan-shaped crown"));
    return label;
}

Panel *panel(QWidget *parent, const char *name, const QString &caption)
{
    auto *box = look::place(new Panel(caption, parent), name, PanelRect);
    box->setFont(verdana(8.25, look::Bold)); // the caption's font
    setBackground(box, Purple);
    setTextColour(box, White);
    return box;
}

QPushButton *button(QWidget *parent, const char *name, const QString &caption, const QRect &rect)
{
    auto *b = look::place(new QPushButton(caption, parent), name, rect);
    b->setFont(verdana(8.25, look::Bold));
    // Enter presses a focused button, as on the system this window was drawn
    // for; outside a dialog this never makes it a default button.
    b->setAutoDefault(true);
    return b;
}

LinkLabel *brandLabel(QWidget *parent, const char *name, const QString &caption,
                      const QString &destination)
{
    const QString text = look::label_caption(caption);
    auto *label = look::place(new LinkLabel(text, destination, parent), name, BrandLabelRect);
    label->setFont(look::fitted_font(verdana(8.25, look::Bold | look::Underline), text,
                                     BrandLabelRect.size(), true));
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setWordWrap(true);
    setTextColour(label, LinkBlue);
    setBackground(label, White);
    return label;
}

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(Title);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowCloseButtonHint);
    setFont(verdana(8.25));

    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("clientArea"));
    client->setFixedSize(ClientArea);
    setBackground(client, White);
    setCentralWidget(client);
    buildMenuBar();
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    // Created in design order, so later controls lie above earlier ones.
    Label14 = look::place(new LinkLabel(ForumText, QStringLiteral("the Velmora forum"), client),
                          "Label14", Label14Rect);
    Label14->setFont(look::fitted_font(verdana(8.25, look::Bold | look::Underline), ForumText,
                                       Label14Rect.size(), true));
    Label14->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label14->setWordWrap(true);
    setTextColour(Label14, LinkBlue);

    fraMain = panel(client, "fraMain", QString());
    fraMain->setAccessibleName(QStringLiteral("Your question"));
    Picture1_0 = picture(fraMain, "Picture1_0");
    lblLabel_0 = textLabel(fraMain, "lblLabel_0", GuideText, GuideRect, verdana(8.25, look::Bold),
                           White, Qt::AlignHCenter | Qt::AlignTop, true);
    lblLabel_3 = autoSizeLabel(fraMain, "lblLabel_3", QuestionPrompt, QuestionPromptRect,
                               verdana(8.25, look::Bold), Yellow);
    txtQuestion = look::place(new QLineEdit(fraMain), "txtQuestion", QuestionRect);
    txtQuestion->setFont(verdana(8.25));
    txtQuestion->setAccessibleName(QuestionPrompt);
    txtQuestion->setMaxLength(std::numeric_limits<int>::max()); // no limit of ours
    QPalette field = txtQuestion->palette();
    field.setColor(QPalette::Base, White);
    field.setColor(QPalette::Text, Black);
    txtQuestion->setPalette(field);
    cmdProceed = button(fraMain, "cmdProceed", ProceedCaption, ProceedRect);

    fraResult = panel(client, "fraResult", ResultCaption);
    Picture1_1 = picture(fraResult, "Picture1_1");
    cmdBack = button(fraResult, "cmdBack", BackCaption, BackRect);
    // Empty until the first reading sizes it to the drawn name, so its font
    // is not loaded before the window is on screen.
    lblResult_0 = textLabel(fraResult, "lblResult_0", QString(), NameRect, verdana(12, look::Bold),
                            Yellow, Qt::AlignLeft | Qt::AlignTop, false);
    lblResult_1 = textLabel(fraResult, "lblResult_1", QString(), ReadingRect, verdana(9),
                            LightYellow, Qt::AlignLeft | Qt::AlignTop, true);

    fraFullBrand = look::place(new QWidget(client), "fraFullBrand", BrandStripRect);
    setBackground(fraFullBrand, White);
    lblCobrand = brandLabel(fraFullBrand, "lblCobrand", CoBrandCaption,
                            QStringLiteral("the co-branding offer"));
    lblFullBrand = brandLabel(fraFullBrand, "lblFullBrand", FullBrandCaption,
                              QStringLiteral("the full-branding offer"));

    // A fixed border: the window is exactly its client area (and, above it,
    // the menu bar) and nothing can resize or maximise it.
    setFixedSize(sizeHint());

    setTabOrder(txtQuestion, cmdProceed);
    setTabOrder(cmdProceed, cmdBack);
    txtQuestion->setFocus();

    connect(cmdProceed, &QPushButton::clicked, this, &MainWindow::cmdProceed_Click);
    connect(cmdBack, &QPushButton::clicked, this, &MainWindow::cmdBack_Click);
    connect(Label14, &LinkLabel::clicked, this, &MainWindow::Label14_Click);
    connect(lblCobrand, &LinkLabel::clicked, this, &MainWindow::lblCobrand_Click);
    connect(lblFullBrand, &LinkLabel::clicked, this, &MainWindow::lblFullBrand_Click);

    Form_Load();
}

// Entries carry no shortcut keys: mouse and access keys reach them.
void MainWindow::buildMenuBar()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("menuBar"));
    const auto entry = [this](QWidget *owner, const char *name, const QString &caption,
                              void (MainWindow::*handler)()) {
        auto *action = new QAction(caption, owner);
        action->setObjectName(QLatin1String(name));
        owner->addAction(action);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    const auto separator = [](QMenu *menu, const char *name) {
        menu->addSeparator()->setObjectName(QLatin1String(name));
    };

    QMenu *mnuFile = bar->addMenu(QStringLiteral("&File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    entry(mnuFile, "mnuExit", QStringLiteral("E&xit"), &MainWindow::mnuExit_Click);

    QMenu *mnuHelp = bar->addMenu(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    entry(mnuHelp, "mnuOnline", QStringLiteral("&Online Help"), &MainWindow::mnuOnline_Click);
    entry(mnuHelp, "mnuVisit", QStringLiteral("&Visit Us Online"), &MainWindow::mnuVisit_Click);
    separator(mnuHelp, "mnuSep2");
    entry(mnuHelp, "mnuUpdate", QStringLiteral("Check for Software &Update"),
          &MainWindow::mnuUpdate_Click);
    separator(mnuHelp, "mnuSep3");
    entry(mnuHelp, "mnuAbout", QStringLiteral("&About Software"), &MainWindow::mnuAbout_Click);

    // A command of its own on the bar, with no menu under it.
    entry(bar, "mnuDonate", QStringLiteral("&Donate"), &MainWindow::mnuDonate_Click);
}

void MainWindow::Form_Load()
{
    fraMain->raise();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept(); // closing is never cancelled
}

// The support window takes over, with no owner, and the main window goes.
void MainWindow::Form_Unload()
{
    auto *support = new SupportWindow;
    support->setAttribute(Qt::WA_DeleteOnClose);
    look::centre_on_screen(support);
    support->show();
}

void MainWindow::Oracle_Draw()
{
    const std::int16_t index = oracle::index_from_r(oracle::next_random());
    if (oracle::index_in_bounds(index)) {
        const oracle::OracleEntry &entry = oracle::entry_at(index);
        lblResult_0->setText(QString::fromUtf8(entry.name.data(), entry.name.size()));
        lblResult_0->adjustSize();
        lblResult_1->setText(QString::fromStdString(oracle::displayed_text(entry)));
    }
    txtQuestion->setFocus();
}

// The question is never read: any text, or none, gets a reading.
void MainWindow::cmdProceed_Click()
{
    Oracle_Draw();
    fraResult->raise();
}

void MainWindow::cmdBack_Click()
{
    txtQuestion->clear();
    txtQuestion->setFocus();
    fraMain->raise();
}

void MainWindow::CoBrand_Randomize()
{
    switch (brand_front_for(oracle::next_random())) {
    case BrandFront::FullBrand:
        lblFullBrand->raise();
        break;
    case BrandFront::CoBrand:
        lblCobrand->raise();
        break;
    case BrandFront::Unchanged:
        break;
    }
}

// Closes exactly as the close button does.
void MainWindow::mnuExit_Click()
{
    close();
}

void MainWindow::mnuOnline_Click()
{
    open_link(LinkTarget::ProductHelpPage);
}

void MainWindow::mnuVisit_Click()
{
    open_link(LinkTarget::HomePage);
}

void MainWindow::mnuUpdate_Click()
{
    open_link(LinkTarget::ProductDownloadPage);
}

void MainWindow::mnuAbout_Click()
{
    show_about(this);
}

void MainWindow::mnuDonate_Click()
{
    open_link(LinkTarget::DonatePage);
}

void MainWindow::Label14_Click()
{
    open_link(LinkTarget::HomePage);
}

void MainWindow::lblCobrand_Click()
{
    open_link(LinkTarget::CoBrandPage);
}

void MainWindow::lblFullBrand_Click()
{
    open_link(LinkTarget::FullBrandPage);
}
