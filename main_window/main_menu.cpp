#include "main_window/main_menu.h"

#include "links/open_link.h"

#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace zel {

QAction *buildMainMenu(QMainWindow *window)
{
    QMenuBar *bar = window->menuBar();
    bar->setObjectName(QStringLiteral("menuBar"));
    const auto entry = [](QWidget *owner, const char *name, const QString &caption) {
        auto *action = new QAction(caption, owner);
        action->setObjectName(QLatin1String(name));
        owner->addAction(action);
        return action;
    };
    const auto opens
        = [&](QWidget *owner, const char *name, const QString &caption, LinkTarget target) {
              QObject::connect(entry(owner, name, caption), &QAction::triggered, window,
                               [target] { openLink(target); });
          };
    const auto separator = [](QMenu *menu, const char *name) {
        menu->addSeparator()->setObjectName(QLatin1String(name));
    };

    QMenu *file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    // Exit closes exactly as the close button does.
    QObject::connect(entry(file, "mnuExit", QStringLiteral("E&xit")), &QAction::triggered, window,
                     &QWidget::close);

    QMenu *help = bar->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    opens(help, "mnuOnline", QStringLiteral("&Online Help"), LinkTarget::ProductHelpPage);
    opens(help, "mnuVisit", QStringLiteral("&Visit Us Online"), LinkTarget::HomePage);
    separator(help, "mnuSep2");
    opens(help, "mnuUpdate", QStringLiteral("Check for Software &Update"),
          LinkTarget::ProductDownloadPage);
    separator(help, "mnuSep3");
    QAction *about = entry(help, "mnuAbout", QStringLiteral("&About Software"));

    // A command of its own on the bar, with no menu under it.
    opens(bar, "mnuDonate", QStringLiteral("&Donate"), LinkTarget::DonatePage);
    return about;
}

} // namespace zel
