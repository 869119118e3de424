// The file slots of FrameworkServices answering "no" to every request: for
// hosts that must not touch the disk (tests, fuzzing). `Base` provides the
// other slots.
#pragma once

#include "host/FrameworkServices.h"

template <class Base>
class FileRefusingServices : public Base {
public:
    using Base::Base;

    LUMBRA::OutputStream* openFileForWriting(const OString&, int) override { return nullptr; }
    LUMBRA::InputStream* openFileForReading(const OString&) override { return nullptr; }
    bool deleteFile(const OString&) override { return false; }
    bool fileExists(const OString&) override { return false; }
    bool renameFile(const OString&, const OString&) override { return false; }
    bool listDirectory(const OString&, Vec<OString>&, Vec<OString>&) override { return false; }
    bool makeDirectory(const OString&) override { return false; }
    bool deleteDirectory(const OString&) override { return false; }
    bool renameDirectory(const OString&, const OString&) override { return false; }
    bool directoryExists(const OString&) override { return false; }
};
