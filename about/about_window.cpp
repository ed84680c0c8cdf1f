#include "about/about_window.h"

#include "links/open_link.h"
#include "ui/fonts.h"
#include "ui/link_label.h"
#include "ui/look.h"
#include "ui/plain_widgets.h"

#include <QLabel>
#include <QPushButton>

namespace zel {
namespace {

// The window's design: pixels at 96 DPI in the client area.
constexpr QSize ClientArea(399, 226);

const QColor Orange(255, 128, 0);
const QColor Green(0, 128, 0);
const QColor Pink(232, 96, 170);

const QString Description = QStringLiteral(
    "Zel Orvalis is an ancient oracle based on the Etruscan texts and religion. This oracle is "
    "based on the mystical Etruscan Gods and Goddesses. These symbols are used for divination "
    "and gives an insight into one's problems. All rights reserved by Velmora.");
const QString Offer = QStringLiteral("Home Business Opportunity. Start your own Internet business "
                                     "and make money online. Get this software fully branded for "
                                     "your website.");
const QString DetailsCaption = QStringLiteral("Click here for more details");
const QString VisitCaption = QStringLiteral("Click here to visit ");

constexpr QRect OkRect(309, 200, 84, 23);
constexpr QRect IconRect(6, 8, 32, 32);
constexpr QRect DescriptionRect(50, 26, 343, 65);
constexpr QRect TitleRect(50, 8, 214, 18);
constexpr QRect DetailsRect(240, 165, 153, 13);
constexpr QRect OfferRect(6, 120, 387, 45);
constexpr QRect VisitRect(123, 91, 270, 13);
constexpr QRect RuleRect(-4, 194, 484, 2); // runs past both edges

// One line sized to its text, kept within the width it was designed with.
template<typename Label>
Label *oneLine(Label *label, const char *name, const QRect &design, const QFont &font,
               const QColor &colour)
{
    look::dressLabel(label, name, design, font, colour, false)->adjustSize();
    return label;
}

// The address as a reader would say it: without its scheme.
QString siteAsText()
{
    QString address = linkAddress(LinkTarget::HomePage);
    for (const QString &scheme : {QStringLiteral("http://"), QStringLiteral("https://")}) {
        if (address.startsWith(scheme))
            return address.mid(scheme.size());
    }
    return address;
}

} // namespace

AboutWindow::AboutWindow(QWidget *parent)
    : QDialog(parent)
{
    look::dressWindow(this, "frmAbout", Qt::Dialog);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(ClientArea);
    setFont(look::verdana(8.25));

    auto *ok = look::place(new QPushButton(QStringLiteral("OK"), this), "cmdOK", OkRect);
    ok->setFont(look::verdana(8.25, look::Bold));
    ok->setDefault(true);

    look::iconLabel(this, "picIcon", IconRect);

    look::textLabel(this, "Label1", Description, DescriptionRect, look::verdana(8.25), Orange,
                    true);
    oneLine(new QLabel(look::windowTitle(), this), "Label2", TitleRect,
            look::verdana(12, look::Bold), look::Purple);
    auto *fullBrandLink
        = oneLine(new LinkLabel(DetailsCaption, QStringLiteral("the full-branding offer"), this),
                  "lblCobrand", DetailsRect, look::verdana(8.25, look::Underline), Green);
    look::textLabel(this, "Label3", Offer, OfferRect, look::verdana(8.25, look::Bold), Pink, true);
    auto *homePageLink = oneLine(
        new LinkLabel(VisitCaption + siteAsText(), QStringLiteral("the Velmora home page"), this),
        "lblHomePage", VisitRect, look::verdana(8.25, look::Underline), Green);

    look::setBackground(look::place(new Decoration(this), "Line2", RuleRect), look::Purple);

    // OK is both the default and the way out: Enter and Esc close the window.
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(homePageLink, &LinkLabel::clicked, this, &AboutWindow::openHomePage);
    connect(fullBrandLink, &LinkLabel::clicked, this, &AboutWindow::openFullBrandPage);
    // Tab goes from OK to the links, in the order they are read.
    setTabOrder(ok, homePageLink);
    setTabOrder(homePageLink, fullBrandLink);
    ok->setFocus();
}

void AboutWindow::openHomePage()
{
    openLink(LinkTarget::HomePage);
}

// This window's offer leads to full branding, not to co-branding.
void AboutWindow::openFullBrandPage()
{
    openLink(LinkTarget::FullBrandPage);
}

void showAbout(QWidget *over)
{
    // Owned by `over` so it can never fall behind it; it deletes itself on close.
    auto *about = new AboutWindow(over);
    look::centreOnScreen(about);
    about->exec();
}

} // namespace zel
