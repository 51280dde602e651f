// The account and e-mail push tabs' presenters against the stand-in: masking,
// the avatar file and its upload (refused, without a path, accepted), WeChat
// and QQ bound and unbound through a fake authorisation page, the nickname
// and the reminder box, the links; the push tab's lists and stored choices,
// its checks, the proof overlay's code countdown, and both pushes.

#include "SettingsRig.h"

#include "core/model/Classify.h"
#include "platform/store/Context.h"
#include "service/account/PlatformTool.h"
#include "service/api/ApiNetWorking.h"
#include "settings/presenter/AccountSettingsPresenter.h"
#include "settings/presenter/PushSettingsPresenter.h"
#include "tests/support/FakeAuthWebPages.h"
#include "tests/support/RecordingFeedback.h"
#include "tests/support/TestEnv.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QUrlQuery>

Q_DECLARE_METATYPE(QJsonObject)

namespace {

using Provider = AccountSettingsPresenter::Provider;

QString writeImage(const QString &folder, const QString &name, const QSize &size)
{
    // Three bands across the longer side: the middle one is the centre.
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    const bool wide = size.width() >= size.height();
    const int third = (wide ? size.width() : size.height()) / 3;
    const QList<QColor> bands{Qt::red, Qt::green, Qt::blue};
    for (int i = 0; i < 3; ++i)
        p.fillRect(wide ? QRect(i * third, 0, third + 1, size.height())
                        : QRect(0, i * third, size.width(), third + 1),
                   bands.at(i));
    p.end();
    const QString path = folder + "/" + name;
    image.save(path);
    return path;
}

} // namespace

class TstAccountPushPresenters : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_root = TestEnv::freshFolders(); }
    void masking_data();
    void masking();
    void avatarFiles_data();
    void avatarFiles();
    void avatarChange_data();
    void avatarChange();
    void bindAndUnbind();
    void authorisationThatIsNotOkFails();
    void nickReminderAndLinks();
    void timeLists_data();
    void timeLists();
    void storedChoices_data();
    void storedChoices();
    void checksBeforeTheProof_data();
    void checksBeforeTheProof();
    void digestWithPassword_data();
    void digestWithPassword();
    void codeCountdown();
    void oneOffPushWithCode();

private:
    QString m_root;
};

void TstAccountPushPresenters::masking_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("mobile") << "13800005678"
                            << "138****5678";
    QTest::newRow("seven characters") << "1234567"
                                      << "123****";
    QTest::newRow("six characters") << "123456"
                                    << "123456";
    QTest::newRow("short address") << "a@b.cn"
                                   << "a@b.cn";
    QTest::newRow("address") << "someone@example.com"
                             << "som****@example.com";
    QTest::newRow("empty") << ""
                           << "";
}

void TstAccountPushPresenters::masking()
{
    QFETCH(QString, text);
    QTEST(AccountSettingsPresenter::masked(text), "shown");
}

// The avatar file: refused before decoding when too large, the centre square,
// at most 512 pixels.
void TstAccountPushPresenters::avatarFiles_data()
{
    QTest::addColumn<QString>("kind"); // "image", "huge file", "not an image", "missing"
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("side"); // 0: refused
    QTest::addColumn<QString>("error");
    QTest::newRow("wide") << "image" << QSize(300, 100) << 100 << "";
    QTest::newRow("tall") << "image" << QSize(90, 270) << 90 << "";
    QTest::newRow("large") << "image" << QSize(2400, 1200) << 512 << "";
    QTest::newRow("file over the cap")
        << "huge file" << QSize() << 0 << AccountSettingsPresenter::ImageTooLargeText;
    QTest::newRow("not an image") << "not an image" << QSize() << 0
                                  << AccountSettingsPresenter::ImageUnreadableText;
    QTest::newRow("missing") << "missing" << QSize() << 0 << AccountSettingsPresenter::ImageUnreadableText;
}

