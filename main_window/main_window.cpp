#include "main_window/main_window.h"

#include "about/about_window.h"
#include "accessibility/announcer.h"
#include "links/open_link.h"
#include "main_window/brand_choice.h"
#include "main_window/main_menu.h"
#include "oracle/oracle_table.h"
#include "oracle/random_source.h"
#include "ui/fonts.h"
#include "ui/link_label.h"
#include "ui/look.h"
#include "ui/page_stack.h"
#include "ui/panel.h"
#include "ui/plain_widgets.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QStackedLayout>

#include <utility>

namespace zel {

namespace {

// The window's design: texts, colours, fonts and rectangles (pixels at 96 DPI,
// relative to the client area or to the panel that holds the control).
// Half-pixel positions of the design (108.5, 262.5, 53.3) round to whole pixels.
constexpr QSize ClientArea(562, 354);

const QColor LinkBlue(68, 109, 217);
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

// A link across a box of its own: bold, underlined, centred and wrapped.
LinkLabel *linkLabel(QWidget *parent, const char *name, const QString &text, const QRect &rect,
                     const QString &destination)
{
    auto *label = look::place(new LinkLabel(text, destination, parent), name, rect);
    label->setFont(look::fittedFont(look::verdana(8.25, look::Bold | look::Underline), text,
                                    rect.size(), true));
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setWordWrap(true);
    look::setTextColour(label, LinkBlue);
    return label;
}

// The two brand labels share one rectangle; the one in front hides the other.
LinkLabel *brandLabel(QWidget *parent, const char *name, const QString &caption,
                      const QString &destination)
{
    auto *label = linkLabel(parent, name, look::labelCaption(caption), BrandLabelRect, destination);
    look::setBackground(label, look::White);
    return label;
}

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
{
    look::dressWindow(this, "frmMain", Qt::Window | Qt::WindowMinimizeButtonHint);
    setFont(look::verdana(8.25));

    auto *client = new Area(this);
    client->setObjectName(QStringLiteral("clientArea"));
    client->setFixedSize(ClientArea);
    look::setBackground(client, look::White);
    setCentralWidget(client);
    connect(buildMainMenu(this), &QAction::triggered, this, &MainWindow::openAbout);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    // Created in design order, so later controls lie above earlier ones.
    forumLink
        = linkLabel(client, "Label14", ForumText, Label14Rect, QStringLiteral("the Velmora forum"));
    connect(forumLink, &LinkLabel::clicked, this, [] { openLink(LinkTarget::HomePage); });
    QPushButton *proceed = buildQuestionPanel(client);
    QPushButton *back = buildResultPanel(client);
    buildBrandStrip(client);

    // A fixed border: the window is exactly its client area (and, above it,
    // the menu bar) and nothing can resize or maximise it.
    setFixedSize(sizeHint());

    // Both panels stay visible, for their access keys and the Tab order; the
    // question panel starts in front.
    panels = look::stackPages(client, PanelRect, {questionPanel, resultPanel});
    // The links come after the designed controls: the forum, then the brand
    // label in front.
    QWidget *const order[] = {questionField, proceed, back, forumLink, coBrandLink, fullBrandLink};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    questionField->setFocus();
    // The focus stays in the question field, so a screen reader would hear
    // neither the reading nor the way back without being told.
    announcer = new accessibility::Announcer(this);
}

// The panel in front at start: the guide, the question and the reading button.
QPushButton *MainWindow::buildQuestionPanel(QWidget *client)
{
    questionPanel = look::panel(client, "fraMain", QString(), PanelRect,
                                look::verdana(8.25, look::Bold), look::Purple);
    questionPanel->setAccessibleName(QStringLiteral("Your question"));
    picture(questionPanel, "Picture1_0");
    look::textLabel(questionPanel, "lblLabel_0", GuideText, GuideRect,
                    look::verdana(8.25, look::Bold), look::White, true,
                    Qt::AlignHCenter | Qt::AlignTop);
    // Grows to fit its text, keeping its top-left corner.
    look::textLabel(questionPanel, "lblLabel_3", QuestionPrompt, QuestionPromptRect,
                    look::verdana(8.25, look::Bold), look::Yellow, false)
        ->adjustSize();
    questionField = look::lineField(questionPanel, "txtQuestion", QuestionRect);
    questionField->setFont(look::verdana(8.25));
    questionField->setAccessibleName(QuestionPrompt);
    auto *proceed = look::pushButton(questionPanel, "cmdProceed", ProceedCaption, ProceedRect,
                                     look::verdana(8.25, look::Bold));
    connect(proceed, &QPushButton::clicked, this, &MainWindow::showReading);
    return proceed;
}

// The panel a reading brings forward: the drawn name and its text.
QPushButton *MainWindow::buildResultPanel(QWidget *client)
{
    resultPanel = look::panel(client, "fraResult", ResultCaption, PanelRect,
                              look::verdana(8.25, look::Bold), look::Purple);
    picture(resultPanel, "Picture1_1");
    auto *back = look::pushButton(resultPanel, "cmdBack", BackCaption, BackRect,
                                  look::verdana(8.25, look::Bold));
    connect(back, &QPushButton::clicked, this, &MainWindow::goBack);
    // Empty until the first reading sizes it to the drawn name, so its font
    // is not loaded before the window is on screen.
    resultName = look::textLabel(resultPanel, "lblResult_0", QString(), NameRect,
                                 look::verdana(12, look::Bold), look::Yellow, false);
    resultText = look::textLabel(resultPanel, "lblResult_1", QString(), ReadingRect,
                                 look::verdana(9), LightYellow, true);
    return back;
}

// The strip under the panels: one of two brand labels, drawn at start-up.
void MainWindow::buildBrandStrip(QWidget *client)
{
    auto *strip = look::place(new Area(client), "fraFullBrand", BrandStripRect);
    look::setBackground(strip, look::White);
    coBrandLink
        = brandLabel(strip, "lblCobrand", CoBrandCaption, QStringLiteral("the co-branding offer"));
    fullBrandLink = brandLabel(strip, "lblFullBrand", FullBrandCaption,
                               QStringLiteral("the full-branding offer"));
    // The main window's co-branding label leads to co-branding; About's does not.
    connect(coBrandLink, &LinkLabel::clicked, this, [] { openLink(LinkTarget::CoBrandPage); });
    connect(fullBrandLink, &LinkLabel::clicked, this, [] { openLink(LinkTarget::FullBrandPage); });
    brandLabels = look::stackPages(strip, BrandLabelRect, {coBrandLink, fullBrandLink});
    // Only the label in front is a link the keyboard reaches.
    connect(brandLabels, &QStackedLayout::currentChanged, this, [this] {
        for (LinkLabel *link : {coBrandLink, fullBrandLink})
            link->setFocusPolicy(brandLabels->currentWidget() == link ? Qt::TabFocus : Qt::NoFocus);
    });
    brandLabels->setCurrentWidget(fullBrandLink);
}

// The menu, its access keys and a screen reader's press all come here. About
// opens from the event loop, so whoever pressed gets an answer at once (a
// screen reader waits for one), and it opens once however often it is pressed
// while it is open or on its way.
void MainWindow::openAbout()
{
    if (std::exchange(aboutOpen, true))
        return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            const QPointer<MainWindow> self(this); // ending the program can take it away
            showAbout(this);
            if (self)
                aboutOpen = false;
        },
        Qt::QueuedConnection);
}

