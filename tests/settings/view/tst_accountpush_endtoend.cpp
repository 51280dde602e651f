// The account and e-mail push tabs over the real main window against the
// stand-in, driven as a user drives them: bind QQ through the authorisation
// page (a fake web view) and unbind it, change the avatar and find the
// stand-in's image in the title bar, the digest proven by the password, the
// one-off push proven by a text-message code.

#include "app/mainwindow/view/MainWindow.h"
#include "app/mainwindow/view/TitleBarView.h"
#include "core/model/UserSet.h"
#include "service/api/ApiNetWorking.h"
#include "settings/presenter/AccountSettingsPresenter.h"
#include "settings/presenter/PushProofPresenter.h"
#include "settings/presenter/SettingsWindowPresenter.h"
#include "settings/view/AccountSettingsTab.h"
#include "settings/view/PushProofOverlay.h"
#include "settings/view/PushSettingsTab.h"
#include "settings/view/SettingsWindow.h"
#include "tests/notes/MainWindowDesk.h"
#include "tests/support/FakeAuthWebPages.h"
#include "tests/support/TestEnv.h"

#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QUrlQuery>

namespace {

struct Desk : MainWindowDesk
{
    using MainWindowDesk::MainWindowDesk;

    FakeAuthWebPages pages;

    SettingsWindow *settings() const { return window->settingsWindow(); }
    int requests(const char *path) const { return rig.s.service->requestCount(QString::fromLatin1(path)); }
    SettingsWindow *openSettings(int tab)
    {
        QTest::mouseClick(window->titleBar()->headButton(), Qt::LeftButton);
        if (!QTest::qWaitFor([this] { return settings() && settings()->isVisible(); }, 3000))
            return nullptr;
        settings()->showTab(tab);
        return settings();
    }
    bool closeSettings()
    {
        QPointer<SettingsWindow> w = settings();
        if (!w)
            return true;
        w->close();
        return QTest::qWaitFor([&] { return !w; }, 2000);
    }
    static void choose(QComboBox *box, int index)
    {
        box->setCurrentIndex(index);
        emit box->activated(index);
    }
};

} // namespace

class TstAccountPushEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_root = TestEnv::freshFolders(); }
    void bindQQAndChangeTheAvatar();
    void digestWithPasswordAndPushWithCode();

private:
    QString m_root;
};

void TstAccountPushEndToEnd::bindQQAndChangeTheAvatar()
{
    Desk d(m_root);
    QVERIFY(d.open([&] {
        UserDefaults::setValue(SignInKeys::UserId, d.rig.s.tester().userId);
        // The stand-in serves the web site's pages too.
        UserDefaults::setValue(ApiNetWorking::WebBaseUrlKey, d.rig.s.service->baseUrl().toString());
    }));
    d.window->setAuthPages(&d.pages);
    QVERIFY(d.openSettings(SettingsWindowPresenter::AccountTab));
    AccountSettingsTab *tab = d.settings()->accountTab();
    QTRY_COMPARE(tab->mobileLabel()->text(), QStringLiteral("138****5678"));
    QCOMPARE(tab->wechatButton()->text(), QStringLiteral("已绑定"));
    QCOMPARE(tab->qqButton()->text(), QStringLiteral("未绑定"));

    // Bind QQ: the service's page in the authorisation window, "授权" there.
    QTest::mouseClick(tab->qqButton(), Qt::LeftButton);
    QTRY_COMPARE(d.pages.opened(), 1);
    QVERIFY(!tab->qqButton()->isEnabled());
    const QString clientId = QUrlQuery(d.pages.record().loaded.constFirst()).queryItemValue("clientId");
    d.rig.s.service->authorise(clientId, "qq-open-tester");
    d.pages.last()->finishLoad();
    QTRY_COMPARE(tab->qqButton()->text(), QStringLiteral("已绑定"));
    QTRY_VERIFY(tab->qqButton()->isEnabled());
    QCOMPARE(d.rig.s.tester().openIds.value("1"), QStringLiteral("qq-open-tester"));

    // Unbind it ("确定" on the question).
    QTest::mouseClick(tab->qqButton(), Qt::LeftButton);
    QTRY_COMPARE(tab->qqButton()->text(), QStringLiteral("未绑定"));
    QVERIFY(d.rig.s.feedback->messages().contains("确定要解除QQ绑定吗？"));
    QVERIFY(!d.rig.s.tester().openIds.contains("1"));

    // A new avatar (the file picker's choice): the title bar shows the stand-in's image.
    QImage picture(300, 200, QImage::Format_RGB32);
    picture.fill(QColor(200, 40, 40));
    const QString file = m_root + "/me.png";
    QVERIFY(picture.save(file));
    tab->presenter()->chooseAvatarFile(file);
    const QString served = d.rig.s.service->baseUrl().toString() + "img/";
    QTRY_VERIFY(d.window->titleBar()->avatarShown().startsWith(served));
    QTRY_COMPARE(tab->avatarShown(), d.window->titleBar()->avatarShown());
    const QImage shown = d.window->titleBar()->headButton()->icon().pixmap(QSize(30, 30), 2.0).toImage();
    QCOMPARE(shown.pixelColor(shown.width() / 2, shown.height() / 2), QColor(200, 40, 40));
    QVERIFY(d.closeSettings());
}

