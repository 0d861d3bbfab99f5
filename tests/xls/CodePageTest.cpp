#include "xls/CodePage.h"

#include <gtest/gtest.h>
#include <string>

using namespace zort::xls;

namespace {

struct DecodeCase
{
    std::uint16_t codePage;
    std::string bytes;
    std::string utf8;
};

class DecodeCodePage : public testing::TestWithParam<DecodeCase>
{
};

TEST_P(DecodeCodePage, GivesUtf8)
{
    EXPECT_EQ(decodeCodePage(GetParam().codePage, GetParam().bytes), GetParam().utf8);
}

INSTANTIATE_TEST_SUITE_P(
        Tables, DecodeCodePage,
        testing::Values(
                // "Код формы" and the letters at both ends of the Cyrillic block
                DecodeCase {1251, "\xCA\xEE\xE4 \xF4\xEE\xF0\xEC\xFB", "Код формы"},
                DecodeCase {1251, "\xA8\xB8\xC0\xFF\xB9", "ЁёАя№"}, DecodeCase {1251, "\x88", "€"},
                DecodeCase {1252, "\x80\xE9\x9F", "€éŸ"}, DecodeCase {32769, "\x80", "€"},
                DecodeCase {1250, "\x8A\xB9\xF8", "Šąř"}, DecodeCase {10000, "\x80\xA5\xDB", "Ä•€"},
                DecodeCase {32768, "\x8E", "é"}, DecodeCase {866, "\x8A\xAE\xA4", "Код"},
                DecodeCase {1253, "\xC1", "Α"}, DecodeCase {10029, "\x84", "Ą"},
                DecodeCase {10007, "\x80", "А"},
                // an unknown code page reads as Latin-1 rather than failing
                DecodeCase {874, "\xE9", "é"}, DecodeCase {0, "plain", "plain"},
                // 1251 leaves 0x98 undefined: kept as its own value, not dropped
                DecodeCase {1251, "a\x98z", "a\xC2\x98z"}));

struct EncodeCase
{
    std::string utf8;
    std::string bytes;
};

class EncodeWindows1251 : public testing::TestWithParam<EncodeCase>
{
};

TEST_P(EncodeWindows1251, GivesBytes)
{
    EXPECT_EQ(encodeWindows1251(GetParam().utf8), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
        Cases, EncodeWindows1251,
        testing::Values(EncodeCase {"Errors.txt", "Errors.txt"},
                        EncodeCase {"Код формы", "\xCA\xEE\xE4 \xF4\xEE\xF0\xEC\xFB"},
                        EncodeCase {"ЁёАя№€", "\xA8\xB8\xC0\xFF\xB9\x88"},
                        // characters 1251 lacks: Latin é, CJK, an emoji (4-byte UTF-8)
                        EncodeCase {"é中😀x", "???x"},
                        // invalid UTF-8: a stray continuation, a truncated sequence, an
                        // overlong "/", an encoded surrogate; each bad byte is one "?"
                        EncodeCase {"a\x80z", "a?z"}, EncodeCase {"\xD0", "?"},
                        EncodeCase {"\xC0\xAF", "??"}, EncodeCase {"\xED\xA0\x80", "???"}));

TEST(CodePage, Windows1251RoundTripsEveryByte)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    EXPECT_EQ(encodeWindows1251(decodeCodePage(1251, all)), all);
}

} // namespace
