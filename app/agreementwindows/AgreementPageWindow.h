#pragma once

#include <QDialog>
#include <QUrl>

class QTextBrowser;

// A page of the application's own documents ("protocol", the user
// agreement, or "secret", the privacy policy) in a small modal window.
class AgreementPageWindow : public QDialog
{
    Q_OBJECT
public:
    // Opens the page over `parent` (application-modal without one); the
    // window deletes itself when closed.
    static AgreementPageWindow *open(const QString &page, QWidget *parent = nullptr);

    // "qrc:/pages/<page>.html"; an unknown page gives the privacy policy.
    static QUrl pageUrl(const QString &page);

    QUrl url() const { return m_url; }
    QTextBrowser *textView() const { return m_view; }

private:
    AgreementPageWindow(const QUrl &url, QWidget *parent);

    QUrl m_url;
    QTextBrowser *m_view;
};
