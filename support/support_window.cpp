#include "support_window.h"

#include "end_program.h"
#include "link_label.h"
#include "look.h"
#include "messages.h"
#include "open_link.h"
#include "panel.h"
#include "prompt_field.h"
#include "random_source.h"
#include "referral.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <array>
#include <cmath>
#include <limits>

#ifdef Q_OS_WIN
#include "topmost_win.h"
#endif

namespace {

// The window's design: pixels at 96 DPI, relative to the client area or to
// the panel that holds the control.
const QString Title = QStringLiteral("Zel Orvalis v1.0");
constexpr QSize ClientArea(741, 315);

const QColor White(255, 255, 255);
const QColor Navy(0, 0, 128);
const QColor CheckBlue(0, 0, 192);
const QColor Yellow(255, 255, 0);

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

QFont verdana(double points, unsigned style = look::Regular)
{
    return look::design_font(QStringLiteral("Verdana"), points, style);
}

void setColours(QWidget *widget, const QColor &text, const QColor &background = QColor())
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::ButtonText, text);
    if (background.isValid()) {
        palette.setColor(QPalette::Window, background);
        widget->setAutoFillBackground(true);
    }
    widget->setPalette(palette);
}

QLabel *label(QWidget *parent, const char *name, const QString &text, const QRect &rect,
              const QFont &font, bool wraps)
{
    auto *l = look::place(new QLabel(text, parent), name, rect);
    l->setTextFormat(Qt::PlainText);
    l->setFont(text.isEmpty() ? font : look::fitted_font(font, text, rect.size(), wraps));
    l->setWordWrap(wraps);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

Panel *panel(QWidget *parent, const char *name, const QString &caption, const QRect &rect)
{
    auto *p = look::place(new Panel(caption, parent), name, rect);
    p->setFont(verdana(9.75, look::Bold));
    setColours(p, White, Navy);
    return p;
}

QPushButton *button(QWidget *parent, const char *name, const QString &caption, const QRect &rect)
{
    auto *b = look::place(new QPushButton(caption, parent), name, rect);
    // Enter presses the focused button and no other: there is no default button.
    b->setAutoDefault(true);
    return b;
}

QLineEdit *lineField(QWidget *parent, const char *name, const QRect &rect)
{
    auto *field = look::place(new QLineEdit(parent), name, rect);
    field->setMaxLength(std::numeric_limits<int>::max()); // no limit of ours
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, White);
    palette.setColor(QPalette::Text, Qt::black);
    field->setPalette(palette);
    return field;
}

} // namespace

int appeal_index(float r)
{
    // 4 r is exact for a float r; r < 1 keeps the index below 4.
    return static_cast<int>(std::floor(4.0 * static_cast<double>(r)));
}

QString appeal_text(int index)
{
    return index >= 0 && index < int(SupportMessages.size()) ? SupportMessages.at(index)
                                                             : QString();
}

