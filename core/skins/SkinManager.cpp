#include "core/skins/SkinManager.h"

#include "core/model/UISkin.h"
#include "platform/store/Context.h"

#include <QDebug>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

namespace {

QList<SkinListModel> readCatalog(const QString &path, bool *ok)
{
    QList<SkinListModel> rows;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning().noquote() << "skins: cannot read" << path;
        *ok = false;
        return rows;
    }
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isArray()) {
        qWarning().noquote() << "skins:" << path << "is not a list of skins";
        *ok = false;
        return rows;
    }
    *ok = true;
    for (const QJsonValue &v : doc.array()) {
        if (!v.isObject())
            continue;
        const SkinListModel m = SkinListModel::fromJson(v.toObject());
        if (m.sortValue() > 25 && !m.skinName().isEmpty())
            rows.append(m);
    }
    return rows;
}

} // namespace

bool SkinManager::addSkinToLocal()
{
    return addSkinToLocal(defaultCatalogPath());
}

bool SkinManager::addSkinToLocal(const QString &catalogPath)
{
    Context *ctx = &m_store;
    bool ok = false;
    const QList<SkinListModel> rows = readCatalog(catalogPath, &ok);
    if (!ok)
        return false;
    for (const SkinListModel &row : rows) {
        if (row.sortValue() > 32767)
            continue;
        UISkin *skin = ctx->findFirstByAttribute<UISkin>(QStringLiteral("nameId"), row.skinName());
        if (!skin)
            skin = ctx->create<UISkin>();
        skin->setBgColor(row.bgHex());
        skin->setSelectColor(row.naviHex());
        skin->setBarColor(row.naviHex());
        skin->setNameId(row.skinName());
        skin->setSort(qint16(row.sortValue()));
    }
    return bool(ctx->saveAndWait());
}

UISkin *SkinManager::getCurrSkin()
{
    Context *ctx = &m_store;
    if (UISkin *current = ctx->findFirstByAttribute<UISkin>(QStringLiteral("isCurrSkin"), true))
        return current;
    UISkin *fallback = ctx->findFirstByAttribute<UISkin>(QStringLiteral("sort"), 26);
    if (!fallback) {
        const QList<UISkin *> all = ctx->findAllSortedBy<UISkin>(QStringLiteral("sort"), true);
        fallback = all.isEmpty() ? nullptr : all.first();
    }
    if (fallback)
        fallback->setIsCurrSkin(true);
    return fallback;
}

bool SkinManager::resetCurrSkin(UISkin *skin)
{
    Context *ctx = &m_store;
    if (!skin || skin->isDeleted() || skin->context() != ctx)
        return false;
    for (UISkin *s : ctx->findByAttribute<UISkin>(QStringLiteral("isCurrSkin"), true))
        s->setIsCurrSkin(false);
    skin->setIsCurrSkin(true);
    return bool(ctx->saveAndWait());
}

QList<SkinListModel> SkinManager::getSkinList()
{
    return getSkinList(defaultCatalogPath());
}

QList<SkinListModel> SkinManager::getSkinList(const QString &catalogPath)
{
    bool ok = false;
    return readCatalog(catalogPath, &ok);
}
