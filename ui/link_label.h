#pragma once

#include <QLabel>

namespace zel {

// A label that acts as a web link: a pointing hand under the mouse, never the
// keyboard focus; a left click on it emits clicked(). Its window gives it its
// underlined font and colour.
class LinkLabel final : public QLabel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LinkLabel)

public:
    // `destination` tells a screen reader where the link leads.
    LinkLabel(const QString &text, const QString &destination, QWidget *parent = nullptr);

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool pressed = false;
};

} // namespace zel
