#include "support/support_window.h"

#include "links/open_link.h"
#include "oracle/random_source.h"
#include "support/keep_on_top.h"
#include "support/referral.h"
#include "ui/fonts.h"
#include "ui/limited_text_edit.h"
#include "ui/link_label.h"
#include "ui/look.h"
#include "ui/messages.h"
#include "ui/panel.h"
#include "ui/prompt_field.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <array>
#include <cmath>

namespace zel {

namespace {

// The window's design: pixels at 96 DPI, relative to the client area or to
// the panel that holds the control.
constexpr QSize ClientArea(741, 315);

const QColor Navy(0, 0, 128);
const QColor CheckBlue(0, 0, 192);

const std::array<QString, 4> SupportMessages {
    QStringLiteral("Velmora Softwares, such as this can be created and maintained only with your "
                   "support. The best way to support Velmora is to visit Velmora regularly and "
                   "take part in the discussions and other activities on the board."),
    // This one ends without a full stop.
    QStringLiteral("Visit Velmora regularly. Support Velmora by taking part in the discussions and "
                   "other activities. These softwares cannot be supported and maintained, without "
                   "you regularly visiting Velmora"),
    QStringLiteral("Velmora is a FREE online discussion forum for all things mystic. To help "
                   "Velmora develop and maintain this software visit Velmora regularly."),
    QStringLiteral(
        "Velmora needs your help. All you need to do is visit Velmora regularly and take "
        "part in the various discussions and activites to help us maintain and develop "
        "more Velmora Softwares."),
};

// Two paragraphs; the run of 61 spaces between them pushes the second onto a
// line of its own, and the caption ends with a space.
const QString LibraryText
    = QStringLiteral(
          "If you have enjoyed this software you will surely be interested in our other Velmora "
          "Softwares. From a single software, we have now grown to become the world\u2019s largest "
          "resource of Velmora softwares. Be it astrology, psychic, tarot, numerology or occult, "
          "we "
          "have programs in all fields thus giving our users a wide choice depending on their "
          "interests.")
    + QString(61, QLatin1Char(' '))
    + QStringLiteral("All the programs in the Velmora Softwares suite are simple and easy to "
                     "use. They are not only fun to use but also very informative. Try them "
                     "out today and share your experience with your friends and family. ");

constexpr QRect PictureRect(24, 14, 32, 32);
constexpr QRect TitleRect(72, 16, 262, 29);
constexpr QRect AppealRect(8, 56, 465, 73);
constexpr QRect CheckRect(2, 136, 479, 37);
constexpr QRect CloseRect(400, 184, 83, 25);
constexpr QRect ReferralPanelRect(8, 216, 471, 97);
constexpr QRect NameRect(6, 24, 225, 19);
constexpr QRect EmailRect(240, 24, 225, 19);
constexpr QRect FriendNameRect(6, 48, 225, 19);
constexpr QRect FriendEmailRect(240, 48, 225, 19);
constexpr QRect SubmitRect(128, 72, 225, 19);
constexpr QRect MessageRect(320, 240, 121, 33); // below its panel's edge: never seen
constexpr QRect LibraryPanelRect(488, 8, 249, 305);
constexpr QRect LibraryTextRect(8, 24, 233, 257);
constexpr QRect GoToHomeRect(5, 283, 239, 14);

} // namespace

int appealIndex(float r)
{
    // 4 r is exact for a float r; r < 1 keeps the index below 4.
    return static_cast<int>(std::floor(4.0 * static_cast<double>(r)));
}

QString appealText(int index)
{
    return index >= 0 && index < int(SupportMessages.size()) ? SupportMessages.at(index)
                                                             : QString();
}

SupportWindow::SupportWindow(QWidget *parent)
    : DialogWindow(parent)
{
    // Topmost from the start: changing window flags later would hide the window.
    look::dressWindow(this, "SupportWindow", Qt::Window | Qt::WindowStaysOnTopHint);
    setFixedSize(ClientArea);
    look::setTextColour(this, look::Black);
    look::setBackground(this, look::White);
    setFont(look::msSansSerif(8.25));

    // Created in design order, so later controls lie above earlier ones.
    buildAppeal();
    auto *exitButton = look::pushButton(this, "cmdClose", QStringLiteral("E&xit"), CloseRect);
    connect(exitButton, &QPushButton::clicked, this, &SupportWindow::exitRequested);
    const QList<QWidget *> referralOrder = buildReferralPanel();
    // The link comes after every other control.
    QWidget *libraryLink = buildLibraryPanel();
    QWidget *previous = exitButton;
    for (QWidget *next :
         QList<QWidget *> {homeButton} + referralOrder + QList<QWidget *> {libraryLink}) {
        setTabOrder(previous, next);
        previous = next;
    }
    exitButton->setFocus();

    // A fresh seed for the appeal, as at start-up.
    oracle::seedFromClock();
    appeal->setText(appealText(appealIndex(oracle::nextRandom())));
}

// The icon, the title, the appeal drawn for this run, and the button that
// takes the user to the forum.
void SupportWindow::buildAppeal()
{
    QLabel *icon = look::iconLabel(this, "Picture1", PictureRect);
    auto *title = look::textLabel(this, "Label1", look::windowTitle(), TitleRect,
                                  look::msSansSerif(18), look::Black, false);
    title->adjustSize();
    appeal = look::textLabel(this, "Label2", QString(), AppealRect, look::verdana(9.75, look::Bold),
                             look::Black, true);
    // One size for all four appeals, so whichever is drawn fits.
    QFont appealFont = appeal->font();
    for (const QString &text : SupportMessages)
        appealFont = look::fittedFont(appealFont, text, AppealRect.size(), true);
    appeal->setFont(appealFont);
    for (QWidget *still : std::initializer_list<QWidget *> {icon, title, appeal})
        still->setFocusPolicy(Qt::NoFocus);

    homeButton = look::pushButton(this, "Check1", QStringLiteral("Click Here To Visit Velmora Now"),
                                  CheckRect, look::verdana(14.25));
    // The mouse and the space bar press it, Enter does not.
    homeButton->setAutoDefault(false);
    homeButton->setCursor(Qt::PointingHandCursor);
    // It never stays pressed: a screen reader hears a push button.
    homeButton->setAccessibleDescription(
        QStringLiteral("Opens the Velmora home page in your web browser"));
    look::setTextColour(homeButton, CheckBlue);
    connect(homeButton, &QPushButton::clicked, this, &SupportWindow::openHomePage);
}

// The refer-a-friend form, each field showing its prompt until the user types.
// Returns its controls in the order Tab reaches them.
QList<QWidget *> SupportWindow::buildReferralPanel()
{
    auto *form = look::panel(this, "Frame2", QStringLiteral("Refer A Friend"), ReferralPanelRect,
                             look::verdana(9.75, look::Bold), Navy);
    auto *nameField = look::lineField(form, "txtName", NameRect, referral::LineLimit);
    auto *emailField = look::lineField(form, "txtEmail", EmailRect, referral::LineLimit);
    auto *friendNameField
        = look::lineField(form, "txtFriendName", FriendNameRect, referral::LineLimit);
    auto *friendEmailField
        = look::lineField(form, "txtFriendEmail", FriendEmailRect, referral::LineLimit);
    auto *submit = look::pushButton(form, "cmdSubmit", QStringLiteral("Refer A Friend &Now"),
                                    SubmitRect, look::verdana(8.25, look::Bold));
    look::setTextColour(submit, look::Black);
    connect(submit, &QPushButton::clicked, this, &SupportWindow::referFriend);
    auto *messageField
        = look::place(new LimitedTextEdit(referral::MessageLimit, form), "txtMessage", MessageRect);
    messageField->setTabChangesFocus(true);

    // Controls inside a panel use the window's font, not the caption's.
    for (QWidget *field : std::initializer_list<QWidget *> {nameField, emailField, friendNameField,
                                                            friendEmailField, messageField})
        field->setFont(font());

    using Spaces = PromptField::Spaces;
    name = new PromptField(nameField, referral::NamePrompt, Spaces::Accepted);
    email = new PromptField(emailField, referral::EmailPrompt, Spaces::Refused);
    friendName = new PromptField(friendNameField, referral::FriendNamePrompt, Spaces::Accepted);
    friendEmail = new PromptField(friendEmailField, referral::FriendEmailPrompt, Spaces::Refused);
    message = new PromptField(messageField, referral::MessagePrompt, Spaces::Accepted);
    for (PromptField *field : {name, email, friendName, friendEmail})
        field->setText(field->prompt());
    // Not equal to its prompt, so a message the user never sees still passes.
    message->setText(message->prompt() + QStringLiteral("\r\n"));

    return {nameField, submit, emailField, friendEmailField, friendNameField, messageField};
}

// The maker's other programs, and a link to them.
QWidget *SupportWindow::buildLibraryPanel()
{
    auto *libraryPanel = look::panel(this, "Frame6", QStringLiteral("Download Velmora Softwares"),
                                     LibraryPanelRect, look::verdana(9.75, look::Bold), Navy);
    auto *libraryText = look::textLabel(libraryPanel, "Label3", LibraryText, LibraryTextRect,
                                        look::verdana(9), look::White, true);
    libraryText->setFocusPolicy(Qt::NoFocus);
    auto *libraryLink = new LinkLabel(QStringLiteral("Click Here To Visit Velmora Softwares"),
                                      QStringLiteral("the Velmora software library"), libraryPanel);
    look::place(libraryLink, "lblGoToHome", GoToHomeRect);
    libraryLink->setFont(look::fittedFont(look::verdana(9, look::Bold | look::Underline),
                                          libraryLink->text(), GoToHomeRect.size(), false));
    look::setTextColour(libraryLink, look::Yellow);
    libraryLink->adjustSize();
    connect(libraryLink, &LinkLabel::clicked, this,
            [] { openLink(LinkTarget::SoftwareLibraryPage); });
    return libraryLink;
}

void SupportWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    keepOnTop(this);
}

void SupportWindow::closeEvent(QCloseEvent *event)
{
    event->accept();
    Q_EMIT exitRequested();
}

// Each press opens the home page once.
void SupportWindow::openHomePage()
{
    openLink(LinkTarget::HomePage);
}

void SupportWindow::referFriend()
{
    ReferralValues &values = referral::values();
    values.name = trimSpaces(name->text());
    values.email = trimSpaces(email->text());
    values.message = trimSpaces(message->text());
    values.friendName = trimSpaces(friendName->text());
    values.friendEmail = trimSpaces(friendEmail->text());

    const QString refusal = referral::checkEmails(values);
    if (!refusal.isEmpty()) {
        messages::error(this, refusal);
        return;
    }
    referral::sendReferral(this);
}

} // namespace zel
