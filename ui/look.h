#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace zel {
class Panel;
}

// The look every window of the program shares: its name and title, its
// style, colours, and the builders that place and dress its controls (the
// fonts are ui/fonts.h's).
namespace zel::look {

// The program's name: the title of every message box.
QString appTitle();
// The title of every window: the name and the version.
QString windowTitle();

// The windows are drawn in Windows' themed controls of their time (the
// windowsvista style), which Qt would trade for Windows 11's own where it
// runs there. Where that style is not at hand the desktop's own stays.
void useDesignedStyle();

// A caption with access-key marks as the user reads it on a label, which has
// no access key: "&&" becomes "&" and a lone "&" disappears.
QString labelCaption(const QString &caption);

// The colours more than one window is drawn in.
inline const QColor White(255, 255, 255);
inline const QColor Black(0, 0, 0);
inline const QColor Yellow(255, 255, 0);
inline const QColor Purple(154, 54, 171);

// Text in `colour`: a label's text, a panel's caption, a button's caption.
void setTextColour(QWidget *widget, const QColor &colour);
// An opaque background of `colour`.
void setBackground(QWidget *widget, const QColor &colour);

// Every single-line field holds at most this many characters: typing,
// pasting and painting stay quick, and it is the classic limit of a
// single-line field on the system the windows were drawn for.
constexpr int LineFieldLimit = 32767;

// Names a control as the window's design does and puts it at its rectangle.
template<typename Widget>
Widget *place(Widget *widget, const char *name, const QRect &rect)
{
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(rect);
    return widget;
}

// Dresses a label as the designs draw text: named and placed, plain text in
// `font` (stepped down where a stand-in face would overflow the box) and
// `colour`. An empty label keeps `font` as given, so that no face is loaded
// before it has a text to show.
QLabel *dressLabel(QLabel *label, const char *name, const QRect &rect, const QFont &font,
                   const QColor &colour, bool wraps);
// A new label of text, dressed, with its text at `alignment` in its box.
QLabel *textLabel(QWidget *parent, const char *name, const QString &text, const QRect &rect,
                  const QFont &font, const QColor &colour, bool wraps,
                  Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop);
// A single-line field as every window draws it: black text on white, holding
// at most `maxLength` characters.
QLineEdit *lineField(QWidget *parent, const char *name, const QRect &rect,
                     int maxLength = LineFieldLimit);
// A panel on `background`, its caption (if any) in white `captionFont`.
Panel *panel(QWidget *parent, const char *name, const QString &caption, const QRect &rect,
             const QFont &captionFont, const QColor &background);

// A push button that Enter presses only while it has the focus, as on the
// system the windows were drawn for: outside a dialog it is never a default
// button. Without a font of its own it shows its parent's.
QPushButton *pushButton(QWidget *parent, const char *name, const QString &caption,
                        const QRect &rect, const std::optional<QFont> &font = std::nullopt);
// The program's icon, named for a screen reader.
QLabel *iconLabel(QWidget *parent, const char *name, const QRect &rect);

// The program's texts break lines with CR LF or a lone CR. A label or a text
// box starts a new line at LF and draws a lone CR as a space: this is the
// text with every break as LF.
QString shownLineBreaks(QString text);

// Names a window as its design does and gives it the program's title and a
// title bar with the system menu and a close button, besides what `flags`
// adds: the kind of window, a minimise button, staying on top.
void dressWindow(QWidget *window, const char *name, Qt::WindowFlags flags);

// A rect of `size` in the middle of `area`; one larger than the area keeps
// its top left inside it.
QRect centredIn(QSize size, const QRect &area);

// Places the window's client area in the middle of the part of the screen it
// will open on that panels leave free.
void centreOnScreen(QWidget *window);

} // namespace zel::look
