#pragma once

#include <QSizeF>
#include <QWidget>

class QFrame;
class QLabel;

// A short text toast: a transparent overlay over its view with a dark box
// 120 points below the top, centred. Clicks pass through to the view.
class ToastView : public QWidget
{
    Q_OBJECT
public:
    struct Metrics
    {
        QSizeF box;        // 160 ... 240 wide, 46 high (60 for two lines)
        qreal labelHeight; // 38 for two lines, else 0 (the label's own height)
        bool twoLines;
    };

    ToastView(const QString &text, QWidget *view);

    // The box for a text of the given one-line width.
    static Metrics metricsForTextWidth(qreal textWidth);
    static QFont toastFont();

    QFrame *box() const { return m_box; }
    QLabel *label() const { return m_label; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void layoutBox();

    Metrics m_metrics;
    QFrame *m_box;
    QLabel *m_label;
};
