// Names resolved beneath a directory. Every file an application names is
// opened here, relative to a descriptor of its directory, so that no "..",
// absolute name or symbolic link (at any component, the last one included)
// can reach a file outside it.
//
// The kernel does the resolution where it can (openat2 with
// RESOLVE_BENEATH): links that stay inside are followed, absolute links are
// refused even when they point inside. Where openat2 is missing or refused
// (ENOSYS, EPERM from a sandbox), the name is walked one component at a time
// with O_NOFOLLOW and every symbolic link is refused, inside or not: stricter,
// never looser. The directory itself may be reached through links.
#pragma once

#include "VUvarString.h"

#include <string>
#include <vector>

#include <sys/types.h>

namespace LUMBRA {

class BeneathDirectory {
public:
    // `root` is an absolute directory; `path` an absolute name already
    // normalised as text (FileUtility::normalisedPath) and inside `root`.
    BeneathDirectory(const Str16& root, const Str16& path);
    ~BeneathDirectory();
    BeneathDirectory(const BeneathDirectory&) = delete;
    BeneathDirectory& operator=(const BeneathDirectory&) = delete;

    // Opens the name with open(2) flags; -1 with errno set on failure (EXDEV
    // for a name that would leave the directory). The caller owns the result.
    int open(int flags, mode_t mode = 0) const;
    // The kind of the entry the name resolves to (S_IFREG, S_IFDIR, ...), 0 when none.
    unsigned kind() const;
    // Removes the entry itself (a link as a link); a directory is refused.
    bool unlinkFile() const;
    // Moves the entry (a link as a link) to the name of `target`, which must
    // not exist yet; both parents are opened beneath their roots and the
    // move acts on their descriptors, so a link swapped into either path in
    // the meantime is never followed.
    bool renameTo(const BeneathDirectory& target) const;
    // Removes the directory the name resolves to beneath the root, with
    // everything in it; every step acts on descriptors opened beneath, and
    // links inside it go as links. A link naming a directory goes itself.
    bool removeDirectoryTree() const;
    // Creates the directory and its missing parents, each beneath the root.
    bool makeDirectories() const;
    // Names of the plain files and subdirectories, leaving out links and
    // names starting with '.'.
    bool list(Vec<Str16>& files, Vec<Str16>& directories) const;
    // Whether the parent of the name resolves beneath the root.
    bool parentInside() const;

    // For tests: walk by components even where openat2 works. The
    // environment variable LUMBRA_NO_OPENAT2=1 does the same for a run.
    static void forceFallback(bool on);

private:
    // A descriptor of the directory holding the last component, and that
    // component; -1 when the name is the root itself or does not resolve.
    int openParent(std::string& last) const;

    int rootFd = -1;
    bool valid = false;
    std::vector<std::string> components; // the name below the root; empty for the root
};

} // namespace LUMBRA
