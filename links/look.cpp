#include "look.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>

#include <cmath>

namespace look {

void install_font_substitutes()
{
    QFont::insertSubstitutions(
        QStringLiteral("Verdana"),
        {QStringLiteral("DejaVu Sans"), QStringLiteral("Bitstream Vera Sans")});
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Tahoma"),
                                QStringLiteral("DejaVu Sans")});
}

QFont design_font(const QString &family, double points, unsigned style)
{
    QFont font(family);
    font.setPixelSize(static_cast<int>(std::lround(points * 96.0 / 72.0)));
    font.setBold((style & Bold) != 0);
    font.setUnderline((style & Underline) != 0);
    return font;
}

QString label_caption(const QString &caption)
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

void centre_on_screen(QWidget *window)
{
    QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    window->setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, window->size(),
                                            screen->availableGeometry()));
}

} // namespace look
