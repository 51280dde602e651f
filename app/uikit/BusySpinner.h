#pragma once

#include <QWidget>

class QTimer;

// The busy overlay: covers its view (taking its clicks) and spins a ring of
// strokes on a dark rounded square in the middle.
class BusySpinner : public QWidget
{
    Q_OBJECT
public:
    explicit BusySpinner(QWidget *view);

    // Hides the spinner and deletes it; a dismissed spinner no longer counts
    // as one of its view's spinners.
    void dismiss();
    bool isDismissed() const { return m_dismissed; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    QTimer *m_animation;
    int m_step = 0;
    bool m_dismissed = false;
};
