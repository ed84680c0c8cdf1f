#pragma once

#include <QWidget>

namespace zel {

// A panel that groups controls: its own background, an etched border, and an
// optional caption set into the top edge. Controls inside are placed relative
// to the panel's outer corner.
class Panel final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Panel)

public:
    explicit Panel(const QString &caption, QWidget *parent = nullptr);

    QString caption() const { return captionText; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString captionText;
};

} // namespace zel
