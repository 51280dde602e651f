#pragma once

#include <QString>

class QListView;
class QWidget;

// The painted row lists (due dates, completions, history, search hits): white,
// frameless, rows laid out in batches, never selected (the view stays enabled
// so that the row menu opens), scrolled by pixels, with a custom menu.
class RowListView
{
public:
    static QListView *create(const QString &objectName, QWidget *parent);
};