// Whoever listens (start-up) opens the support window in this one's place.
void MainWindow::closeEvent(QCloseEvent *event)
{
    Q_EMIT closing();
    event->accept(); // closing is never cancelled
}

// Both labels are set before the result panel comes forward, so it never
// shows an earlier reading.
void MainWindow::drawReading()
{
    const std::int16_t index = oracle::entryIndexFor(oracle::nextRandom());
    if (oracle::indexInBounds(index)) {
        const oracle::OracleEntry &entry = oracle::entryAt(index);
        resultName->setText(QString::fromUtf8(entry.name.data(), entry.name.size()));
        resultName->adjustSize();
        resultText->setText(QString::fromStdString(oracle::displayedText(entry)));
    }
    questionField->setFocus();
}

// The question is never read: any text, or none, gets a reading.
void MainWindow::showReading()
{
    drawReading();
    // The stack hands the focus to the page it brings forward when the focus
    // is on the page going behind; the reading leaves it in the question field.
    questionField->clearFocus();
    panels->setCurrentWidget(resultPanel);
    questionField->setFocus();
    announcer->announce(resultName->text(), resultText->text());
}

void MainWindow::goBack()
{
    questionField->clear();
    questionField->setFocus();
    panels->setCurrentWidget(questionPanel);
    announcer->announce(QuestionPrompt, QString());
}

void MainWindow::chooseBrandLabel()
{
    switch (brandFrontFor(oracle::nextRandom())) {
    case BrandFront::FullBrand:
        brandLabels->setCurrentWidget(fullBrandLink);
        break;
    case BrandFront::CoBrand:
        brandLabels->setCurrentWidget(coBrandLink);
        break;
    case BrandFront::Unchanged:
        break;
    }
}

} // namespace zel
