#include "about_window.h"

#include "link_label.h"
#include "look.h"
#include "open_link.h"

#include <QLabel>
#include <QPushButton>

namespace {

// The window's design: pixels at 96 DPI in the client area.
const QString Title = QStringLiteral("Zel Orvalis v1.0");
constexpr QSize ClientArea(399, 226);

const QColor Orange(255, 128, 0);
const QColor Purple(154, 54, 171);
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

QFont verdana(double points, unsigned style = look::Regular)
{
    return look::design_font(QStringLiteral("Verdana"), points, style);
}

template<typename Widget>
Widget *styled(Widget *widget, const char *name, const QFont &font, const QColor &colour)
{
    widget->setObjectName(QLatin1String(name));
    widget->setFont(font);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
    return widget;
}

QLabel *paragraph(QWidget *parent, const char *name, const QString &text, const QRect &rect,
                  const QFont &font, const QColor &colour)
{
    auto *label = styled(new QLabel(text, parent), name,
                         look::fitted_font(font, text, rect.size(), true), colour);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(rect);
    return label;
}

// One line sized to its text, kept within the width it was designed with.
template<typename Label>
Label *oneLine(Label *label, const char *name, const QRect &design, const QFont &font,
               const QColor &colour)
{
    styled(label, name, look::fitted_font(font, label->text(), design.size(), false), colour);
    label->setTextFormat(Qt::PlainText);
    label->move(design.topLeft());
    label->adjustSize();
    return label;
}

// The address as a reader would say it: without its scheme.
QString siteAsText()
{
    QString address = link_address(LinkTarget::HomePage);
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
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(Title);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(ClientArea);
    setFont(verdana(8.25));

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setFont(verdana(8.25, look::Bold));
    cmdOK->setGeometry(OkRect);
    cmdOK->setDefault(true);

    picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setGeometry(IconRect);
    picIcon->setPixmap(QPixmap(QStringLiteral(":/assets/icon.png")));
    picIcon->setAccessibleName(QStringLiteral("Zel Orvalis icon"));

    Label1 = paragraph(this, "Label1", Description, DescriptionRect, verdana(8.25), Orange);
    Label2 = oneLine(new QLabel(Title, this), "Label2", TitleRect, verdana(12, look::Bold), Purple);
    lblCobrand
        = oneLine(new LinkLabel(DetailsCaption, QStringLiteral("the full-branding offer"), this),
                  "lblCobrand", DetailsRect, verdana(8.25, look::Underline), Green);
    Label3 = paragraph(this, "Label3", Offer, OfferRect, verdana(8.25, look::Bold), Pink);
    lblHomePage = oneLine(
        new LinkLabel(VisitCaption + siteAsText(), QStringLiteral("the Velmora home page"), this),
        "lblHomePage", VisitRect, verdana(8.25, look::Underline), Green);

    Line2 = new QWidget(this);
    Line2->setObjectName(QStringLiteral("Line2"));
    Line2->setGeometry(RuleRect);
    QPalette rule = Line2->palette();
    rule.setColor(QPalette::Window, Purple);
    Line2->setPalette(rule);
    Line2->setAutoFillBackground(true);
    Line2->setAccessibleName(QStringLiteral("Rule"));

    // OK is both the default and the way out: Enter and Esc close the window.
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(lblHomePage, &LinkLabel::clicked, this, &AboutWindow::lblHomePage_Click);
    connect(lblCobrand, &LinkLabel::clicked, this, &AboutWindow::lblCobrand_Click);
    cmdOK->setFocus();
}

void AboutWindow::lblHomePage_Click()
{
    open_link(LinkTarget::HomePage);
}

// This window's offer leads to full branding, not to co-branding.
void AboutWindow::lblCobrand_Click()
{
    open_link(LinkTarget::FullBrandPage);
}

void show_about(QWidget *over)
{
    // Owned by `over` so it can never fall behind it; it deletes itself on close.
    auto *about = new AboutWindow(over);
    look::centre_on_screen(about);
    about->exec();
}
