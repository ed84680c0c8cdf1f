#pragma once

#include <QLabel>

namespace zel {

// A label that acts as a web link: a pointing hand under the mouse; a left
// click on it emits clicked(). Tab reaches it, a click never focuses it, and
// Return, Enter or Space on it emits clicked() as a click does. Its window
// gives it its underlined font and colour.
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
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    bool pressed = false;
};

} // namespace zel
