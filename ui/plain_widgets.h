#pragma once

#include <QLineEdit>
#include <QWidget>

// Qt's plain widgets under the program's own names. The accessibility layer
// (accessibility.h) serves the program's own classes and leaves every Qt
// class to Qt; these names are how it knows what a screen reader should hear.
namespace zel {

// Every single-line field of the program (see look::lineField).
class LineField final : public QLineEdit
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LineField)

public:
    using QLineEdit::QLineEdit;

    // How many times it has been painted: its text scrolls only as it is painted.
    int paintCount() const { return drawn; }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QLineEdit::paintEvent(event);
        ++drawn;
    }

private:
    int drawn = 0;
};

// An area or strip that only holds other controls: no group that a screen
// reader should announce without a name.
class Area final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Area)

public:
    using QWidget::QWidget;
};

// Drawn for looks alone, such as a rule: hidden from screen readers.
class Decoration final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Decoration)

public:
    using QWidget::QWidget;
};

// A top-level window that a screen reader reads out whole when it opens, as
// it reads a dialog: its title and its texts, then the focused control. It
// keeps a plain window's keys: Esc and Enter do nothing of their own.
class DialogWindow : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DialogWindow)

public:
    using QWidget::QWidget;
};

} // namespace zel
