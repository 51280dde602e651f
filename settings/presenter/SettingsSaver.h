#pragma once

#include "app/services/Services.h"
#include "platform/base/UserFeedback.h"

#include <QHash>
#include <QJsonObject>
#include <QObject>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <map>

// How every settings tab saves a change: the service first, the local row
// only after it accepted. A change goes out under its attributes' names with
// the stored "version" (when the defaults hold one); on code 200 the row
// (made when missing) takes exactly the values sent, and nothing else; a
// refusal or a transport failure leaves the row as it was. While a change is
// out its attributes are pending: shown() gives the value sent, so the
// control keeps the user's choice and is disabled; once answered it gives
// the stored value again, which sets a refused control back.
//
// The saver is the settings window's: closing the window drops the replies
// still out (the row is then never ahead of the service; the next opening
// loads it).
class SettingsSaver : public QObject
{
    Q_OBJECT
public:
    enum class Row
    {
        UserInfo, // "user/userInfo/modify"
        UserSet   // "user/sysSet/modify"
    };
    enum class Overlay
    {
        None, // the skin tab
        Busy  // a spinner on the settings window from sending to the answer
    };

    struct Change
    {
        Row row = Row::UserSet;
        QJsonObject values; // attribute -> value, in the form the tab sends
        Overlay overlay = Overlay::Busy;
        const QObject *anchor = nullptr; // whose window shows the spinner
        // After code 200, once the row holds the values.
        std::function<void()> accepted = {};
    };

    explicit SettingsSaver(const Services &services, QObject *parent = nullptr);
    ~SettingsSaver() override;

    // Sends the change; false (nothing sent) when one of its attributes is
    // still out, or it has none.
    bool send(Change change);

    bool isPending(Row row, const QString &attribute) const;
    // The value out for the attribute, else the stored one (invalid: neither).
    QVariant shown(Row row, const QString &attribute) const;
    QVariant stored(Row row, const QString &attribute) const;

    // Every change sent has a number, growing from 1. The number of the last
    // change that carried the attribute (0: none) and of the last one sent:
    // a load sent before a change must not overwrite what the change holds.
    quint64 lastSent(Row row, const QString &attribute) const;
    quint64 sentCount() const { return m_sent; }

    // The parameters of a change: its values and the stored "version".
    static QJsonObject parametersFor(const QJsonObject &values);

signals:
    // A change went out, was answered, or a row was saved: controls show
    // shown() again.
    void rowsChanged();
    void answered(SettingsSaver::Row row, const QStringList &attributes, bool accepted);

private:
    static QString keyOf(Row row, const QString &attribute);
    void finish(quint64 id, const Change &change, bool accepted);

    Services m_services;
    quint64 m_sent = 0;
    QHash<QString, QJsonValue> m_pending;
    QHash<QString, quint64> m_lastSent;
    std::map<quint64, BusyGuard> m_busy;
};
