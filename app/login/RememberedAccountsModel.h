#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QString>

class Context;
class PwdManager;

// The accounts offered under the login form: every remembered account that
// has an account name, sorted by name. Rows are held by user id and read from
// the store when asked, so a wipe or a new sign-in never leaves a dangling row.
class RememberedAccountsModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Role
    {
        AccountRole = Qt::UserRole + 1,
        UserIdRole,
        AvatarUrlRole,
    };

    // Removing an account forgets its saved password in `passwords`.
    RememberedAccountsModel(Context *context, PwdManager &passwords, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    // Reads the offered rows again (every opening shows the current ones).
    void refresh();
    // How many rows the store offers now, without touching the model.
    int offeredCount() const;

    QString accountAt(int row) const;
    qint64 userIdAt(int row) const;

    // Forgets the account: its saved password, then its row (saved at once).
    // False when the row is out of range or the store refused the deletion.
    bool removeAccount(int row);

    // The avatar address of a user's profile, empty when none.
    static QString avatarUrlOf(Context *context, qint64 userId);

signals:
    // The last row was removed.
    void emptied();

private:
    struct Row
    {
        qint64 userId = 0;
        QString account;
    };
    QList<Row> fetch() const;

    Context *m_context;
    PwdManager &m_passwords;
    QList<Row> m_rows;
};
