#include "about/about_window.h"
#include "fixture.h"
#include "main_window/main_window.h"
#include "support/support_window.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMetaEnum>

using namespace zel;

namespace {

// One line per accessible object, indented by its depth: the role, the name,
// the description, the value of what holds text, the states a screen reader
// acts on and the actions it can take. What a user of a screen reader meets,
// so a change in any of it shows as a line that differs.
QStringList statesOf(QAccessibleInterface *node)
{
    const QAccessible::State state = node->state();
    QStringList states;
    const std::pair<bool, const char *> named[]
        = {{state.invisible, "invisible"}, {state.offscreen, "offscreen"},
           {state.disabled, "disabled"},   {state.focusable, "focusable"},
           {state.focused, "focused"},     {state.defaultButton, "default"},
           {state.checkable, "checkable"}, {state.checked, "checked"},
           {state.pressed, "pressed"},     {state.editable, "editable"},
           {state.readOnly, "read-only"},  {state.multiLine, "multi-line"},
           {state.linked, "linked"},       {state.modal, "modal"}};
    for (const auto &[set, name] : named) {
        if (set)
            states << QLatin1String(name);
    }
    return states;
}

void describe(QAccessibleInterface *node, int depth, QString &out)
{
    const QStringList states = statesOf(node);
    QAccessibleActionInterface *actions = node->actionInterface();
    QString line = QString(depth * 2, u' ')
        + QLatin1String(QMetaEnum::fromType<QAccessible::Role>().valueToKey(node->role()))
        + QStringLiteral(" \"%1\"").arg(node->text(QAccessible::Name));
    if (const QString description = node->text(QAccessible::Description); !description.isEmpty())
        line += QStringLiteral(" (%1)").arg(description);
    if (node->textInterface() || node->role() == QAccessible::EditableText)
        line += QStringLiteral(" value=\"%1\"").arg(node->text(QAccessible::Value));
    if (!states.isEmpty())
        line += QStringLiteral(" [%1]").arg(states.join(u' '));
    if (actions && !actions->actionNames().isEmpty())
        line += QStringLiteral(" {%1}").arg(actions->actionNames().join(u','));
    out += line.replace(u'\n', QLatin1String("\\n")) + u'\n';
    for (int i = 0; i < node->childCount(); ++i) {
        if (QAccessibleInterface *child = node->child(i))
            describe(child, depth + 1, out);
        else
            out += QString((depth + 1) * 2, u' ')
                + QStringLiteral("(a child it counts but lacks)\n");
    }
}

} // namespace

// Each window state's accessible tree, held to a reference text in
// tests/unit/reference/trees/, as the windows' looks are held to images:
// under every Qt the program is built with (6.4 on Linux, 6.8 for Windows),
// since what a screen reader meets must not change with it.
class TestAccessibility : public Fixture
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { drawAsDesigned(); }
    void trees_data();
    void trees();

private:
    QWidget *openState(const QString &state);
};

void TestAccessibility::trees_data()
{
    QTest::addColumn<QString>("state");
    for (const char *state :
         {"main-asking", "main-reading", "main-back", "about", "support", "support-typed"})
        row(state, state);
}

// The window in `state`, made, shown and active.
QWidget *TestAccessibility::openState(const QString &state)
{
    feedRandom({0.5f});
    QWidget *window = nullptr;
    if (state.startsWith(QLatin1String("main"))) {
        auto *main = openWindow<MainWindow>();
        main->chooseBrandLabel();
        window = main;
    } else if (state == QLatin1String("about")) {
        window = openWindow<AboutWindow>();
    } else {
        window = openWindow<SupportWindow>();
    }
    if (state != QLatin1String("main-asking") && state.startsWith(QLatin1String("main")))
        QTest::mouseClick(control("cmdProceed"), Qt::LeftButton);
    if (state == QLatin1String("main-back"))
        QTest::mouseClick(control("cmdBack"), Qt::LeftButton);
    // Typed into, each field is still named by its prompt.
    for (const char *field :
         {"txtName", "txtEmail", "txtFriendName", "txtFriendEmail", "txtMessage"}) {
        if (state == QLatin1String("support-typed")) {
            control(field)->setFocus(Qt::TabFocusReason);
            QTest::keyClicks(control(field), QStringLiteral("x"));
        }
    }
    return window;
}

void TestAccessibility::trees()
{
    QFETCH(QString, state);
    QWidget *window = openState(state);

    // First the Tab order, once round from where the focus starts: each stop,
    // covered controls' included, where a screen reader finds it, in the
    // window's tree and not said to be invisible. What the tree says after
    // it is what tabbing through every control leaves.
    QAccessibleInterface *root = QAccessible::queryAccessibleInterface(window);
    const QWidget *start = QApplication::focusWidget();
    QStringList stops, lost;
    do {
        QTest::keyClick(window->windowHandle(), Qt::Key_Tab);
        stops << QApplication::focusWidget()->objectName();
        QAccessibleInterface *focus
            = QAccessible::queryAccessibleInterface(QApplication::focusWidget());
        QAccessibleInterface *node = focus;
        while (node && node != root && node->parent()
               && node->parent()->child(node->parent()->indexOfChild(node)) == node)
            node = node->parent();
        if (node != root || focus->state().invisible)
            lost << stops.constLast();
    } while (QApplication::focusWidget() != start && stops.size() < 20);
    QString tree;
    describe(root, 0, tree);
    // Then each control's own state, as a screen reader asks the control
    // itself: the focus can rest inside a panel that lists nothing.
    for (QWidget *control : window->findChildren<QWidget *>()) {
        if (!control->objectName().isEmpty() && !control->objectName().startsWith(u"qt_"))
            tree += QStringLiteral("%1 [%2]\n")
                        .arg(control->objectName(),
                             statesOf(QAccessible::queryAccessibleInterface(control)).join(u' '));
    }
    tree += QStringLiteral("Tab: %1\n").arg(stops.join(u' '));
    QVERIFY2(lost.isEmpty(), qPrintable(QStringLiteral("not found: ") + lost.join(u", ")));
    const QString path
        = QStringLiteral(ZEL_REFERENCE_DIR "/trees/") + state + QStringLiteral(".tree");
    QFile reference(path);
    QVERIFY2(reference.open(QIODevice::ReadOnly), qPrintable(path));
    if (QString::fromUtf8(reference.readAll()) != tree) {
        QFile drawn(QDir::temp().filePath(QStringLiteral("zel-tree-") + state));
        if (drawn.open(QIODevice::WriteOnly))
            drawn.write(tree.toUtf8());
        QFAIL(qPrintable(
            QStringLiteral("%1 differs: diff %2 %3").arg(state, path, drawn.fileName())));
    }
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
