// FileReader, FileWriter, InputStream and OutputStream natives through
// assembled programs on a temporary application directory: opening,
// truncating and appending, positioning, reading and writing, every check in
// its order, closed and collected holders, and forged holder references.
#include "FileTestSupport.h"

#include <QFile>
#include <QFileInfo>


using namespace FileTest;
using NativeTest::error;
using NativeTest::ints;
using NativeTest::operator+;

namespace {

const Lines NOT_OPEN = error(7, "IOException: File is not open");
const Lines INVALID_TYPEID = error(10, "VMException: Invalid TYPEID");
const Lines IO_FAILURE = error(7, "IOException");

} // namespace

TEST(StreamNatives, WritingWithoutAppendTruncatesAndAppendingContinues)
{
    AppDirectory app;
    app.write("t.txt", "0123456789");
    Program truncate;
    const int w = openWriter(truncate, "t.txt", false);
    onHolder(truncate, FILE_WRITER, 4, w, {}, true);
    write(truncate, w, "ab");
    onHolder(truncate, OUTPUT_STREAM, 1, w, {}, false);
    EXPECT_EQ(app.log(truncate), ints({0}));
    EXPECT_EQ(app.read("t.txt"), "ab");

    Program append;
    const int a = openWriter(append, "t.txt", true);
    onHolder(append, FILE_WRITER, 3, a, {}, true);
    write(append, a, "cd");
    onHolder(append, FILE_WRITER, 2, a, {1}, false);
    write(append, a, "X");
    onHolder(append, FILE_WRITER, 4, a, {}, true);
    onHolder(append, OUTPUT_STREAM, 1, a, {}, false);
    EXPECT_EQ(app.log(append), ints({2, 4}));
    EXPECT_EQ(app.read("t.txt"), "aXcd");
}

TEST(StreamNatives, ReaderPositionsAndReadsExactCounts)
{
    AppDirectory app;
    app.write("in/r.bin", "abcdef");
    Program p;
    const int r = openReader(p, "in\\r.bin");
    onHolder(p, FILE_READER, 4, r, {}, true);
    readText(p, r, 2);
    onHolder(p, FILE_READER, 3, r, {}, true);
    onHolder(p, FILE_READER, 2, r, {4}, false);
    readText(p, r, 2);
    onHolder(p, FILE_READER, 2, r, {6}, false); // exactly the size is allowed
    readText(p, r, 0);
    onHolder(p, FILE_READER, 3, r, {}, true);
    onHolder(p, INPUT_STREAM, 2, r, {}, true);
    onHolder(p, FILE_READER, 2, r, {7}, false);
    EXPECT_EQ(app.log(p), Lines({"6", "ab", "2", "ef", "", "6", "-1"}) + IO_FAILURE);
}

TEST(StreamNatives, ReadingPastTheEndFailsWithoutAllocatingTheCount)
{
    AppDirectory app;
    app.write("r.bin", "abc");
    for (TWord count : {4, 0x7fffffff}) {
        Program p;
        const int r = openReader(p, "r.bin");
        readText(p, r, count);
        EXPECT_EQ(app.log(p), IO_FAILURE) << count;
    }
    Program negative;
    readText(negative, openReader(negative, "r.bin"), -1);
    EXPECT_EQ(app.log(negative),
              error(6, "InvalidArgumentException: The number of bytes should be non-negative"));
}

TEST(StreamNatives, OpeningReportsEmptyMissingAndRefusedNames)
{
    AppDirectory app;
    app.write("dir/f.txt", "x");
    const Lines EMPTY = error(6, "InvalidArgumentException: Filename is empty");
    const auto reader = [&](const std::string& path) {
        Program p;
        openReader(p, path);
        return app.log(p);
    };
    const auto writer = [&](const std::string& path, bool append) {
        Program p;
        openWriter(p, path, append);
        return app.log(p);
    };
    EXPECT_EQ(reader(""), EMPTY);
    EXPECT_EQ(writer("", false), EMPTY);
    EXPECT_EQ(reader("missing.txt"), error(7, "IOException: Could not open file: missing.txt"));
    EXPECT_EQ(reader("dir/f.txt:x"), error(7, "IOException: Could not open file: dir/f.txt:x"));
    EXPECT_EQ(writer("a|b", false), IO_FAILURE);
    EXPECT_EQ(writer("dir", true), IO_FAILURE);
    EXPECT_EQ(writer("dir", false), IO_FAILURE);
    EXPECT_TRUE(app.exists("dir/f.txt"));
    EXPECT_FALSE(app.exists("a|b"));

    Program nullVariable;
    nullVariable.integer(0);
    nullVariable.text("n.txt");
    nullVariable.integer(0);
    nullVariable.vec(FILE_WRITER, 1, 3, 0);
    EXPECT_EQ(app.log(nullVariable), error(1, "NullPointerException: NULL pointer"));
    EXPECT_FALSE(app.exists("n.txt")); // the variable is checked before the file is made
}

