// Helpers over C stdio files shared by the file input and output streams.
// Each answers failure through its result instead of throwing.
#pragma once

#include "VUvarString.h"

#include <cstdio>
#include <string>

namespace LUMBRA {

// Bytes handed to fopen for a path: Qt's file-name encoding, so that the
// streams and FileUtility (built on QFile and QDir) name the same file for
// every path, including those with characters beyond ASCII.
std::string stdioPathBytes(const Str16& path);

enum class StdioMode {
    Read,     // "rb"
    Truncate, // "wb": created when missing, emptied otherwise
    Update,   // "r+b": an existing file, kept as it is
};

// Opens a regular file and nothing else. Opening never waits (a FIFO without
// a peer, a device) and the opened descriptor is what gets checked, so no
// other kind of file can take the name's place between check and use. A
// refused file leaves errno at EINVAL and is never truncated. With a
// `beneath` directory the name is resolved beneath it (BeneathDirectory):
// no link or ".." takes it outside.
FILE* openStdioFile(const Str16& path, StdioMode mode, const Str16& beneath = Str16());

// Length of the file in bytes, keeping the current position; -1 on failure.
// Sizes and positions here may pass what an int holds; fitSize narrows them.
long stdioFileSize(FILE* file);

// The same for a file opened only for reading, which buffers nothing to
// write: one status query instead of two seeks.
long stdioReadOnlySize(FILE* file);

// Current position; -1 on failure.
long stdioPosition(FILE* file);

// A size or position as the int the streams answer, -1 for a failure (any
// negative); beyond INT_MAX raises IOException "File is too large: <n>
// bytes, ...", so a huge file is never taken for an empty one.
int fitSize(long size);

// Moves to `offset` from the start; fails past the end of the file.
bool stdioSeek(FILE* file, unsigned offset);

// Writes out what the stream still buffers; false when the bytes did not
// reach the file now or on an earlier flush (the stream's error indicator).
bool stdioFlush(FILE* file);

// Closes and forgets `file`; 0 when none was set, EOF when fclose failed or
// an earlier write had failed on the way, so buffered bytes lost at close
// are never reported as written.
int stdioClose(FILE*& file);

} // namespace LUMBRA
