#pragma once

#include "app/services/Services.h"
#include "notes/categories/presenter/CategoryListModel.h"
#include "platform/base/AppEvents.h"
#include "service/sync/SignInSyncCoordinator.h"
#include "service/sync/SyncEngine.h"

#include <QObject>
#include <QPointer>

struct StoreChanges;

// The category column: the account's categories (not marked deleted, by
// "sort"), which of them is selected (the note list shows it), the right
// pane's choice, the jump to a note, the lock, forced sync and settings
// buttons. Follows the store's change sets by key, so a pull keeps the
// selected category selected.
class CategoryColumnPresenter : public QObject
{
    Q_OBJECT
public:
    // The right pane's children, in their fixed order.
    enum class Pane
    {
        Notes = 0,
        Records = 1,
        Search = 2
    };
    Q_ENUM(Pane)

    CategoryColumnPresenter(const Services &services, SignInSyncCoordinator *coordinator,
                            QObject *parent = nullptr);

    CategoryListModel *model() const { return m_model; }
    int selectedRow() const { return m_selected; }
    CategoryKey selectedCategory() const;
    Pane pane() const { return m_pane; }

    // A click on a cell: the note list shows the category.
    void clickRow(int row);
    // The title bar's records and search buttons: drop the selection, then switch.
    void showPaneFromTitleBar(Pane pane);
    // "ReloadLeftHomeList" in its three forms.
    void reload(const LeftHomeListReload &what);
    // "DeselectCollectionItem"
    void deselect();

    // Header buttons.
    void lockPressed();
    void forcedSyncPressed();
    // The settings popover: 0 "设置", 1 "退出".
    void settingsChosen(int index);
    static QStringList settingsTitles() { return {QStringLiteral("设置"), QStringLiteral("退出")}; }

signals:
    void selectionChanged(int row);
    void paneChanged(CategoryColumnPresenter::Pane pane);
    // The lock overlay is to be shown (true) or taken away (false).
    void lockOverlayWanted(bool shown);
    void settingsWindowWanted();

private:
    QList<CategoryListModel::Row> fetchRows() const;
    void refreshRows(); // keeps the selection by key, tells nobody
    // After a pull the rows and the list already follow the pull's change set:
    // the rows are not fetched again, and a category the list shows already is
    // not announced again (that would rebuild the list).
    void refetchAndAnnounce(bool afterPull = false);
    void reloadFromCategory(const CategoryKey &key);
    void showNote(const QString &cId);
    void select(int row);
    void showInNoteList(const NotesListReload &what);
    void onStoreChanges(const StoreChanges &changes);
    void afterPull();

    Services m_services;
    QPointer<SignInSyncCoordinator> m_coordinator;
    CategoryListModel *m_model;
    int m_selected = -1;
    int m_lostRow = -1; // where the selected category stood before it went
    Pane m_pane = Pane::Notes;
    QString m_listShows; // classId the note list was last told to show; empty: unknown
};
