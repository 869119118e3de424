// Fixture for the host-service tests: a current arena for managed strings,
// a temporary application directory and services rooted in it.
#pragma once

#include "BasicFrameworkServices.h"
#include "OString.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

inline OString S(const char* latin1)
{
    return OString::fromLatin1(latin1);
}

class ServicesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        Lumbra::Arena::setCurrent(&arena);
        services = std::make_unique<BasicFrameworkServices>(Str16::fromQString(dir.path()));
    }
    void TearDown() override
    {
        services.reset();
        Lumbra::Arena::setCurrent(nullptr);
    }

    QString hostPath(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }

    void writeFile(const char* name, const QByteArray& bytes) const
    {
        QDir().mkpath(QFileInfo(hostPath(name)).path());
        QFile file(hostPath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    QByteArray readFile(const char* name) const
    {
        QFile in(hostPath(name));
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray("<missing>");
    }

    Lumbra::Arena arena{1u << 26};
    QTemporaryDir dir;
    std::unique_ptr<BasicFrameworkServices> services;
};
