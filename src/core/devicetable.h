#pragma once

#include "naxoinfo.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <array>
#include <vector>

namespace naxo {

// The grid's columns, in their order; each shows the table field of its name.
enum class Field {
    Nr, Update, Modell, Name, IpAddress, MAC, SrNr, BuildInfo,
    FilterVersion, FPGA, SwFw, SvFw, AmpFw, Length, Position, Progress,
};
inline constexpr int kFieldCount = 16;
QString fieldName(Field f);

// Update state codes of a row (also the glyph shown in the Update column).
enum UpdateCode : qint32 {
    UpdateNotSelected = 0,
    UpdateSelected = 1,
    UpdateUpdating = 2,
    UpdateInstalling = 3,
    UpdateResetting = 4,
};

inline constexpr char kResetOk[] = "Reset OK";

// Maximum lengths of the table's 8-bit texts.
inline constexpr int kLenModell = 40, kLenName = 40, kLenIpAddress = 20, kLenSrNr = 20,
                     kLenBuildInfo = 40, kLenVersion = 40, kLenMac = 20, kLenFpga = 20,
                     kLenProgress = 80;

struct TDeviceRow {
    qint32 Update = 0;
    QString Modell, Name, IpAddress, SrNr, BuildInfo, FilterVersion, SwFw, SvFw, AmpFw;
    qint32 Length = 0;
    QString MAC, FPGA;
    qint32 Position = 0;
    QString Progress;
    qint32 Nr = 0;

    QVariant value(Field f) const;
};

// The device inventory: one row per MAC text, kept in the current display
// order. Every rule that reads or writes rows lives here; the window only
// calls these operations. Look-ups by MAC and by IpAddress are hashed, so an
// unchanged device answering discovery costs the same with 5 or 500 rows,
// while "first row in the current order" still holds for duplicate addresses.
class TDeviceTable {
public:
    // Lets a view follow the table (the Qt model implements it).
    class Listener {
    public:
        virtual ~Listener() = default;
        virtual void beginReset() = 0;
        virtual void endReset() = 0;
        virtual void beginInsert(int pos) = 0;
        virtual void endInsert() = 0;
        virtual void beginMove(int from, int to) = 0; // to: final position
        virtual void endMove() = 0;
        virtual void rowChanged(int pos) = 0;
    };

    enum class Verdict { New, Changed, Unchanged };

    void setListener(Listener *listener) { m_listener = listener; }

    int rowCount() const { return int(m_rows.size()); }
    const TDeviceRow &rowAt(int pos) const { return m_rows[size_t(pos)]; }
    int findByMac(const QString &mac) const;
    int findByIp(const QString &ip) const;

    Field orderField() const { return m_orderField; }
    bool orderDescending() const { return m_descending; }

    // Removes every row; the next row added gets Nr 1.
    void clear();

    // Header click: ascending -> descending by the same field, otherwise
    // ascending by the field. Returns the text for the info label.
    QString sortByField(Field field);

    // The table side of a discovery reply (position counted from 0). A row in
    // the last stage of an update (code 3 or more) turns "Reset OK" with 0.
    Verdict discoveryCheck(const QString &mac, const QString &ip, int length, int position);

    // Merges a status result by MAC; ticks the row when its build is older
    // than the catalogue's, never when its Progress is "Reset OK".
    void merge(const TNaxoInfo &info, double catalogueBuild);

    // Click on a row's Update cell. Returns the info label text, or an empty
    // text when nothing changed (batch running).
    QString toggleUpdate(int pos, bool batchRunning);

    // "Select all" / "Deselect All": every row gets code.
    void setAllUpdate(qint32 code);

    // "Start Update": every row at 1 goes to 2; their addresses in the
    // current order, one per job.
    QStringList startUpdate();

    // An update's report: first row with that address gets text and code.
    bool applyReport(const QString &ip, const QString &text, qint32 code);
    // An update's completion: first row with that address gets code.
    bool completeUpdate(const QString &ip, qint32 code);
    // A job's end: a job that got through to the reset leaves its row at 4
    // (discovery turns it to "Reset OK"); a failed one at 0, so its
    // "Update failed: ..." text stands.
    bool completeJob(const QString &ip, bool failed)
    {
        return completeUpdate(ip, failed ? UpdateNotSelected : UpdateResetting);
    }

private:
    bool lessThan(const TDeviceRow &a, const TDeviceRow &b) const;
    void edited(int pos, bool orderKeyMayChange);
    void reposition(int pos);
    void resort();
    void rebuildIndex();

    std::vector<TDeviceRow> m_rows;
    QHash<QString, int> m_byMac;
    QHash<QString, int> m_firstByIp;
    Field m_orderField = Field::Nr;
    bool m_descending = false;
    Listener *m_listener = nullptr;
};

// "Select all" button step: sets every row to tag, flips the tag and returns
// the button's new text.
QString SelectAllStep(TDeviceTable &table, int &tag);

} // namespace naxo
