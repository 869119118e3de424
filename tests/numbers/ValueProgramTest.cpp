// Assembled programs calling the Rectangle, Position, Range, Color, Char and
// Hash natives: variables reached by address, values compared by slots.
#include "NumbersProgram.h"

#include <QCryptographicHash>

using namespace NumbersTest;

namespace {

// Runs `native` on a variable holding `words` with `args` after its address,
// then logs the variable's words (and the ints the native left).
Lines afterChange(int group, int native, std::initializer_list<TWord> words, std::initializer_list<TWord> args,
                  int results = 0)
{
    Program p;
    const int var = pushWords(p, words);
    addressOf(p, var);
    pushWords(p, args);
    p.vec(group, native, 1 + int(args.size()), results);
    const int left = p.depth() - results;
    logInts(p, left, results);
    logInts(p, var, int(words.size()));
    return run(p).log;
}

const Lines INVALID = {"InvalidArgumentException", "6"};

} // namespace

TEST(RectangleProgram, FieldsEdgesAndChecks)
{
    EXPECT_EQ(afterChange(17, 3, {0, 0, 0, 0}, {10, 20, 5, 5}), ints({10, 20, 5, 5}));
    EXPECT_EQ(afterChange(17, 1, {1, 2, 3, 4}, {}), ints({0, 0, 0, 0}));
    EXPECT_EQ(afterChange(17, 10, {10, 20, 5, 5}, {}, 1), ints({15, 10, 20, 5, 5}));
    EXPECT_EQ(afterChange(17, 11, {10, 20, 5, 5}, {}, 1), ints({25, 10, 20, 5, 5}));
    EXPECT_EQ(afterChange(17, 4, {10, 20, 5, 6}, {}, 2), ints({10, 20, 10, 20, 5, 6}));
    EXPECT_EQ(afterChange(17, 5, {10, 20, 5, 6}, {}, 2), ints({5, 6, 10, 20, 5, 6}));
    EXPECT_EQ(afterChange(17, 9, {10, 20, 5, 6}, {}, 1), ints({6, 10, 20, 5, 6}));
    EXPECT_EQ(afterChange(17, 13, {1, 2, 3, 4}, {-5, 7}), ints({1, 2, -5, 7})) << "no checks";
    EXPECT_EQ(afterChange(17, 16, {1, 2, 3, 4}, {-5}), INVALID);
    EXPECT_EQ(afterChange(17, 17, {1, 2, 3, 4}, {9}), ints({1, 2, 3, 9}));
    EXPECT_EQ(afterChange(17, 18, {10, 20, 5, 5}, {30}), ints({10, 20, 20, 5}));
    EXPECT_EQ(afterChange(17, 18, {10, 20, 5, 5}, {9}), INVALID);
    EXPECT_EQ(afterChange(17, 19, {10, 20, 5, 5}, {21}), ints({10, 20, 5, 1}));
    EXPECT_EQ(afterChange(17, 12, {1, 2, 3, 4}, {8, 9}), ints({8, 9, 3, 4}));
    EXPECT_EQ(intResult(17, 20, {1, 2, 3, 4, 1, 2, 3, 4}), ints({1}));
    EXPECT_EQ(intResult(17, 21, {1, 2, 3, 4, 1, 2, 3, 5}), ints({1}));
    EXPECT_EQ(intResult(17, 20, {1, 2, 3, 4, 0, 2, 3, 4}), ints({0}));
}

TEST(PositionAndRangeProgram, SettersAndChecks)
{
    EXPECT_EQ(afterChange(16, 3, {0, 0}, {-4, 9}), ints({-4, 9}));
    EXPECT_EQ(afterChange(16, 7, {1, 2}, {5}), ints({1, 5}));
    EXPECT_EQ(afterChange(16, 5, {1, 2}, {}, 1), ints({2, 1, 2}));
    EXPECT_EQ(intResult(16, 9, {1, 2, 1, 2}), ints({0}));
    EXPECT_EQ(afterChange(14, 3, {9, 9}, {2, 2}), ints({2, 1}));
    EXPECT_EQ(afterChange(14, 3, {9, 9}, {3, 2}), INVALID);
    EXPECT_EQ(afterChange(14, 3, {9, 9}, {-1, 2}), INVALID);
    EXPECT_EQ(afterChange(14, 4, {9, 9}, {4, -1}), INVALID);
    EXPECT_EQ(afterChange(14, 11, {9, 9}, {4}), ints({4, -1}));
    EXPECT_EQ(afterChange(14, 12, {9, 9}, {-4}), INVALID);
    EXPECT_EQ(afterChange(14, 8, {9, 9}, {0}), ints({9, 0}));
    EXPECT_EQ(intResult(14, 10, {1, 2, 1, 3}), ints({1}));

    Program copy; // op 2 copies between two variables
    const int a = pushWords(copy, {1, 2}), b = pushWords(copy, {7, 8});
    addressOf(copy, a);
    addressOf(copy, b);
    copy.vec(16, 2, 2, 0);
    logInts(copy, a, 2);
    EXPECT_EQ(run(copy).log, ints({7, 8}));

    Program null;
    pushWords(null, {0, 3});
    null.vec(14, 7, 2, 0);
    EXPECT_EQ(run(null).log, error(1, "NullPointerException: NULL pointer"));
}

