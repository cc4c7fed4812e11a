#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>

namespace naxo {

// Status codes of the update check, handed to the window with the entry.
enum CatalogueStatus : qint32 {
    StatusReady = 0,       // firmware file present with the catalogue's size
    StatusBlocked = 1,     // server blocked for maintenance, file step succeeded
    StatusUseLocal = 2,    // shown by the window, never handed over by the check
    StatusNoCatalogue = 3, // no catalogue, wrong size, or an unusable entry
    StatusFetching = 8,    // while the firmware step runs on a server not blocked
    StatusDownloadFailed = 9,
};

// What the window shows for the update check's status code.
struct UpdateCheckOutcome {
    QString info;             // the info label; empty: unchanged
    QString fileLabel;        // replaces the file name shown; empty: the entry's name
    bool updateButtons = false; // "Start Update" and "Refresh" become visible
};
UpdateCheckOutcome OutcomeOf(qint32 status);

// One model's catalogue entry plus the update check's status code.
struct TAktVersions {
    QString BuildInfo;
    QString FPGA;
    QString SvFw;
    QString SwFw;
    QString FilterVersion;
    QString FileName;
    double DateTime = 0.0; // days since 30 Dec 1899, fraction = time of day
    double BuildNumber = 0.0;
    qint32 Status = 0;

    bool operator==(const TAktVersions &) const = default;
};

// The model name slots; the update check reads slot 1 only.
const std::array<QString, 10> &ModelNames();
inline constexpr int kCatalogueModelSlot = 1;

// The catalogue file "NAXOInfo": name=value lines.
class Catalogue {
public:
    Catalogue() = default;
    // Decodes a file's bytes: a BOM selects UTF-8 or UTF-16 LE/BE, otherwise
    // the single-byte code page; CR LF, LF and CR end lines; a zero character
    // ends the text.
    static Catalogue fromBytes(const QByteArray &bytes);

    // The text after the first "=" of the first line whose name (everything
    // before that "=") equals name, ignoring case; nothing is trimmed. Empty
    // when no line has that name.
    QString value(const QString &name) const;

    // Whether the server may be used: only the exact text "false" says so.
    bool blocked() const;

    // Fills the entry of model M into record (Status untouched) and returns the
    // catalogue's firmware size ("NXAO S FileSize", 0 when missing).
    qint64 readModelEntry(const QString &model, TAktVersions &record) const;

    const QStringList &lines() const { return m_lines; }

private:
    QStringList m_lines;
};

// "dd.mm.yyyy" optionally followed by " HH:nn[:ss]" to days since 30 Dec 1899.
// A text that begins with a time of day alone gives that time with date 0.
// Returns false (leaving value untouched) for anything else.
bool ReadCatalogueDateTime(const QString &text, double &value);

// Whether a catalogue file name can safely be joined to the download folder:
// not empty, not "." or "..", no "/", "\\", ":" or zero character.
bool IsPlainFileName(const QString &name);

} // namespace naxo
