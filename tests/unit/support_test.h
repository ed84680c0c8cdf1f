#pragma once

#include "fixture.h"
#include "support/support_window.h"

#include <QLineEdit>
#include <QPushButton>

// The referral's one-line fields, in the window's order.
struct Fields
{
    QString name, email, friendName, friendEmail;
};

// The base of the support window's tests: each test function starts with
// the window open, every field at its prompt.
class SupportTest : public Fixture
{
protected:
    zel::SupportWindow *window = nullptr;

    void startEach() override { window = openWindow<zel::SupportWindow>(); }

    QLineEdit *line(const char *name) const { return control<QLineEdit>(name); }
    void submit() const { control<QPushButton>("cmdSubmit")->click(); }
    void fill(const Fields &fields)
    {
        line("txtName")->setText(fields.name);
        line("txtEmail")->setText(fields.email);
        line("txtFriendName")->setText(fields.friendName);
        line("txtFriendEmail")->setText(fields.friendEmail);
    }
};
