#pragma once

#include <QLabel>
#include <QLatin1String>

#include <cmath>

// Raw generator bits that make the random source return exactly r.
inline quint32 bitsFor(float r)
{
    return static_cast<quint32>(std::ldexp(static_cast<double>(r), 24)) << 8;
}

// A control of a window by its name; a missing one ends the test run at once.
template<typename T = QWidget>
T *findControl(const QWidget *window, const char *name)
{
    auto *found = window->findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

// The height a label's text needs when wrapped at the label's own width.
inline int wrappedHeight(const QLabel *label)
{
    return label->fontMetrics()
        .boundingRect(QRect(0, 0, label->width(), 100000), Qt::TextWordWrap | label->alignment(),
                      label->text())
        .height();
}