void TstAccountPushPresenters::avatarFiles()
{
    QFETCH(QString, kind);
    QFETCH(QSize, size);
    QFETCH(int, side);
    QString path = m_root + "/pick.png";
    if (kind == "image") {
        path = writeImage(m_root, "pick.png", size);
    } else if (kind != "missing") {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("\x89PNG\r\n\x1a\n not really");
        if (kind == "huge file")
            QVERIFY(f.resize(AccountSettingsPresenter::MaxImageFileBytes + 1));
    }
    QString error;
    const QImage image = AccountSettingsPresenter::avatarFromFile(path, &error);
    QCOMPARE(image.width(), side);
    QCOMPARE(image.height(), side);
    QTEST(error, "error");
    if (side > 0)
        QCOMPARE(image.pixelColor(side / 2, side / 2), QColor(Qt::green));
}

// The upload's outcomes: only an accepted upload with a path changes the
// avatar; otherwise the stored one shows again and nothing more goes out.
void TstAccountPushPresenters::avatarChange_data()
{
    QTest::addColumn<QString>("upload"); // "ok", "refused", "no path", "change refused"
    QTest::addColumn<bool>("changeSent");
    QTest::addColumn<bool>("changed");
    QTest::newRow("accepted") << "ok" << true << true;
    QTest::newRow("upload refused") << "refused" << false << false;
    QTest::newRow("reply without a path") << "no path" << false << false;
    QTest::newRow("change refused") << "change refused" << true << false;
}

void TstAccountPushPresenters::avatarChange()
{
    QFETCH(QString, upload);
    QFETCH(bool, changeSent);
    QFETCH(bool, changed);
    SettingsRig rig(m_root);
    rig.storeRows({}, {{"avatar", "http://127.0.0.1:1/old.png"}, {"nick", "t"}});
    FakeAuthWebPages pages;
    AccountSettingsPresenter p(rig.services, rig.presenter, &pages, &rig.window);
    if (upload == "refused")
        rig.s.service->setFault("tool/upload/img", StandinFault::replyCode(300, "上传失败"));
    if (upload == "no path")
        rig.s.service->registerHandler("tool/upload/img", [](StandinService::Context &) {
            return StandinReply::ok(QJsonObject{{"filePath", ""}}, StandinReply::Form::Plain);
        });
    if (upload == "change refused")
        rig.s.service->setFault("user/userInfo/modify", StandinFault::replyCode(300, "不能修改"));
    QSignalSpy titleBar(rig.services.events, &AppEvents::reloadDatasForTitleBar);

    p.chooseAvatarFile(writeImage(m_root, "a.png", {600, 400}));
    QVERIFY(p.avatarBusy());
    QCOMPARE(p.pickedAvatar().size(), QSize(400, 400));
    QTRY_VERIFY(!p.avatarBusy());
    QCOMPARE(rig.requests("tool/upload/img"), 1);
    QCOMPARE(rig.requests("user/userInfo/modify"), changeSent ? 1 : 0);
    if (changed) {
        const QString sent = rig.sent("user/userInfo/modify").value("avatar").toString();
        QVERIFY(sent.startsWith(rig.s.service->baseUrl().toString() + "img/"));
        QCOMPARE(p.avatarUrl(), sent);
        QTRY_COMPARE(titleBar.count(), 1);
        QCOMPARE(rig.account().userInfo.value("avatar").toString(), sent);
    } else {
        QCOMPARE(p.avatarUrl(), QStringLiteral("http://127.0.0.1:1/old.png"));
        QCOMPARE(rig.account().userInfo.value("avatar").toString(), QString());
    }
    QVERIFY(p.pickedAvatar().isNull());
}

