#include "platform/notifications/DesktopUserNotificationCenter.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcNotifications, "prelvane.notifications")

namespace {
const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
const QString interface = QStringLiteral("org.freedesktop.Notifications");
constexpr int callTimeoutMSecs = 10000;

// What a notification bubble can show of a note: no control characters (a
// markup service refuses the whole body for one), and not a whole book.
QString shownText(const QString &text)
{
    constexpr qsizetype maxChars = 1000;
    QString out;
    out.reserve(qMin(text.size(), maxChars + 1));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.category() == QChar::Other_Control && c != u'\n' && c != u'\t')
            continue;
        if (out.size() >= maxChars) {
            if (out.back().isHighSurrogate())
                out.chop(1);
            out.append(QChar(0x2026));
            break;
        }
        out.append(c);
    }
    return out;
}
} // namespace

DesktopUserNotificationCenter::DesktopUserNotificationCenter(QObject *parent)
    : DesktopUserNotificationCenter(QDBusConnection::sessionBus(), parent)
{
}

DesktopUserNotificationCenter::DesktopUserNotificationCenter(const QDBusConnection &bus, QObject *parent)
    : UserNotificationCenter(parent), m_bus(bus)
{
    connectSignals();
}

DesktopUserNotificationCenter::~DesktopUserNotificationCenter() = default;

void DesktopUserNotificationCenter::connectSignals()
{
    if (m_bus.isConnected()) {
        m_bus.connect(service, path, interface, QStringLiteral("ActionInvoked"), this,
                      SLOT(onActionInvoked(uint, QString)));
        m_bus.connect(service, path, interface, QStringLiteral("NotificationClosed"), this,
                      SLOT(onNotificationClosed(uint, uint)));
        // A restarted service numbers its notifications anew.
        m_serviceWatcher =
            new QDBusServiceWatcher(service, m_bus, QDBusServiceWatcher::WatchForOwnerChange, this);
        connect(m_serviceWatcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
                &DesktopUserNotificationCenter::onServiceOwnerChanged);
    }
    // Waking from suspend: look at the wall clock at once rather than on the
    // next timer tick. Without logind the capped timer still notices.
    QDBusConnection system = QDBusConnection::systemBus();
    if (system.isConnected())
        system.connect(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                       QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"),
                       this, SLOT(onPrepareForSleep(bool)));
}

void DesktopUserNotificationCenter::askCapabilities()
{
    if (m_askedCapabilities)
        return;
    m_askedCapabilities = true;
    const QDBusMessage call =
        QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("GetCapabilities"));
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, callTimeoutMSecs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *w) {
        w->deleteLater();
        QDBusPendingReply<QStringList> reply = *w;
        if (reply.isValid())
            m_bodyMarkup = reply.value().contains(QStringLiteral("body-markup"));
        else
            m_askedCapabilities = false; // ask again once a service is there
    });
}

void DesktopUserNotificationCenter::present(const UserNotification &notification)
{
    if (!m_bus.isConnected()) {
        serviceUnavailable(QStringLiteral("no session bus"));
        presentWithoutService(notification);
        return;
    }
    askCapabilities();

    QVariantMap hints;
    const QString soundFile = soundFileForName(notification.soundName);
    if (notification.soundName.isEmpty())
        hints.insert(QStringLiteral("suppress-sound"), true);
    else if (!soundFile.isEmpty())
        hints.insert(QStringLiteral("sound-file"), soundFile);
    else
        // The default sound, also for a name that has no file.
        hints.insert(QStringLiteral("sound-name"), defaultSoundThemeName());

    // A service that reads markup would swallow "<" and "&" of a note's text.
    const QString text = shownText(notification.informativeText);
    const QString body = m_bodyMarkup ? text.toHtmlEscaped() : text;
    const QString appName = QCoreApplication::applicationName().isEmpty()
                                ? QStringLiteral("Prelvane")
                                : QCoreApplication::applicationName();

    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("Notify"));
    call << appName << m_serverIds.value(notification.identifier, 0u) << QString()
         << shownText(notification.title) << body
         << QStringList{QStringLiteral("default"), QStringLiteral("查看")} << hints << qint32(-1);

    const quint64 number = ++m_calls;
    m_latestCall.insert(notification.identifier, number);
    m_inFlight.insert(number, notification.identifier);
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, callTimeoutMSecs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, notification, number](QDBusPendingCallWatcher *w) {
                notifyFinished(w, notification, number);
            });
}

