#include "ui/fonts.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QHash>
#include <QRect>

#include <cmath>

namespace zel::look {

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

} // namespace zel::look
