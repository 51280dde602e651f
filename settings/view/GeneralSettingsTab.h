#pragma once

#include <QWidget>

class GeneralSettingsPresenter;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

// The general tab: the two position pop-ups, the link and lock boxes, the
// lock password with its save button and the font size.
class GeneralSettingsTab : public QWidget
{
    Q_OBJECT
public:
    explicit GeneralSettingsTab(GeneralSettingsPresenter *presenter, QWidget *parent = nullptr);

    GeneralSettingsPresenter *presenter() const { return m_presenter; }
    QComboBox *addPositionPopUp() const { return m_add; }
    QComboBox *completePositionPopUp() const { return m_complete; }
    QCheckBox *linkBox() const { return m_link; }
    QCheckBox *lockBox() const { return m_lock; }
    QLineEdit *passwordField() const { return m_password; }
    QPushButton *savePasswordButton() const { return m_save; }
    QComboBox *fontSizePopUp() const { return m_fontSize; }

    // The tab comes to the front: the password shows as stored, its save
    // button waits for typing.
    void appear();

private:
    void render();

    GeneralSettingsPresenter *m_presenter;
    QComboBox *m_add;
    QComboBox *m_complete;
    QCheckBox *m_link;
    QCheckBox *m_lock;
    QLineEdit *m_password;
    QPushButton *m_save;
    QComboBox *m_fontSize;
};
