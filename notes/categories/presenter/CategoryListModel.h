#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QString>

// The category column's rows: keys and what a cell paints, never row objects.
class CategoryListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Role
    {
        ColorRole = Qt::UserRole + 1, // "#rrggbb" text as stored
        DueRole,                      // bool: a reminder of the category is due
        KeyRole,                      // qint64 store key
        ClassIdRole
    };

    struct Row
    {
        qint64 pk = 0;
        QString classId;
        QString name;
        QString color;
        bool due = false;
        bool operator==(const Row &) const = default;
    };

    explicit CategoryListModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    // New contents: the same keys in the same order only tell the changed rows;
    // anything else inserts, removes and moves nothing by position but resets.
    void setRows(const QList<Row> &rows);
    const QList<Row> &rows() const { return m_rows; }
    Row row(int i) const { return i >= 0 && i < m_rows.size() ? m_rows.at(i) : Row(); }
    int indexOfClassId(const QString &classId) const;
    int indexOfKey(qint64 pk) const;

private:
    QList<Row> m_rows;
};
