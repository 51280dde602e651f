#include "notes/list/view/RowMenuBuilder.h"

#include <QMenu>

namespace {

void addAction(QMenu *to, const RowMenuModel::Item &item, const RowMenuBuilder::Chosen &chosen)
{
    QAction *action = to->addAction(item.title);
    action->setData(item.tag);
    action->setEnabled(item.enabled);
    QObject::connect(action, &QAction::triggered, to, [chosen, tag = item.tag] { chosen(tag); });
}

} // namespace

QMenu *RowMenuBuilder::build(const RowMenuModel &model, QWidget *parent, const QString &objectName,
                             const Chosen &chosen, const Submenu &submenu)
{
    auto *menu = new QMenu(parent);
    menu->setObjectName(objectName);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (const RowMenuModel::Item &item : model.items()) {
        if (item.tag == 0) {
            menu->addSeparator();
            continue;
        }
        const QList<RowMenuModel::Item> subItems = submenu ? submenu(item.tag) : QList<RowMenuModel::Item>();
        if (subItems.isEmpty()) {
            addAction(menu, item, chosen);
            continue;
        }
        QMenu *sub = menu->addMenu(item.title);
        sub->menuAction()->setData(item.tag);
        sub->menuAction()->setEnabled(item.enabled);
        for (const RowMenuModel::Item &subItem : subItems)
            addAction(sub, subItem, chosen);
    }
    return menu;
}
