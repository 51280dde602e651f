#pragma once

#include "core/skins/SkinListModel.h"

#include <QList>
#include <QString>

class Context;
class UISkin;

// The built-in skin catalogue and the current skin, kept as UISkin rows of the
// context it was made with (the main one; made once by the program object).
class SkinManager
{
public:
    explicit SkinManager(Context &store) : m_store(store) {}
    SkinManager(const SkinManager &) = delete;
    SkinManager &operator=(const SkinManager &) = delete;

    // Copies the catalogue rows with sort > 25 into UISkin rows (found by nameId,
    // made when missing; the current mark is left alone) and saves.
    // Returns false when the catalogue cannot be read or the save fails.
    bool addSkinToLocal();
    bool addSkinToLocal(const QString &catalogPath);

    // The skin marked current; without one, the sort 26 skin, else the lowest-sorted
    // skin, which is then marked current (not saved). nullptr only with no skins.
    UISkin *getCurrSkin();

    // Makes skin the only current skin and saves. A null or deleted skin changes nothing.
    bool resetCurrSkin(UISkin *skin);

    // The catalogue rows with sort > 25, in file order.
    static QList<SkinListModel> getSkinList();
    static QList<SkinListModel> getSkinList(const QString &catalogPath);

    // Colours used when there is no skin at all.
    static QString defaultBgColor() { return QStringLiteral("#f5f5f8"); }
    static QString defaultBarColor() { return QStringLiteral("#10b56c"); }

    static QString defaultCatalogPath() { return QStringLiteral(":/skins/SkinList.json"); }

private:
    Context &m_store;
};
