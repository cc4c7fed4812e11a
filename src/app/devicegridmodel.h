#pragma once

#include "devicetable.h"

#include <QAbstractTableModel>
#include <QStyledItemDelegate>

namespace naxo {

// The grid's view of the device table: 16 columns in the table's current
// order. It only shows; every change goes through the table's rules.
class TDeviceGridModel : public QAbstractTableModel, private TDeviceTable::Listener {
    Q_OBJECT
public:
    explicit TDeviceGridModel(TDeviceTable &table, QObject *parent = nullptr);
    ~TDeviceGridModel() override;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    static QString header(int column);
    static int designWidth(int column);
    static constexpr int kDefaultWidth = 64;

private:
    void beginReset() override { beginResetModel(); }
    void endReset() override { endResetModel(); }
    void beginInsert(int pos) override { beginInsertRows({}, pos, pos); }
    void endInsert() override { endInsertRows(); }
    void beginMove(int from, int to) override { beginMoveRows({}, from, from, {}, to > from ? to + 1 : to); }
    void endMove() override { endMoveRows(); }
    void rowChanged(int pos) override;

    TDeviceTable &m_table;
};

// Draws glyph number "code" centred in the Update column.
class TGlyphDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};

} // namespace naxo
