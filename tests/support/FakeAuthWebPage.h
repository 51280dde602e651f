#pragma once

#include "app/oauth/AuthWebPage.h"

#include <QList>
#include <QUrl>

// The authorisation window's page without a browser engine: records what it
// loads and whether it was closed (in the counters it is given, which outlive
// the page), and the test says when a page finished or the user closed it.
class FakeAuthWebPage final : public AuthWebPage
{
    Q_OBJECT
public:
    struct Record
    {
        QList<QUrl> loaded;
        int closes = 0;
    };

    explicit FakeAuthWebPage(Record &record) : m_record(record) {}

    void load(const QUrl &url) override { m_record.loaded.append(url); }
    void close() override { ++m_record.closes; }

    void finishLoad() { emit pageLoaded(); }
    void closeByUser() { emit closedByUser(); }

private:
    Record &m_record;
};
