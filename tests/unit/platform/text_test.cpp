#include <gtest/gtest.h>

#include "platform/command_line.h"
#include "platform/text.h"

namespace platform {
namespace {

TEST(Text, Utf8AndUtf16RoundTrip) {
    const std::string samples[] = {"",
                                   "plain",
                                   "\xC3\xA9t\xC3\xA9",
                                   "\xE2\x82\xAC",
                                   "\xF0\x9F\x94\x91",
                                   "\xED\xB0\x80 lone low"};
    for (const std::string& sample : samples) {
        EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(sample)), sample);
    }
    EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x94\x91").size(), 2u);
    // Broken input becomes U+FFFD, one per byte, and never reads past the end.
    EXPECT_EQ(Utf8ToUtf16("\xC3"), u"\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("a\xFF"
                          "b"),
              u"a\uFFFDb");
    EXPECT_EQ(Utf8ToUtf16("\xC0\x80"), u"\uFFFD\uFFFD");  // overlong
}

TEST(Text, RegSzBytesCarryTheTerminator) {
    const auto bytes = Utf16ToRegSzBytes(u"ab");
    EXPECT_EQ(bytes, (std::vector<uint8_t>{'a', 0, 'b', 0, 0, 0}));
    EXPECT_EQ(Utf16FromBytes(std::vector<uint8_t>{'a', 0, 'b'}), u"a");  // a lone byte is dropped
}

TEST(Text, CommandLineSplitsAsTheRuntimeDoes) {
    EXPECT_EQ(SplitCommandLine(R"(C:\Corvane.exe /user  /lnk:"C:\My Kiosk\a.lnk")"),
              (std::vector<std::string>{"C:\\Corvane.exe", "/user", "/lnk:C:\\My Kiosk\\a.lnk"}));
    EXPECT_EQ(SplitCommandLine(R"(a\\\"b "c\\" d\e)"),
              (std::vector<std::string>{"a\\\"b", "c\\", "d\\e"}));
    EXPECT_EQ(SplitCommandLine("  "), std::vector<std::string>{});
    EXPECT_EQ(SplitCommandLine(R"(x "")"), (std::vector<std::string>{"x", ""}));
}

}  // namespace
}  // namespace platform
