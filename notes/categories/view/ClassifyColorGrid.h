#pragma once

#include <QList>
#include <QStringList>
#include <QWidget>

class ClassifyColorViewItem;

// The category colours as a grid of swatches, six to a row, 5 pixels apart
// and inset by 5 (the skin tab's: other sizes). At most one is chosen; the
// arrow keys move between them.
class ClassifyColorGrid : public QWidget
{
    Q_OBJECT
public:
    struct Geometry
    {
        int columns = 6;
        int side = 40; // of a swatch
        int spacing = 5;
        int inset = 5;
    };

    explicit ClassifyColorGrid(const QStringList &colors, QWidget *parent = nullptr);
    ClassifyColorGrid(const QStringList &colors, const Geometry &geometry, QWidget *parent = nullptr);

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
