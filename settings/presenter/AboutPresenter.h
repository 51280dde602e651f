#pragma once

#include "app/services/Services.h"
#include "core/model/Terminal.h"

#include <QJsonArray>
#include <QObject>
#include <QString>

// The about tab: this program's version, the newest one the service offers
// for it (the client list's entry with id 7), the agreement pages and the
// web site's download pages.
class AboutPresenter : public QObject
{
    Q_OBJECT
public:
    static constexpr int TerminalId = Terminal::Mac;
    static inline const QString AgreementTitle = QStringLiteral("《Prelvane用户协议》");
    static inline const QString PrivacyTitle = QStringLiteral("《隐私政策》");
    static inline const QString AgreementLink = QStringLiteral("Prelvane用户协议");
    static inline const QString PrivacyLink = QStringLiteral("隐私政策");

    explicit AboutPresenter(const Services &services, QObject *parent = nullptr);

    QString appVersion() const;
    // Empty until a list with this client's entry arrived.
    QString serviceVersion() const { return m_serviceVersion; }
    // The version of the entry whose id is 7, wherever it stands; empty when none.
    static QString versionFor(const QJsonArray &terminals);
    // The page of a link: "protocol" for the agreement, "secret" for any other.
    static QString pageFor(const QString &link);

    // "sys/terminal/list", each time the tab is shown.
    void loadTerminals();
    void openLink(const QString &link);
    void openDownloadPage(); // "/xiazai/"
    void openClientPage();   // "/mac/"

signals:
    void changed();
    void pageWanted(const QString &page);

private:
    void openWebPath(const QString &path);

    Services m_services;
    QString m_serviceVersion;
};
