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

FILE* openStdioFile(const Str16& path, const char* mode);

// Length of the file in bytes, keeping the current position; -1 on failure.
long stdioFileSize(FILE* file);

// Current position; -1 on failure or when it does not fit an int.
long stdioPosition(FILE* file);

// Moves to `offset` from the start; fails past the end of the file.
bool stdioSeek(FILE* file, unsigned offset);

// Closes and forgets `file`; the fclose result, 0 when none was set.
int stdioClose(FILE*& file);

} // namespace LUMBRA
