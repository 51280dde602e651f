#pragma once

#include <QWidget>

class AccountSettingsPresenter;
class AvatarLoader;
class NickNameSheet;
class QCheckBox;
class QLabel;
class QPushButton;

// The account tab: the round avatar (a click picks an image file), the
// nickname with its sheet, the account name, WeChat and QQ with their bind
// buttons, the WeChat reminder box and page, the mobile and e-mail bindings
// (their buttons open the account page) and the password button.
class AccountSettingsTab : public QWidget
{
    Q_OBJECT
public:
    static constexpr int AvatarSide = 72;

    explicit AccountSettingsTab(AccountSettingsPresenter *presenter, QWidget *parent = nullptr);

    AccountSettingsPresenter *presenter() const { return m_presenter; }
    QPushButton *avatarButton() const { return m_avatar; }
    QPushButton *nickButton() const { return m_modifyNick; }
    QPushButton *wechatButton() const { return m_wechat; }
    QPushButton *qqButton() const { return m_qq; }
    QCheckBox *wechatReminderBox() const { return m_reminder; }
    QLabel *nickLabel() const { return m_nick; }
    QLabel *accountLabel() const { return m_account; }
    QLabel *mobileLabel() const { return m_mobile; }
    QLabel *emailLabel() const { return m_email; }
    QPushButton *mobileButton() const { return m_mobileButton; }
    QPushButton *emailButton() const { return m_emailButton; }
    NickNameSheet *nickSheet() const { return m_sheet; }
    // The address of the picture the avatar shows ("" the placeholder or a picked image).
    QString avatarShown() const { return m_avatarShown; }

    void appear();
    // The nickname sheet, made on first use and kept.
    NickNameSheet *openNickSheet();

private:
    void render();
    void pickAvatar();
    void showAvatar(const QPixmap &image);

    AccountSettingsPresenter *m_presenter;
    AvatarLoader *m_loader;
    QString m_avatarShown;
    bool m_showingPicked = false;
    QPushButton *m_avatar;
    QLabel *m_nick;
    QPushButton *m_modifyNick;
    QLabel *m_account;
    QPushButton *m_password;
    QPushButton *m_wechat;
    QPushButton *m_qq;
    QCheckBox *m_reminder;
    QPushButton *m_reminderPage;
    QPushButton *m_mobileButton;
    QLabel *m_mobile;
    QPushButton *m_emailButton;
    QLabel *m_email;
    NickNameSheet *m_sheet = nullptr;
};
