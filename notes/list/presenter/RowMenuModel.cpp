#include "notes/list/presenter/RowMenuModel.h"

bool RowMenuModel::allows(int tag) const
{
    for (const Item &item : m_items)
        if (item.tag == tag)
            return item.enabled;
    return false;
}
