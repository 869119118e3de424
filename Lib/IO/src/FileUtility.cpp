#include "FileUtility.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <vector>

namespace {

bool isSeparator(unsigned short unit)
{
    return unit == '/' || unit == '\\';
}

bool isLink(const Str16& path)
{
    return QFileInfo(path.toQString()).isSymLink();
}

bool listEntries(const Str16& dir, QDir::Filters filter, Vec<Str16>& names)
{
    if (!FileUtility::directoryExists(dir))
        return false;
    const QStringList entries = QDir(dir.toQString()).entryList(filter, QDir::Unsorted);
    for (const QString& entry : entries) {
        if (entry.isEmpty() || entry.startsWith(QLatin1Char('.')))
            continue;
        names.append(Str16::fromQString(entry));
    }
    return true;
}

} // namespace

Str16 FileUtility::convertSeparators(const Str16& path)
{
    const unsigned short native = nativeSeparator()[0];
    LUMBRA_ASSERT(native == '/' || native == '\\');
    const unsigned short foreign = native == '/' ? '\\' : '/';
    Str16 converted(path);
    converted.replaceAll(Str16(&foreign, 1), nativeSeparator());
    return converted;
}

const Str16& FileUtility::nativeSeparator()
{
    static const Str16 separator = Str16::fromQString(QString(QDir::separator()));
    return separator;
}

Str16 FileUtility::withTrailingSeparator(const Str16& path)
{
    if (!path.isEmpty() && isSeparator(path.last()))
        return path;
    Str16 result(path);
    result.append(nativeSeparator());
    return result;
}

Str16 FileUtility::join(const Str16& dir, const Str16& name)
{
    if (dir.isEmpty())
        return name;
    if (name.isEmpty())
        return dir;
    Str16 result = withTrailingSeparator(dir);
    result.append(isSeparator(name[0]) ? name.mid(1) : name);
    return result;
}

Str16 FileUtility::normalisedPath(const Str16& path)
{
    const bool absolute = !path.isEmpty() && path[0] == '/';
    struct Component {
        int start, length;
    };
    std::vector<Component> kept;
    auto isDots = [&](const Component& c, int dots) {
        if (c.length != dots)
            return false;
        for (int i = 0; i < dots; ++i)
            if (path[c.start + i] != '.')
                return false;
        return true;
    };
    int start = 0;
    for (int i = 0; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '/')
            continue;
        const Component c {start, i - start};
        start = i + 1;
        if (c.length == 0 || isDots(c, 1))
            continue;
        if (isDots(c, 2)) {
            if (!kept.empty() && !isDots(kept.back(), 2)) {
                kept.pop_back();
                continue;
            }
            if (absolute)
                continue;
        }
        kept.push_back(c);
    }
    Str16 result;
    if (absolute)
        result.append('/');
    for (size_t k = 0; k < kept.size(); ++k) {
        if (k > 0)
            result.append('/');
        result.append(path.mid(kept[k].start, kept[k].length));
    }
    if (result.isEmpty())
        result.append('.');
    return result;
}

bool FileUtility::isWithin(const Str16& dir, const Str16& path)
{
    const Str16 outer = normalisedPath(dir);
    const Str16 inner = normalisedPath(path);
    // Only a relative path can keep a "..", and it may climb anywhere.
    const Str16 up("..");
    if (inner == up || inner.startsWith(Str16("../")) || outer == up || outer.startsWith(Str16("../")))
        return false;
    if (outer == Str16("."))
        return !(inner.size() > 0 && inner[0] == '/');
    if (inner == outer)
        return true;
    // A normalised path ends in a separator only when it is the root.
    const Str16 prefix = withTrailingSeparator(outer);
    return inner.size() > prefix.size() && inner.startsWith(prefix);
}

bool FileUtility::isRelative(const Str16& path)
{
    return QFileInfo(convertSeparators(path).toQString()).isRelative();
}

bool FileUtility::fileExists(const Str16& path)
{
    return !path.isEmpty() && QFile::exists(path.toQString());
}

bool FileUtility::directoryExists(const Str16& path)
{
    return isAbsolute(path) && QDir(path.toQString()).exists();
}

Str16 FileUtility::parentPath(const Str16& path)
{
    if (path.isEmpty())
        return Str16();
    return Str16::fromQString(QFileInfo(path.toQString()).path());
}

bool FileUtility::makePath(const Str16& path)
{
    return isAbsolute(path) && QDir().mkpath(path.toQString());
}

bool FileUtility::deleteFile(const Str16& path)
{
    return isAbsolute(path) && QFile::remove(path.toQString());
}

bool FileUtility::moveFile(const Str16& source, const Str16& target)
{
    if (!isAbsolute(source) || !isAbsolute(target))
        return false;
    const Str16 targetDir = parentPath(target);
    if (!directoryExists(targetDir) && !makePath(targetDir))
        return false;
    return QFile::rename(source.toQString(), target.toQString());
}

bool FileUtility::renameDirectory(const Str16& target, const Str16& source)
{
    return isAbsolute(source) && isAbsolute(target) && QDir().rename(source.toQString(), target.toQString());
}

bool FileUtility::listFiles(const Str16& dir, Vec<Str16>& names)
{
    return listEntries(dir, QDir::Files | QDir::NoSymLinks, names);
}

bool FileUtility::listDirectories(const Str16& dir, Vec<Str16>& names)
{
    return listEntries(dir, QDir::Dirs | QDir::NoSymLinks, names);
}

bool FileUtility::removeDirectoryTree(const Str16& dir)
{
    if (isLink(dir))
        return deleteFile(dir);
    // Everything but real directories goes first: files, links (to anything,
    // dangling ones too), FIFOs and sockets.
    Vec<Str16> entries;
    if (!listEntries(dir, QDir::AllEntries | QDir::System, entries))
        return false;
    Vec<Str16> subdirectories;
    for (const Str16& name : entries) {
        const Str16 path = join(dir, name);
        if (!isLink(path) && QFileInfo(path.toQString()).isDir())
            subdirectories.append(path);
        else if (!deleteFile(path))
            return false;
    }
    for (const Str16& path : subdirectories)
        removeDirectoryTree(path);
    return QDir().rmdir(dir.toQString());
}

bool FileUtility::removeDirectory(const Str16& dir)
{
    return directoryExists(dir) && removeDirectoryTree(dir);
}
