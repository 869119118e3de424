#include "FileUtility.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

bool isSeparator(unsigned short unit)
{
    return unit == '/' || unit == '\\';
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
    Vec<Str16> files;
    if (!listFiles(dir, files))
        return false;
    for (const Str16& name : files) {
        if (!deleteFile(join(dir, name)))
            return false;
    }
    Vec<Str16> subdirectories;
    listDirectories(dir, subdirectories);
    for (const Str16& name : subdirectories)
        removeDirectoryTree(join(dir, name));
    return QDir().rmdir(dir.toQString());
}

bool FileUtility::removeDirectory(const Str16& dir)
{
    return directoryExists(dir) && removeDirectoryTree(dir);
}
