#pragma once

#include <QWebEngineView>

#include <functional>

class QWebEngineProfile;

// One authorisation window's view, with an off-the-record profile of its own,
// so that nothing of the provider's sign-in is kept after it closes.
class WebEngineAuthView final : public QWebEngineView
{
    Q_OBJECT
public:
    WebEngineAuthView(QWidget *parent, std::function<void()> loaded);
    ~WebEngineAuthView() override;

private:
    QWebEngineProfile *m_profile;
};
