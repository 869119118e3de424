// Path and file-system functions on host strings. Functions that need an
// absolute path answer false (or an empty string) for an empty or relative
// one without touching the file system.
#pragma once

#include "VUvarString.h"

class FileUtility {
public:
    FileUtility() = delete;

    // Turns every foreign separator into the platform one.
    static Str16 convertSeparators(const Str16& path);
    // The platform separator as a one-unit string.
    static const Str16& nativeSeparator();
    static Str16 withTrailingSeparator(const Str16& path);
    static Str16 join(const Str16& dir, const Str16& name);

    // `path` with "/" separators cleaned as text, the file system is not
    // asked: empty and "." components dropped, each ".." removing the
    // component before it (above the root it stays at the root; in a
    // relative path with nothing left to remove it is kept).
    static Str16 normalisedPath(const Str16& path);
    // Whether `path` is `dir` or lies below it, both normalised first and
    // compared by whole components ("/opt/app2" is not inside "/opt/app").
    static bool isWithin(const Str16& dir, const Str16& path);

    static bool isRelative(const Str16& path);
    static bool isAbsolute(const Str16& path) { return !path.isEmpty() && !isRelative(path); }
    static bool fileExists(const Str16& path);
    static bool directoryExists(const Str16& path);
    static Str16 parentPath(const Str16& path);

    static bool makePath(const Str16& path);
    static bool deleteFile(const Str16& path);
    static bool moveFile(const Str16& source, const Str16& target);
    static bool renameDirectory(const Str16& target, const Str16& source);

    // Append the names (not paths) of the plain files or subdirectories of
    // `dir`, unsorted, leaving out symbolic links and names starting with '.'.
    static bool listFiles(const Str16& dir, Vec<Str16>& names);
    static bool listDirectories(const Str16& dir, Vec<Str16>& names);

    // Deletes the contents of `dir` depth first, then `dir` itself. A
    // symbolic link, `dir` included, is removed as a link: the tree is never
    // left through one.
    static bool removeDirectoryTree(const Str16& dir);
    static bool removeDirectory(const Str16& dir);
};
