#pragma once

#include "app/services/Services.h"
#include "platform/base/AppEvents.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

// The category menu of a cell: add, modify, clear and delete. Clearing marks
// the category's notes deleted at once (their push follows); deleting asks the
// service first and removes the category only when it took the deletion.
class CategoryMenuPresenter : public QObject
{
    Q_OBJECT
public:
    enum Tag
    {
        Add = 1001,
        Modify = 1002,
        Clear = 1003,
        Delete = 1004
    };
    struct Item
    {
        int tag;
        QString title;
    };
    // The menu's items, in order.
    static QList<Item> items();
    // The confirmation before a deletion, naming the category.
    static QString deleteQuestion(const QString &name);

    explicit CategoryMenuPresenter(const Services &services, QObject *parent = nullptr);

    // The user chose an item of the menu of `category`.
    void choose(int tag, const CategoryKey &category);
    // Whether a deletion of this category waits for the service.
    bool isDeleting(const QString &classId) const { return m_deleting.contains(classId); }

signals:
    // The category dialog is wanted: a null key adds, any other modifies.
    void dialogWanted(const CategoryKey &category);

private:
    void clear(const CategoryKey &category);
    void askToDelete(const CategoryKey &category);
    void remove(const CategoryKey &category);
    void removeHere(const QString &classId);
    bool saveAndTell(const char *what);

    Services m_services;
    QSet<QString> m_deleting;
};