// Bind QQ through the authorisation page, then unbind it: "取消" sends nothing.
void TstAccountPushPresenters::bindAndUnbind()
{
    SettingsRig rig(m_root);
    UserDefaults::setValue(ApiNetWorking::WebBaseUrlKey, rig.s.service->baseUrl().toString());
    rig.storeRows({}, {{"isOAuthQQ", false}, {"isOAuthWeChat", true}});
    FakeAuthWebPages pages;
    AccountSettingsPresenter p(rig.services, rig.presenter, &pages, &rig.window);
    QVERIFY(!p.isBound(Provider::QQ));

    p.toggleBinding(Provider::QQ);
    QVERIFY(p.bindingBusy(Provider::QQ));
    QTRY_COMPARE(pages.opened(), 1);
    const QUrlQuery query(pages.record().loaded.constFirst());
    QCOMPARE(query.queryItemValue("type"), QStringLiteral("bind"));
    QCOMPARE(query.queryItemValue("oauthType"), QStringLiteral("qq"));
    p.toggleBinding(Provider::QQ); // a second click while it is open does nothing
    QCOMPARE(rig.requests("tool/oauthTempId"), 1);
    rig.s.service->authorise(query.queryItemValue("clientId"), "qq-open-new");
    pages.last()->finishLoad();
    QTRY_COMPARE(rig.requests("user/safe/oauth/bind"), 1);
    QCOMPARE(rig.sent("user/safe/oauth/bind").value("openId").toString(), QStringLiteral("qq-open-new"));
    QCOMPARE(rig.sent("user/safe/oauth/bind").value("bindType").toString(), QStringLiteral("1"));
    QTRY_VERIFY(p.isBound(Provider::QQ));
    QVERIFY(rig.s.feedback->toasts().contains("绑定成功"));
    QTRY_VERIFY(!p.bindingBusy(Provider::QQ));

    rig.s.feedback->autoAnswer.reset();
    p.toggleBinding(Provider::QQ);
    QTRY_COMPARE(rig.s.feedback->pendingSheets(), QStringList{"确定要解除QQ绑定吗？"});
    QVERIFY(rig.s.feedback->answerNext(false));
    QCoreApplication::processEvents();
    QCOMPARE(rig.requests("user/safe/oauth/clearBind"), 0);
    p.toggleBinding(Provider::QQ);
    QTRY_COMPARE(rig.s.feedback->pendingSheets().size(), 1);
    QVERIFY(rig.s.feedback->answerNext(true));
    QTRY_COMPARE(rig.requests("user/safe/oauth/clearBind"), 1);
    QCOMPARE(rig.sent("user/safe/oauth/clearBind").value("clearBindType").toString(), QStringLiteral("1"));
    QTRY_VERIFY(!p.isBound(Provider::QQ));
    QVERIFY(p.isBound(Provider::WeChat));
}

void TstAccountPushPresenters::authorisationThatIsNotOkFails()
{
    SettingsRig rig(m_root);
    UserDefaults::setValue(ApiNetWorking::WebBaseUrlKey, rig.s.service->baseUrl().toString());
    rig.storeRows({}, {{"isOAuthWeChat", false}});
    FakeAuthWebPages pages;
    AccountSettingsPresenter p(rig.services, rig.presenter, &pages, &rig.window);
    p.toggleBinding(Provider::WeChat);
    QTRY_COMPARE(pages.opened(), 1);
    const QString clientId = QUrlQuery(pages.record().loaded.constFirst()).queryItemValue("clientId");
    rig.s.service->state().oauthStates.insert(clientId, QJsonObject{{"status", "unbound"}});
    pages.last()->finishLoad();
    QTRY_COMPARE(rig.s.feedback->messages(), QStringList{AccountSettingsPresenter::BindFailedText});
    QTRY_VERIFY(!p.bindingBusy(Provider::WeChat));
    QCOMPARE(rig.requests("user/safe/oauth/bind"), 0);
}

