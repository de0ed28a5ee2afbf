#include "platform/Text.h"

#include <gtest/gtest.h>

using namespace kelvora;

TEST(TextHelpers, BrokenUtf8IsRepairedByteForByte) {
    EXPECT_EQ(repairedUtf8("caf\xC3\xA9"), "caf\xC3\xA9");
    EXPECT_EQ(repairedUtf8("a\xFF"
                           "b"),
              "a\xEF\xBF\xBD"
              "b");
    // A sequence cut short at the end, and one interrupted by an ASCII byte.
    EXPECT_EQ(repairedUtf8("\xE2\x82"), "\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(repairedUtf8("\xC3"
                           "A"),
              "\xEF\xBF\xBD"
              "A");

    CodePoint euro = codePointAt("\xE2\x82\xAC!", 0);
    EXPECT_TRUE(euro.valid);
    EXPECT_EQ(euro.value, U'\u20AC');
    EXPECT_EQ(euro.length, 3u);
    EXPECT_FALSE(codePointAt("\x80", 0).valid);
}

TEST(TextHelpers, SplittingDropsEmptyPiecesAndFoldingIsAsciiOnly) {
    EXPECT_EQ(splitNonEmpty("com..example.app.", '.'),
              (std::vector<std::string>{"com", "example", "app"}));
    EXPECT_TRUE(splitNonEmpty("", ':').empty());
    EXPECT_TRUE(splitNonEmpty(":::", ':').empty());
    EXPECT_EQ(lowercased("Com.Example.\xC3\x89"), "com.example.\xC3\x89");
    EXPECT_EQ(trimmed(" \t value \r\n"), "value");
    EXPECT_TRUE(startsWith("Screenshot 2024", "Screenshot"));
    EXPECT_FALSE(endsWith("a", "ab"));
    EXPECT_EQ(joined({"iOS", "17", "2"}, "."), "iOS.17.2");
    EXPECT_EQ(joined({}, ", "), "");
    EXPECT_EQ(replacingAll("models--org--name", "--", "/"), "models/org/name");
    EXPECT_EQ(replacingAll("Install macOS Sonoma", "Install macOS ", ""), "Sonoma");
    EXPECT_EQ(replacingAll("aaa", "a", "aa"), "aaaaaa");
    EXPECT_TRUE(equalsIgnoringCase("com.Example.App", "COM.example.app"));
    EXPECT_FALSE(equalsIgnoringCase("com.example", "com.example.app"));
    EXPECT_FALSE(equalsIgnoringCase("\xC3\x89", "\xC3\xA9"));
}
