#include "settings/presenter/SkinSettingsPresenter.h"

#include "core/model/UISkin.h"
#include "core/skins/SkinManager.h"
#include "platform/base/AppEvents.h"
#include "platform/store/Context.h"

namespace {
const QString kSkin = QStringLiteral("newSkinColor");
}

SkinSettingsPresenter::SkinSettingsPresenter(const Services &services, SettingsSaver *saver, QObject *parent)
    : QObject(parent), m_services(services), m_saver(saver)
{
    connect(m_saver, &SettingsSaver::rowsChanged, this, &SkinSettingsPresenter::changed);
}

QStringList SkinSettingsPresenter::skins() const
{
    QStringList names;
    if (!m_services.store)
        return names;
    for (const UISkin *skin : m_services.store->findAllSortedBy<UISkin>(QStringLiteral("sort"), true))
        names << skin->nameId();
    return names;
}

int SkinSettingsPresenter::currentIndex() const
{
    const UISkin *current = m_services.skins->getCurrSkin();
    return current ? int(skins().indexOf(current->nameId())) : -1;
}

bool SkinSettingsPresenter::isBusy() const
{
    return m_saver->isPending(SettingsSaver::Row::UserSet, kSkin);
}

void SkinSettingsPresenter::pick(int index)
{
    const QStringList names = skins();
    if (index >= 0 && index < names.size())
        m_picked = names.at(index);
}

void SkinSettingsPresenter::confirm()
{
    if (isBusy())
        return;
    if (m_picked.isEmpty()) {
        emit closeWanted();
        return;
    }
    const QString name = m_picked;
    m_saver->send({SettingsSaver::Row::UserSet, QJsonObject{{kSkin, name}}, SettingsSaver::Overlay::None,
                   this, [this, name] {
                       if (m_services.store)
                           m_services.skins->resetCurrSkin(m_services.store->findFirstByAttribute<UISkin>(
                               QStringLiteral("nameId"), name));
                       emit m_services.events->reloadDatasForTitleBar();
                       emit m_services.events->reloadLeftHomeList(LeftHomeListReload::refetch());
                       emit closeWanted();
                   }});
}
