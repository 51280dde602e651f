#pragma once

// The settings presenters of one signed-in device of the stand-in's test
// account, made under an object that stands for the settings window.

#include "core/model/UserInfo.h"
#include "core/model/UserSet.h"
#include "platform/base/UserDefaults.h"
#include "service/account/SignInKeys.h"
#include "settings/presenter/SettingsRows.h"
#include "settings/presenter/SettingsWindowPresenter.h"
#include "tests/notes/DeviceRig.h"

#include <QSignalSpy>
#include <QTest>

struct SettingsRig : DeviceRig
{
    QObject window;
    SettingsWindowPresenter *presenter;
    QSignalSpy answers;

    explicit SettingsRig(const QString &root)
        : DeviceRig(root), presenter(new SettingsWindowPresenter(services, &window)),
          answers(presenter->saver(), &SettingsSaver::answered)
    {
        signIn();
        UserDefaults::setValue(SignInKeys::UserId, s.tester().userId);
    }
    ~SettingsRig()
    {
        services.session->signOut();
        Clock::reset();
    }

    SettingsSaver *saver() const { return presenter->saver(); }
    StandinAccount &account() { return s.tester(); }
    int requests(const char *path) const { return s.service->requestCount(QString::fromLatin1(path)); }
    QJsonObject sent(const char *path) const
    {
        return s.service->lastRequest(QString::fromLatin1(path)).params;
    }
    UserSet *set() const { return SettingsRows::userSet(*ctx()); }
    UserInfo *info() const { return SettingsRows::userInfo(services); }
    // A stored settings row and profile, as a load would have left them.
    void storeRows(const QJsonObject &set, const QJsonObject &info = {})
    {
        SettingsRows::userSet(*ctx(), true)->importValuesForKeys(set);
        SettingsRows::userInfo(services, true)->importValuesForKeys(info);
        QVERIFY(ctx()->saveAndWait().ok);
    }
    // Waits until `count` changes in all have been answered.
    bool answered(int count)
    {
        return QTest::qWaitFor([&] { return answers.count() >= count; }, 5000);
    }
    bool answeredAs(int count, bool accepted)
    {
        return answered(count) && answers.at(count - 1).at(2).toBool() == accepted;
    }
};
