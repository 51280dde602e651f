#pragma once

#include <QPointer>
#include <QWidget>

class PushProofOverlay;
class PushProofPresenter;
class PushSettingsPresenter;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The e-mail push tab: the timed digest's cycle, time, content and address,
// the one-off push's category and address, each with its confirm, and the
// count of e-mails pushed. The proof overlay covers the whole window.
class PushSettingsTab : public QWidget
{
    Q_OBJECT
public:
    explicit PushSettingsTab(PushSettingsPresenter *presenter, QWidget *parent = nullptr);

    PushSettingsPresenter *presenter() const { return m_presenter; }
    QComboBox *cyclePopUp() const { return m_cycle; }
    QComboBox *timePopUp() const { return m_time; }
    QComboBox *contentPopUp() const { return m_content; }
    QLineEdit *digestAddress() const { return m_digestAddress; }
    QPushButton *digestConfirm() const { return m_digestConfirm; }
    QComboBox *categoryPopUp() const { return m_category; }
    QLineEdit *oneOffAddress() const { return m_oneOffAddress; }
    QPushButton *oneOffConfirm() const { return m_oneOffConfirm; }
    QLabel *countLabel() const { return m_count; }
    // The proof overlay while it is shown.
    PushProofOverlay *overlay() const;

    // Fills the controls from the rows (the tab came to the front).
    void appear();

private:
    void render();
    void fillTimes(int cycle);
    void showProof(PushProofPresenter *proof);

    PushSettingsPresenter *m_presenter;
    QComboBox *m_cycle;
    QComboBox *m_time;
    QComboBox *m_content;
    QLineEdit *m_digestAddress;
    QPushButton *m_digestConfirm;
    QComboBox *m_category;
    QLineEdit *m_oneOffAddress;
    QPushButton *m_oneOffConfirm;
    QLabel *m_count;
    QPointer<PushProofOverlay> m_overlay;
};
