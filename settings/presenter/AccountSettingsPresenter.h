#pragma once

#include "app/services/Services.h"
#include "settings/presenter/SettingsSaver.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QString>

class AuthWebPageFactory;
class OAuthPresenter;
class SettingsWindowPresenter;
struct BaseSuccessModel;

// The account tab: the avatar (an image file cropped to a square, uploaded,
// then sent as the profile's avatar), the nickname, the masked account,
// mobile and e-mail texts, WeChat and QQ bound and unbound through the
// authorisation window, the WeChat reminder (only ever switched off) and the
// account pages. Every accepted change reloads the profile and the title bar.
class AccountSettingsPresenter : public QObject
{
    Q_OBJECT
public:
    enum class Provider
    {
        WeChat, // "wx", the service's "2"
        QQ      // "qq", the service's "1"
    };

    // Files larger than this are refused before they are decoded.
    static constexpr qint64 MaxImageFileBytes = 20 * 1024 * 1024;
    // Neither side of a decoded image may pass this.
    static constexpr int MaxImageSide = 12000;
    // The uploaded square's side at most.
    static constexpr int AvatarSide = 512;

    static inline const QString BoundText = QStringLiteral("已绑定");
    static inline const QString UnboundText = QStringLiteral("未绑定");
    static inline const QString BindFailedText = QStringLiteral("绑定失败");
    static inline const QString ImageTooLargeText = QStringLiteral("图片太大，请选择小于20MB的图片");
    static inline const QString ImageUnreadableText = QStringLiteral("无法读取这张图片");

    AccountSettingsPresenter(const Services &services, SettingsWindowPresenter *window,
                             AuthWebPageFactory *pages, QObject *parent = nullptr);
    ~AccountSettingsPresenter() override;

    QString nick() const;
    QString account() const;
    // The stored avatar's address ("" none).
    QString avatarUrl() const;
    // The picked image while its upload and change are out; null otherwise.
    QImage pickedAvatar() const { return m_picked; }
    bool avatarBusy() const { return !m_picked.isNull(); }

    bool isBound(Provider provider) const;
    // The provider's authorisation, bind or unbind is under way.
    bool bindingBusy(Provider provider) const;
    bool wechatReminderOn() const;
    bool mobileBound() const;
    bool emailBound() const;
    // The masked number or address when bound, else "".
    QString mobileText() const;
    QString emailText() const;
    QString nickPanelText() const { return nick(); }

    // Seven characters or more: the four from the fourth on become "****".
    static QString masked(const QString &text);
    static QString typeCode(Provider provider) { return provider == Provider::QQ ? "qq" : "wx"; }
    static QString serviceType(Provider provider) { return provider == Provider::QQ ? "1" : "2"; }
    static QString unbindQuestion(Provider provider);

    // The file as the avatar to upload: at most MaxImageFileBytes, decoded
    // with its orientation, the centre square scaled to AvatarSide at most.
    // A null image and the reason when it cannot be had.
    static QImage avatarFromFile(const QString &path, QString *error);

    // The user picked an image file: shown at once, uploaded, then sent.
    void chooseAvatarFile(const QString &path);
    void chooseAvatarImage(const QImage &image);
    // The nickname sheet's done (cancel sends nothing: the view never calls).
    void saveNick(const QString &text);
    // Bind when unbound, else ask and unbind.
    void toggleBinding(Provider provider);
    // The reminder box was clicked; only "off" is sent.
    void setWechatReminder(bool on);
    // The signed-in account page ("/user") and the WeChat reminder page.
    void openAccountPage();
    void openWechatReminderPage();
    static QString wechatReminderPath();

signals:
    void changed();

private:
    void sendChange(const QJsonObject &values);
    void uploaded(const BaseSuccessModel &reply);
    void avatarEnded();
    void bind(Provider provider);
    void unbind(Provider provider);
    void authorised(Provider provider, const QString &status, const QString &openId);
    QString text(const char *attribute) const;
    bool flag(const char *attribute) const;

    Services m_services;
    SettingsWindowPresenter *m_window;
    SettingsSaver *m_saver;
    AuthWebPageFactory *m_pages;
    QImage m_picked;
    // The server path of the last uploaded avatar.
    QString m_headPath;
    QPointer<OAuthPresenter> m_oauth[2];
    bool m_bindOut[2] = {false, false};
};
