#pragma once

// One signed-in device of the stand-in's test account with a detail pane
// presenter on it: its store, engine, events and recording feedback, the
// note list's category played by `category`, and what the pane told the editor.

#include "notes/detail/presenter/NoteDetailPresenter.h"
#include "tests/notes/DeviceRig.h"
#include "tests/support/EventRecorder.h"

#include <QJsonArray>

struct DetailTestRig : DeviceRig
{
    EventRecorder recorder{&events};
    CategoryKey category;
    std::unique_ptr<NoteDetailPresenter> pane;
    QList<NoteKey> shownToEditor;
    QList<NoteRemindModel> remindsToEditor;

    explicit DetailTestRig(const QString &root) : DeviceRig(root)
    {
        pane = std::make_unique<NoteDetailPresenter>(services);
        pane->setCategorySource([this] { return category; });
        QObject::connect(pane.get(), &NoteDetailPresenter::noteShown,
                         [this](const NoteKey &k) { shownToEditor << k; });
        QObject::connect(pane.get(), &NoteDetailPresenter::remindShown,
                         [this](const NoteRemindModel &m) { remindsToEditor << m; });
    }
    ~DetailTestRig()
    {
        services.session->signOut();
        pane.reset();
        Clock::reset();
    }

    // A synced category with synced notes (top first), shown by the "list".
    Classify *syncedCategory(const QStringList &contents)
    {
        Classify *c = device->addCategory(QStringLiteral("工作"));
        for (auto it = contents.crbegin(); it != contents.crend(); ++it)
            device->addNote(c, *it);
        if (!device->sync())
            qWarning("the first sync did not settle");
        category = {c->objectId().pk, c->classId()};
        return c;
    }
    NoteDetail *note(const QString &content) const
    {
        return ctx()->findFirstByAttribute<NoteDetail>(QStringLiteral("content"), content);
    }
    static NoteKey keyOf(const NoteDetail *n) { return {n->objectId().pk, n->cId()}; }

    // The POST bodies and GET versions of "note/sync", oldest first.
    QList<QJsonObject> pushes() const
    {
        QList<QJsonObject> out;
        for (const StandinRequest &r : s.service->requests())
            if (r.path == QLatin1String("note/sync") && r.method == "POST")
                out << r.params;
        return out;
    }
    QStringList pullVersions() const
    {
        QStringList out;
        for (const StandinRequest &r : s.service->requests())
            if (r.path == QLatin1String("note/sync") && r.method == "GET")
                out << r.params.value(QStringLiteral("version")).toString();
        return out;
    }
    static QStringList pushedNotes(const QJsonObject &body)
    {
        QStringList out;
        for (const QJsonValue &v : body.value(QStringLiteral("contents")).toArray())
            out << v.toObject().value(QStringLiteral("content")).toString();
        return out;
    }
    QStringList leftHomeReloads() const
    {
        return recorder.events.filter(QStringLiteral("ReloadLeftHomeList="));
    }
};