void TstAccountPushEndToEnd::digestWithPasswordAndPushWithCode()
{
    Desk d(m_root);
    Classify *work = d.other.addCategory("工作");
    d.other.addNote(work, "甲");
    // No mobile number on the service: the password proves the digest.
    d.rig.s.tester().userInfo.insert("mobile", "");
    d.rig.s.tester().userInfo.insert("mobileBindStatus", 0);
    QVERIFY(d.open([&] { UserDefaults::setValue(SignInKeys::UserId, d.rig.s.tester().userId); }));
    QVERIFY(d.openSettings(SettingsWindowPresenter::PushTab));
    PushSettingsTab *tab = d.settings()->pushTab();
    QTRY_COMPARE(d.requests("user/sysSet"), 1);
    QCOMPARE(tab->countLabel()->text(), QStringLiteral("0次"));

    Desk::choose(tab->cyclePopUp(), 2);
    QCOMPARE(tab->timePopUp()->count(), 7);
    Desk::choose(tab->timePopUp(), 2);
    tab->digestAddress()->setFocus();
    QTest::keyClicks(tab->digestAddress(), "a.very.long.address.for.the.digest@example.com");
    QTest::mouseClick(tab->digestConfirm(), Qt::LeftButton);
    QTRY_VERIFY(tab->overlay() && tab->overlay()->isVisible());
    PushProofOverlay *overlay = tab->overlay();
    QCOMPARE(overlay->nameTitle()->text(), QStringLiteral("账号:"));
    QCOMPARE(overlay->accountLabel()->text(), QStringLiteral("tester"));
    QVERIFY(!overlay->sendButton()->isVisible());
    QTest::keyClicks(overlay->field(), "secret1");
    QTest::mouseClick(overlay->confirmButton(), Qt::LeftButton);
    QVERIFY(!tab->digestConfirm()->isEnabled());
    QTRY_VERIFY(!tab->overlay());
    QTRY_VERIFY(d.rig.s.feedback->toasts().contains("设置成功"));
    QVERIFY(tab->digestConfirm()->isEnabled());
    const QJsonObject set = d.rig.s.tester().sysSet;
    QCOMPARE(set.value("timerPushCycle").toInt(), 2);
    QCOMPARE(set.value("timerPushCycleTime").toString(), QStringLiteral("3"));
    QCOMPARE(set.value("timerPushEmail").toString(),
             QStringLiteral("a.very.long.address.for.the.digest@example.com"));
    UserSet *row = d.rig.ctx()->findFirstWhere<UserSet>();
    QCOMPARE(row->value("timerPushCycle").toInt(), 2);
    QCOMPARE(row->value("timerPushCycleTime").toString(), QStringLiteral("3"));
    QVERIFY(d.closeSettings());

    // With a mobile number the one-off push is proven by a text-message code.
    d.rig.s.tester().userInfo.insert("mobile", "13800005678");
    d.rig.s.tester().userInfo.insert("mobileBindStatus", 1);
    QSignalSpy issued(d.rig.s.service.get(), &StandinService::codeIssued);
    QVERIFY(d.openSettings(SettingsWindowPresenter::PushTab));
    tab = d.settings()->pushTab();
    QTRY_COMPARE(d.requests("user/userInfo"), 2);
    QTRY_COMPARE(tab->oneOffAddress()->text(),
                 QStringLiteral("a.very.long.address.for.the.digest@example.com"));
    QCOMPARE(tab->categoryPopUp()->itemText(1), QStringLiteral("工作"));
    Desk::choose(tab->categoryPopUp(), 1);
    QTest::mouseClick(tab->oneOffConfirm(), Qt::LeftButton);
    QTRY_VERIFY(tab->overlay() && tab->overlay()->isVisible());
    overlay = tab->overlay();
    QCOMPARE(overlay->accountLabel()->text(), QStringLiteral("13800005678"));
    QVERIFY(overlay->sendButton()->isVisible());
    QTest::mouseClick(overlay->sendButton(), Qt::LeftButton);
    QVERIFY(!overlay->sendButton()->isEnabled());
    QTRY_COMPARE(issued.count(), 1);
    QTRY_VERIFY(overlay->tipLabel()->isVisible());
    QCOMPARE(overlay->tipLabel()->text(), QStringLiteral("正在获取验证码(60)"));
    QTest::keyClicks(overlay->field(), issued.at(0).at(1).toString());
    QTest::mouseClick(overlay->confirmButton(), Qt::LeftButton);
    QTRY_COMPARE(d.rig.s.tester().sysSet.value("pushEmailCount").toInt(), 1);
    QCOMPARE(d.rig.s.service->lastRequest("user/data/push/content").params.value("classIds").toString(),
             work->classId());
    QTRY_VERIFY(tab->oneOffConfirm()->isEnabled());
    QVERIFY(d.closeSettings());
}

PRELVANE_TEST_MAIN(TstAccountPushEndToEnd)
#include "tst_accountpush_endtoend.moc"
