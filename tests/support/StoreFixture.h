#pragma once

#include <QDateTime>
#include <QString>

#include <memory>

class Classify;
class Context;
class DateRemind;
class FakeUserNotificationCenter;
class NoteDetail;
class Store;
class UserSet;

// One test function's store: open() (in init()) makes fresh folders, opens a new
// store file there, makes a fake notification centre and fixes "now"; close() (in
// cleanup()) undoes all of it. Code under test is handed store()/ctx() and center().
// The makers give the rows most tests start from, unsaved.
class StoreFixture
{
public:
    StoreFixture();
    ~StoreFixture();
    StoreFixture(const StoreFixture &) = delete;
    StoreFixture &operator=(const StoreFixture &) = delete;

    // `file` is relative to the fresh folder. False when the store did not open.
    [[nodiscard]] bool open(const QDateTime &now, const QString &file = QStringLiteral("data/store.sqlite"));
    void close();

    Store *store() const { return m_store.get(); }
    Context *ctx() const;
    FakeUserNotificationCenter *center() const { return m_center.get(); }

    // While on, every write to the store fails as on a full disk (a trigger on every
    // table refuses it); off again, writes go through as when space was freed.
    void setWritesFail(bool fail);

    // The one settings row, made when there is none.
    UserSet *settings();
    Classify *category(const QString &classId, const QString &name);
    // A note with this cId in `c` (its classId too, when given); the content is
    // "内容 <cId>" unless given.
    NoteDetail *note(const QString &cId, Classify *c = nullptr, const QString &content = {});
    // A reminder row with this remindActionType, set on `n`.
    DateRemind *remind(NoteDetail *n, int actionType = 2);

private:
    std::unique_ptr<Store> m_store;
    std::unique_ptr<FakeUserNotificationCenter> m_center;
};
