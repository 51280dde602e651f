#include "notes/records/presenter/NoteRecordPresenter.h"

#include "core/model/Classify.h"
#include "notes/records/presenter/NoteRecordPopUpDelegate.h"
#include "platform/store/Context.h"

namespace {

QStringList timeRanges()
{
    return {QStringLiteral("全部时间"), QStringLiteral("昨天"), QStringLiteral("今天"),
            QStringLiteral("本周"),     QStringLiteral("上周"), QStringLiteral("本月"),
            QStringLiteral("上月")};
}

} // namespace

NoteRecordPresenter::NoteRecordPresenter(const Services &services, QObject *parent)
    : QObject(parent), m_services(services)
{
    confPopUpItemTitles();
}

QStringList NoteRecordPresenter::segmentTitles()
{
    return {QStringLiteral("到期时间"), QStringLiteral("已完成"), QStringLiteral("编辑历史")};
}

void NoteRecordPresenter::setList(int segment, NoteRecordPopUpDelegate *list)
{
    if (segment >= 0 && segment < SegmentCount)
        m_lists[segment] = list;
}

NoteRecordPopUps NoteRecordPresenter::popUps() const
{
    NoteRecordPopUps p;
    p.first = m_selected[FirstPopUp];
    p.second = m_selected[SecondPopUp];
    p.third = m_selected[ThirdPopUp];
    if (p.second >= 1 && p.second <= m_classArr.size())
        p.category = m_classArr.at(p.second - 1);
    return p;
}

void NoteRecordPresenter::confPopUpItemTitles()
{
    switch (m_segment) {
    case DueDates:
        m_items[FirstPopUp] = {QStringLiteral("最先到期"), QStringLiteral("最晚到期")};
        m_items[ThirdPopUp].clear();
        break;
    case Completed:
        m_items[FirstPopUp] = timeRanges();
        m_items[ThirdPopUp].clear();
        break;
    default:
        m_items[FirstPopUp] = {QStringLiteral("全部类型"), QStringLiteral("新增"), QStringLiteral("修改"),
                               QStringLiteral("删除")};
        m_items[ThirdPopUp] = timeRanges();
        break;
    }
    // Categories marked deleted wait for the push only: they are not offered.
    m_classArr.clear();
    m_items[SecondPopUp] = {QStringLiteral("全部分类")};
    if (m_services.store) {
        const QList<Classify *> categories = m_services.store->fetch<Classify>(
            Predicate::notEquals(QStringLiteral("actionType"), 3), QStringLiteral("sort"));
        for (const Classify *c : categories) {
            m_classArr << CategoryKey{c->objectId().pk, c->classId()};
            m_items[SecondPopUp] << c->name();
        }
    }
    for (int &selected : m_selected)
        selected = 0;
    emit changed();
}

void NoteRecordPresenter::tellList()
{
    if (NoteRecordPopUpDelegate *list = m_lists[m_segment])
        list->didSelectItemWithPopUps(popUps());
}

void NoteRecordPresenter::paneShown()
{
    confPopUpItemTitles();
    tellList();
}

void NoteRecordPresenter::segmentedAction(int segment)
{
    if (segment < 0 || segment >= SegmentCount)
        return;
    m_segment = segment;
    confPopUpItemTitles();
    tellList();
}

void NoteRecordPresenter::popUpAction(int popUp, int index)
{
    if (popUp < FirstPopUp || popUp > ThirdPopUp || index < 0 || index >= m_items[popUp].size())
        return;
    if (popUp == ThirdPopUp && !isThirdVisible())
        return;
    m_selected[popUp] = index;
    emit changed();
    tellList();
}
