#pragma once

#include <QDir>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QWidget>

#include <optional>

// Holds a window's look to one reference image in tests/unit/reference/: a
// moved control, a changed colour or a changed text shows as pixels that
// differ. The references are drawn with the stand-in face of this platform's
// font stack, so they are compared only where a sample text draws exactly as
// it did when they were made (reference/sample.png); elsewhere nothing can
// be said.
namespace reference {

// The sample's fonts are made here, not by the program: a change in how the
// program makes its fonts must fail the comparison, not switch it off.
inline QImage sample()
{
    QImage image(240, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(Qt::black);
    QFont face(QStringLiteral("DejaVu Sans")); // the references' stand-in for Verdana
    face.setPixelSize(11);
    painter.setFont(face);
    painter.drawText(4, 14, QStringLiteral("Zel Orvalis: Áé&Q @ 0123 ~"));
    face.setPixelSize(13);
    face.setBold(true);
    painter.setFont(face);
    painter.drawText(4, 34, QStringLiteral("Refer A Friend Now"));
    return image;
}

inline QString path(const QString &name)
{
    return QStringLiteral(ZEL_REFERENCE_DIR "/") + name + QStringLiteral(".png");
}

// nullopt where the fonts draw otherwise than they did for the references;
// else an empty text when `window` looks as its reference does, or what
// differs, with the window as drawn saved for a look (and as the new
// reference, should the change be meant).
inline std::optional<QString> differences(QWidget *window, const QString &name)
{
    if (sample() != QImage(path(QStringLiteral("sample"))).convertToFormat(QImage::Format_RGB32))
        return std::nullopt;
    const QImage drawn = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage expected = QImage(path(name)).convertToFormat(QImage::Format_RGB32);
    if (drawn == expected)
        return QString();
    const QString saved
        = QDir::temp().filePath(QStringLiteral("zel-drawn-") + name + QStringLiteral(".png"));
    drawn.save(saved);
    return QStringLiteral("%1 differs from %2: see %3").arg(name, path(name), saved);
}

} // namespace reference

// Fails where `window` no longer looks as its reference does.
#define COMPARE_WITH_REFERENCE(window, name)                                                       \
    do {                                                                                           \
        const std::optional<QString> differs = reference::differences(window, name);               \
        if (!differs)                                                                              \
            QSKIP("text draws otherwise here than for the reference images");                      \
        QVERIFY2(differs->isEmpty(), qPrintable(*differs));                                        \
    } while (false)