SupportWindow::SupportWindow(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("SupportWindow"));
    setWindowTitle(Title);
    // Topmost from the start: changing window flags later would hide the window.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                   | Qt::WindowStaysOnTopHint);
    setFixedSize(ClientArea);
    setColours(this, Qt::black, White);
    setFont(look::design_font(QStringLiteral("MS Sans Serif"), 8.25));

    Picture1 = look::place(new QLabel(this), "Picture1", PictureRect);
    Picture1->setPixmap(QPixmap(QStringLiteral(":/assets/icon.png")));
    Picture1->setAccessibleName(QStringLiteral("Zel Orvalis icon"));
    Label1 = label(this, "Label1", Title, TitleRect,
                   look::design_font(QStringLiteral("MS Sans Serif"), 18), false);
    Label1->adjustSize();
    Label2 = label(this, "Label2", QString(), AppealRect, verdana(9.75, look::Bold), true);
    // One size for all four appeals, so whichever is drawn fits.
    QFont appealFont = Label2->font();
    for (const QString &appeal : SupportMessages)
        appealFont = look::fitted_font(appealFont, appeal, AppealRect.size(), true);
    Label2->setFont(appealFont);

    Check1 = button(this, "Check1", QStringLiteral("Click Here To Visit Velmora Now"), CheckRect);
    Check1->setCheckable(true);
    // A check box: the mouse and the space bar press it, Enter does not.
    Check1->setAutoDefault(false);
    Check1->setFont(verdana(14.25));
    Check1->setCursor(Qt::PointingHandCursor);
    Check1->setAccessibleDescription(
        QStringLiteral("Link: opens the Velmora home page in your web browser"));
    setColours(Check1, CheckBlue);
    cmdClose = button(this, "cmdClose", QStringLiteral("E&xit"), CloseRect);

    Frame2 = panel(this, "Frame2", QStringLiteral("Refer A Friend"), ReferralPanelRect);
    txtName = lineField(Frame2, "txtName", NameRect);
    txtEmail = lineField(Frame2, "txtEmail", EmailRect);
    txtFriendName = lineField(Frame2, "txtFriendName", FriendNameRect);
    txtFriendEmail = lineField(Frame2, "txtFriendEmail", FriendEmailRect);
    cmdSubmit = button(Frame2, "cmdSubmit", QStringLiteral("Refer A Friend &Now"), SubmitRect);
    cmdSubmit->setFont(verdana(8.25, look::Bold));
    setColours(cmdSubmit, Qt::black);
    txtMessage = look::place(new QPlainTextEdit(Frame2), "txtMessage", MessageRect);
    txtMessage->setTabChangesFocus(true);

    // Controls inside a panel use the window's font, not the caption's.
    for (QWidget *field :
         {static_cast<QWidget *>(txtName), static_cast<QWidget *>(txtEmail),
          static_cast<QWidget *>(txtFriendName), static_cast<QWidget *>(txtFriendEmail),
          static_cast<QWidget *>(txtMessage)})
        field->setFont(font());

    using Spaces = PromptField::Spaces;
    name = new PromptField(txtName, QStringLiteral("Your Name"), Spaces::Accepted);
    email = new PromptField(txtEmail, QStringLiteral("Your Email Address"), Spaces::Refused);
    friendName = new PromptField(txtFriendName, QStringLiteral("Friend's Name"), Spaces::Accepted);
    friendEmail = new PromptField(txtFriendEmail, QStringLiteral("Friend's Email Address"),
                                  Spaces::Refused);
    message = new PromptField(txtMessage, QStringLiteral("Your Message"), Spaces::Accepted);
    for (PromptField *field : {name, email, friendName, friendEmail})
        field->setText(field->prompt());
    // Not equal to its prompt, so a message the user never sees still passes.
    message->setText(message->prompt() + QStringLiteral("\r\n"));

    Frame6 = panel(this, "Frame6", QStringLiteral("Download Velmora Softwares"), LibraryPanelRect);
    Label3 = label(Frame6, "Label3", LibraryText, LibraryTextRect, verdana(9), true);
    setColours(Label3, White);
    lblGoToHome = new LinkLabel(QStringLiteral("Click Here To Visit Velmora Softwares"),
                                QStringLiteral("the Velmora software library"), Frame6);
    lblGoToHome->setObjectName(QStringLiteral("lblGoToHome"));
    lblGoToHome->setFont(look::fitted_font(verdana(9, look::Bold | look::Underline),
                                           lblGoToHome->text(), GoToHomeRect.size(), false));
    setColours(lblGoToHome, Yellow);
    lblGoToHome->move(GoToHomeRect.topLeft());
    lblGoToHome->adjustSize();

    for (QWidget *still : {static_cast<QWidget *>(Picture1), static_cast<QWidget *>(Label1),
                           static_cast<QWidget *>(Label2), static_cast<QWidget *>(Label3)})
        still->setFocusPolicy(Qt::NoFocus);
    setTabOrder(cmdClose, Check1);
    setTabOrder(Check1, txtName);
    setTabOrder(txtName, cmdSubmit);
    setTabOrder(cmdSubmit, txtEmail);
    setTabOrder(txtEmail, txtFriendEmail);
    setTabOrder(txtFriendEmail, txtFriendName);
    setTabOrder(txtFriendName, txtMessage);
    cmdClose->setFocus();

    connect(Check1, &QPushButton::toggled, this, &SupportWindow::Check1_Click);
    connect(cmdClose, &QPushButton::clicked, this, &SupportWindow::cmdClose_Click);
    connect(cmdSubmit, &QPushButton::clicked, this, &SupportWindow::cmdSubmit_Click);
    connect(lblGoToHome, &LinkLabel::clicked, this, &SupportWindow::lblGoToHome_Click);

    Form_Load();
}

void SupportWindow::Form_Load()
{
    oracle::seed_from_clock();
    Label2->setText(appeal_text(appeal_index(oracle::next_random())));
}

void SupportWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
#ifdef Q_OS_WIN
    make_topmost(reinterpret_cast<void *>(winId()));
#endif
}

void SupportWindow::closeEvent(QCloseEvent *event)
{
    event->accept();
    Form_Unload();
}

void SupportWindow::Form_Unload()
{
    app::end_program();
}

// Works as a push button: each press shows it down for a moment, leaves it
// released, and opens the home page once.
void SupportWindow::Check1_Click(bool checked)
{
    if (!checked)
        return;
    Check1->setChecked(false);
    open_link(LinkTarget::HomePage);
}

void SupportWindow::lblGoToHome_Click()
{
    open_link(LinkTarget::SoftwareLibraryPage);
}

void SupportWindow::cmdClose_Click()
{
    app::end_program();
}

void SupportWindow::cmdSubmit_Click()
{
    ReferralValues &values = modTellAFriend::values();
    values.name = trim_spaces(name->text());
    values.email = trim_spaces(email->text());
    values.message = trim_spaces(message->text());
    values.friend_name = trim_spaces(friendName->text());
    values.friend_email = trim_spaces(friendEmail->text());

    const QString refusal = modTellAFriend::check_emails(values);
    if (!refusal.isEmpty()) {
        messages::error(this, refusal);
        return;
    }
    modTellAFriend::send_referral(this);
}
