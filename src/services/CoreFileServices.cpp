// The file slots: every name is validated and resolved against the
// application directory, and a name that leaves it is invalid; failures
// answer false or null, never raise. The directory itself can be listed but
// never deleted, moved or replaced. Beyond the text, every name is resolved
// by the kernel beneath the directory (BeneathDirectory): a symbolic link
// or ".." that leads outside answers like any other name outside.
#include "CoreFrameworkServices.h"

#include <QJsonArray>
#include <QJsonObject>

#include "BeneathDirectory.h"
#include "FileUtility.h"
#include "ServiceFileNames.h"

#include <memory>

#include <sys/stat.h>

bool CoreFrameworkServices::resolveValid(const OString& name, Str16& path) const
{
    return Lumbra::isValidFileName(name) && Lumbra::confineFileName(appDirectory, name.toVUvar(), path);
}

bool CoreFrameworkServices::resolveEntry(const OString& name, Str16& path) const
{
    return resolveValid(name, path) && path != rootPath && LUMBRA::BeneathDirectory(appDirectory, path).parentInside();
}

Str16 CoreFrameworkServices::resolvedPath(const OString& name) const
{
    return Lumbra::resolveFileName(appDirectory, name.toVUvar());
}

LUMBRA::OutputStream* CoreFrameworkServices::openFileForWriting(const OString& name, int overwrite)
{
    Str16 path;
    if (!resolveValid(name, path))
        return nullptr;
    // Appending opens the file for update at its end: the old bytes stay on
    // disk untouched, so nothing is lost if the process dies while writing.
    auto stream = std::make_unique<LUMBRA::FileOutputStream>();
    const bool opened = overwrite == 0 ? stream->openForAppend(path, appDirectory) : stream->open(path, appDirectory);
    if (!opened)
        return nullptr;
    return stream.release();
}

LUMBRA::InputStream* CoreFrameworkServices::openFileForReading(const OString& name)
{
    Str16 path;
    if (!resolveValid(name, path))
        return nullptr;
    auto stream = std::make_unique<LUMBRA::FileInputStream>();
    if (!stream->open(path, appDirectory))
        return nullptr;
    return stream.release();
}

bool CoreFrameworkServices::deleteFile(const OString& name)
{
    Str16 path;
    return resolveEntry(name, path) && LUMBRA::BeneathDirectory(appDirectory, path).unlinkFile();
}

bool CoreFrameworkServices::fileExists(const OString& name)
{
    return journaledAnswer("fileExists", name, [&] {
        Str16 path;
        return resolveValid(name, path) && LUMBRA::BeneathDirectory(appDirectory, path).kind() != 0;
    });
}

int CoreFrameworkServices::fileSystemReserved(int)
{
    return 0;
}

bool CoreFrameworkServices::renameFile(const OString& from, const OString& to)
{
    Str16 source, target;
    // The target's missing directories are made beneath the directory first.
    return resolveEntry(from, source) && resolveValid(to, target) && target != rootPath &&
           LUMBRA::BeneathDirectory(appDirectory, FileUtility::parentPath(target)).makeDirectories() &&
           resolveEntry(to, target) &&
           LUMBRA::BeneathDirectory(appDirectory, source).renameTo(LUMBRA::BeneathDirectory(appDirectory, target));
}

bool CoreFrameworkServices::listDirectory(const OString& name, Vec<OString>& fileNames,
                                           Vec<OString>& directoryNames)
{
    if (!readJournal)
        return listLive(name, fileNames, directoryNames);
    // The journal keeps a listing as {"ok": bool, "files": [...], "directories": [...]}.
    auto names = [](const Vec<OString>& list) {
        QJsonArray array;
        for (const OString& entry : list)
            array.append(QString::fromStdU16String(entry.toU16()));
        return array;
    };
    const QJsonObject listing = readJournal->read("listDirectory", QString::fromStdU16String(name.toU16()), [&] {
        Vec<OString> files, directories;
        const bool ok = listLive(name, files, directories);
        return QJsonValue(QJsonObject{{"ok", ok}, {"files", names(files)}, {"directories", names(directories)}});
    }).toObject();
    for (const QJsonValue entry : listing.value("files").toArray())
        fileNames.append(OString::fromU16(entry.toString().toStdU16String()));
    for (const QJsonValue entry : listing.value("directories").toArray())
        directoryNames.append(OString::fromU16(entry.toString().toStdU16String()));
    return listing.value("ok").toBool();
}

bool CoreFrameworkServices::listLive(const OString& name, Vec<OString>& fileNames, Vec<OString>& directoryNames)
{
    Str16 path;
    if (!resolveValid(name, path))
        return false;
    Vec<Str16> files, directories;
    if (!LUMBRA::BeneathDirectory(appDirectory, path).list(files, directories))
        return false;
    for (const Str16& file : files)
        fileNames.append(OString::fromVUvar(file));
    for (const Str16& directory : directories)
        directoryNames.append(OString::fromVUvar(directory));
    return true;
}

bool CoreFrameworkServices::makeDirectory(const OString& name)
{
    Str16 path;
    return resolveValid(name, path) && LUMBRA::BeneathDirectory(appDirectory, path).makeDirectories();
}

bool CoreFrameworkServices::deleteDirectory(const OString& name)
{
    Str16 path;
    return resolveEntry(name, path) && LUMBRA::BeneathDirectory(appDirectory, path).removeDirectoryTree();
}

bool CoreFrameworkServices::renameDirectory(const OString& from, const OString& to)
{
    Str16 source, target;
    return resolveEntry(from, source) && resolveEntry(to, target) &&
           LUMBRA::BeneathDirectory(appDirectory, source).renameTo(LUMBRA::BeneathDirectory(appDirectory, target));
}

bool CoreFrameworkServices::directoryExists(const OString& name)
{
    return journaledAnswer("directoryExists", name, [&] {
        Str16 path;
        return resolveValid(name, path) && LUMBRA::BeneathDirectory(appDirectory, path).kind() == S_IFDIR;
    });
}