TEST(StreamNatives, PositionNativesCheckInTheirOrder)
{
    AppDirectory app;
    app.write("r.txt", "abc");
    const auto on = [&](int group, int native, bool writer, bool opened, std::initializer_list<TWord> args) {
        Program p;
        const int h = !opened ? variable(p) : writer ? openWriter(p, "w.txt", false) : openReader(p, "r.txt");
        onHolder(p, group, native, h, args, native != 2);
        return app.log(p);
    };
    EXPECT_EQ(on(FILE_READER, 2, false, false, {-1}),
              error(6, "InvalidArgumentException: Position is less than zero: -1"));
    EXPECT_EQ(on(FILE_WRITER, 2, true, true, {-5}),
              error(6, "InvalidArgumentException: Position is less than zero: -5"));
    EXPECT_EQ(on(FILE_READER, 3, false, false, {}), NOT_OPEN);
    EXPECT_EQ(on(FILE_WRITER, 4, true, false, {}), NOT_OPEN);
    EXPECT_EQ(on(FILE_READER, 3, true, true, {}), INVALID_TYPEID);
    EXPECT_EQ(on(FILE_WRITER, 2, false, true, {0}), INVALID_TYPEID);
    EXPECT_EQ(on(FILE_READER, 4, false, true, {}), ints({3}));
    EXPECT_EQ(on(FILE_WRITER, 2, true, true, {1}), IO_FAILURE); // beyond the empty file
}

TEST(StreamNatives, ClosedHoldersStayValidAndReportNotOpen)
{
    AppDirectory app;
    app.write("r.txt", "abc");
    Program p;
    const int r = openReader(p, "r.txt");
    const int w = openWriter(p, "w.txt", false);
    const int none = variable(p);
    onHolder(p, INPUT_STREAM, 2, r, {}, true);
    onHolder(p, OUTPUT_STREAM, 2, w, {}, true);
    onHolder(p, INPUT_STREAM, 2, none, {}, true);
    onHolder(p, OUTPUT_STREAM, 2, none, {}, true);
    onHolder(p, INPUT_STREAM, 1, none, {}, false); // closing nothing is allowed
    onHolder(p, OUTPUT_STREAM, 1, none, {}, false);
    onHolder(p, INPUT_STREAM, 1, r, {}, false);
    onHolder(p, INPUT_STREAM, 1, r, {}, false); // twice
    onHolder(p, OUTPUT_STREAM, 1, w, {}, false);
    onHolder(p, INPUT_STREAM, 2, r, {}, true);
    onHolder(p, OUTPUT_STREAM, 2, w, {}, true);
    write(p, w, ""); // an empty vector writes nothing, even to a closed stream
    onHolder(p, FILE_READER, 3, r, {}, true);
    EXPECT_EQ(app.log(p), ints({-1, -1, 0, 0, 0, 0}) + NOT_OPEN);

    Program writeClosed;
    const int c = openWriter(writeClosed, "w.txt", false);
    onHolder(writeClosed, OUTPUT_STREAM, 1, c, {}, false);
    write(writeClosed, c, "x");
    EXPECT_EQ(app.log(writeClosed), IO_FAILURE);

    Program readClosed;
    const int rc = openReader(readClosed, "r.txt");
    onHolder(readClosed, INPUT_STREAM, 1, rc, {}, false);
    readText(readClosed, rc, 0);
    EXPECT_EQ(app.log(readClosed), NOT_OPEN);
}

