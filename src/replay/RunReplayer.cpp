#include "RunReplayer.h"

#include "ReplayTarget.h"
#include "RunRecordFormat.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace Format = Lumbra::RunRecordFormat;

namespace {

void say(const QString& line)
{
    std::fprintf(stderr, "mcbplayer: replay: %s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

// Whether two pictures of one size differ nowhere by more than `tolerance` in any channel.
bool matches(const QImage& actual, const QImage& expected, int tolerance)
{
    if (actual.size() != expected.size())
        return false;
    const QImage a = actual.convertToFormat(QImage::Format_RGB32);
    const QImage e = expected.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < a.height(); ++y) {
        const auto* ra = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* re = reinterpret_cast<const QRgb*>(e.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            if (std::abs(qRed(ra[x]) - qRed(re[x])) > tolerance || std::abs(qGreen(ra[x]) - qGreen(re[x])) > tolerance ||
                std::abs(qBlue(ra[x]) - qBlue(re[x])) > tolerance)
                return false;
        }
    }
    return true;
}

} // namespace

bool RunReplayer::prepare(const QString& recordFile, QString& appDirectory, QStringList& problems)
{
    record = QFileInfo(recordFile).absoluteFilePath();
    folder = QFileInfo(record).absolutePath();
    QFile file(record);
    if (!file.open(QIODevice::ReadOnly)) {
        problems << QStringLiteral("cannot read the record '%1'").arg(recordFile);
        return false;
    }
    QJsonObject header;
    int number = 0;
    while (!file.atEnd()) {
        const QByteArray text = file.readLine().trimmed();
        ++number;
        if (text.isEmpty())
            continue;
        QJsonParseError error {};
        const QJsonDocument document = QJsonDocument::fromJson(text, &error);
        if (!document.isObject()) {
            problems << QStringLiteral("%1:%2: not a JSON object").arg(recordFile).arg(number);
            return false;
        }
        const QJsonObject line = document.object();
        if (number == 1)
            header = line;
        else if (line.contains("delivery"))
            deliveries << line;
        else if (line.contains("screen"))
            checksums.insert(line.value("screen").toInt(), line.value("checksum").toString());
        else if (line.contains("read"))
            reads[line.value("read").toString()].push_back(line);
    }
    if (header.value("format").toString() != Format::FORMAT) {
        problems << QStringLiteral("'%1' is not a record of a run").arg(recordFile);
        return false;
    }
    const int version = header.value("version").toInt();
    if (version < Format::OLDEST_VERSION || version > Format::VERSION) {
        problems << QStringLiteral("the record is of version %1; this player replays versions %2 to %3")
                        .arg(version)
                        .arg(Format::OLDEST_VERSION)
                        .arg(Format::VERSION);
        return false;
    }
    for (const QJsonObject& delivery : std::as_const(deliveries)) {
        if (delivery.value("kind") == QLatin1String("device") && !delivery.contains("device")) {
            problems << QStringLiteral("delivery %1 is a device event, whose contents records do not hold yet: "
                                       "this run cannot be replayed")
                            .arg(delivery.value("delivery").toInt());
            return false;
        }
    }
    const QString original = QDir(folder).filePath(Format::APP_FOLDER);
    copy = std::make_unique<QTemporaryDir>();
    QString error;
    if (!copy->isValid() || !Format::copyDirectory(original, copy->path(), error)) {
        problems << (error.isEmpty() ? QStringLiteral("cannot make a fresh copy of '%1'").arg(original) : error);
        return false;
    }
    QJsonObject present;
    Format::directoryChecksums(copy->path(), present);
    const QStringList differences = Format::differences(header.value("files").toObject(), present);
    for (const QString& difference : differences)
        problems << QStringLiteral("%1/%2").arg(Format::APP_FOLDER, difference);
    if (!differences.isEmpty())
        return false;
    appDirectory = copy->path();
    return true;
}

void RunReplayer::start(ReplayTarget& driven, bool noWaiting)
{
    target = &driven;
    fast = noWaiting;
    sinceStart.start();
    QTimer::singleShot(0, this, [this] { next(); });
}

void RunReplayer::next()
{
    if (stopped)
        return;
    if (cursor >= deliveries.size()) {
        say(QStringLiteral("%1 deliveries and %2 draws as recorded").arg(deliveries.size()).arg(drawsChecked));
        stopped = true;
        QCoreApplication::exit(0);
        return;
    }
    const QJsonObject delivery = deliveries[cursor];
    const qint64 wait = fast ? 0 : delivery.value("at").toInteger() - sinceStart.elapsed();
    if (wait > 0) {
        QTimer::singleShot(int(std::min<qint64>(wait, 60000)), this, [this] { next(); });
        return;
    }
    ++cursor;
    if (!perform(delivery))
        return;
    // The event loop runs between deliveries: the window shows each frame.
    QTimer::singleShot(0, this, [this] { next(); });
}

bool RunReplayer::perform(const QJsonObject& delivery)
{
    const QString kind = delivery.value("kind").toString();
    if (kind == QLatin1String("keyPressed") || kind == QLatin1String("keyReleased")) {
        target->replayKey(delivery.value("code").toInt(), delivery.value("scanCode").toInt(),
                          delivery.value("text").toString(), kind == QLatin1String("keyPressed"));
    } else if (kind == QLatin1String("pointer")) {
        target->replayPointer(delivery.value("action").toInt(), delivery.value("x").toInt(), delivery.value("y").toInt());
    } else if (kind == QLatin1String("timer")) {
        if (!target->replayTimer(delivery.value("timer").toInt())) {
            fail(QStringLiteral("delivery %1 ticks timer %2, which the application does not have")
                     .arg(delivery.value("delivery").toInt())
                     .arg(delivery.value("timer").toInt()));
            return false;
        }
    } else if (kind == QLatin1String("foreground") || kind == QLatin1String("background")) {
        target->replayActivity(kind == QLatin1String("foreground"));
    } else if (kind == QLatin1String("device")) {
        if (!target->replayDevice(delivery)) {
            fail(QStringLiteral("delivery %1 is a device event that no running device of the application takes: %2")
                     .arg(delivery.value("delivery").toInt())
                     .arg(describe(delivery)));
            return false;
        }
    } else if (kind == QLatin1String("draw")) {
        QRegion region;
        for (const QJsonValue r : delivery.value("region").toArray()) {
            const QJsonArray box = r.toArray();
            region += QRect(box.at(0).toInt(), box.at(1).toInt(), box.at(2).toInt(), box.at(3).toInt());
        }
        return checkDraw(delivery.value("draw").toInt(), target->replayDraw(region));
    } else {
        fail(QStringLiteral("delivery %1 is of an unknown kind '%2'").arg(delivery.value("delivery").toInt()).arg(kind));
        return false;
    }
    return true;
}

QString RunReplayer::describe(const QJsonObject& delivery) const
{
    QJsonObject shown = delivery;
    shown.remove("at");
    return QString::fromUtf8(QJsonDocument(shown).toJson(QJsonDocument::Compact));
}

bool RunReplayer::checkDraw(int number, const QImage& screen)
{
    ++drawsChecked;
    // The delivery before this draw: what last changed the application's state.
    const int before = cursor - 2;
    const QString after = before >= 0 ? QStringLiteral("after delivery %1 %2").arg(deliveries[before].value("delivery").toInt())
                                                  .arg(describe(deliveries[before]))
                                      : QStringLiteral("before any other delivery");
    const QString picture = QDir(folder).filePath(QStringLiteral("%1-draw-%2.png").arg(QFileInfo(record).completeBaseName()).arg(number));
    const QString expected = Format::screenChecksum(screen);
    QString problem;
    if (checksums.value(number) != expected) {
        problem = QStringLiteral("draw %1 differs from the record %2").arg(number).arg(after);
    } else {
        const QString reference = QDir(folder).filePath(QStringLiteral("%1/draw-%2.png").arg(Format::EXPECT_FOLDER).arg(number));
        if (QFileInfo::exists(reference)) {
            QFile toleranceFile(QDir(folder).filePath(Format::EXPECT_FOLDER + QLatin1Char('/') + Format::TOLERANCE_FILE));
            const int tolerance = toleranceFile.open(QIODevice::ReadOnly) ? toleranceFile.readAll().trimmed().toInt() : 0;
            if (!matches(screen, QImage(reference), tolerance))
                problem = QStringLiteral("draw %1 differs from %2 (tolerance %3) %4")
                              .arg(number)
                              .arg(reference)
                              .arg(tolerance)
                              .arg(after);
        }
    }
    if (problem.isEmpty())
        return true;
    screen.save(picture, "PNG");
    fail(QStringLiteral("%1; the picture is in %2").arg(problem, picture));
    return false;
}

void RunReplayer::fail(const QString& line)
{
    say(line);
    stopped = true;
    failed = true;
    QCoreApplication::exit(1);
}

int RunReplayer::applicationEnded()
{
    if (stopped)
        return failed ? 1 : 0;
    stopped = true;
    if (cursor < deliveries.size()) {
        failed = true;
        say(QStringLiteral("the application ended at delivery %1 of the record's %2").arg(cursor).arg(deliveries.size()));
        return 1;
    }
    say(QStringLiteral("%1 deliveries and %2 draws as recorded; the application ended").arg(deliveries.size()).arg(drawsChecked));
    return 0;
}

QJsonValue RunReplayer::read(const char* kind, const QString& name, const std::function<QJsonValue()>& live)
{
    std::deque<QJsonObject>& queue = reads[QLatin1String(kind)];
    if (queue.empty() || queue.front().value("name").toString() != name) {
        if (!readsDiverged)
            say(QStringLiteral("the application reads %1%2 where the record has %3; the live value is used")
                    .arg(QLatin1String(kind), name.isEmpty() ? QString() : QStringLiteral(" '%1'").arg(name),
                         queue.empty() ? QStringLiteral("none left") : describe(queue.front())));
        readsDiverged = true;
        if (!queue.empty())
            queue.pop_front();
        // No live device is reached during a replay: a device read answers nothing.
        return QLatin1String(kind).startsWith(QLatin1String("device")) ? QJsonValue() : live();
    }
    const QJsonValue value = queue.front().value("value");
    queue.pop_front();
    return value;
}
