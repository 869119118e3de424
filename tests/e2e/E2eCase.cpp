#include "E2eCase.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

const QString ELLIPSIS = QStringLiteral("...");
const QStringList MODES{QStringLiteral("mcbrun"), QStringLiteral("player")};

bool lineMatches(QString expected, const QString& actual, const QString& appDir)
{
    expected = expandRepeats(expected);
    expected.replace(QStringLiteral("@APPDIR@"), appDir);
    if (expected.endsWith(ELLIPSIS))
        return actual.startsWith(expected.chopped(ELLIPSIS.size()));
    return actual == expected;
}

bool parseInt(const QString& text, int& value)
{
    bool ok = false;
    value = text.trimmed().toInt(&ok);
    return ok;
}

// "NAME = TEXT" with "\\n" in TEXT standing for a line end.
bool parseFile(const QString& value, QList<QPair<QString, QByteArray>>& files)
{
    const int separator = value.indexOf(QStringLiteral(" = "));
    if (separator <= 0)
        return false;
    QString text = value.mid(separator + 3);
    text.replace(QStringLiteral("\\n"), QStringLiteral("\n"));
    files.append({value.left(separator), text.toLatin1()});
    return true;
}

const QStringList SERVICES{QStringLiteral("x11"), QStringLiteral("dbus"), QStringLiteral("pulse"), QStringLiteral("gpsd")};

} // namespace

QString expandRepeats(const QString& text)
{
    static const QRegularExpression repeat(QStringLiteral("\\{(\\d+)\\*(.)\\}"));
    QString result;
    int from = 0;
    for (auto it = repeat.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        result += text.mid(from, m.capturedStart() - from);
        result += QString(m.captured(1).toInt(), m.captured(2).at(0));
        from = m.capturedEnd();
    }
    return result + text.mid(from);
}

bool parseE2eCase(const QString& sourceText, const QString& mode, E2eCase& out, QString& error)
{
    static const QRegularExpression directive(
        QStringLiteral("^\\s*;\\s*(?:(") + MODES.join(QLatin1Char('|'))
        + QStringLiteral("):\\s*)?(expect-log|expect-stderr|expect-exit|run-args|image-truncate|"
                         "image-missing|expect-file|run-file|run-env|run-argv0|modes|services|ignore-stderr)(:(.*))?$"));
    if (!MODES.contains(mode)) {
        error = QStringLiteral("unknown mode ") + mode;
        return false;
    }
    const QStringList lines = sourceText.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const QRegularExpressionMatch m = directive.match(lines[i]);
        if (!m.hasMatch())
            continue;
        const QString onlyIn = m.captured(1);
        const QString key = m.captured(2);
        if (!onlyIn.isEmpty() && (key == QLatin1String("modes") || key == QLatin1String("services"))) {
            error = QStringLiteral("line %1: %2 cannot depend on the mode").arg(i + 1).arg(key);
            return false;
        }
        if (!onlyIn.isEmpty() && onlyIn != mode)
            continue;
        // One blank after the colon separates; the rest of the line is the value.
        QString value = m.captured(4);
        if (value.startsWith(QLatin1Char(' ')))
            value.remove(0, 1);
        bool ok = true;
        if (key == QLatin1String("expect-log"))
            out.expectedLines << QStringLiteral("LOG: ") + value;
        else if (key == QLatin1String("expect-stderr"))
            out.expectedLines << value;
        else if (key == QLatin1String("expect-exit"))
            ok = parseInt(value, out.expectedExit);
        else if (key == QLatin1String("run-args"))
            out.runArgs = value.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        else if (key == QLatin1String("image-truncate"))
            ok = parseInt(value, out.truncateTo) && out.truncateTo >= 0;
        else if (key == QLatin1String("expect-file"))
            ok = parseFile(value, out.expectedFiles);
        else if (key == QLatin1String("run-file"))
            ok = parseFile(value, out.givenFiles);
        else if (key == QLatin1String("ignore-stderr")) {
            ok = !value.isEmpty();
            out.ignoredPrefixes << value;
        } else if (key == QLatin1String("services")) {
            out.services = value.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            for (const QString& listed : out.services)
                ok = ok && SERVICES.contains(listed);
        }
        else if (key == QLatin1String("run-env")) {
            ok = value.indexOf(QLatin1Char('=')) > 0;
            out.runEnvironment << value;
        } else if (key == QLatin1String("run-argv0")) {
            out.argv0 = expandRepeats(value);
            ok = !out.argv0.isEmpty();
        } else if (key == QLatin1String("modes")) {
            out.modes = value.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            for (const QString& listed : out.modes)
                ok = ok && MODES.contains(listed);
            ok = ok && !out.modes.isEmpty();
        } else
            out.imageMissing = true;
        if (!ok) {
            error = QStringLiteral("line %1: bad value for %2").arg(i + 1).arg(key);
            return false;
        }
    }
    return true;
}

QStringList withoutIgnored(const QStringList& lines, const QStringList& prefixes)
{
    QStringList kept;
    for (const QString& line : lines) {
        if (std::none_of(prefixes.begin(), prefixes.end(), [&](const QString& p) { return line.startsWith(p); }))
            kept << line;
    }
    return kept;
}

QString compareLines(const QStringList& expected, const QStringList& actual, const QString& appDir)
{
    for (int i = 0; i < expected.size() || i < actual.size(); ++i) {
        if (i >= actual.size())
            return QStringLiteral("missing line %1: %2").arg(i + 1).arg(expected[i]);
        if (i >= expected.size())
            return QStringLiteral("unexpected line %1: %2").arg(i + 1).arg(actual[i]);
        if (!lineMatches(expected[i], actual[i], appDir))
            return QStringLiteral("line %1 differs\n  expected: %2\n  actual:   %3")
                .arg(i + 1)
                .arg(expected[i], actual[i]);
    }
    return QString();
}
