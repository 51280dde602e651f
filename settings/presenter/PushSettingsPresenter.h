#pragma once

#include "app/services/Services.h"
#include "settings/presenter/PushProofPresenter.h"

#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QStringList>

class SettingsSaver;
struct BaseSuccessModel;

// The e-mail push tab: the timed digest (cycle, time, content, address) and
// the one-off push of one category or all, each proven in an overlay (a
// text-message code when a mobile number is bound, else the login password),
// and the number of e-mails pushed. A form's confirm waits from click to
// reply; only the digest writes the settings row, and only once accepted.
class PushSettingsPresenter : public QObject
{
    Q_OBJECT
public:
    enum Form
    {
        Digest,
        OneOff
    };
    static inline const QString NoAddressText = QStringLiteral("邮箱不能为空");
    static inline const QString NoIdentityText = QStringLiteral("请绑定手机号或者设置登录密码");
    static inline const QString DoneText = QStringLiteral("设置成功");

    static QStringList cycleTitles();
    static QStringList contentTitles();
    // The time pop-up's items for a cycle (0 to 3).
    static QStringList timeTitles(int cycle);
    // "timerPushCycleTime" of a choice, empty for cycle 0.
    static QString cycleTimeValue(int cycle, int timeIndex);

    PushSettingsPresenter(const Services &services, SettingsSaver *saver, QObject *parent = nullptr);

    // What the digest's controls show, from the settings row; a stored value
    // outside its list selects the first item.
    int cycleIndex() const;
    int timeIndex() const;
    int contentIndex() const;
    QString address() const;
    QString countText() const;
    // "全部" and the categories on the service, by "sort".
    QStringList categoryTitles() const;

    bool busy(Form form) const { return m_busy[form]; }
    PushProofPresenter *proof() const { return m_proof; }

    // A form's confirm with its controls' values.
    void confirmDigest(int cycle, int timeIndex, int content, const QString &address);
    void confirmOneOff(int categoryIndex, const QString &address);

signals:
    void changed();
    // An overlay should show this proof; it goes when the proof is destroyed.
    void proofWanted(PushProofPresenter *proof);

private:
    struct Request
    {
        Form form;
        QJsonObject values;
    };
    // The address and identity checks, then the overlay.
    void ask(const Request &request, const QString &address);
    void send(const Request &request, PushProofPresenter::Type type, const QString &proof);
    void answered(const Request &request, const BaseSuccessModel &reply);
    void closeProof();
    // The categories the one-off push offers: on the service and not deleted.
    QStringList categoryIds() const;

    Services m_services;
    SettingsSaver *m_saver;
    QPointer<PushProofPresenter> m_proof;
    bool m_busy[2] = {false, false};
};