void TstAccountPushPresenters::nickReminderAndLinks()
{
    SettingsRig rig(m_root);
    UserDefaults::setValue(ApiNetWorking::WebBaseUrlKey, "http://127.0.0.1:9/");
    rig.storeRows({}, {{"nick", "旧名字"}, {"isOpenWeChatReminder", true}});
    FakeAuthWebPages pages;
    AccountSettingsPresenter p(rig.services, rig.presenter, &pages, &rig.window);
    p.saveNick(QStringLiteral("旧名字")); // unchanged, still sent
    QVERIFY(rig.answeredAs(1, true));
    QCOMPARE(rig.sent("user/userInfo/modify").value("nick").toString(), QStringLiteral("旧名字"));

    p.setWechatReminder(true); // on: nothing to send
    QCoreApplication::processEvents();
    QCOMPARE(rig.requests("user/userInfo/modify"), 1);
    p.setWechatReminder(false);
    QVERIFY(rig.answeredAs(2, true));
    QCOMPARE(rig.sent("user/userInfo/modify").value("isOpenWeChatReminder"), QJsonValue(false));
    QVERIFY(!p.wechatReminderOn());

    p.openAccountPage(); // signed once the keychain gave the device id
    QTRY_COMPARE(rig.urls.opened.size(), 1);
    p.openWechatReminderPage();
    QCOMPARE(rig.urls.opened.size(), 2);
    const QUrl account = rig.urls.opened.at(0);
    // The signed-in link: the web site's auto-jump.
    QVERIFY(account.toString().startsWith(ApiNetWorking::webBaseUrl() + "/oauth/autoJump"));
    QCOMPARE(rig.urls.opened.at(1).toString(),
             ApiNetWorking::webBaseUrl() + "/weixintixing?v=mac_" + PlatformTool::appVersion());
}

void TstAccountPushPresenters::timeLists_data()
{
    QTest::addColumn<int>("cycle");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::newRow("none") << 0 << 1 << "不推送"
                          << "不推送";
    QTest::newRow("daily") << 1 << 24 << "00:30"
                           << "23:30";
    QTest::newRow("weekly") << 2 << 7 << "周一"
                            << "周日";
    QTest::newRow("monthly") << 3 << 30 << "每月1号"
                             << "每月30号";
}

void TstAccountPushPresenters::timeLists()
{
    QFETCH(int, cycle);
    const QStringList items = PushSettingsPresenter::timeTitles(cycle);
    QTEST(int(items.size()), "count");
    QTEST(items.first(), "first");
    QTEST(items.last(), "last");
}

// What the digest's pop-ups show for stored values; values outside a list select its first item.
void TstAccountPushPresenters::storedChoices_data()
{
    QTest::addColumn<QJsonObject>("set");
    QTest::addColumn<int>("cycle");
    QTest::addColumn<int>("time");
    QTest::addColumn<int>("content");
    QTest::newRow("daily 08:30") << QJsonObject{{"timerPushCycle", 1},
                                                {"timerPushCycleTime", "08:30"},
                                                {"timerPushCTypes", "2"}}
                                 << 1 << 8 << 1;
    QTest::newRow("daily time not in the list")
        << QJsonObject{{"timerPushCycle", 1}, {"timerPushCycleTime", "08:00"}} << 1 << 0 << 0;
    QTest::newRow("weekly Wednesday")
        << QJsonObject{{"timerPushCycle", 2}, {"timerPushCycleTime", "3"}} << 2 << 2 << 0;
    QTest::newRow("monthly 30th") << QJsonObject{{"timerPushCycle", 3}, {"timerPushCycleTime", "30"}} << 3
                                  << 29 << 0;
    QTest::newRow("monthly 31st") << QJsonObject{{"timerPushCycle", 3}, {"timerPushCycleTime", "31"}} << 3
                                  << 0 << 0;
    QTest::newRow("weekly 0") << QJsonObject{{"timerPushCycle", 2}, {"timerPushCycleTime", "0"}} << 2 << 0
                              << 0;
    QTest::newRow("unknown cycle and content")
        << QJsonObject{{"timerPushCycle", 7}, {"timerPushCTypes", ""}} << 0 << 0 << 0;
}