TEST(StreamNatives, StreamGroupsRefuseTheOtherKindOfHolder)
{
    AppDirectory app;
    app.write("r.txt", "abc");
    Program readWriter;
    readText(readWriter, openWriter(readWriter, "w.txt", false), 1);
    EXPECT_EQ(app.log(readWriter), INVALID_TYPEID);
    Program writeReader;
    write(writeReader, openReader(writeReader, "r.txt"), "x");
    EXPECT_EQ(app.log(writeReader), INVALID_TYPEID);
    EXPECT_EQ(app.read("r.txt"), "abc");
}

TEST(StreamNatives, SliceWritesAreRangeChecked)
{
    AppDirectory app;
    const auto slice = [&](TWord first, TWord count) {
        Program p;
        const int w = openWriter(p, "s.txt", false);
        p.copy(w);
        bytesOf(p, "abc");
        p.integer(first);
        p.integer(count);
        p.vec(OUTPUT_STREAM, 4, 4, 0);
        onHolder(p, OUTPUT_STREAM, 1, w, {}, false);
        return app.log(p);
    };
    EXPECT_EQ(slice(1, -1), Lines{});
    EXPECT_EQ(app.read("s.txt"), "bc");
    EXPECT_EQ(slice(0, 2), Lines{});
    EXPECT_EQ(app.read("s.txt"), "ab");
    EXPECT_EQ(slice(3, 0), Lines{});
    EXPECT_EQ(app.read("s.txt"), "");
    EXPECT_EQ(slice(2, 5), error(5, "RangeException: Invalid Range, range out of bounds: 7 > 3"));
    EXPECT_EQ(slice(-1, 0), error(5, "RangeException: Invalid Range, first should be non-negative (first=-1)"));
    EXPECT_EQ(slice(4, -1), error(5, "RangeException: Invalid Range, first should not be more than 3, first = 4"));
    EXPECT_EQ(slice(-2, 1), error(5, "RangeException: Invalid Range, first should not be less than0, first =  -2"));

    Program closed; // the range is checked before the stream
    const int c = openWriter(closed, "s.txt", false);
    onHolder(closed, OUTPUT_STREAM, 1, c, {}, false);
    closed.copy(c);
    bytesOf(closed, "abc");
    closed.integer(0);
    closed.integer(0);
    closed.vec(OUTPUT_STREAM, 4, 4, 0);
    EXPECT_EQ(app.log(closed), NOT_OPEN);
}

TEST(StreamNatives, WritesCheckTheVectorBeforeTheHolder)
{
    AppDirectory app;
    for (int native : {3, 4}) {
        Program p;
        const int none = variable(p);
        p.copy(none);
        p.integer(0); // a null vector reference
        if (native == 4) {
            p.integer(0);
            p.integer(0);
        }
        p.vec(OUTPUT_STREAM, native, native == 3 ? 2 : 4, 0);
        EXPECT_EQ(app.log(p), error(1, "NullPointerException: NULL pointer")) << native;

        Program nullHolder;
        const int h = variable(nullHolder);
        nullHolder.copy(h);
        bytesOf(nullHolder, "abc");
        if (native == 4) {
            nullHolder.integer(9); // not reached: the holder fails first
            nullHolder.integer(9);
        }
        nullHolder.vec(OUTPUT_STREAM, native, native == 3 ? 2 : 4, 0);
        EXPECT_EQ(app.log(nullHolder), NOT_OPEN) << native;
    }
}

TEST(StreamNatives, TheCollectorClosesTheFileOfAnUnreachableHolder)
{
    AppDirectory app;
    Program p;
    const int w = openWriter(p, "gc.txt", false);
    write(p, w, "kept by the collector");
    p.drop(); // only the variable referred to the holder
    EXPECT_EQ(app.log(p), Lines{});
    // Buffered bytes reach the file only when the stream is closed.
    EXPECT_EQ(app.read("gc.txt"), "kept by the collector");
}

TEST(StreamNatives, ForgedHolderReferencesEndInVmErrors)
{
    AppDirectory app;
    Program notAHolder;
    const int s = notAHolder.text("a string, not a holder");
    onHolder(notAHolder, FILE_READER, 3, s, {}, true);
    EXPECT_EQ(app.log(notAHolder), INVALID_TYPEID);

    for (TWord wild : {12345, 0x7ffffff0, -4}) {
        Program p;
        p.integer(wild);
        p.line("box", 0);
        onHolder(p, INPUT_STREAM, 3, p.depth() - 1, {1}, true);
        const Lines log = app.log(p);
        ASSERT_EQ(log.size(), 2u) << wild;
        EXPECT_EQ(log[1], "10") << wild;
    }
}

