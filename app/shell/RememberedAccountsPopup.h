#pragma once

#include <QWidget>

class QAbstractItemModel;
class QListView;

// The remembered-account drop-down of the login window: a mask over the
// whole window (dims it and catches clicks) with the list above it. Rows are
// painted by a delegate: round avatar, account name, a remove cross.
class RememberedAccountsPopup : public QWidget
{
    Q_OBJECT
public:
    static constexpr int RowHeight = 34;
    static constexpr int ListHeight = 140;

    RememberedAccountsPopup(QAbstractItemModel *model, QWidget *window);

    // Places the list under the anchor: top = anchor bottom + 9, from `left` to the anchor's right.
    void placeUnder(const QRect &anchorInWindow, int left);
    QListView *list() const { return m_list; }

signals:
    void chosen(int row);
    void removeClicked(int row);
    void dismissed();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QListView *m_list;
};
