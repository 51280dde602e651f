#include "settings/presenter/AccountSettingsPresenter.h"

#include "app/oauth/OAuthPresenter.h"
#include "platform/base/UrlOpener.h"
#include "platform/base/UserFeedback.h"
#include "service/account/PlatformTool.h"
#include "service/api/ApiNetWorking.h"
#include "service/api/AutoJumpToken.h"
#include "settings/presenter/SettingsWindowPresenter.h"

#include <QFileInfo>
#include <QImageReader>
#include <QUrl>

#include <memory>

namespace {

using Row = SettingsSaver::Row;
using Provider = AccountSettingsPresenter::Provider;

int slot(Provider p)
{
    return p == Provider::QQ ? 1 : 0;
}

} // namespace

AccountSettingsPresenter::AccountSettingsPresenter(const Services &services, SettingsWindowPresenter *window,
                                                   AuthWebPageFactory *pages, QObject *parent)
    : QObject(parent), m_services(services), m_window(window), m_saver(window->saver()), m_pages(pages)
{
    connect(m_saver, &SettingsSaver::rowsChanged, this, &AccountSettingsPresenter::changed);
}

AccountSettingsPresenter::~AccountSettingsPresenter() = default;

QString AccountSettingsPresenter::text(const char *attribute) const
{
    return m_saver->shown(Row::UserInfo, QString::fromLatin1(attribute)).toString();
}

bool AccountSettingsPresenter::flag(const char *attribute) const
{
    return m_saver->shown(Row::UserInfo, QString::fromLatin1(attribute)).toBool();
}

QString AccountSettingsPresenter::nick() const
{
    return text("nick");
}

QString AccountSettingsPresenter::account() const
{
    return text("account");
}

QString AccountSettingsPresenter::avatarUrl() const
{
    return m_saver->stored(Row::UserInfo, QStringLiteral("avatar")).toString();
}

bool AccountSettingsPresenter::isBound(Provider provider) const
{
    return flag(provider == Provider::QQ ? "isOAuthQQ" : "isOAuthWeChat");
}

bool AccountSettingsPresenter::bindingBusy(Provider provider) const
{
    return m_oauth[slot(provider)] || m_bindOut[slot(provider)];
}

bool AccountSettingsPresenter::wechatReminderOn() const
{
    return flag("isOpenWeChatReminder");
}

bool AccountSettingsPresenter::mobileBound() const
{
    return m_saver->shown(Row::UserInfo, QStringLiteral("mobileBindStatus")).toInt() == 1;
}

bool AccountSettingsPresenter::emailBound() const
{
    return m_saver->shown(Row::UserInfo, QStringLiteral("emailBindStatus")).toInt() == 1;
}

QString AccountSettingsPresenter::mobileText() const
{
    return mobileBound() ? masked(text("mobile")) : QString();
}

QString AccountSettingsPresenter::emailText() const
{
    return emailBound() ? masked(text("email")) : QString();
}

QString AccountSettingsPresenter::masked(const QString &text)
{
    if (text.size() < 7)
        return text;
    QString out = text;
    out.replace(3, 4, QStringLiteral("****"));
    return out;
}

QString AccountSettingsPresenter::unbindQuestion(Provider provider)
{
    return provider == Provider::QQ ? QStringLiteral("确定要解除QQ绑定吗？")
                                    : QStringLiteral("确定要解除微信绑定吗？");
}

QImage AccountSettingsPresenter::avatarFromFile(const QString &path, QString *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return QImage();
    };
    const QFileInfo file(path);
    if (!file.isFile() || !file.isReadable())
        return fail(ImageUnreadableText);
    if (file.size() > MaxImageFileBytes)
        return fail(ImageTooLargeText);
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > MaxImageSide || size.height() > MaxImageSide))
        return fail(ImageTooLargeText);
    const QImage image = reader.read();
    if (image.isNull())
        return fail(ImageUnreadableText);
    const int side = qMin(image.width(), image.height());
    QImage square = image.copy((image.width() - side) / 2, (image.height() - side) / 2, side, side);
    if (side > AvatarSide)
        square = square.scaled(AvatarSide, AvatarSide, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return square.convertToFormat(QImage::Format_ARGB32);
}

void AccountSettingsPresenter::chooseAvatarFile(const QString &path)
{
    QString error;
    const QImage image = avatarFromFile(path, &error);
    if (image.isNull()) {
        m_services.feedback->showMessage(error, UserFeedback::by(this));
        return;
    }
    chooseAvatarImage(image);
}

void AccountSettingsPresenter::chooseAvatarImage(const QImage &image)
{
    if (image.isNull() || avatarBusy())
        return;
    m_picked = image;
    emit changed();
    m_services.api->uploadImgWithUploadImages(
        {image}, this, [this](const BaseSuccessModel &reply) { uploaded(reply); },
        [this](const BaseErrorModel &) { avatarEnded(); });
}

