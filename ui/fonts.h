#pragma once

#include <QFont>
#include <QSize>
#include <QString>
#include <QStringList>

// The fonts the windows were designed with, and their stand-ins on systems
// without them.
namespace zel::look {

// Verdana and MS Sans Serif are Windows faces; elsewhere the nearest installed
// face (DejaVu Sans, Verdana's metric cousin) takes their place. Call once
// before the first window is built.
void installFontSubstitutes();
// The face that draws `family`: itself when installed, else its first
// installed stand-in.
QString faceFor(const QString &family, const QStringList &installed);
// Whether a face that really draws is one the windows were designed with.
bool isDesignedFace(const QString &face);

enum FontStyle : unsigned {
    Regular = 0,
    Bold = 1u << 0,
    Underline = 1u << 1,
};

// A font given as the windows are designed: a face and a size in points at
// 96 DPI. The size is held in pixels so the text keeps fitting its fixed box
// whatever DPI the desktop reports; high-DPI scaling still doubles it.
QFont designFont(const QString &family, double points, unsigned style = Regular);
QFont verdana(double points, unsigned style = Regular);
QFont msSansSerif(double points, unsigned style = Regular);

// The stand-in faces can run wider than the faces the windows were designed
// with. Where a stand-in's text would overflow the box it was designed for,
// its font steps down a pixel at a time until it fits; a designed face, and
// a text that fits, are left alone.
QFont fittedFont(QFont font, const QString &text, const QSize &box, bool wraps);

} // namespace zel::look
