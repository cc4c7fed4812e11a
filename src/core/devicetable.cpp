#include "devicetable.h"
#include "singlebytetext.h"

#include <algorithm>

namespace naxo {

QString fieldName(Field f)
{
    static const std::array<const char *, kFieldCount> names = {
        "Nr", "Update", "Modell", "Name", "IpAddress", "MAC", "SrNr", "BuildInfo",
        "FilterVersion", "FPGA", "SwFw", "SvFw", "AmpFw", "Length", "Position", "Progress",
    };
    return QString::fromLatin1(names[size_t(f)]);
}

namespace {

const QString *textField(const TDeviceRow &r, Field f)
{
    switch (f) {
    case Field::Modell: return &r.Modell;
    case Field::Name: return &r.Name;
    case Field::IpAddress: return &r.IpAddress;
    case Field::MAC: return &r.MAC;
    case Field::SrNr: return &r.SrNr;
    case Field::BuildInfo: return &r.BuildInfo;
    case Field::FilterVersion: return &r.FilterVersion;
    case Field::FPGA: return &r.FPGA;
    case Field::SwFw: return &r.SwFw;
    case Field::SvFw: return &r.SvFw;
    case Field::AmpFw: return &r.AmpFw;
    case Field::Progress: return &r.Progress;
    default: return nullptr;
    }
}

qint32 intField(const TDeviceRow &r, Field f)
{
    switch (f) {
    case Field::Nr: return r.Nr;
    case Field::Update: return r.Update;
    case Field::Length: return r.Length;
    case Field::Position: return r.Position;
    default: return 0;
    }
}

int compareField(const TDeviceRow &a, const TDeviceRow &b, Field f)
{
    if (const QString *ta = textField(a, f))
        return QString::compare(*ta, *textField(b, f), Qt::CaseSensitive);
    const qint32 ia = intField(a, f), ib = intField(b, f);
    return ia < ib ? -1 : (ia > ib ? 1 : 0);
}

} // namespace

QVariant TDeviceRow::value(Field f) const
{
    if (const QString *t = textField(*this, f))
        return *t;
    return intField(*this, f);
}

bool TDeviceTable::lessThan(const TDeviceRow &a, const TDeviceRow &b) const
{
    const int c = compareField(a, b, m_orderField);
    if (c != 0)
        return m_descending ? c > 0 : c < 0;
    return a.Nr < b.Nr; // equal keys keep the order in which rows were added
}

void TDeviceTable::rebuildIndex()
{
    m_byMac.clear();
    m_firstByIp.clear();
    for (int i = 0; i < rowCount(); ++i) {
        m_byMac.insert(m_rows[size_t(i)].MAC, i);
        if (!m_firstByIp.contains(m_rows[size_t(i)].IpAddress))
            m_firstByIp.insert(m_rows[size_t(i)].IpAddress, i);
    }
}

int TDeviceTable::findByMac(const QString &mac) const
{
    return m_byMac.value(mac, -1);
}

int TDeviceTable::findByIp(const QString &ip) const
{
    return m_firstByIp.value(ip, -1);
}

void TDeviceTable::clear()
{
    if (m_listener)
        m_listener->beginReset();
    m_rows.clear();
    rebuildIndex();
    if (m_listener)
        m_listener->endReset();
}

void TDeviceTable::resort()
{
    if (m_listener)
        m_listener->beginReset();
    std::stable_sort(m_rows.begin(), m_rows.end(),
                     [this](const TDeviceRow &a, const TDeviceRow &b) { return lessThan(a, b); });
    rebuildIndex();
    if (m_listener)
        m_listener->endReset();
}

QString TDeviceTable::sortByField(Field field)
{
    const QString name = fieldName(field);
    QString label;
    if (m_orderField == field && !m_descending) {
        m_descending = true;
        label = QStringLiteral("Descending sorting by ") + name;
    } else {
        m_orderField = field;
        m_descending = false;
        label = QStringLiteral("Sorting by ") + name;
    }
    resort();
    return label;
}

void TDeviceTable::reposition(int pos)
{
    TDeviceRow row = m_rows[size_t(pos)];
    // Where the row belongs among the others, counted without it.
    int target = 0;
    for (int i = 0; i < rowCount(); ++i) {
        if (i != pos && lessThan(m_rows[size_t(i)], row))
            ++target;
    }
    if (target == pos)
        return;
    if (m_listener)
        m_listener->beginMove(pos, target);
    m_rows.erase(m_rows.begin() + pos);
    m_rows.insert(m_rows.begin() + target, std::move(row));
    rebuildIndex();
    if (m_listener)
        m_listener->endMove();
}

void TDeviceTable::edited(int pos, bool orderKeyMayChange)
{
    if (m_listener)
        m_listener->rowChanged(pos);
    if (orderKeyMayChange)
        reposition(pos);
}

TDeviceTable::Verdict TDeviceTable::discoveryCheck(const QString &mac, const QString &ip,
                                                   int length, int position)
{
    const int pos = findByMac(mac);
    if (pos < 0)
        return Verdict::New;
    TDeviceRow &row = m_rows[size_t(pos)];
    bool changed = row.IpAddress != ip || row.Length != length || row.Position != position + 1;
    if (row.Update >= UpdateInstalling) {
        row.Progress = QString::fromLatin1(kResetOk);
        row.Update = UpdateNotSelected;
        edited(pos, m_orderField == Field::Progress || m_orderField == Field::Update);
        changed = true;
    }
    return changed ? Verdict::Changed : Verdict::Unchanged;
}

void TDeviceTable::merge(const TNaxoInfo &info, double catalogueBuild)
{
    int pos = findByMac(toTableText(info.MAC, kLenMac));
    const bool added = pos < 0;
    TDeviceRow row = added ? TDeviceRow() : m_rows[size_t(pos)];
    if (added)
        row.Nr = rowCount() + 1;
    row.Modell = toTableText(info.Modell, kLenModell);
    row.SrNr = toTableText(info.SrNr, kLenSrNr);
    row.MAC = toTableText(info.MAC, kLenMac);
    row.IpAddress = toTableText(info.IpAddress, kLenIpAddress);
    row.BuildInfo = toTableText(info.BuildInfo, kLenBuildInfo);
    row.FPGA = toTableText(info.FPGA, kLenFpga);
    row.FilterVersion = toTableText(info.FilterVersion, kLenVersion);
    row.Name = toTableText(info.Name, kLenName);
    row.SwFw = toTableText(info.SwFw, kLenVersion);
    row.SvFw = toTableText(info.SvFw, kLenVersion);
    row.AmpFw = toTableText(info.AmpFw, kLenVersion);
    row.Length = info.Length;
    row.Position = info.Position;
    row.Update = info.BuildNumber < catalogueBuild ? UpdateSelected : UpdateNotSelected;
    if (row.Progress == QLatin1String(kResetOk))
        row.Update = UpdateNotSelected;

    if (added) {
        int target = 0;
        for (const TDeviceRow &r : m_rows) {
            if (lessThan(r, row))
                ++target;
        }
        if (m_listener)
            m_listener->beginInsert(target);
        m_rows.insert(m_rows.begin() + target, std::move(row));
        rebuildIndex();
        if (m_listener)
            m_listener->endInsert();
        return;
    }
    TDeviceRow &current = m_rows[size_t(pos)];
    const bool addressChanged = current.IpAddress != row.IpAddress;
    const bool orderKeyChanged = compareField(current, row, m_orderField) != 0;
    current = std::move(row);
    if (addressChanged)
        rebuildIndex(); // the "first row by address" of others may move too
    edited(pos, orderKeyChanged);
}

QString TDeviceTable::toggleUpdate(int pos, bool batchRunning)
{
    if (batchRunning || pos < 0 || pos >= rowCount())
        return QString();
    TDeviceRow &row = m_rows[size_t(pos)];
    QString label;
    if (row.Update == UpdateSelected) {
        row.Update = UpdateNotSelected;
        label = QStringLiteral("Disable Update");
    } else {
        row.Update = UpdateSelected;
        label = QStringLiteral("Enable Update");
    }
    edited(pos, m_orderField == Field::Update);
    return label;
}

void TDeviceTable::setAllUpdate(qint32 code)
{
    for (TDeviceRow &row : m_rows)
        row.Update = code;
    if (m_orderField == Field::Update) {
        resort();
        return;
    }
    for (int i = 0; i < rowCount(); ++i)
        edited(i, false);
}

QStringList TDeviceTable::startUpdate()
{
    // Collect first, then write, so a table ordered by Update does not move
    // rows under the walk.
    QStringList addresses;
    std::vector<int> changed;
    for (int i = 0; i < rowCount(); ++i) {
        if (m_rows[size_t(i)].Update == UpdateSelected) {
            addresses.append(m_rows[size_t(i)].IpAddress);
            changed.push_back(i);
        }
    }
    for (int i : changed)
        m_rows[size_t(i)].Update = UpdateUpdating;
    if (m_orderField == Field::Update && !changed.empty()) {
        resort();
    } else {
        for (int i : changed)
            edited(i, false);
    }
    return addresses;
}

bool TDeviceTable::applyReport(const QString &ip, const QString &text, qint32 code)
{
    const int pos = findByIp(ip);
    if (pos < 0)
        return false;
    TDeviceRow &row = m_rows[size_t(pos)];
    row.Progress = toTableText(text, kLenProgress);
    row.Update = code;
    edited(pos, m_orderField == Field::Progress || m_orderField == Field::Update);
    return true;
}

bool TDeviceTable::completeUpdate(const QString &ip, qint32 code)
{
    const int pos = findByIp(ip);
    if (pos < 0)
        return false;
    m_rows[size_t(pos)].Update = code;
    edited(pos, m_orderField == Field::Update);
    return true;
}

QString SelectAllStep(TDeviceTable &table, int &tag)
{
    table.setAllUpdate(tag);
    const bool selected = tag != 0;
    tag = selected ? 0 : 1;
    return selected ? QStringLiteral("Deselect All") : QStringLiteral("Select All");
}

} // namespace naxo
