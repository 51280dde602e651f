#pragma once

#include "notes/list/presenter/RowMenuModel.h"

#include <functional>

class QMenu;
class QWidget;

// The widget of a list's row menu: its model's items in order, separators
// where the model has them, each action carrying its tag, enabled as the
// model says, and telling `chosen` its tag. An item for which `submenu` gives
// items opens a submenu of them instead. The menu deletes itself when closed.
class RowMenuBuilder
{
public:
    using Chosen = std::function<void(int tag)>;
    using Submenu = std::function<QList<RowMenuModel::Item>(int tag)>;

    static QMenu *build(const RowMenuModel &model, QWidget *parent, const QString &objectName,
                        const Chosen &chosen, const Submenu &submenu = {});
};
