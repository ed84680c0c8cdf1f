#include "fixture.h"
#include "main_window/main_window.h"
#include "support/support_window.h"

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QTimer>
#include <qpa/qwindowsysteminterface.h>

using namespace zel;

// Every control a key presses, every access key and the key a field refuses
// with a box: held, it acts once, whether the system marks the repeats as
// such or Qt hands them on as a release and a new press in the same
// millisecond; pressed twice 80 ms apart, it acts twice.
class TestHeldKeys : public Fixture
{
    Q_OBJECT

private Q_SLOTS:
    void oncePerPress_data();
    void oncePerPress();
    void aBoxUpTakesNoOther();
};

void TestHeldKeys::oncePerPress_data()
{
    columns<QString, QString, int, int, QString>("window", "focus", "key", "modifiers", "how");
    struct Press
    {
        const char *window, *focus;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    };
    const Press presses[] = {
        {"main", "Label14", Qt::Key_Return, {}}, // a link
        {"main", "Label14", Qt::Key_Enter, Qt::KeypadModifier},
        {"main", "Label14", Qt::Key_Space, {}},
        {"main", "txtQuestion", Qt::Key_D, Qt::AltModifier}, // Donate, on the menu bar
        {"support", "Check1", Qt::Key_Space, {}},
        {"support", "cmdSubmit", Qt::Key_Return, {}}, // a box: fill in the fields
        {"support", "cmdSubmit", Qt::Key_Enter, Qt::KeypadModifier},
        {"support", "cmdSubmit", Qt::Key_Space, {}},
        {"support", "txtName", Qt::Key_N, Qt::AltModifier}, // the same, by its access key
        {"support", "txtEmail", Qt::Key_Space, {}}, // a box: no spaces here
        {"support", "lblGoToHome", Qt::Key_Return, {}},
        {"main", "txtQuestion", Qt::Key_Space, {}}, // typing: every repeat types
        {"support", "txtMessage", Qt::Key_Return, {}}, // a line break each
    };
    for (const Press &press : presses) {
        for (const char *how : {"held", "held, repeats as new presses", "pressed twice"})
            QTest::addRow("%s %s, key %x, %s", press.window, press.focus, press.key, how)
                << QString(press.window) << QString(press.focus) << int(press.key)
                << int(press.modifiers) << QString(how);
    }
}

void TestHeldKeys::oncePerPress()
{
    QFETCH(QString, window);
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, how);
    QWidget *shown = window == u"main" ? static_cast<QWidget *>(openWindow<MainWindow>())
                                       : openWindow<SupportWindow>();
    control(focus.toLatin1().constData())->setFocus(Qt::TabFocusReason);
    const QString text = key == Qt::Key_Space           ? QStringLiteral(" ")
        : key == Qt::Key_Return || key == Qt::Key_Enter ? QStringLiteral("\r")
                                                        : QString(QChar(key).toLower());
    // Each row's own span of time, so that no row's last release is near.
    static ulong now = 0;
    now += 100'000;
    const auto send = [&](QEvent::Type type, ulong at, bool repeat) {
        QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::SynchronousDelivery>(
            shown->windowHandle(), now + at, type, key, Qt::KeyboardModifiers(modifiers), text,
            repeat);
    };
    // A typing row counts what was typed, any other what was done.
    const bool typing = key == Qt::Key_Space ? focus == u"txtQuestion" : focus == u"txtMessage";
    const auto typed = [&] {
        QWidget *field = QApplication::focusWidget();
        return qobject_cast<QLineEdit *>(field) ? static_cast<QLineEdit *>(field)->text().size()
                                                : field->property("plainText").toString().size();
    };
    const qsizetype before = typed();
    const auto done = [&] {
        return typing ? typed() - before : log.size();
    };
    send(QEvent::KeyPress, 0, false);
    for (ulong at = 500; at < 700 && how != u"pressed twice"; at += 40) {
        send(QEvent::KeyRelease, at, how == u"held");
        send(QEvent::KeyPress, at, how == u"held");
    }
    send(QEvent::KeyRelease, 700, false);
    // An access key presses its button a moment later, as a click would.
    QTRY_VERIFY(done() > 0);
    if (how == u"pressed twice") {
        send(QEvent::KeyPress, 780, false);
        send(QEvent::KeyRelease, 830, false);
    }
    const qsizetype expected = how == u"pressed twice" ? 2 : typing ? 6 : 1;
    QTRY_COMPARE(done(), expected);
    QVERIFY2(!QTest::qWaitFor([&] { return done() > expected; }, 300), qPrintable(log.join(u", ")));
}

// While a box is up, a screen reader can still press what raised it: the box
// comes to the front again, and no other opens over it. Once it is closed,
// the next press opens it again.
void TestHeldKeys::aBoxUpTakesNoOther()
{
    messages::setAnswererForTests({});
    openWindow<SupportWindow>();
    QAccessibleActionInterface *submit
        = QAccessible::queryAccessibleInterface(control("cmdSubmit"))->actionInterface();
    int opened = 0, stacked = 0;
    for (int opening = 0; opening < 2; ++opening) {
        whenModalIsUp([&](QWidget *box) {
            ++opened;
            // Any box over this one is counted and closed, so none blocks the test.
            QTimer closer;
            QObject::connect(&closer, &QTimer::timeout, [&] {
                if (QWidget *top = QApplication::activeModalWidget(); top && top != box)
                    ++stacked, static_cast<QDialog *>(top)->done(0);
            });
            closer.start(20);
            // A press clicks a moment later, as the mouse would.
            for (int press = 0; press < 3; ++press)
                submit->doAction(QAccessibleActionInterface::pressAction());
            static_cast<void>(QTest::qWaitFor([&] { return stacked > 0; }, 500));
            static_cast<QDialog *>(box)->done(0);
        });
        submit->doAction(QAccessibleActionInterface::pressAction());
        QTRY_COMPARE(opened, opening + 1);
    }
    QCOMPARE(stacked, 0);
}

QTEST_MAIN(TestHeldKeys)
#include "tst_held_keys.moc"
