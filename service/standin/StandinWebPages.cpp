#include "service/standin/StandinWebPages.h"

#include "service/standin/StandinCrypto.h"
#include "service/standin/StandinService.h"
#include "service/standin/StandinState.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QUrlQuery>

namespace {

QByteArray html(const QString &title, const QString &body)
{
    return QStringLiteral("<!DOCTYPE html><html lang=\"zh\"><head><meta charset=\"utf-8\"><title>%1</title>"
                          "<style>body{font-family:sans-serif;max-width:32em;margin:3em auto;color:#333}"
                          "input{margin:.3em 0}</style></head><body><h1>%1</h1>%2</body></html>")
        .arg(title.toHtmlEscaped(), body)
        .toUtf8();
}

StandinWebPages::Page page(const QString &title, const QString &body, int status = 200)
{
    return {status, html(title, body), {}};
}

StandinAccount *accountById(StandinState &state, const QString &userId)
{
    for (StandinAccount &a : state.accounts)
        if (!userId.isEmpty() && a.userId == userId)
            return &a;
    return nullptr;
}

// A form's fields: the query of a GET, the url-encoded body of a POST.
QUrlQuery fields(const StandinRequest &request)
{
    if (request.method == "POST")
        return QUrlQuery(QString::fromUtf8(request.body).replace(u'+', u' '));
    return request.query;
}

QString field(const QUrlQuery &q, const QString &name)
{
    return q.queryItemValue(name, QUrl::FullyDecoded);
}

} // namespace

std::optional<StandinWebPages::Page> StandinWebPages::answer(const StandinRequest &request,
                                                             StandinState &state)
{
    const QString &path = request.path;
    if (path == QLatin1String("oauth/autoJump"))
        return autoJump(request, state);
    if (path == QLatin1String("user"))
        return accountPage(request, state);
    if (path == QLatin1String("user/lockPassword") && request.method == "POST")
        return setLockPassword(request, state);
    if (path == QLatin1String("help/mac.html"))
        return page(
            QStringLiteral("帮助"),
            QStringLiteral("<p>这是本机演示服务的帮助页。便签、分类和提醒的用法见项目的 README。</p>"));
    if (path == QLatin1String("register"))
        return page(QStringLiteral("注册账号"),
                    QStringLiteral("<p>本机演示服务不开放注册，请使用演示账号 demo / demo1234。</p>"));
    if (path == QLatin1String("searchPwd/step1"))
        return page(
            QStringLiteral("找回密码"),
            QStringLiteral("<p>本机演示服务的账号密码是固定的：demo / demo1234，tester / secret1。</p>"));
    if (path == QLatin1String("mac") || path == QLatin1String("mac/"))
        return page(QStringLiteral("下载"),
                    QStringLiteral("<p>本机演示服务没有新版本可供下载，请从源码构建。</p>"));
    return std::nullopt;
}

StandinWebPages::Page StandinWebPages::autoJump(const StandinRequest &request, StandinState &state)
{
    const Page refused = page(QStringLiteral("链接无效"),
                              QStringLiteral("<p>链接无效或已失效，请从程序中重新打开。</p>"), 403);
    const QByteArray::FromBase64Result cipher = QByteArray::fromBase64Encoding(
        field(request.query, QStringLiteral("token")).toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!cipher || cipher.decoded.isEmpty())
        return refused;
    const QByteArray plain = StandinCrypto::decrypt(cipher.decoded, state.autoJumpKey.toLatin1());
    const QJsonObject token = QJsonDocument::fromJson(plain).object();
    StandinAccount *account = accountById(state, token.value("userId").toString());
    const QString returnUrl = token.value("returnUrl").toString();
    // Only a page of this site: a token never sends the browser elsewhere.
    if (!account || !returnUrl.startsWith(u'/') || returnUrl.startsWith(QLatin1String("//")))
        return refused;
    const QString session = QString::number(QRandomGenerator::global()->generate64(), 16);
    m_sessions.insert(session, account->userId);
    const QString target =
        returnUrl + (returnUrl.contains(u'?') ? u'&' : u'?') + QStringLiteral("session=") + session;
    return {302, html(QStringLiteral("跳转"), {}), target.toUtf8()};
}

StandinWebPages::Page StandinWebPages::accountPage(const StandinRequest &request, StandinState &state)
{
    const QString session = field(request.query, QStringLiteral("session"));
    StandinAccount *account = accountById(state, m_sessions.value(session));
    if (!account)
        return page(QStringLiteral("账号"), QStringLiteral("<p>请从程序中打开账号页面。</p>"), 403);
    const bool hasLock = !account->userInfo.value("lockScreenPassword").toString().isEmpty();
    return page(QStringLiteral("账号"),
                QStringLiteral("<p>账号：%1</p><p>锁屏密码：%2</p>"
                               "<form method=\"post\" action=\"/user/lockPassword\">"
                               "<input type=\"hidden\" name=\"session\" value=\"%3\">"
                               "<label>新的锁屏密码 <input type=\"password\" name=\"password\" "
                               "minlength=\"4\" maxlength=\"16\" required></label><br>"
                               "<button type=\"submit\">设置锁屏密码</button></form>")
                    .arg(account->account.toHtmlEscaped(),
                         hasLock ? QStringLiteral("已设置") : QStringLiteral("未设置"),
                         session.toHtmlEscaped()));
}

StandinWebPages::Page StandinWebPages::setLockPassword(const StandinRequest &request, StandinState &state)
{
    const QUrlQuery form = fields(request);
    const QString session = field(form, QStringLiteral("session"));
    StandinAccount *account = accountById(state, m_sessions.value(session));
    if (!account)
        return page(QStringLiteral("账号"), QStringLiteral("<p>请从程序中打开账号页面。</p>"), 403);
    const QString password = field(form, QStringLiteral("password"));
    if (password.size() < 4 || password.size() > 16)
        return page(QStringLiteral("锁屏密码"), QStringLiteral("<p>锁屏密码须为 4 到 16 位。</p>"), 400);
    // A profile change: the program takes it with its next pull.
    account->userInfo.insert("lockScreenPassword", password);
    account->userInfo.insert("isDefaultLockScreen", 1);
    account->userInfoVersion = ++account->version;
    return page(QStringLiteral("锁屏密码"), QStringLiteral("<p>锁屏密码已设置，程序同步后即可锁屏。</p>"));
}
