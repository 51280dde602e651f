#pragma once

#include "app/oauth/AuthWebPageFactory.h"
#include "tests/support/FakeAuthWebPage.h"

#include <QList>
#include <QPointer>
#include <QString>

#include <list>

// Opens fake pages and keeps what each did; a page object itself is gone once
// the presenter deleted it after closing.
class FakeAuthWebPages final : public AuthWebPageFactory
{
public:
    AuthWebPage *openPage(const QString &title, const QObject *anchor) override;

    // The last page opened (null when none or it is gone).
    FakeAuthWebPage *last() const { return m_pages.isEmpty() ? nullptr : m_pages.last().data(); }
    int opened() const { return int(m_pages.size()); }
    // What the last page loaded and how often it was closed.
    const FakeAuthWebPage::Record &record() const { return m_records.back(); }
    QString lastTitle;

private:
    QList<QPointer<FakeAuthWebPage>> m_pages;
    std::list<FakeAuthWebPage::Record> m_records;
};
