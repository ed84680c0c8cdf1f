#pragma once

#include "modal_helper.h"
#include "ui/messages.h"

#include <QDir>
#include <QLabel>
#include <QLatin1String>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

// The base of every test class. Each test function (each data row) starts
// with the program's services replaced: links recorded, message boxes
// recorded and answered, the user's settings in a folder of the test's own,
// the random source as the test feeds it; and ends with all of them given
// back, the window under test deleted and no window left open. A class that
// needs more calls the fixture's init() first and its cleanup() last.
class Fixture : public QObject
{
    Q_OBJECT

protected Q_SLOTS:
    void init();
    void cleanup();

protected:
    // What each test function of a class starts with once the services are
    // replaced, such as its window opened: nothing, unless the class says.
    virtual void startEach() { }

    using Answerer = std::function<bool(const zel::messages::Request &)>;
    static Answerer always(bool yes);

    // The addresses the program opened, in order, instead of a browser.
    QStringList opened;
    // The message boxes the program raised, in order, instead of showing them.
    QList<zel::messages::Request> boxes;
    // Both in the order they came: "open <address>", "notice <text>",
    // "error <text>" or "ask <text>".
    QStringList log;
    // How each box is answered once recorded: No, unless the test says otherwise.
    Answerer answer = always(false);
    QStringList boxTexts() const;

    // Windows drawn as designed, with the stand-ins for the designed fonts,
    // and the same each time: a caret that never blinks.
    static void drawAsDesigned();

    // The random source returns the values in turn, and round again.
    static void feedRandom(const QList<float> &values);

    // Where the user's settings go during this test function.
    QDir settingsFolder() const { return QDir(settings->path()); }

    // The window under test, made, shown and active in place of the last one.
    template<typename W, typename... Args>
    W *openWindow(Args &&...args)
    {
        delete underTest.data();
        // Deleted by the fixture, unless it deletes itself first.
        auto *made = new W(std::forward<Args>(args)...);
        showWindow(made);
        return made;
    }
    // A control of the window under test by its name; a missing one ends the
    // test run at once.
    template<typename T = QWidget>
    T *control(const char *name) const
    {
        auto *found = underTest ? underTest->findChild<T *>(QLatin1String(name)) : nullptr;
        if (!found)
            qFatal("no control %s", name);
        return found;
    }

    // A click on the window under test over `control` (at `at` in it, or at
    // its centre), where the user clicks: whatever lies on top there gets it.
    void clickOver(const QWidget *control, std::optional<QPoint> at = std::nullopt) const;

private:
    void showWindow(QWidget *window);

    QPointer<QWidget> underTest;
    std::unique_ptr<QTemporaryDir> settings;
    QByteArray configHome;
};

// Makes the file at `path` hold `bytes` alone: whether it could.
bool writeFile(const QString &path, const QByteArray &bytes = {});
// What the file at `path` holds; nothing where it cannot be read.
QByteArray fileContents(const QString &path);

// Where `label`'s text, wrapped at the label's own width, needs more height
// than the label has: what it needs; else empty.
QString cutOff(const QLabel *label);

// A message box as the user sees it.
struct SeenBox
{
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    QWidget *parent = nullptr;
};

// Records the next modal message box once it is up, then presses `press`.
void answerNextBox(SeenBox *seen, QMessageBox::StandardButton press = QMessageBox::Ok);

// The columns of a Qt Test table in one line: columns<QString, int>("name",
// "count") adds the column "name" of QString and "count" of int.
template<typename... Types, typename... Names>
void columns(const Names &...names)
{
    static_assert(sizeof...(Types) == sizeof...(Names), "one name for each column");
    (QTest::addColumn<Types>(names), ...);
}

// One data row of a Qt Test table on one line: row("name", a, b) adds the
// row "name" with the values a and b, in the order of the table's columns.
template<typename... Values>
void row(const char *name, const Values &...values)
{
    (QTest::newRow(name) << ... << values);
}
