#pragma once

#include "app/services/Services.h"
#include "platform/base/AppEvents.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

struct BaseSuccessModel;
class NoteClassifyModel;

// The category dialog: adds a category (name, one of twelve colours, at the
// top or the bottom of the column) or modifies one (name and colour). The
// change goes to the service first; the local row is written from the reply
// and saved at once. Confirm does nothing while its push is out.
class CategoryDialogPresenter : public QObject
{
    Q_OBJECT
public:
    // A null key: add mode.
    CategoryDialogPresenter(const Services &services, const CategoryKey &category, QObject *parent = nullptr);

    // The twelve colours, in grid order.
    static QStringList colors();

    bool isModify() const { return !m_category.isNull(); }
    QString windowTitle() const;
    // The top/bottom choice is offered when adding only.
    bool offersPosition() const { return !isModify(); }

    QString name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }
    // Index into colors(); -1: none chosen.
    int colorIndex() const { return m_colorIndex; }
    void chooseColor(int index);
    bool addsAtTop() const { return m_top; }
    void setAddsAtTop(bool top) { m_top = top; }

    bool isPushing() const { return m_pushing; }
    // Checks the input and sends the change; ignored while a push is out.
    void confirm();
    // The result toast shows on this object's window (the main window).
    void setToastAnchor(const QObject *anchor) { m_toastAnchor = anchor; }

signals:
    // A push went out (true) or its answer came (false).
    void pushingChanged(bool pushing);
    // The service took the change and it is saved: the dialog closes.
    void accepted();

private:
    void answered(bool answered, const BaseSuccessModel &reply, const NoteClassifyModel &model, bool top);
    void setPushing(bool pushing);

    Services m_services;
    CategoryKey m_category;
    QString m_name;
    int m_colorIndex = -1;
    bool m_top = false;
    bool m_pushing = false;
    QPointer<const QObject> m_toastAnchor;
};
