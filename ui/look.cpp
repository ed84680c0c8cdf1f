#include "ui/look.h"

#include "ui/fonts.h"
#include "ui/panel.h"
#include "ui/plain_widgets.h"
#include "ui/version.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleFactory>
#include <QWidget>

namespace zel::look {

QString appTitle()
{
    return QStringLiteral(ZEL_APPLICATION_TITLE);
}

QString windowTitle()
{
    return appTitle() + QStringLiteral(" v" ZEL_VERSION);
}

void useDesignedStyle()
{
    const QString designed = QStringLiteral("windowsvista");
    if (QStyleFactory::keys().contains(designed, Qt::CaseInsensitive))
        QApplication::setStyle(designed);
}

QString labelCaption(const QString &caption)
{
    QString text;
    text.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        QChar c = caption.at(i);
        if (c == QLatin1Char('&')) {
            if (i + 1 == caption.size())
                break;
            c = caption.at(++i);
        }
        text += c;
    }
    return text;
}

void setTextColour(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    // Only a button's own caption: a panel passes its colours on to the
    // buttons inside it.
    if (qobject_cast<QAbstractButton *>(widget))
        palette.setColor(QPalette::ButtonText, colour);
    widget->setPalette(palette);
}

void setBackground(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QLabel *dressLabel(QLabel *label, const char *name, const QRect &rect, const QFont &font,
                   const QColor &colour, bool wraps)
{
    place(label, name, rect);
    label->setTextFormat(Qt::PlainText);
    const QString text = label->text();
    label->setFont(text.isEmpty() ? font : fittedFont(font, text, rect.size(), wraps));
    label->setWordWrap(wraps);
    setTextColour(label, colour);
    return label;
}

QLabel *textLabel(QWidget *parent, const char *name, const QString &text, const QRect &rect,
                  const QFont &font, const QColor &colour, bool wraps, Qt::Alignment alignment)
{
    QLabel *label = dressLabel(new QLabel(text, parent), name, rect, font, colour, wraps);
    label->setAlignment(alignment);
    return label;
}

QLineEdit *lineField(QWidget *parent, const char *name, const QRect &rect, int maxLength)
{
    auto *field = place(new LineField(parent), name, rect);
    field->setMaxLength(maxLength);
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, White);
    palette.setColor(QPalette::Text, Black);
    field->setPalette(palette);
    return field;
}

Panel *panel(QWidget *parent, const char *name, const QString &caption, const QRect &rect,
             const QFont &captionFont, const QColor &background)
{
    auto *box = place(new Panel(caption, parent), name, rect);
    box->setFont(captionFont);
    setBackground(box, background);
    setTextColour(box, White);
    return box;
}

QPushButton *pushButton(QWidget *parent, const char *name, const QString &caption,
                        const QRect &rect, const std::optional<QFont> &font)
{
    auto *button = place(new QPushButton(caption, parent), name, rect);
    if (font)
        button->setFont(*font);
    button->setAutoDefault(true);
    return button;
}

QLabel *iconLabel(QWidget *parent, const char *name, const QRect &rect)
{
    auto *icon = place(new QLabel(parent), name, rect);
    icon->setPixmap(QPixmap(QStringLiteral(":/assets/icon.png")));
    icon->setAccessibleName(QStringLiteral("Zel Orvalis icon"));
    return icon;
}

QString shownLineBreaks(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

void dressWindow(QWidget *window, const char *name, Qt::WindowFlags flags)
{
    window->setObjectName(QLatin1String(name));
    window->setWindowTitle(windowTitle());
    window->setWindowFlags(flags | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                           | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
}

QRect centredIn(QSize size, const QRect &area)
{
    QRect placed = QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size, area);
    // Larger than the area: its top left stays in it, where the title bar can be reached.
    placed.moveTopLeft(QPoint(qMax(placed.left(), area.left()), qMax(placed.top(), area.top())));
    return placed;
}

void centreOnScreen(QWidget *window)
{
    QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (screen) // the area panels leave free
        window->setGeometry(centredIn(window->size(), screen->availableGeometry()));
}

} // namespace zel::look
