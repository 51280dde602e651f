#pragma once

#include <QPointer>
#include <QRect>
#include <QStringList>
#include <QWidget>

#include <optional>

class HomeRowDelegate;
class QListView;
class QStandardItemModel;

// A small menu-like list dropped out of a control inside its window, over a
// faint mask that covers the whole window: a click on a row tells the owner
// the row (didSelectRowWithIndex, from the event loop) and removes the list; a click on the mask,
// Escape or the window going away removes it without a choice.
//   auto *popover = PopoverView::shareView();
//   connect(popover, &PopoverView::didSelectRowWithIndex, this, ...);
//   popover->showAtView(button, 3);
//   popover->setTitles({"设置", "退出"});
class PopoverView : public QWidget
{
    Q_OBJECT
public:
    static constexpr int RowHeight = 30;
    static constexpr int PopoverWidth = 4 * RowHeight;

    // A new list on every call; it deletes itself when removed.
    static PopoverView *shareView();

    // Side of the anchor: 0 right (centred vertically), 1 below (centred
    // horizontally), 2 left, 3 above. Any other value shows the mask only.
    void showAtView(QWidget *view, int position);
    void setTitles(const QStringList &titles);
    QStringList titles() const { return m_titles; }
    // A disabled row is shown greyed and cannot be chosen (by mouse or keys); set after setTitles().
    void setRowEnabled(int row, bool enabled);
    bool isRowEnabled(int row) const;
    void removePopover();

    // Whether the mask is tinted (black at 10 %) or clear; it catches clicks
    // either way.
    bool showMaskView() const { return m_showMaskView; }
    void setShowMaskView(bool on);

    int popoverHeight() const { return m_popoverHeight; }
    // 30 + 2 pixels per row.
    static int heightFor(int rows);

    QWidget *maskView() const { return m_mask; }
    QListView *tableView() const { return m_table; }
    QWidget *atView() const { return m_atView; }
    int position() const { return m_position; }

    // Where a list of `size` goes beside an anchor at `anchor` (window
    // coordinates). Near the window's edges it goes to the anchor's other
    // side when it fits there, else it is moved inside `bounds`. No place
    // for a position outside 0 ... 3.
    static std::optional<QRect> placement(const QRect &anchor, const QSize &size, int position,
                                          const QRect &bounds);

signals:
    void didSelectRowWithIndex(int row);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    PopoverView();
    void layoutInWindow();
    void rowActivated(int row);
    void choose(int row);

    QListView *m_table;
    QStandardItemModel *m_model;
    HomeRowDelegate *m_delegate;
    QPointer<QWidget> m_mask;
    QPointer<QWidget> m_atView;
    QPointer<QWidget> m_window;
    QStringList m_titles;
    int m_position = -1;
    int m_popoverHeight = 2 * RowHeight + 2;
    bool m_showMaskView = true;
    bool m_removed = false;
    bool m_choicePending = false;
};
