#pragma once

#include <QJsonArray>
#include <QObject>

#include <memory>

class ApiNetWorking;
class Context;
class Session;

// Brings one local mirror of the service's records up to date: the edit
// history (`NoteLog`, "note/log/timeAxis") or the completions (`NoteComplete`,
// "note/log/completed"). An empty mirror is filled backwards from the newest
// record, otherwise the records newer than its highest `sort` are fetched, 200
// a page (or as many as the refresh asks for), until a page is empty, is refused, or leaves that end
// unchanged. Each page is looked up with one query, imported and saved off the main thread
// (`sort` := the `tId` as a 64-bit integer). One pager per mirror, shared by
// every list that shows it: a refresh while a chain runs joins that chain.
// Pages that arrive after the sign-in ended are dropped.
class RecordPager : public QObject
{
    Q_OBJECT
public:
    enum class Kind
    {
        History,    // NoteLog
        Completion, // NoteComplete
    };
    enum class Result
    {
        Done,    // the mirror holds everything the service had
        Refused, // a page came back with another code (the client showed its message)
        Failed,  // no answer, or a page could not be saved
        Dropped, // the sign-in ended meanwhile
    };
    Q_ENUM(Result)
    static constexpr int DefaultPageSize = 200;

    RecordPager(Kind kind, ApiNetWorking &api, Context &store, Session &session, QObject *parent = nullptr);
    ~RecordPager() override;

    Kind kind() const;
    bool isRunning() const;

    // Starts a chain asking `pageSize` records a page, or joins the one that runs
    // (whose pages keep their size).
    void refresh(int pageSize = DefaultPageSize);

signals:
    // A page was saved into the mirror (`records` of them, at least one).
    void pageImported(int records);
    // The chain ended; every refresh that joined it is answered by this one signal.
    void finished(RecordPager::Result result);

private:
    struct Chain;
    void requestPage();
    void pageArrived(const QJsonArray &records);
    void end(Result result);

    std::unique_ptr<Chain> m_chain;
    Kind m_kind;
    ApiNetWorking &m_api;
    Context &m_store;
    Session &m_session;
};
