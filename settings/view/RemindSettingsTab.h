#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QPushButton;
class RemindSettingsPresenter;

// The reminder tab: the sound box, the sound with its preview, and the
// intervals of important and Wi-Fi reminders.
class RemindSettingsTab : public QWidget
{
    Q_OBJECT
public:
    explicit RemindSettingsTab(RemindSettingsPresenter *presenter, QWidget *parent = nullptr);

    RemindSettingsPresenter *presenter() const { return m_presenter; }
    QCheckBox *soundBox() const { return m_sound; }
    QComboBox *soundPopUp() const { return m_sounds; }
    QPushButton *previewButton() const { return m_preview; }
    QComboBox *importantPopUp() const { return m_important; }
    QComboBox *wifiPopUp() const { return m_wifi; }

    void appear() { render(); }

private:
    void render();

    RemindSettingsPresenter *m_presenter;
    QCheckBox *m_sound;
    QComboBox *m_sounds;
    QPushButton *m_preview;
    QComboBox *m_important;
    QComboBox *m_wifi;
};
