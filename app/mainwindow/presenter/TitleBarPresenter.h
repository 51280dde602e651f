#pragma once

#include "app/services/Services.h"
#include "core/model/Terminal.h"

#include <QJsonArray>
#include <QObject>
#include <QString>

// The title bar: the profile's nickname and avatar on the skin's bar colour,
// refreshed by "ReloadDatasForTitleBar"; the update check once per bar.
class TitleBarPresenter : public QObject
{
    Q_OBJECT
public:
    // The entry of the client build list that stands for this program.
    static constexpr int TerminalId = Terminal::Mac;

    struct Update
    {
        QString text;   // "更新说明"
        QString detail; // the remarks, or "有新版本，请及时更新！"
    };

    explicit TitleBarPresenter(const Services &services, QObject *parent = nullptr);

    QString nick() const { return m_nick; }
    QString avatarUrl() const { return m_avatar; }
    // "#rrggbb"; alpha 0.8 is the view's.
    QString barColor() const { return m_barColor; }

    void refresh();
    void checkAppUpdate();
    // What a build list means for a program at `runningVersion`: an update to offer, or none.
    static std::optional<Update> updateFrom(const QJsonArray &terminals, const QString &runningVersion);
    // The update dialog's answer: 2 opens the download page.
    void updateAnswered(int result);

signals:
    void changed();
    void updateAvailable(const TitleBarPresenter::Update &update);

private:
    Services m_services;
    QString m_nick;
    QString m_avatar;
    QString m_barColor;
};
