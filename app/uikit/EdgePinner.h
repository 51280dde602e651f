#pragma once

#include <QObject>

class QWidget;

// Keeps a child widget covering its parent exactly (pinned to all four
// edges) as the parent resizes. Owned by the pinned widget.
class EdgePinner : public QObject
{
    Q_OBJECT
public:
    static void pin(QWidget *child);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit EdgePinner(QWidget *child);
    QWidget *m_child;
};
