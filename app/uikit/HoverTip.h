#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class TipBubble;
class QWidget;

// Shows a TipBubble beside its control while the mouse is over it, with no
// delay either way. The bubble lives on the control's window, so it also
// goes when the control is hidden or destroyed under the mouse (a list
// reloaded beneath it sends no leave event), moves to another window, or
// the window is deactivated or hidden.
class HoverTip : public QObject
{
    Q_OBJECT
public:
    explicit HoverTip(QWidget *control);
    ~HoverTip() override;

    QString tipTitle() const { return m_tipTitle; }
    // Takes effect at the next showing.
    void setTipTitle(const QString &title) { m_tipTitle = title; }
    int position() const { return m_position; }
    void setPosition(int position) { m_position = position; }

    // The bubble while shown, else null.
    TipBubble *tipView() const;

    void show();
    void remove();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_control;
    QPointer<QWidget> m_window;
    QPointer<TipBubble> m_bubble;
    QString m_tipTitle;
    int m_position = 0;
};
