#include "fixture.h"

#include "links/open_link.h"
#include "oracle/random_source.h"
#include "ui/fonts.h"
#include "ui/look.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>
#include <QTest>

#include <cmath>

using namespace zel;

void Fixture::init()
{
    opened.clear();
    boxes.clear();
    log.clear();
    answer = always(false);
    setLinkOpenerForTests([this](const QString &address) {
        opened << address;
        log << QStringLiteral("open ") + address;
    });
    messages::setAnswererForTests([this](const messages::Request &request) {
        static const char *const kinds[] = {"notice ", "error ", "ask "};
        boxes << request;
        log << QLatin1String(kinds[int(request.kind)]) + request.text;
        return answer(request);
    });
    settings = std::make_unique<QTemporaryDir>();
    QVERIFY(settings->isValid());
    configHome = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(settings->path()));
    startEach();
}

void Fixture::cleanup()
{
    // Deleted, never closed: closing the support window would end the program.
    delete underTest.data();
    setLinkOpenerForTests({});
    messages::setAnswererForTests({});
    oracle::setBitSourceForTests({});
    configHome.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", configHome);
    settings.reset();
    // A window left open fails its test alone: hidden, it fails none after.
    QStringList left;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->isVisible())
            left << window->metaObject()->className() + (u' ' + window->objectName());
        window->hide();
    }
    QVERIFY2(left.isEmpty(), qPrintable(left.join(u", ")));
}

Fixture::Answerer Fixture::always(bool yes)
{
    return [yes](const messages::Request &) {
        return yes;
    };
}

QStringList Fixture::boxTexts() const
{
    QStringList texts;
    for (const messages::Request &box : boxes)
        texts << box.text;
    return texts;
}

void Fixture::drawAsDesigned()
{
    look::installFontSubstitutes();
    QApplication::setCursorFlashTime(0);
}

void Fixture::feedRandom(const QList<float> &values)
{
    // The generator's top 24 bits make r: exactly r * 2^24 of them.
    oracle::setBitSourceForTests([values, next = qsizetype(0)]() mutable {
        const double r = values.at(next++ % values.size());
        return static_cast<quint32>(std::ldexp(r, 24)) << 8;
    });
}

void Fixture::showWindow(QWidget *window)
{
    underTest = window;
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
}

void Fixture::clickOver(const QWidget *control, std::optional<QPoint> at) const
{
    QTest::mouseClick(underTest->windowHandle(), Qt::LeftButton, {},
                      control->mapTo(underTest, at.value_or(control->rect().center())));
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray fileContents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString cutOff(const QLabel *label)
{
    const QRect room(0, 0, label->width(), 100000);
    const int needed = label->fontMetrics()
                           .boundingRect(room, Qt::TextWordWrap | label->alignment(), label->text())
                           .height();
    if (needed <= label->height())
        return {};
    return QStringLiteral("%1 needs %2 > %3")
        .arg(label->objectName())
        .arg(needed)
        .arg(label->height());
}

void answerNextBox(SeenBox *seen, QMessageBox::StandardButton press)
{
    whenModalIsUp([seen, press](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        seen->title = box->windowTitle();
        seen->text = box->text();
        seen->icon = box->icon();
        for (QAbstractButton *button : box->buttons())
            seen->buttons << button->text();
        seen->defaultButton = box->standardButton(box->defaultButton());
        seen->parent = box->parentWidget();
        box->button(press)->click();
    });
}
