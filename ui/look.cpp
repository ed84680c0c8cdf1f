#include "ui/look.h"

#include "ui/panel.h"
#include "ui/plain_widgets.h"
#include "ui/version.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleFactory>
#include <QWidget>

#include <cmath>

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

void installFontSubstitutes()
{
    QFont::insertSubstitutions(
        QStringLiteral("Verdana"),
        {QStringLiteral("DejaVu Sans"), QStringLiteral("Bitstream Vera Sans")});
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Tahoma"),
                                QStringLiteral("DejaVu Sans")});
}

bool isDesignedFace(const QString &face)
{
    return face.compare(QLatin1String("Verdana"), Qt::CaseInsensitive) == 0
        || face.compare(QLatin1String("MS Sans Serif"), Qt::CaseInsensitive) == 0;
}

QString faceFor(const QString &family, const QStringList &installed)
{
    const auto spelledAsInstalled = [&installed](const QString &face) {
        for (const QString &name : installed) {
            if (name.compare(face, Qt::CaseInsensitive) == 0)
                return name;
        }
        return QString();
    };
    if (const QString face = spelledAsInstalled(family); !face.isEmpty())
        return face;
    for (const QString &substitute : QFont::substitutes(family)) {
        if (const QString face = spelledAsInstalled(substitute); !face.isEmpty())
            return face;
    }
    return family;
}

// Asking for the face that will really draw by name spares the font system a
// search for a missing family each time a size or weight is loaded.
static QString installedFamily(const QString &family)
{
    static QHash<QString, QString> resolved;
    const auto known = resolved.constFind(family);
    if (known != resolved.constEnd())
        return *known;
    const QString face = faceFor(family, QFontDatabase::families());
    resolved.insert(family, face);
    return face;
}

QFont designFont(const QString &family, double points, unsigned style)
{
    QFont font(installedFamily(family));
    font.setPixelSize(static_cast<int>(std::lround(points * 96.0 / 72.0)));
    font.setBold((style & Bold) != 0);
    font.setUnderline((style & Underline) != 0);
    return font;
}

QFont verdana(double points, unsigned style)
{
    return designFont(QStringLiteral("Verdana"), points, style);
}

QFont msSansSerif(double points, unsigned style)
{
    return designFont(QStringLiteral("MS Sans Serif"), points, style);
}

QFont fittedFont(QFont font, const QString &text, const QSize &box, bool wraps)
{
    // The designed faces fit their boxes as designed.
    if (isDesignedFace(QFontInfo(font).family()))
        return font;
    const auto fits = [&](const QFont &candidate) {
        const QFontMetrics metrics(candidate);
        if (!wraps)
            return metrics.horizontalAdvance(text) <= box.width();
        const QRect needed
            = metrics.boundingRect(QRect(0, 0, box.width(), 100000), Qt::TextWordWrap, text);
        return needed.height() <= box.height();
    };
    constexpr int SmallestPixelSize = 7;
    while (!fits(font) && font.pixelSize() > SmallestPixelSize)
        font.setPixelSize(font.pixelSize() - 1);
    return font;
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
