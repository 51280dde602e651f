#include "tests/support/FakeAuthWebPages.h"

AuthWebPage *FakeAuthWebPages::openPage(const QString &title, const QObject *)
{
    lastTitle = title;
    m_records.emplace_back();
    auto *page = new FakeAuthWebPage(m_records.back());
    m_pages.append(page);
    return page;
}