void DesktopUserNotificationCenter::notifyFinished(QDBusPendingCallWatcher *watcher,
                                                   const UserNotification &notification, quint64 call)
{
    watcher->deleteLater();
    m_inFlight.remove(call);
    const bool previousOwner = m_previousOwnerCalls.remove(call);
    const bool withdrawn = m_closeOnArrival.remove(call);
    const bool stale = m_latestCall.value(notification.identifier) != call;
    if (!stale)
        m_latestCall.remove(notification.identifier);

    QDBusPendingReply<uint> reply = *watcher;
    if (!reply.isValid()) {
        if (withdrawn || stale)
            return;
        serviceUnavailable(reply.error().name() + QStringLiteral(": ") + reply.error().message());
        presentWithoutService(notification);
        return;
    }
    m_unavailableLogged = false;
    if (previousOwner)
        return; // that notification went with the service that numbered it
    const uint id = reply.value();
    if (withdrawn || stale) {
        // Withdrawn, or replaced by a newer call, while this one was on its way.
        if (m_serverIds.value(notification.identifier) != id)
            closeOnServer(id);
        return;
    }
    m_serverIds.insert(notification.identifier, id);
}

void DesktopUserNotificationCenter::dismiss(const UserNotification &notification)
{
    for (auto it = m_inFlight.cbegin(); it != m_inFlight.cend(); ++it)
        if (it.value() == notification.identifier)
            m_closeOnArrival.insert(it.key());
    const auto found = m_serverIds.constFind(notification.identifier);
    if (found != m_serverIds.cend()) {
        const uint id = found.value();
        m_serverIds.erase(found);
        closeOnServer(id);
    }
    if (m_fallbackIdentifier == notification.identifier)
        m_fallbackIdentifier.clear();
}

void DesktopUserNotificationCenter::closeOnServer(uint id)
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("CloseNotification"));
    call << id;
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, callTimeoutMSecs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, watcher, &QObject::deleteLater);
}

void DesktopUserNotificationCenter::onActionInvoked(uint id, const QString &actionKey)
{
    if (actionKey != QLatin1String("default"))
        return;
    const QString identifier = identifierForServerId(id);
    if (!identifier.isEmpty())
        activate(identifier);
}

void DesktopUserNotificationCenter::onNotificationClosed(uint id, uint reason)
{
    Q_UNUSED(reason);
    const QString identifier = identifierForServerId(id);
    if (identifier.isEmpty())
        return;
    // Gone from the screen (expired or closed by the user): no longer delivered.
    m_serverIds.remove(identifier);
    forgetDelivered(identifier);
}

void DesktopUserNotificationCenter::onPrepareForSleep(bool sleeping)
{
    if (!sleeping)
        deliverDueNotifications();
}

void DesktopUserNotificationCenter::onServiceOwnerChanged(const QString &name, const QString &oldOwner,
                                                          const QString &newOwner)
{
    Q_UNUSED(name);
    Q_UNUSED(newOwner);
    if (oldOwner.isEmpty())
        return; // first start: nothing of ours was shown by anybody
    // The notifications of the old service are gone with it, and the new one
    // may hand out the same ids for others: keep none of the old ids, and ask
    // the new one what it can show.
    m_serverIds.clear();
    for (auto it = m_inFlight.cbegin(); it != m_inFlight.cend(); ++it)
        m_previousOwnerCalls.insert(it.key());
    m_askedCapabilities = false;
    m_bodyMarkup = true;
}

void DesktopUserNotificationCenter::serviceUnavailable(const QString &why)
{
    if (m_unavailableLogged)
        return;
    m_unavailableLogged = true;
    qCWarning(lcNotifications).noquote()
        << "Desktop notification service unavailable (" + why + ");"
        << (m_fallback ? "showing notifications in the system tray" : "notifications are not shown");
}

void DesktopUserNotificationCenter::presentWithoutService(const UserNotification &notification)
{
    if (!m_fallback || !m_fallback(notification)) {
        qCDebug(lcNotifications) << "notification not shown:" << notification.identifier;
        return;
    }
    m_fallbackIdentifier = notification.identifier;
}

void DesktopUserNotificationCenter::setFallback(Fallback fallback)
{
    m_fallback = std::move(fallback);
    m_fallbackIdentifier.clear();
}

void DesktopUserNotificationCenter::fallbackClicked()
{
    if (!m_fallbackIdentifier.isEmpty())
        activate(m_fallbackIdentifier);
}

QString DesktopUserNotificationCenter::identifierForServerId(uint id) const
{
    for (auto it = m_serverIds.cbegin(); it != m_serverIds.cend(); ++it)
        if (it.value() == id)
            return it.key();
    return {};
}