void AccountSettingsPresenter::uploaded(const BaseSuccessModel &reply)
{
    const QString path = reply.dataObject().value(QStringLiteral("filePath")).toString().trimmed();
    // A reply without a path would clear the avatar on the service.
    if (reply.code != 200 || path.isEmpty()) {
        avatarEnded();
        return;
    }
    m_headPath = path;
    const bool sent =
        m_saver->send({Row::UserInfo, QJsonObject{{QStringLiteral("avatar"), path}},
                       SettingsSaver::Overlay::Busy, this, [this] { m_window->reloadProfile(); }});
    if (!sent) {
        avatarEnded();
        return;
    }
    // Whatever the answer, the stored avatar shows afterwards.
    auto conn = std::make_shared<QMetaObject::Connection>();
    *conn = connect(m_saver, &SettingsSaver::answered, this,
                    [this, conn](SettingsSaver::Row row, const QStringList &attributes) {
                        if (row != Row::UserInfo || !attributes.contains(QStringLiteral("avatar")))
                            return;
                        disconnect(*conn);
                        avatarEnded();
                    });
}

void AccountSettingsPresenter::avatarEnded()
{
    m_picked = QImage();
    emit changed();
}

void AccountSettingsPresenter::sendChange(const QJsonObject &values)
{
    m_saver->send(
        {Row::UserInfo, values, SettingsSaver::Overlay::Busy, this, [this] { m_window->reloadProfile(); }});
}

void AccountSettingsPresenter::saveNick(const QString &text)
{
    // Sent as typed: the service judges it.
    sendChange(QJsonObject{{QStringLiteral("nick"), text}});
}

void AccountSettingsPresenter::setWechatReminder(bool on)
{
    if (!on)
        sendChange(QJsonObject{{QStringLiteral("isOpenWeChatReminder"), false}});
    else
        emit changed(); // the box can only be switched on from the web page
}

void AccountSettingsPresenter::toggleBinding(Provider provider)
{
    if (bindingBusy(provider))
        return;
    if (isBound(provider))
        unbind(provider);
    else
        bind(provider);
}

void AccountSettingsPresenter::bind(Provider provider)
{
    if (!m_pages)
        return;
    auto *oauth = new OAuthPresenter(m_services, *m_pages, QStringLiteral("bind"), typeCode(provider), this);
    m_oauth[slot(provider)] = oauth;
    connect(oauth, &OAuthPresenter::reported, this,
            [this, provider](const QString &status, const QString &openId) {
                authorised(provider, status, openId);
            });
    connect(oauth, &OAuthPresenter::finished, this, [this, oauth, provider] {
        if (m_oauth[slot(provider)] == oauth)
            m_oauth[slot(provider)] = nullptr;
        oauth->deleteLater();
        emit changed();
    });
    emit changed();
    oauth->start();
}

void AccountSettingsPresenter::authorised(Provider provider, const QString &status, const QString &openId)
{
    if (status != QLatin1String("ok") || openId.isEmpty()) {
        m_services.feedback->showMessage(BindFailedText, UserFeedback::by(this));
        return;
    }
    m_bindOut[slot(provider)] = true;
    emit changed();
    const QJsonObject params{{QStringLiteral("openId"), openId},
                             {QStringLiteral("bindType"), serviceType(provider)}};
    m_services.api->bindOAuthWithParams(
        params, this,
        [this, provider](const BaseSuccessModel &reply) {
            m_bindOut[slot(provider)] = false;
            if (!reply.msg.isEmpty())
                m_services.feedback->showToast(reply.msg, this);
            if (reply.code == 200)
                m_window->reloadProfile();
            emit changed();
        },
        [this, provider](const BaseErrorModel &) {
            m_bindOut[slot(provider)] = false;
            emit changed();
        });
}

void AccountSettingsPresenter::unbind(Provider provider)
{
    m_services.feedback->showConfirm(
        unbindQuestion(provider), UserFeedback::by(this), [this, provider](bool ok) {
            if (!ok || bindingBusy(provider))
                return;
            m_bindOut[slot(provider)] = true;
            emit changed();
            m_services.api->clearBindOAuthWithParams(
                QJsonObject{{QStringLiteral("clearBindType"), serviceType(provider)}}, this,
                [this, provider](const BaseSuccessModel &reply) {
                    m_bindOut[slot(provider)] = false;
                    if (reply.code == 200)
                        m_window->reloadProfile();
                    emit changed();
                },
                [this, provider](const BaseErrorModel &) {
                    m_bindOut[slot(provider)] = false;
                    emit changed();
                });
        });
}

void AccountSettingsPresenter::openAccountPage()
{
    AutoJumpToken::getAutoJumpTokenWithUrl(
        QStringLiteral("/user"), m_services.store, *m_services.deviceId, this, [this](const QString &link) {
            if (link.isEmpty())
                m_services.feedback->showMessage(ApiNetWorking::noApiAddressText(), UserFeedback::by(this));
            else
                m_services.urls->openUrl(QUrl(link));
        });
}

QString AccountSettingsPresenter::wechatReminderPath()
{
    return QStringLiteral("/weixintixing?v=mac_") +
           QString::fromLatin1(QUrl::toPercentEncoding(PlatformTool::appVersion()));
}

void AccountSettingsPresenter::openWechatReminderPage()
{
    const QString base = ApiNetWorking::webBaseUrl();
    if (base.isEmpty()) {
        m_services.feedback->showMessage(ApiNetWorking::noApiAddressText(), UserFeedback::by(this));
        return;
    }
    m_services.urls->openUrl(QUrl(base + wechatReminderPath()));
}