TEST(StreamNatives, UndefinedFunctionsNameTheirGroup)
{
    AppDirectory app;
    const std::pair<int, const char*> groups[] = {{OUTPUT_STREAM, "OutputStream:"}, {FILE_WRITER, "FileWriter:"},
                                                  {INPUT_STREAM, "InputStream:"},   {FILE_READER, "FileReader:"},
                                                  {FILE_SYSTEM, "FileSystem:"},     {ENCODER, "Encoder:"}};
    for (const auto& [group, prefix] : groups) {
        Program p;
        p.vec(group, 99, 0, 0);
        const Lines log = app.log(p);
        ASSERT_EQ(log.size(), 2u) << prefix;
        EXPECT_EQ(log[0].rfind(std::string("VMException: ") + prefix, 0), 0u) << log[0];
        EXPECT_EQ(log[1], "10");
    }
}

TEST(StreamNatives, WritesThatNeverReachTheDiskAreReportedOnCloseAndAtExit)
{
    AppDirectory app;
    const std::string hundred(100, 'x'); // stays in the stream's buffer until the end
    Program close, exit;
    const int w = openWriter(close, "full.txt", false);
    write(close, w, hundred);
    onHolder(close, OUTPUT_STREAM, 1, w, {}, false);
    write(exit, openWriter(exit, "exit.txt", false), hundred);
    exit.vec(32, 1, 0, 0);
    {
        const FileSizeLimit limit(10);
        EXPECT_EQ(app.log(close), IO_FAILURE);
        const NativeTest::RunResult lost = app.run(exit);
        EXPECT_EQ(lost.log, Lines({"IOException: 1 open file(s) could not be written before exit: exit.txt"}));
        EXPECT_EQ(lost.status, 1);
    }
    EXPECT_EQ(app.read("full.txt").size(), 10);
    // Without the limit the same programs end quietly with every byte written.
    EXPECT_EQ(app.log(close), Lines{});
    const NativeTest::RunResult written = app.run(exit);
    EXPECT_EQ(written.log, Lines{});
    EXPECT_EQ(written.status, 0);
    EXPECT_EQ(app.read("exit.txt"), QByteArray::fromStdString(hundred));
}

// Sparse files past what an int counts: every size or position read of them
// raises IOException naming the size; none passes for empty or small.
TEST(StreamNatives, FilesTooLargeForIntSizesSaySo)
{
    AppDirectory app;
    const qint64 sizes[] = {qint64(3) << 30, (qint64(4) << 30) + 1, qint64(5) << 30};
    for (const qint64 size : sizes) {
        QFile big(app.path(QStringLiteral("big.bin")));
        ASSERT_TRUE(big.open(QIODevice::WriteOnly) && big.resize(size));
        big.close();
        const Lines tooLarge =
            error(7, "IOException: File is too large: " + std::to_string(size) + " bytes, sizes stop at 2147483647");
        Program readerSize, writerSize, writerPosition, readBytes, bitmap, font;
        onHolder(readerSize, FILE_READER, 4, openReader(readerSize, "big.bin"), {}, true);
        onHolder(writerSize, FILE_WRITER, 4, openWriter(writerSize, "big.bin", true), {}, true);
        onHolder(writerPosition, FILE_WRITER, 3, openWriter(writerPosition, "big.bin", true), {}, true);
        readText(readBytes, openReader(readBytes, "big.bin"), 4);
        bitmap.resultBox();
        bitmap.text("big.bin");
        bitmap.vec(19, 3, 2, 0);
        font.text("big.bin");
        font.vec(32, 11, 1, 1);
        for (const Program* p : {&readerSize, &writerSize, &writerPosition, &readBytes, &bitmap, &font})
            EXPECT_EQ(app.log(*p), tooLarge) << size;
        EXPECT_EQ(QFileInfo(app.path(QStringLiteral("big.bin"))).size(), size); // appending left it whole
    }
}
