#include "Keymap.h"

#include "KeyTranslation.h"
#include "PlayerKeys.h"

#include <QFile>
#include <QFileInfo>
#include <QKeySequence>
#include <QList>

namespace Lumbra {

namespace {

// The Qt key that `name` names on its own, without modifiers; `problem` says why not.
bool keyNamed(const QString& name, int& key, QString& problem)
{
    const QKeySequence sequence = QKeySequence::fromString(name, QKeySequence::PortableText);
    if (sequence.count() != 1 || sequence[0].key() == Qt::Key_unknown || sequence[0].key() == 0) {
        problem = QStringLiteral("unknown key '%1'").arg(name);
        return false;
    }
    if (sequence[0].keyboardModifiers() != Qt::NoModifier) {
        problem = QStringLiteral("'%1': a keymap maps single keys, without modifiers").arg(name);
        return false;
    }
    key = int(sequence[0].key());
    return true;
}

// A number from 0 to 0xFFFFFFFF in decimal or with 0x in hex.
bool numberIn(const QString& text, int& code)
{
    const bool hex = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive);
    const QString digits = hex ? text.mid(2) : text;
    if (digits.isEmpty() || digits.size() > (hex ? 8 : 10))
        return false;
    for (const QChar c : digits)
        if (!(c.isDigit() && c.unicode() < 0x80) &&
            !(hex && ((c >= QLatin1Char('a') && c <= QLatin1Char('f')) || (c >= QLatin1Char('A') && c <= QLatin1Char('F')))))
            return false;
    bool ok = false;
    const qulonglong value = digits.toULongLong(&ok, hex ? 16 : 10);
    if (!ok || value > 0xFFFFFFFFull)
        return false;
    code = int(quint32(value));
    return true;
}

bool startsNumber(const QString& text)
{
    return !text.isEmpty() && text[0].isDigit() && text[0].unicode() < 0x80 && text.size() > 1;
}

// The text a named key types without Shift: letters in lower case, other
// printable ASCII as it is, nothing for the rest.
QString textOf(int key)
{
    if (key < 0x20 || key > 0x7E)
        return QString();
    return QString(QChar(key)).toLower();
}

} // namespace

bool isPlayerOwnedKey(int qtKey)
{
    return Lumbra::isAlwaysPlayerKey(qtKey);
}

const Keymap::Target* Keymap::find(int qtKey) const
{
    const auto found = targets.constFind(qtKey);
    return found == targets.constEnd() ? nullptr : &found.value();
}

bool Keymap::load(const QString& path, QString& error)
{
    // Only a regular file: a pipe or a device could block the start or never end.
    if (QFileInfo(path).exists() && !QFileInfo(path).isFile()) {
        error = QStringLiteral("%1: not a regular file").arg(path);
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("%1: cannot be read (%2)").arg(path, file.errorString());
        return false;
    }
    const QByteArray text = file.read(MAX_FILE_BYTES + 1);
    if (text.size() > MAX_FILE_BYTES) {
        error = QStringLiteral("%1: larger than %2 bytes").arg(path).arg(MAX_FILE_BYTES);
        return false;
    }
    return parse(text, path, error);
}

bool Keymap::parse(const QByteArray& bytes, const QString& name, QString& error)
{
    QHash<int, Target> parsed;
    QHash<int, int> lineOf;
    const QList<QByteArray> lines = bytes.split('\n');
    for (int index = 0; index < lines.size(); ++index) {
        const int number = index + 1;
        auto fail = [&](const QString& problem) {
            error = QStringLiteral("%1:%2: %3").arg(name).arg(number).arg(problem);
            return false;
        };
        const QString line = QString::fromUtf8(lines[index]).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        // The first '=' after the first character separates: "= = Up" maps the = key.
        const int equals = line.indexOf(QLatin1Char('='), 1);
        if (equals < 0)
            return fail(QStringLiteral("expected 'desktop key = application key'"));
        const QString left = line.left(equals).trimmed(), right = line.mid(equals + 1).trimmed();
        if (right.isEmpty())
            return fail(QStringLiteral("no application key after '='"));
        int key = 0;
        QString problem;
        if (!keyNamed(left, key, problem))
            return fail(problem);
        if (isPlayerOwnedKey(key))
            return fail(QStringLiteral("'%1' is one of the player's own keys").arg(left));
        if (lineOf.contains(key))
            return fail(QStringLiteral("'%1' is mapped already on line %2").arg(left).arg(lineOf.value(key)));
        Target target;
        if (right == QLatin1String("none")) {
            target.dropped = true;
        } else if (startsNumber(right)) {
            if (!numberIn(right, target.code))
                return fail(QStringLiteral("'%1' is no key code from 0 to 0xFFFFFFFF").arg(right));
        } else {
            int to = 0;
            if (!keyNamed(right, to, problem))
                return fail(problem);
            target.code = translateKey(to);
            target.text = textOf(to);
        }
        parsed.insert(key, target);
        lineOf.insert(key, number);
    }
    targets = parsed;
    return true;
}

} // namespace Lumbra
