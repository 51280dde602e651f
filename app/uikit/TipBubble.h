#pragma once

#include <QRect>
#include <QWidget>

#include <optional>

class QLabel;

// The dark one-line bubble of the hover tips: 22 pixels high, 16 wider than
// its text in the 13-pixel font, placed beside its control in the window.
class TipBubble : public QWidget
{
    Q_OBJECT
public:
    static constexpr int Height = 22;
    static constexpr int Padding = 16;

    // Made on `window` (its top-level widget), above the other children.
    TipBubble(const QString &text, QWidget *window);

    QLabel *label() const { return m_label; }

    static QFont tipFont();
    // The bubble's width for the text.
    static int widthFor(const QString &text);

    // Where a bubble of `size` goes for a control at `control` (both in the
    // window's coordinates):
    //   0 below right, 1 above right, 2 above left, 3 below left (the
    //   bubble's corner on the control's opposite corner), 4 above centred,
    //   5 below centred, 6 left centred, 7 right centred.
    // Near the window's edges (`bounds`) the bubble goes to the control's
    // other side when it fits there, and is otherwise moved inside, so it is
    // never cut. No place for a position outside 0 ... 7.
    static std::optional<QRect> placement(const QRect &control, const QSize &size, int position,
                                          const QRect &bounds);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QLabel *m_label;
};
