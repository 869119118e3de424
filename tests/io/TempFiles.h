// A temporary directory per test with helpers to make and inspect files.
#pragma once

#include "VUvarString.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

class TempFilesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    // Absolute path of the temporary directory itself.
    Str16 root() const { return Str16::fromQString(dir.path()); }

    // Absolute path of `name` inside the temporary directory.
    Str16 path(const char* name) const { return Str16::fromQString(dir.filePath(QString::fromUtf8(name))); }

    void writeFile(const char* name, const QByteArray& bytes) const
    {
        QFile file(dir.filePath(QString::fromUtf8(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    QByteArray readFile(const Str16& file) const
    {
        QFile in(file.toQString());
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }

    QTemporaryDir dir;
};
