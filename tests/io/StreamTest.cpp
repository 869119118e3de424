#include "FileUtility.h"
#include "Stream.h"
#include "TempFiles.h"

#include <QDir>

#include <string>

namespace {

// Counts the failure and end-of-data notifications.
class CountingInputStream : public LUMBRA::FileInputStream {
public:
    void onError() override { ++errors; }
    int errors = 0;
};

using FileInputStreamTest = TempFilesTest;
using FileOutputStreamTest = TempFilesTest;

TEST_F(FileInputStreamTest, ReadsAThreeByteFileByteByByte)
{
    writeFile("three.bin", QByteArray("\x01\xFF\x7F", 3));
    CountingInputStream in;
    ASSERT_TRUE(in.open(path("three.bin")));
    EXPECT_EQ(in.size(), 3);
    EXPECT_FALSE(in.atEnd());
    EXPECT_EQ(in.readByte(), 0x01);
    EXPECT_EQ(in.readByte(), 0xFF);
    EXPECT_EQ(in.readByte(), 0x7F);
    EXPECT_EQ(in.errors, 0);
    EXPECT_TRUE(in.atEnd());
    EXPECT_EQ(in.readByte(), -1);
    EXPECT_EQ(in.errors, 1);
    EXPECT_TRUE(in.atEnd());

    EXPECT_TRUE(in.seek(3));
    EXPECT_FALSE(in.seek(4));
    EXPECT_EQ(in.position(), 3);
    EXPECT_TRUE(in.seek(1));
    EXPECT_EQ(in.position(), 1);
    EXPECT_EQ(in.readByte(), 0xFF);
}

TEST_F(FileInputStreamTest, ShortReadKeepsWhatItRead)
{
    writeFile("abc.txt", "abc");
    CountingInputStream in;
    ASSERT_TRUE(in.open(path("abc.txt")));
    char buffer[8] = {};
    EXPECT_TRUE(in.read(buffer, 0));
    EXPECT_TRUE(in.read(buffer, 2));
    EXPECT_EQ(std::string(buffer, 2), "ab");
    EXPECT_FALSE(in.read(buffer, 4));
    EXPECT_EQ(buffer[0], 'c');
    EXPECT_EQ(in.position(), 3);
    EXPECT_FALSE(in.read(buffer, -1));
    EXPECT_EQ(in.errors, 2);
}

TEST_F(FileInputStreamTest, ClosedStreamAnswersSoftly)
{
    CountingInputStream in;
    EXPECT_FALSE(in.isOpen());
    EXPECT_FALSE(in.open(path("missing.bin")));
    EXPECT_FALSE(in.open(Str16()));
    char byte = 0;
    EXPECT_EQ(in.readByte(), -1);
    EXPECT_FALSE(in.read(&byte, 1));
    EXPECT_EQ(in.size(), 0);
    EXPECT_EQ(in.position(), 0);
    EXPECT_FALSE(in.seek(0));
    EXPECT_TRUE(in.atEnd());
    EXPECT_EQ(in.close(), 0);
    EXPECT_GE(in.errors, 6);
}

TEST_F(FileOutputStreamTest, RelativePathFails)
{
    LUMBRA::FileOutputStream out;
    EXPECT_FALSE(out.open(Str16("data/x.bin")));
    EXPECT_FALSE(out.isOpen());
    EXPECT_FALSE(QDir("data").exists());
    EXPECT_FALSE(out.open(Str16()));
}

TEST_F(FileOutputStreamTest, CreatesMissingDirectoriesAndWrites)
{
    const Str16 target = path("deep/er/x.bin");
    LUMBRA::FileOutputStream out;
    ASSERT_TRUE(out.open(target));
    EXPECT_TRUE(out.writeByte(0x41));
    EXPECT_TRUE(out.write("bcd", 3));
    EXPECT_TRUE(out.write(nullptr, 0));
    EXPECT_FALSE(out.write("x", -1));
    EXPECT_EQ(out.size(), 4);
    EXPECT_EQ(out.position(), 4);
    EXPECT_FALSE(out.seek(5));
    EXPECT_TRUE(out.seek(1));
    EXPECT_TRUE(out.writeByte('B'));
    EXPECT_EQ(out.close(), 0);
    EXPECT_EQ(readFile(target), QByteArray("ABcd"));

    EXPECT_FALSE(out.writeByte(1));
    EXPECT_FALSE(out.write("x", 1));
    EXPECT_EQ(out.size(), 0);
    EXPECT_FALSE(out.seek(0));

    ASSERT_TRUE(out.open(target)); // opening again truncates
    out.close();
    EXPECT_EQ(readFile(target).size(), 0);
}

TEST_F(FileOutputStreamTest, StreamsAndFileUtilityNameTheSameFiles)
{
    LUMBRA::FileOutputStream out;
    const unsigned short units[] = {'c', 'a', 'f', 0xE9, 0x141};
    Str16 name("x");
    name.append(Str16(units, 5));
    const Str16 accented = FileUtility::join(root(), name);
    ASSERT_TRUE(out.open(accented));
    out.close();
    EXPECT_TRUE(FileUtility::fileExists(accented));
    Vec<Str16> names;
    ASSERT_TRUE(FileUtility::listFiles(root(), names));
    ASSERT_EQ(names.count(), 1);
    EXPECT_EQ(names[0], name);
    LUMBRA::FileInputStream in;
    EXPECT_TRUE(in.open(accented));
    in.close();
    EXPECT_TRUE(FileUtility::deleteFile(accented));

    // A 0 unit would cut the path short and name another file.
    Str16 withZero = path("a");
    withZero.append(Str16("\0b", 2));
    EXPECT_FALSE(out.open(withZero));
    EXPECT_FALSE(QFile::exists(dir.filePath("a")));
    EXPECT_FALSE(in.open(withZero));
}

} // namespace
