#pragma once

// The signed-in main window of one device over an account another device
// filled, against the stand-in service, with what its end-to-end stories read:
// the listed notes, the editor, the local and the served rows.

#include "app/mainwindow/view/MainWindow.h"
#include "notes/detail/view/NoteDetailViewController.h"
#include "notes/editor/view/EditNoteView.h"
#include "notes/list/view/NoteListView.h"
#include "tests/notes/categories/CategoryTestRig.h"

#include <QListView>

#include <functional>
#include <optional>

struct MainWindowDesk
{
    CategoryTestRig rig;
    SyncClient other;
    std::unique_ptr<MainWindow> window;

    explicit MainWindowDesk(const QString &root) : rig(root), other("b", root, rig.s, rig.s.tester())
    {
        rig.s.tester().sessions << QStringLiteral("token-b");
        UserDefaults::setValue(SignInKeys::AccessToken, QStringLiteral("token-b"));
    }
    ~MainWindowDesk() { window.reset(); }

    // The other device's data reaches the service, then this device signs in under the shown window;
    // `beforeWindow` runs once this device is current, before the window is made.
    bool open(const std::function<void()> &beforeWindow = {})
    {
        if (!other.sync())
            return false;
        rig.device->activate();
        if (beforeWindow)
            beforeWindow();
        window = std::make_unique<MainWindow>(rig.services, rig.coordinator.get());
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            return false;
        rig.signIn();
        return rig.settle();
    }

    QListView *notes() const { return window->noteList()->listView(); }
    NoteDetailViewController *pane() const { return window->noteDetail(); }
    EditNoteView *editor() const { return pane()->editView(); }
    QStringList listed() const
    {
        QStringList out;
        for (int row = 0; row < notes()->model()->rowCount(); ++row)
            out << notes()->model()->index(row, 0).data().toString();
        return out;
    }
    int rowOf(const QString &text) const { return int(listed().indexOf(text)); }
    void clickRow(int row)
    {
        QTest::mouseClick(notes()->viewport(), Qt::LeftButton, {},
                          notes()->visualRect(notes()->model()->index(row, 0)).center());
    }
    NoteDetail *local(const QString &content) const
    {
        return rig.device->ctx()->findFirstByAttribute<NoteDetail>(QStringLiteral("content"), content);
    }
    // The live note with this text on the service.
    std::optional<NoteSyncHandlers::Note> served(const QString &content)
    {
        for (const auto &c : rig.s.notes->liveCategories(rig.s.tester()))
            for (const auto &n : rig.s.notes->liveNotesInOrder(rig.s.tester(), c.classId))
                if (n.content == content)
                    return n;
        return std::nullopt;
    }
};
