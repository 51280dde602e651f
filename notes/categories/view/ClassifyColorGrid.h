#pragma once

#include <QList>
#include <QStringList>
#include <QWidget>

class ClassifyColorViewItem;

// The category colours as a grid of swatches, six to a row, 5 pixels apart
// and inset by 5. At most one is chosen; the arrow keys move between them.
class ClassifyColorGrid : public QWidget
{
    Q_OBJECT
public:
    explicit ClassifyColorGrid(const QStringList &colors, QWidget *parent = nullptr);

    // Programmatic choice (-1: none); tells nobody.
    void setChosen(int index);
    int chosen() const;
    ClassifyColorViewItem *item(int index) const { return m_items.value(index); }
    int count() const { return int(m_items.size()); }

signals:
    // The user chose a swatch.
    void colorChosen(int index);

private:
    QList<ClassifyColorViewItem *> m_items;
};
