#pragma once

#include <initializer_list>

class QRect;
class QStackedLayout;
class QWidget;

namespace zel::look {

// Pages that share one rectangle of `parent` (`place`) and take turns in
// front. Every page stays shown, so its access keys work from behind; the
// stack's current page lies on top. A screen reader is told only of the
// current page and hears the pages change. Nothing here changes what is
// drawn, the focus or the Tab order: the pages only lie where they were
// designed to lie.
QStackedLayout *stackPages(QWidget *parent, const QRect &place,
                           std::initializer_list<QWidget *> pages);

} // namespace zel::look
