#pragma once

#include "fixture.h"
#include "main_window/main_window.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

// Of two siblings, the one raised last lies in front.
inline bool inFront(const QWidget *widget, const QWidget *sibling)
{
    const QObjectList &order = widget->parentWidget()->children();
    return order.indexOf(widget) > order.indexOf(sibling);
}

// Draws of r, and the brand label each leaves in front.
inline void brandFrontRows()
{
    columns<float, QString>("r", "front");
    row("n 1 co-branding", 0.0f, "lblCobrand");
    row("n 2 full branding", 0.25f, "lblFullBrand");
    row("n 5 co-branding", 0.7f, "lblCobrand");
    row("n 7 keeps full branding", 0.99f, "lblFullBrand");
}

// The base of the main window's tests: each test function starts with the
// window open and asking.
class MainWindowTest : public Fixture
{
protected:
    zel::MainWindow *window = nullptr;

    void startEach() override { window = openWindow<zel::MainWindow>(); }

    bool reading() const { return inFront(control("fraResult"), control("fraMain")); }
    QString question() const { return control<QLineEdit>("txtQuestion")->text(); }
    QString shownName() const { return control<QLabel>("lblResult_0")->text(); }
    void proceed() const { control<QPushButton>("cmdProceed")->click(); }
    void back() const { control<QPushButton>("cmdBack")->click(); }
};