void TstAccountPushPresenters::storedChoices()
{
    QFETCH(QJsonObject, set);
    SettingsRig rig(m_root);
    rig.storeRows(set);
    PushSettingsPresenter p(rig.services, rig.saver(), &rig.window);
    QTEST(p.cycleIndex(), "cycle");
    QTEST(p.timeIndex(), "time");
    QTEST(p.contentIndex(), "content");
}

// The address and identity checks, and which proof the overlay asks for.
void TstAccountPushPresenters::checksBeforeTheProof_data()
{
    QTest::addColumn<QJsonObject>("info");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("message"); // a sheet, or "" none
    QTest::addColumn<int>("proof");       // -1 no overlay, else its type
    QTest::addColumn<QString>("shown");
    QTest::newRow("no address") << QJsonObject{{"account", "tester"}, {"mobile", "13800005678"}} << "  "
                                << "邮箱不能为空" << -1 << "";
    QTest::newRow("mobile and account: a code")
        << QJsonObject{{"account", "tester"}, {"mobile", "13800005678"}} << "me@example.com"
        << "" << 1 << "13800005678";
    QTest::newRow("account only: the password")
        << QJsonObject{{"account", "tester"}, {"mobile", ""}} << "me@example.com"
        << "" << 0 << "tester";
    QTest::newRow("neither") << QJsonObject{{"account", ""}, {"mobile", ""}} << "me@example.com"
                             << "请绑定手机号或者设置登录密码" << -1 << "";
    QTest::newRow("an account without a password")
        << QJsonObject{{"account", "wx_123"}, {"mobile", ""}, {"isEmptyPassword", true}} << "me@example.com"
        << "请绑定手机号或者设置登录密码" << -1 << "";
}

