#pragma once

#include <QWidget>

class AboutPresenter;
class QLabel;
class QPushButton;

// The about tab: the versions, the agreement links and the download pages.
class AboutSettingsTab : public QWidget
{
    Q_OBJECT
public:
    explicit AboutSettingsTab(AboutPresenter *presenter, QWidget *parent = nullptr);

    AboutPresenter *presenter() const { return m_presenter; }
    QLabel *appVersionLabel() const { return m_appVersion; }
    QLabel *serviceVersionLabel() const { return m_serviceVersion; }
    QLabel *protocolText() const { return m_protocol; }
    QPushButton *downloadButton() const { return m_download; }
    QPushButton *clientPageButton() const { return m_clientPage; }

    // The tab comes to the front: the client list is asked for again.
    void appear();

private:
    void render();

    AboutPresenter *m_presenter;
    QLabel *m_appVersion;
    QLabel *m_serviceVersion;
    QLabel *m_protocol;
    QPushButton *m_download;
    QPushButton *m_clientPage;
};
