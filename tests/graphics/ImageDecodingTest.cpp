// Image bytes reach a decoder only as JPEG, PNG, GIF or BMP, told by their
// signature, and a JPEG with more scans than a decoder should repeat is
// refused before any decoder runs: through Bitmap.load, Bitmap.decode and
// both ways of loading a bitmap font.
#include "GraphicsScript.h"
#include "ImageDecoding.h"
#include "MemoryInputStream.h"

#include "host/ImageFormat.h"

#include <QBuffer>

using namespace GraphicsTest;
using NativeTest::error;

namespace {

using Bytes = std::vector<unsigned char>;

Bytes encoded(const char* format)
{
    TestSupport::ensureGuiApplication();
    QImage image(3, 2, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format)) << format;
    return Bytes(out.begin(), out.end());
}

// A 1 x 1 GIF: Qt reads GIF but cannot write it.
const Bytes GIF = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0xFF, 0, 0, 0, 0, 0, 0x2C, 0, 0, 0, 0,
                   1, 0, 1, 0, 0, 2, 2, 0x44, 1, 0, 0x3B};

// A JPEG whose one scan (from its SOS marker to EOI) is repeated `scans`
// times; `stray` puts a byte that is no marker before each repeat, which a
// decoder skips.
Bytes withScans(const Bytes& jpeg, int scans, bool stray = false)
{
    size_t sos = 0;
    while (sos + 1 < jpeg.size() && !(jpeg[sos] == 0xFF && jpeg[sos + 1] == 0xDA))
        ++sos;
    const size_t eoi = jpeg.size() - 2;
    Bytes out(jpeg.begin(), jpeg.begin() + long(sos));
    for (int i = 0; i < scans; ++i) {
        if (stray && i > 0)
            out.push_back(0x42);
        out.insert(out.end(), jpeg.begin() + long(sos), jpeg.begin() + long(eoi));
    }
    out.insert(out.end(), {0xFF, 0xD9});
    return out;
}

// The minimal scan bomb: a JPEG start, then `scans` empty scan headers.
Bytes scanHeaders(int scans)
{
    Bytes out = {0xFF, 0xD8};
    for (int i = 0; i < scans; ++i)
        out.insert(out.end(), {0xFF, 0xDA, 0x00, 0x02, 0x01, 0x00});
    return out;
}

TEST(ImageDecoding, OnlyTheFourFormatsAndNoScanBombs)
{
    const Bytes jpeg = encoded("JPEG");
    struct Case {
        const char* what;
        Bytes bytes;
        int scans; // counted in a JPEG, -1 otherwise
        bool decodes;
    };
    const Case cases[] = {
        {"png", encoded("PNG"), -1, true},
        {"bmp", encoded("BMP"), -1, true},
        {"gif", GIF, -1, true},
        {"jpeg", jpeg, 1, true},
        // A sequential JPEG has one scan: the decoder itself refuses the repeats.
        {"jpeg, 100 scans", withScans(jpeg, MAX_JPEG_SCANS), MAX_JPEG_SCANS, false},
        {"jpeg, 101 scans", withScans(jpeg, MAX_JPEG_SCANS + 1), MAX_JPEG_SCANS + 1, false},
        {"jpeg, stray bytes between 101 scans", withScans(jpeg, MAX_JPEG_SCANS + 1, true), MAX_JPEG_SCANS + 1,
         false},
        {"jpeg, 30000 scans counted no further than 101", withScans(jpeg, 30000), MAX_JPEG_SCANS + 1, false},
        {"ppm, which Qt reads itself", encoded("PPM"), -1, false},
        {"xpm", encoded("XPM"), -1, false},
        {"png cut short", Bytes(8, 0), -1, false},
    };
    for (const Case& c : cases) {
        const bool isJpeg = sniffImageFormat(c.bytes.data(), c.bytes.size()) == ImageFormat::Jpeg;
        EXPECT_EQ(isJpeg ? countJpegScans(c.bytes.data(), c.bytes.size(), MAX_JPEG_SCANS) : -1, c.scans) << c.what;
        EXPECT_EQ(!decodeImage(c.bytes.data(), int(c.bytes.size())).isNull(), c.decodes) << c.what;
    }
    // A damaged length or a file ending inside a segment stops the walk.
    const Bytes cut = {0xFF, 0xD8, 0xFF, 0xDA, 0x00};
    EXPECT_EQ(countJpegScans(cut.data(), cut.size(), MAX_JPEG_SCANS), 0);
    const Bytes zeroLength = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x00, 0xFF, 0xDA, 0x00, 0x02};
    EXPECT_EQ(countJpegScans(zeroLength.data(), zeroLength.size(), MAX_JPEG_SCANS), 0);
}

// The file the application reads holds `file`; the backend counts the
// decodings it is asked for.
class BombServices : public GraphicsServices {
public:
    Bytes file;
    int decodings = 0;
    class Counting : public QtGraphicsBackend {
    public:
        int* count = nullptr;
        VMBitmap* decodeBitmap(const void* bytes, int n) override
        {
            ++*count;
            return QtGraphicsBackend::decodeBitmap(bytes, n);
        }
        VUvarFont* decodeFont(const void* bytes, int n) override
        {
            ++*count;
            return QtGraphicsBackend::decodeFont(bytes, n);
        }
    } counting;
    BombServices() { counting.count = &decodings; }
    MGraphicsBackend* graphics() override { return &counting; }
    LUMBRA::InputStream* openFileForReading(const OString&) override
    {
        return new LumbraAsm::MemoryInputStream(file);
    }
};

// The four ways in, each given `bytes` (as the file read, or as a byte array).
void throughEveryNative(const Bytes& bytes, int expectedDecodings)
{
    using Build = void (*)(Script&, int vector);
    const std::pair<const char*, Build> ways[] = {
        {"Bitmap.load", [](Script& p, int) { p.call(19, 3, {at(p.resultBox()), at(p.text("bomb.jpg"))}, 0); }},
        {"Bitmap.decode", [](Script& p, int v) { p.call(19, 4, {at(p.resultBox()), at(v)}, 0); }},
        {"Font.load", [](Script& p, int) { p.call(32, 11, {at(p.text("bomb.jpg"))}, 1); }},
        {"Font.decode", [](Script& p, int v) { p.call(32, 12, {at(v)}, 1); }},
    };
    const bool font[] = {false, false, true, true};
    for (size_t i = 0; i < std::size(ways); ++i) {
        Script p;
        const int v = p.vector(1);
        for (unsigned char byte : bytes)
            p.call(1, 19, {at(v), n(byte)}, 0);
        ways[i].second(p, v);
        TestSupport::ensureGuiApplication();
        MachineTest::MachineWith<BombServices> m;
        m.services.file = bytes;
        const MachineTest::Outcome outcome = m.loadBytes(m.assembleText(p.source() + MachineTest::ERROR_HOOKS));
        const auto expected = font[i] ? error(6, "InvalidArgumentException")
                                      : error(6, "InvalidArgumentException: Could not load image");
        EXPECT_EQ(outcome.logs, expected) << ways[i].first;
        EXPECT_EQ(m.services.decodings, expectedDecodings) << ways[i].first;
    }
}

TEST(ImageDecoding, ScanBombIsRefusedBeforeDecodingThroughLoadDecodeAndFonts)
{
    throughEveryNative(scanHeaders(MAX_JPEG_SCANS + 1), 0);
    // One scan fewer reaches the decoder, which finds no image in it.
    throughEveryNative(scanHeaders(MAX_JPEG_SCANS), 1);
}

} // namespace
