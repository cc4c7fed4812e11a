#include "devicegridmodel.h"
#include "glyphs.h"

#include <QPainter>

namespace naxo {

TDeviceGridModel::TDeviceGridModel(TDeviceTable &table, QObject *parent) : QAbstractTableModel(parent), m_table(table)
{
    m_table.setListener(this);
}

TDeviceGridModel::~TDeviceGridModel()
{
    m_table.setListener(nullptr);
}

QString TDeviceGridModel::header(int column)
{
    static const char *const headers[kFieldCount] = {
        "Nr", "Update", "Modell", "Name", "IP-Address", "MAC-Address", "Serial Number", "Build Info",
        "Filter-Version", "FPGA-Version", "Sw Fw", "Sv Fw", "Amp Fw", "Len", "Pos", "Update Progress",
    };
    return column >= 0 && column < kFieldCount ? QString::fromLatin1(headers[column]) : QString();
}

int TDeviceGridModel::designWidth(int column)
{
    static const int widths[kFieldCount] = {30, 50, 70, 100, 100, 110, 85, 80, 150, 90,
                                            kDefaultWidth, kDefaultWidth, kDefaultWidth, 30, 30, 180};
    return column >= 0 && column < kFieldCount ? widths[column] : kDefaultWidth;
}

int TDeviceGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_table.rowCount();
}

int TDeviceGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kFieldCount;
}

QVariant TDeviceGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_table.rowCount())
        return {};
    const auto field = Field(index.column());
    const TDeviceRow &row = m_table.rowAt(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return field == Field::Update ? QVariant() : row.value(field);
    case Qt::EditRole:
        return row.value(field);
    case Qt::ToolTipRole:
        return field == Field::Progress ? row.Progress : QVariant();
    case Qt::TextAlignmentRole:
        if (field == Field::Update || field == Field::Length || field == Field::Position)
            return int(Qt::AlignCenter);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant TDeviceGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return header(section);
    return {};
}

void TDeviceGridModel::rowChanged(int pos)
{
    emit dataChanged(index(pos, 0), index(pos, kFieldCount - 1));
}

void TGlyphDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt(option);
    initStyleOption(&opt, index);
    QStyledItemDelegate::paint(painter, opt, index);
    const int side = std::max(8, std::min(opt.rect.height(), opt.rect.width()) - 4);
    const QPixmap pix = glyph(index.data(Qt::EditRole).toInt(), side);
    if (pix.isNull())
        return;
    const QRect target(opt.rect.center().x() - side / 2, opt.rect.center().y() - side / 2, side, side);
    painter->drawPixmap(target, pix);
}

} // namespace naxo
