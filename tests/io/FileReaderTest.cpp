#include "TempFiles.h"
#include "VUvarFileReader.h"

namespace {

using FileReaderTest = TempFilesTest;

// Tells when the reader releases the stream it adopted.
class WatchedStream : public LUMBRA::FileInputStream {
public:
    explicit WatchedStream(bool& destroyed) : destroyed(destroyed) {}
    ~WatchedStream() override { destroyed = true; }
    bool& destroyed;
};

TEST_F(FileReaderTest, FailedPathAnswersZeroAndFalse)
{
    VUvarFileReader reader(path("missing.mcb"));
    EXPECT_EQ(reader.name(), path("missing.mcb"));
    EXPECT_EQ(reader.streamSize(), 0);
    EXPECT_EQ(reader.position(), 0);
    TUint8 byte = 7;
    char buffer[4];
    Vec<unsigned char> bytes;
    Str16 text("keep");
    EXPECT_FALSE(reader.readByte(byte));
    EXPECT_EQ(byte, 7);
    EXPECT_FALSE(reader.read(buffer, 1));
    EXPECT_FALSE(reader.read(bytes, 0));
    EXPECT_FALSE(reader.read(bytes, 1));
    EXPECT_FALSE(reader.readString(text, 1));
    EXPECT_EQ(text, Str16("keep"));
    EXPECT_EQ(bytes.count(), 0);
}

TEST_F(FileReaderTest, VectorReadsAppendOrLeaveTheVectorAlone)
{
    writeFile("data.bin", QByteArray("\x10\x20\x30\x80\x90", 5));
    VUvarFileReader reader(path("data.bin"));
    EXPECT_EQ(reader.streamSize(), 5);
    Vec<unsigned char> bytes;
    bytes.append(0xAA);
    ASSERT_TRUE(reader.read(bytes, 3));
    ASSERT_EQ(bytes.count(), 4);
    EXPECT_EQ(bytes[0], 0xAA);
    EXPECT_EQ(bytes[3], 0x30);
    EXPECT_EQ(reader.position(), 3);

    // Two bytes are left: asking for five fails and changes nothing.
    EXPECT_FALSE(reader.read(bytes, 5));
    EXPECT_EQ(bytes.count(), 4);
    EXPECT_EQ(bytes[3], 0x30);
    EXPECT_TRUE(reader.read(bytes, 0));
    EXPECT_FALSE(reader.read(bytes, -1));
    EXPECT_FALSE(reader.read(bytes, 0x7FFFFFFF)); // would overflow the length
    EXPECT_EQ(bytes.count(), 4);
}

TEST_F(FileReaderTest, SignedBytesAndSingleBytes)
{
    writeFile("data.bin", QByteArray("\x01\x80\xFF", 3));
    VUvarFileReader reader(path("data.bin"));
    TUint8 first = 0;
    ASSERT_TRUE(reader.readByte(first));
    EXPECT_EQ(first, 1);
    Vec<signed char> rest;
    ASSERT_TRUE(reader.read(rest, 2));
    EXPECT_EQ(rest[0], -128);
    EXPECT_EQ(rest[1], -1);
    EXPECT_FALSE(reader.readByte(first));
}

TEST_F(FileReaderTest, StringsAreLatin1)
{
    writeFile("text.txt", QByteArray("na\xEFve", 5));
    VUvarFileReader reader(path("text.txt"));
    Str16 text("old");
    EXPECT_FALSE(reader.readString(text, -1));
    ASSERT_TRUE(reader.readString(text, 5));
    ASSERT_EQ(text.count(), 5);
    EXPECT_EQ(text[2], 0xEF);
    EXPECT_TRUE(reader.readString(text, 0));
    EXPECT_EQ(text.count(), 0);
    text = Str16("old");
    EXPECT_FALSE(reader.readString(text, 1));
    EXPECT_EQ(text, Str16("old"));
}

TEST_F(FileReaderTest, OwnsTheAdoptedStream)
{
    writeFile("one.bin", "z");
    bool destroyed = false;
    auto* stream = new WatchedStream(destroyed);
    ASSERT_TRUE(stream->open(path("one.bin")));
    {
        VUvarFileReader reader(stream);
        TUint8 byte = 0;
        ASSERT_TRUE(reader.readByte(byte));
        EXPECT_EQ(byte, 'z');
        reader.close();
        EXPECT_TRUE(destroyed);
        EXPECT_FALSE(reader.readByte(byte));
    }
    destroyed = false;
    {
        VUvarFileReader reader(new WatchedStream(destroyed));
    }
    EXPECT_TRUE(destroyed);
}

} // namespace