void TstAccountPushPresenters::checksBeforeTheProof()
{
    QFETCH(QJsonObject, info);
    QFETCH(QString, address);
    QFETCH(QString, message);
    QFETCH(int, proof);
    SettingsRig rig(m_root);
    UserDefaults::setValue(ApiNetWorking::WebBaseUrlKey, "http://127.0.0.1:9/");
    rig.storeRows({}, info);
    PushSettingsPresenter p(rig.services, rig.saver(), &rig.window);
    QSignalSpy wanted(&p, &PushSettingsPresenter::proofWanted);
    for (int form : {0, 1}) {
        rig.s.feedback->clear();
        rig.urls.opened.clear();
        if (form == 0)
            p.confirmDigest(2, 2, 0, address);
        else
            p.confirmOneOff(0, address);
        QTRY_COMPARE(rig.s.feedback->messages(), message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(wanted.size(), proof < 0 ? 0 : form + 1);
        if (proof >= 0) {
            QCOMPARE(int(p.proof()->type()), proof);
            QTEST(p.proof()->account(), "shown");
            QCOMPARE(p.proof()->sendShown(), proof == 1);
            p.proof()->cancel();
            QVERIFY(!p.proof());
        }
        // "确定" on the identity prompt opens the account page.
        if (message.startsWith("请绑定"))
            QTRY_COMPARE(rig.urls.opened.size(), 1);
    }
    QCOMPARE(rig.requests("user/sysSet/timePush/modify") + rig.requests("user/data/push/content"), 0);
}

// The digest proven by the password: what goes out, the row written, "设置成功".
void TstAccountPushPresenters::digestWithPassword_data()
{
    QTest::addColumn<int>("cycle");
    QTest::addColumn<int>("time");
    QTest::addColumn<QString>("sentTime"); // "-" absent
    QTest::addColumn<QString>("storedTime");
    QTest::newRow("weekly on Wednesday") << 2 << 2 << "3"
                                         << "3";
    QTest::newRow("monthly on the 30th") << 3 << 29 << "30"
                                         << "30";
    QTest::newRow("daily at 08:30") << 1 << 8 << "08:30"
                                    << "08:30";
    QTest::newRow("no digest keeps the time") << 0 << 0 << "-"
                                              << "5";
}

void TstAccountPushPresenters::digestWithPassword()
{
    QFETCH(int, cycle);
    QFETCH(int, time);
    QFETCH(QString, sentTime);
    SettingsRig rig(m_root);
    rig.storeRows({{"timerPushCycle", 3}, {"timerPushCycleTime", "5"}, {"timerPushCTypes", "1"}},
                  {{"account", "tester"}, {"mobile", ""}});
    PushSettingsPresenter p(rig.services, rig.saver(), &rig.window);
    p.confirmDigest(cycle, time, 1, "me@example.com");
    QVERIFY(p.proof());
    QCOMPARE(p.proof()->type(), PushProofPresenter::Password);
    p.proof()->confirm(QString());
    QTRY_COMPARE(rig.s.feedback->messages(), QStringList{"密码不能为空"});
    p.proof()->confirm("secret1");
    QVERIFY(!p.proof());
    QVERIFY(p.busy(PushSettingsPresenter::Digest));
    p.confirmDigest(cycle, time, 1, "me@example.com"); // waits for the reply
    QVERIFY(!p.proof());
    QTRY_VERIFY(!p.busy(PushSettingsPresenter::Digest));
    QCOMPARE(rig.requests("user/sysSet/timePush/modify"), 1);
    const QJsonObject sent = rig.sent("user/sysSet/timePush/modify");
    QCOMPARE(sent.value("validateType").toString(), QStringLiteral("1"));
    QCOMPARE(sent.value("vCode").toString(), QStringLiteral("secret1"));
    QCOMPARE(sent.value("timerPushCycle").toString(), QString::number(cycle));
    QCOMPARE(sent.value("timerPushCTypes").toString(), QStringLiteral("2"));
    QCOMPARE(sent.value("timerPushEmail").toString(), QStringLiteral("me@example.com"));
    QCOMPARE(sent.contains("timerPushCycleTime"), sentTime != "-");
    if (sentTime != "-")
        QCOMPARE(sent.value("timerPushCycleTime").toString(), sentTime);
    QCOMPARE(rig.s.feedback->toasts(), QStringList{"设置成功"});
    QCOMPARE(rig.set()->value("timerPushCycle").toInt(), cycle);
    QTEST(rig.set()->value("timerPushCycleTime").toString(), "storedTime");
    QCOMPARE(rig.set()->value("timerPushCTypes").toString(), QStringLiteral("2"));
    QCOMPARE(rig.set()->value("timerPushEmail").toString(), QStringLiteral("me@example.com"));
    QVERIFY(!rig.account().sysSet.contains("vCode"));
}

// The code's countdown: one request per click until the reply, 60 seconds
// owned by the overlay, "whichinterface" 1 after a refusal.
void TstAccountPushPresenters::codeCountdown()
{
    SettingsRig rig(m_root);
    rig.storeRows({}, {{"account", "tester"}, {"mobile", "13800005678"}});
    PushSettingsPresenter p(rig.services, rig.saver(), &rig.window);
    p.confirmOneOff(0, "me@example.com");
    QPointer<PushProofPresenter> proof = p.proof();
    QVERIFY(proof);
    QVERIFY(proof->sendEnabled());
    proof->sendCode();
    QVERIFY(!proof->sendEnabled());
    proof->sendCode();
    QTRY_VERIFY(proof->tipShown());
    QCOMPARE(rig.requests("tool/sendVCode"), 1);
    const QJsonObject codeRequest = rig.sent("tool/sendVCode");
    QCOMPARE(codeRequest.value("account").toString(), QStringLiteral("13800005678"));
    QCOMPARE(codeRequest.value("type").toString(), QStringLiteral("1"));
    QCOMPARE(codeRequest.value("whichinterface").toString(), QStringLiteral("0"));
    QCOMPARE(proof->tipText(), QStringLiteral("正在获取验证码(60)"));
    QVERIFY(!proof->sendEnabled());
    rig.scheduler.advance(59 * 1000);
    QCOMPARE(proof->tipText(), QStringLiteral("正在获取验证码(1)"));
    rig.scheduler.advance(1000);
    QVERIFY(!proof->tipShown());
    QVERIFY(proof->sendEnabled());

    // A refused request: the button comes back, the next one says so.
    rig.s.service->setFault("tool/sendVCode", StandinFault::replyCode(300, "发送太频繁"));
    proof->sendCode();
    QTRY_VERIFY(proof->sendEnabled());
    QCOMPARE(proof->whichInterface(), 1);
    QVERIFY(!proof->tipShown());
    rig.s.service->clearFault("tool/sendVCode");
    proof->sendCode();
    QTRY_VERIFY(proof->tipShown());
    QCOMPARE(rig.sent("tool/sendVCode").value("whichinterface").toString(), QStringLiteral("1"));

    // The countdown ends with its overlay.
    QVERIFY(rig.scheduler.pending() > 0);
    proof->cancel();
    QTRY_VERIFY(!proof);
    QCOMPARE(rig.scheduler.pending(), 0);
}

// The one-off push of one category proven by a text-message code: the
// categories offered, what goes out, the count on the service.
void TstAccountPushPresenters::oneOffPushWithCode()
{
    SettingsRig rig(m_root);
    rig.storeRows({}, {{"account", "tester"}, {"mobile", "13800005678"}});
    auto category = [&](const QString &id, const QString &name, int sort, int action) {
        auto *c = rig.ctx()->create<Classify>();
        c->setClassId(id);
        c->setName(name);
        c->setSort(qint16(sort));
        c->setActionType(qint16(action));
    };
    category("7002", "生活", 2, 0);
    category("7001", "工作", 1, 0);
    category("7003", "已删除", 3, 3);
    category("c17000000001234", "未同步", 4, 1);
    QVERIFY(rig.ctx()->saveAndWait().ok);
    NoteSyncHandlers::Category onService;
    onService.classId = "7002";
    onService.name = "生活";
    rig.s.notes->data(rig.account()).classes.insert(onService.classId, onService);

    PushSettingsPresenter p(rig.services, rig.saver(), &rig.window);
    QCOMPARE(p.categoryTitles(), (QStringList{"全部", "工作", "生活"}));
    QSignalSpy issued(rig.s.service.get(), &StandinService::codeIssued);
    p.confirmOneOff(2, "me@example.com");
    QVERIFY(p.proof());
    p.proof()->sendCode();
    QTRY_COMPARE(issued.count(), 1);
    p.proof()->confirm(issued.at(0).at(1).toString());
    QVERIFY(p.busy(PushSettingsPresenter::OneOff));
    QTRY_VERIFY(!p.busy(PushSettingsPresenter::OneOff));
    const QJsonObject sent = rig.sent("user/data/push/content");
    QCOMPARE(sent.value("classIds").toString(), QStringLiteral("7002"));
    QCOMPARE(sent.value("pushType").toString(), QStringLiteral("1"));
    QCOMPARE(sent.value("address").toString(), QStringLiteral("me@example.com"));
    QCOMPARE(sent.value("validateType").toString(), QStringLiteral("2"));
    QCOMPARE(rig.s.feedback->toasts(), QStringList{"设置成功"});
    QCOMPARE(rig.account().sysSet.value("pushEmailCount").toInt(), 1);

    // "全部" sends no category.
    p.confirmOneOff(0, "me@example.com");
    p.proof()->sendCode();
    QTRY_COMPARE(issued.count(), 2);
    p.proof()->confirm(issued.at(1).at(1).toString());
    QTRY_COMPARE(rig.requests("user/data/push/content"), 2);
    QTRY_VERIFY(!p.busy(PushSettingsPresenter::OneOff));
    QVERIFY(!rig.sent("user/data/push/content").contains("classIds"));
    QCOMPARE(rig.account().sysSet.value("pushEmailCount").toInt(), 2);
}

PRELVANE_TEST_MAIN(TstAccountPushPresenters)
#include "tst_accountpushpresenters.moc"
