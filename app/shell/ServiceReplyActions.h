#pragma once

#include "service/api/AesBaseModel.h"

#include <QObject>

#include <optional>

class ApiNetWorking;
class QuitLoginManager;
class UserFeedback;

// What the user sees when the service ends the sign-in or asks for a newer
// program: the service client only says so (its signals); this logs out and
// tells the user, through the feedback it was given.
class ServiceReplyActions : public QObject
{
    Q_OBJECT
public:
    ServiceReplyActions(ApiNetWorking &api, UserFeedback &feedback, QuitLoginManager &logout,
                        QObject *parent = nullptr);

    // Codes 410, 411, 413: logout (the login window comes back), then the server's message.
    void showLoginViewWithModel(const AesBaseModel &model);
    // Code 417: "请下载最新版本"; its button logs out. One notice at a time:
    // replies that come while it is open add none.
    void uploadApp();

private:
    UserFeedback &m_feedback;
    QuitLoginManager &m_logout;
    // The sign-in under which the update notice is open.
    std::optional<quint64> m_updateNoticeUnder;
};