TEST(ColorProgram, ComponentsAndConstants)
{
    EXPECT_EQ(afterChange(13, 3, {0}, {255, 0, 0, 128}), ints({TWord(0x80FF0000)}));
    EXPECT_EQ(afterChange(13, 3, {0}, {256, 0, 0, 128}), INVALID);
    EXPECT_EQ(afterChange(13, 3, {0}, {-1, 0, 0, 128}), INVALID);
    EXPECT_EQ(afterChange(13, 1, {0}, {}), ints({-1}));
    EXPECT_EQ(afterChange(13, 4, {-1}, {}, 1), ints({255, -1}));
    EXPECT_EQ(afterChange(13, 5, {0x11223344}, {}, 1), ints({0x33, 0x11223344}));
    EXPECT_EQ(afterChange(13, 7, {0x11223344}, {}, 1), ints({0x11, 0x11223344}));
    EXPECT_EQ(afterChange(13, 10, {0x11223344}, {0xAB}), ints({0x112233AB}));
    EXPECT_EQ(afterChange(13, 8, {0x11223344}, {300}), INVALID);
    EXPECT_EQ(intResult(13, 12, {5, 5}), ints({1}));
    EXPECT_EQ(intResult(13, 13, {5, 5}), ints({0}));
    const TWord expected[] = {TWord(0xFFFF0000), TWord(0xFF00FF00), TWord(0xFF0000FF), TWord(0xFF000000),
                              TWord(0xFFFFFFFF), TWord(0xFF00FFFF), TWord(0xFFFF00FF), TWord(0xFFFFFF00),
                              TWord(0xFF808080), TWord(0xFF964B00), TWord(0xFFFF7F00)};
    for (int native = 14; native <= 24; ++native)
        EXPECT_EQ(intResult(13, native, {}), ints({expected[native - 14]})) << native;
    EXPECT_TRUE(failedWith(intResult(13, 25, {}), 10, "VMException: Color:"));
}

TEST(CharProgram, CaseClassesAndText)
{
    EXPECT_EQ(intResult(10, 1, {12345, 'Q'}), ints({'q'})) << "receiver replaced";
    EXPECT_EQ(intResult(10, 2, {0, 0xE4}), ints({0xC4}));
    EXPECT_EQ(intResult(10, 3, {'A'}), ints({'a'}));
    EXPECT_EQ(intResult(10, 4, {0x10000 + 'b'}), ints({'B'}));
    EXPECT_EQ(intResult(10, 5, {'1'}), ints({0}));
    EXPECT_EQ(intResult(10, 6, {'1'}), ints({1}));
    EXPECT_EQ(intResult(10, 7, {0x3000}), ints({1}));
    EXPECT_EQ(intResult(10, 9, {0x10041}), ints({0x41}));
    Program p;
    p.integer(0x20AC);
    p.vec(10, 8, 1, 1);
    p.logText();
    EXPECT_EQ(run(p).log, Lines{"\u20AC"});
}

namespace {

// Hex of the byte vector whose box is on top (consumed), one log line.
void logBytes(Program& p, int expected)
{
    const int handle = p.depth() - 1;
    p.logVector(handle, 1, expected);
    p.drop();
}

Lines hexLines(const QByteArray& digest)
{
    Lines out = {std::to_string(digest.size())};
    for (char c : digest)
        out.push_back(std::to_string(int(static_cast<signed char>(c))));
    return out;
}

// A byte vector holding "abc" in a new box on top.
void pushAbc(Program& p)
{
    const int v = p.vector(1);
    for (int c : {'a', 'b', 'c'}) {
        p.copy(v);
        p.integer(c);
        p.vec(1, 19, 2, 0); // append
    }
}

} // namespace

TEST(HashProgram, DigestsByAlgorithmNumber)
{
    const std::pair<int, QCryptographicHash::Algorithm> algorithms[] = {
        {1, QCryptographicHash::Md5}, {2, QCryptographicHash::Sha1}, {3, QCryptographicHash::Sha256}};
    for (const auto& [number, algorithm] : algorithms) {
        const QByteArray digest = QCryptographicHash::hash("abc", algorithm);
        Program once;
        pushAbc(once);
        once.integer(number);
        once.vec(34, 2, 2, 1);
        logBytes(once, int(digest.size()));
        EXPECT_EQ(run(once).log, hexLines(digest)) << number;

        Program object; // the same bytes appended in two steps
        const int box = object.resultBox();
        object.copy(box); // op 1 consumes the box it fills
        object.integer(number);
        object.vec(34, 1, 2, 0);
        for (int i = 0; i < 2; ++i) {
            object.copy(box);
            pushAbc(object);
            object.vec(34, 3, 2, 0);
            object.copy(box); // a digest on the way does not end the appending
            object.vec(34, 4, 1, 1);
            object.drop();
        }
        object.copy(box);
        object.vec(34, 4, 1, 1);
        logBytes(object, int(digest.size()));
        EXPECT_EQ(run(object).log, hexLines(QCryptographicHash::hash("abcabc", algorithm))) << number;
    }
    Program unknown;
    pushAbc(unknown);
    unknown.integer(99);
    unknown.vec(34, 2, 2, 1);
    logBytes(unknown, 0);
    EXPECT_EQ(run(unknown).log, Lines{"0"});

    Program null;
    null.integer(0);
    null.vec(34, 4, 1, 1);
    EXPECT_EQ(run(null).log, error(1, "NullPointerException: NULL pointer"));
    Program wrongKind; // a string box is not a Hash
    wrongKind.text("x");
    wrongKind.vec(34, 4, 1, 1);
    EXPECT_EQ(run(wrongKind).log, error(10, "VMException: object of the wrong kind"));
}
