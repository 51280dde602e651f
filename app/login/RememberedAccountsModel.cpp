#include "app/login/RememberedAccountsModel.h"

#include "core/model/LoginAccount.h"
#include "core/model/UserInfo.h"
#include "platform/store/Context.h"
#include "service/account/PwdManager.h"

#include <QDebug>

RememberedAccountsModel::RememberedAccountsModel(Context *context, PwdManager &passwords, QObject *parent)
    : QAbstractListModel(parent), m_context(context), m_passwords(passwords)
{
}

int RememberedAccountsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant RememberedAccountsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= m_rows.size())
        return {};
    const Row &row = m_rows.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case AccountRole:
        return row.account;
    case UserIdRole:
        return row.userId;
    case AvatarUrlRole:
        return avatarUrlOf(m_context, row.userId);
    default:
        return {};
    }
}

QHash<int, QByteArray> RememberedAccountsModel::roleNames() const
{
    return {{AccountRole, "account"}, {UserIdRole, "userId"}, {AvatarUrlRole, "avatarUrl"}};
}

QList<RememberedAccountsModel::Row> RememberedAccountsModel::fetch() const
{
    QList<Row> rows;
    if (!m_context)
        return rows;
    const QList<LoginAccount *> found = m_context->findAllSortedBy<LoginAccount>(
        QStringLiteral("account"), true, [](const LoginAccount *a) { return !a->account().isEmpty(); });
    rows.reserve(found.size());
    for (const LoginAccount *a : found)
        rows.append({a->userId(), a->account()});
    return rows;
}

void RememberedAccountsModel::refresh()
{
    beginResetModel();
    m_rows = fetch();
    endResetModel();
}

int RememberedAccountsModel::offeredCount() const
{
    return int(fetch().size());
}

QString RememberedAccountsModel::accountAt(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows.at(row).account : QString();
}

qint64 RememberedAccountsModel::userIdAt(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows.at(row).userId : 0;
}

bool RememberedAccountsModel::removeAccount(int row)
{
    if (row < 0 || row >= m_rows.size() || !m_context)
        return false;
    const Row gone = m_rows.at(row);
    m_passwords.deletePassWordWithKeyChain(gone.account);
    const QList<LoginAccount *> matches =
        m_context->findAllWhere<LoginAccount>([&gone](const LoginAccount *a) {
            return a->userId() == gone.userId && a->account() == gone.account;
        });
    for (LoginAccount *a : matches)
        m_context->deleteObject(a);
    if (!matches.isEmpty() && !m_context->saveAndWait()) {
        qWarning() << "remembered accounts: the row could not be removed";
        m_context->rollback();
        return false;
    }
    beginRemoveRows({}, row, row);
    m_rows.removeAt(row);
    endRemoveRows();
    if (m_rows.isEmpty())
        emit emptied();
    return true;
}

QString RememberedAccountsModel::avatarUrlOf(Context *context, qint64 userId)
{
    if (!context)
        return {};
    const UserInfo *info =
        context->findFirstWhere<UserInfo>([userId](const UserInfo *u) { return u->userId() == userId; });
    return info ? info->avatar() : QString();
}
