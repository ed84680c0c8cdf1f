#include "ui/page_stack.h"

#include <QAccessible>
#include <QStackedLayout>
#include <QWidget>

namespace zel::look {

namespace {

// A stack whose pages lie at one rectangle of their parent: Qt's own lays
// every page over the whole of its parent, whatever the margins.
class PageStack final : public QStackedLayout
{
public:
    using QStackedLayout::QStackedLayout;

    void setGeometry(const QRect &rect) override
    {
        QStackedLayout::setGeometry(rect.marginsRemoved(contentsMargins()));
    }
};

} // namespace

QStackedLayout *stackPages(QWidget *parent, const QRect &place,
                           std::initializer_list<QWidget *> pages)
{
    auto *stack = new PageStack(parent);
    stack->setStackingMode(QStackedLayout::StackAll);
    stack->setContentsMargins(place.left(), place.top(), parent->width() - 1 - place.right(),
                              parent->height() - 1 - place.bottom());
    for (QWidget *page : pages)
        stack->addWidget(page);
    QObject::connect(stack, &QStackedLayout::currentChanged, parent, [stack] {
        for (int i = 0; i < stack->count(); ++i) {
            QAccessibleEvent change(stack->widget(i),
                                    stack->currentIndex() == i ? QAccessible::ObjectShow
                                                               : QAccessible::ObjectHide);
            QAccessible::updateAccessibility(&change);
        }
    });
    return stack;
}

} // namespace zel::look
