// How a started program's command line is split into its arguments: the Windows runtime's
// rules for blanks, quotes and backslashes, which the sim copies.
#include "common/settings_store.h"
#include "tests/contract/fixture.h"

namespace contract {
namespace {

class CommandLine : public Contract {
  protected:
    // The arguments a peer sees after the role and the key, for this command-line tail.
    std::vector<std::string> ArgumentsOf(const std::string& tail) {
        const std::string key = "Software\\CorvaneContract\\" + Unique("args");
        auto peer = env->StartPeer("args", key + " " + tail);
        EXPECT_NE(peer, nullptr);
        if (!peer) {
            return {};
        }
        EXPECT_EQ(peer->WaitForExit(20000), 0u) << tail;
        std::vector<std::string> args;
        const auto count =
            corvane::ReadDWordAt(sys.registry, platform::Hive::CurrentUser, key, "count");
        for (uint32_t i = 0; count && i < *count; ++i) {
            args.push_back(corvane::ReadStringAt(sys.registry, platform::Hive::CurrentUser, key,
                                                 std::to_string(i))
                               .value_or("<missing>"));
        }
        platform::RegistryKeyPtr parent;
        if (sys.registry.OpenKey(platform::Hive::CurrentUser, "Software\\CorvaneContract",
                                 platform::reg::kReadWrite | platform::reg::kDelete, parent) == 0) {
            platform::RegistryKeyPtr own;
            if (sys.registry.OpenKey(platform::Hive::CurrentUser, key, platform::reg::kReadWrite,
                                     own) == 0) {
                own->DeleteValue("count");
                for (uint32_t i = 0; count && i < *count; ++i) {
                    own->DeleteValue(std::to_string(i));
                }
            }
            own.reset();
            parent->DeleteSubKey(key.substr(key.rfind('\\') + 1));
        }
        return args;
    }
    using Args = std::vector<std::string>;
};

TEST_F(CommandLine, BlanksSeparateAndQuotesGroup) {
    EXPECT_EQ(ArgumentsOf("a  b\tc"), (Args{"a", "b", "c"}));
    EXPECT_EQ(ArgumentsOf("\"a b\" c\"d e\"f"), (Args{"a b", "cd ef"}));
    EXPECT_EQ(ArgumentsOf("\"\" x \"\""), (Args{"", "x", ""}));  // empty arguments
    EXPECT_EQ(ArgumentsOf("\"open at the end"), (Args{"open at the end"}));
    // Two quotes inside quotes: a literal quote, and the quoted run ends (the rule of
    // CommandLineToArgvW; later C runtimes stay inside the run).
    EXPECT_EQ(ArgumentsOf("\"a\"\"b c\""), (Args{"a\"b", "c"}));
    EXPECT_EQ(ArgumentsOf("\"\"\"x\"\"\" y"), (Args{"\"x\"", "y"}));
}

TEST_F(CommandLine, BackslashesCountOnlyBeforeAQuote) {
    EXPECT_EQ(ArgumentsOf("C:\\Program\\ x\\\\y"), (Args{"C:\\Program\\", "x\\\\y"}));
    EXPECT_EQ(ArgumentsOf("a\\\"b"), (Args{"a\"b"}));          // 1: a literal quote
    EXPECT_EQ(ArgumentsOf("a\\\\\"b c\""), (Args{"a\\b c"}));  // 2: one, and a delimiter
    EXPECT_EQ(ArgumentsOf("a\\\\\\\"b"), (Args{"a\\\"b"}));    // 3: one, and a quote
    EXPECT_EQ(ArgumentsOf("\"C:\\Kiosk Apps\\\\\" next"), (Args{"C:\\Kiosk Apps\\", "next"}));
}

TEST_F(CommandLine, TextOutsideAsciiComesThrough) {
    EXPECT_EQ(ArgumentsOf("caf\xC3\xA9 \"\xE2\x82\xAC 5\""),
              (Args{"caf\xC3\xA9", "\xE2\x82\xAC 5"}));
}

}  // namespace
}  // namespace contract
