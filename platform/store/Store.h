#pragma once

#include "platform/store/Context.h"
#include "platform/store/Model.h"
#include "platform/store/SaveResult.h"
#include "platform/store/StoreOpenResult.h"

#include <QObject>
#include <QString>
#include <QThreadPool>

#include <atomic>
#include <functional>
#include <memory>

// One SQLite store file with its main-thread context.
//
// Opening creates missing tables, columns and indexes for the model (rows of an
// older file are kept), uses a WAL journal with full sync (a committed save
// survives a crash of the process), and moves a file that cannot be read aside
// (renamed with a time stamp, never deleted) before starting an empty store.
class Store : public QObject
{
    Q_OBJECT
public:
    ~Store() override;

    // Opens (or creates) the store at path. Never returns nullptr unless the result
    // is Failed (no folder, no permission, ...).
    static std::unique_ptr<Store> open(const QString &path, const Model &model,
                                       StoreOpenResult *result = nullptr);

    QString path() const { return m_path; }
    const Model &model() const { return m_model; }
    const StoreOpenResult &openResult() const { return m_openResult; }

    Context *mainContext() const { return m_main.get(); }

    // Another context with its own connection, for the calling thread. Its saves are
    // not merged anywhere (tests read the file through it as a fresh reader).
    std::unique_ptr<Context> newContext();

    // A context for another thread, with its own connection. After each successful
    // save the changes are merged into the main context (at once when saved on the
    // main thread, else queued to the main thread).
    std::unique_ptr<Context> newBackgroundContext();

    // Runs block on a worker thread with a fresh background context, saves it, merges
    // into the main context and then calls completion (if any) on the main thread.
    void saveInBackground(std::function<void(Context &)> block,
                          std::function<void(const SaveResult &)> completion = {});
    // Waits until every background save has finished (and was merged when the event
    // loop runs).
    void waitForBackgroundSaves();

    // Primary keys are unique across the store and handed out at creation.
    qint64 nextPrimaryKey() { return m_nextPk.fetch_add(1); }

    // Every saved row carries the revision of the save that last wrote it, in a hidden
    // column. A save draws its revision while it holds the write lock, so revisions
    // grow in the order saves are committed.
    static QString revisionColumn() { return QStringLiteral("_rev"); }

private:
    friend class Context;
    friend class ContextWriter; // draws a save's revision
    friend class ContextMerger; // frees a merged change set off the main thread
    Store(const QString &path, const Model &model);
    bool openFile(StoreOpenResult &result);

    QString m_path;
    Model m_model;
    StoreOpenResult m_openResult;
    std::atomic<qint64> m_nextPk{1};
    std::atomic<qint64> m_nextRevision{1};
    std::unique_ptr<Context> m_main;
    QThreadPool m_pool;
};
