#pragma once

#include "platform/store/SaveParams.h"
#include "platform/store/SaveResult.h"

#include <QList>
#include <QSet>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

class ChangeSetBuilder;
class Context;
class ManagedObject;
class SqliteConnection;
struct sqlite3_stmt;

// One save of a context: writes every pending change in one transaction, then makes
// the pending state the stored state and hands the change set on. On failure nothing
// is written, the pending changes stay, and the error is logged and returned.
//
// Everything that does not need the file is worked out before the write lock is taken
// (the main thread waits for a background save's lock, so it is held only for binding
// and stepping): the statements of the rows, then their parameters, in chunks of rows;
// a large save encodes the chunks on a thread of its own while the rows before are
// stepped. A background context writes a row only if no other context saved it since
// it read it (the revision it read is still the row's): a pull import never overwrites
// what the user saved meanwhile; such rows are skipped and read again. The main
// context's saves always win. Made for one save.
class ContextWriter
{
public:
    explicit ContextWriter(Context &context);
    ~ContextWriter();
    ContextWriter(const ContextWriter &) = delete;
    ContextWriter &operator=(const ContextWriter &) = delete;

    SaveResult save();

    // Inserts the row with all its values (inside an open transaction).
    static bool writeWhole(Context &context, ManagedObject *o, qint64 revision);

private:
    enum class Op
    {
        Insert,
        Update,
        Delete
    };
    struct Write
    {
        ManagedObject *object;
        sqlite3_stmt *stmt;
        qsizetype first; // its parameters in its chunk's params, in order
        int count;
        Op op;
        int revisionAt; // the parameter that takes the save's revision, 0 for none
        bool skipped;
    };
    struct Chunk
    {
        qsizetype begin;
        qsizetype end;
        SaveParams params;
    };

    // The statement and the number of parameters of each row with pending changes
    // (preparing needs the connection, so it is done here); empty when all prepared.
    QString planWrites();
    // The rows in chunks, their parameters in one block.
    void planChunks();
    // A transformer of an object attribute may not be safe off this thread: only a
    // large save without such attributes is encoded on a thread of its own.
    bool wantsEncoder() const;
    void startEncoding();
    void encode(Chunk &chunk);
    void waitFor(size_t chunk);
    // Binds and steps every row inside the open transaction; empty on success, else
    // what failed (the transaction is still open).
    QString writeRows(qint64 revision);
    SaveResult fail(const QString &what);
    // Written: the pending state becomes the stored state; the skipped rows are read
    // again.
    SaveResult settle(qint64 revision, ChangeSetBuilder &changes);
    void stopEncoder();
    // The values are bound without copies: no statement may keep pointing at them.
    void clearBindings();

    Context &m_context;
    SqliteConnection *m_db;
    const bool m_guarded;
    QList<Write> m_writes;
    // The rows, through which both threads touch them once planned (only the fields of
    // their own chunks; the list is not changed any more).
    Write *m_writeAt = nullptr;
    std::vector<Chunk> m_chunks;
    std::vector<SaveParams::Param> m_paramBlock;

    std::mutex m_encodedLock;
    std::condition_variable m_encodedChanged;
    size_t m_encoded = 0; // chunks ready, guarded by m_encodedLock
    std::atomic<bool> m_stop{false};
    std::thread m_encoder;
};
