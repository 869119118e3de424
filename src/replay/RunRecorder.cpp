#include "RunRecorder.h"

#include "RunRecordFormat.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>

namespace Format = Lumbra::RunRecordFormat;

bool RunRecorder::open(const QString& recordFile, const QString& appDirectory, const QJsonObject& settings,
                       QString& error)
{
    const QFileInfo record(recordFile);
    const QString folder = QDir::cleanPath(record.absolutePath());
    const QString application = QDir::cleanPath(QFileInfo(appDirectory).absoluteFilePath());
    if (folder == application || folder.startsWith(application + QLatin1Char('/'))) {
        error = QStringLiteral("the record '%1' must be written outside the application directory").arg(recordFile);
        return false;
    }
    QJsonObject files;
    if (!Format::directoryChecksums(application, files)) {
        error = QStringLiteral("cannot read the application directory '%1'").arg(application);
        return false;
    }
    const QString copy = QDir(folder).filePath(Format::APP_FOLDER);
    if (QFileInfo::exists(copy)) {
        // Several records may share one folder when they start from the same directory.
        QJsonObject kept;
        if (!Format::directoryChecksums(copy, kept) || !Format::differences(files, kept).isEmpty()) {
            error = QStringLiteral("'%1' holds another application directory than '%2': record into another folder")
                        .arg(copy, application);
            return false;
        }
    } else if (!Format::copyDirectory(application, copy, error)) {
        return false;
    }
    file.setFileName(record.absoluteFilePath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        error = QStringLiteral("cannot write the record '%1'").arg(recordFile);
        return false;
    }
    QJsonObject header = settings;
    header.insert("format", Format::FORMAT);
    header.insert("version", Format::VERSION);
    header.insert("image", files.value("index.mcb"));
    header.insert("files", files);
    write(header);
    sinceStart.start();
    return true;
}

void RunRecorder::write(const QJsonObject& line)
{
    if (!file.isOpen())
        return;
    file.write(Format::line(line));
    // The application may end the process at any call: each line is handed over at once.
    file.flush();
}

void RunRecorder::delivery(const QString& kind, QJsonObject fields)
{
    fields.insert("delivery", ++deliveries);
    fields.insert("at", sinceStart.elapsed());
    fields.insert("kind", kind);
    write(fields);
}

void RunRecorder::key(int code, int scanCode, const QString& text, bool pressed)
{
    delivery(pressed ? "keyPressed" : "keyReleased", {{"code", code}, {"scanCode", scanCode}, {"text", text}});
}

void RunRecorder::pointer(int action, int x, int y)
{
    delivery("pointer", {{"action", action}, {"x", x}, {"y", y}});
}

void RunRecorder::timer(int id)
{
    delivery("timer", {{"timer", id}});
}

void RunRecorder::activity(bool foreground)
{
    delivery(foreground ? "foreground" : "background", {});
}

void RunRecorder::deviceEvent(const QJsonObject& event)
{
    delivery("device", event);
}

void RunRecorder::draw(const QRegion& region)
{
    QJsonArray rectangles;
    for (const QRect& r : region)
        rectangles.append(QJsonArray{r.x(), r.y(), r.width(), r.height()});
    delivery("draw", {{"draw", ++draws}, {"region", rectangles}});
}

void RunRecorder::drawn(const QString& checksum)
{
    write({{"screen", draws}, {"checksum", checksum}});
}

void RunRecorder::end(const QString& how)
{
    if (ended)
        return;
    ended = true;
    write({{"end", how}, {"at", sinceStart.elapsed()}});
}

QJsonValue RunRecorder::read(const char* kind, const QString& name, const std::function<QJsonValue()>& live)
{
    const QJsonValue value = live();
    QJsonObject line{{"read", QLatin1String(kind)}, {"value", value}};
    if (!name.isNull())
        line.insert("name", name);
    write(line);
    return value;
}
