#include "notes/categories/view/ClassifyColorGrid.h"

#include "notes/categories/view/ClassifyColorViewItem.h"

#include <QGridLayout>
#include <QSignalBlocker>

ClassifyColorGrid::ClassifyColorGrid(const QStringList &colors, QWidget *parent)
    : ClassifyColorGrid(colors, Geometry{}, parent)
{
}

ClassifyColorGrid::ClassifyColorGrid(const QStringList &colors, const Geometry &geometry, QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("classifyColorGrid"));
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(geometry.inset, geometry.inset, geometry.inset, geometry.inset);
    grid->setSpacing(geometry.spacing);
    const int columns = qMax(1, geometry.columns);
    for (int i = 0; i < colors.size(); ++i) {
        auto *item = new ClassifyColorViewItem(this);
        item->setFixedSize(geometry.side, geometry.side);
        item->showDatasWithHexColor(colors.at(i));
        grid->addWidget(item, i / columns, i % columns);
        m_items << item;
        connect(item, &QAbstractButton::clicked, this, [this, i] { emit colorChosen(i); });
    }
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void ClassifyColorGrid::setChosen(int index)
{
    for (ClassifyColorViewItem *item : std::as_const(m_items)) {
        const QSignalBlocker block(item);
        // Auto-exclusive buttons refuse to uncheck the last checked one.
        item->setAutoExclusive(false);
        item->setChecked(false);
    }
    if (ClassifyColorViewItem *item = m_items.value(index)) {
        const QSignalBlocker block(item);
        item->setChecked(true);
    }
    for (ClassifyColorViewItem *item : std::as_const(m_items))
        item->setAutoExclusive(true);
}

int ClassifyColorGrid::chosen() const
{
    for (int i = 0; i < m_items.size(); ++i)
        if (m_items.at(i)->isChecked())
            return i;
    return -1;
}
