#pragma once

#include <QList>
#include <QString>

// How an update job turns what it sees into (status text, code) reports.
namespace naxo {

struct UpdateReport {
    QString text;
    qint32 code = 2;
    bool operator==(const UpdateReport &) const = default;
};

inline constexpr char kPrepareUpdate[] = "Prepare Update";
inline constexpr char kUpdateScript[] = "Update Script";
inline constexpr char kReadyMarker[] = "ubifs is ready";
inline constexpr char kPleaseWait[] = "Please wait";
inline constexpr char kDoneResetting[] = "Done! Resetting, please wait!";
inline constexpr char kConnectionError[] = "ERROR! Please reset and try again!";
inline constexpr char kUpdateFailedPrefix[] = "Update failed: ";

// "Upload 42%".
QString UploadText(int percent);

// One piece of the device's reply text: the first CR is removed; a piece
// holding "Update Script" reads "Update Script"; otherwise one holding
// "ubifs is ready" reads "Please wait" with code 3. Always reported.
UpdateReport ReplyPieceReport(const QString &piece, qint32 currentCode);

// One connection-status notification of the install request. Returns the
// reports it makes, in order (none for an empty description).
QList<UpdateReport> ConnectionStatusReports(const QString &event, const QString &description,
                                            const UpdateReport &current);

// Whether a whole install reply said the image is ready (a marker may be
// split over two pieces, so the pieces are joined first).
bool ReplyConfirmsInstall(const QString &wholeReply);

// The final text of a job that failed at a step: "Update failed: upload (timeout)".
QString UpdateFailedText(const QString &step, const QString &reason);

} // namespace naxo
