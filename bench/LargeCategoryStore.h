#pragma once

#include "core/model/Classify.h"
#include "core/model/DataModel.h"
#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "platform/store/Context.h"
#include "platform/store/Store.h"

#include <QTemporaryDir>

#include <memory>

// A store file holding a category of `kNotes` notes and another of half as many
// (sharing the table), every second note with a daily reminder.
struct LargeCategoryStore
{
    static constexpr int kNotes = 10000;

    enum class Order
    {
        Ascending, // made in the order they are shown
        Descending // made in the reverse order, so a query must sort them
    };

    QTemporaryDir dir;
    std::unique_ptr<Store> store;
    QString classId = QStringLiteral("1001");

    explicit LargeCategoryStore(Order order)
    {
        store = Store::open(dir.filePath(QStringLiteral("bench.sqlite")), DataModel::model());
        Context *ctx = store->mainContext();
        for (const QString &id : {classId, QStringLiteral("1002")}) {
            auto *c = ctx->create<Classify>();
            c->setClassId(id);
            c->setName(QStringLiteral("分类") + id);
            c->setBackColor(QStringLiteral("#2b9cc6"));
            const int count = id == classId ? kNotes : kNotes / 2;
            for (int i = 0; i < count; ++i) {
                auto *n = ctx->create<NoteDetail>();
                n->setCId(id + QString::number(100000 + i));
                n->setClassId(id);
                n->setContent(QStringLiteral("第%1条笔记，写点什么内容在这里").arg(i));
                n->setSort(qint16(order == Order::Ascending ? i + 1 : count - i));
                n->setClassify(c);
                if (i % 2 == 0) {
                    auto *r = ctx->create<DateRemind>();
                    r->setRemindActionType(2);
                    r->setRemindDateTime(QStringLiteral("2030/1/1 9:00:00"));
                    r->setRemindRealDateTime(QStringLiteral("2030/1/1 9:00:00"));
                    r->setRemindCycleType(1);
                    r->setRemindCycleInterval(1);
                    n->setRemind(r);
                }
            }
        }
        if (!ctx->saveAndWait())
            qFatal("bench: the fixture cannot be saved");
    }
};
