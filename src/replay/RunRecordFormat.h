// The record of a run: one JSON object a line (docs/USER_GUIDE.md, "Recording
// and replaying a run"). The first line is the header; then, in the order
// they happened, deliveries, outside reads and screen checksums, and last
// how the run ended. The record's folder holds the application directory
// as it was when recording began, in the subfolder "app".
#pragma once

#include <QJsonObject>
#include <QString>

class QImage;

namespace Lumbra::RunRecordFormat {

constexpr int VERSION = 2;
// Version 1 records hold device deliveries without their contents.
constexpr int OLDEST_VERSION = 1;
inline const QString FORMAT = QStringLiteral("mcbplayer-run");
// The application directory's copy beside the records.
inline const QString APP_FOLDER = QStringLiteral("app");
// Pictures an application folder's replay compares at given draws, and the
// per-channel colour difference allowed (a file holding one number).
inline const QString EXPECT_FOLDER = QStringLiteral("expect");
inline const QString TOLERANCE_FILE = QStringLiteral("tolerance");

// The checksum of a logical screen: SHA-1 of its RGB32 pixels, in hex.
QString screenChecksum(const QImage& logicalScreen);
// SHA-256 of each regular file under `directory` by its relative name (links
// left out); false when the directory cannot be read.
bool directoryChecksums(const QString& directory, QJsonObject& files);
// Copies the regular files and folders under `from` into `to` (made when
// missing); links are left out.
bool copyDirectory(const QString& from, const QString& to, QString& error);
// Lines naming each difference between two sets of file checksums; empty when equal.
QStringList differences(const QJsonObject& recorded, const QJsonObject& present);
// One line as written: compact JSON and a newline.
QByteArray line(const QJsonObject& object);

} // namespace Lumbra::RunRecordFormat
