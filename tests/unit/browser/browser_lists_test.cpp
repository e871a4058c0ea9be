// The rule file as Edge's and Chrome's block and allow lists: which lines translate to what,
// which prevent it and why, and that the lists never allow an address the file refuses.
#include "browser/filter/browser_lists.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "browser/filter/rule_list.h"

namespace lumbrel::filter {
namespace {

using Strings = std::vector<std::string>;

BrowserTranslation Translate(const Strings& lines) {
    return TranslateForBrowsers(RuleLines(lines));
}

struct Translates {
    Strings lines;
    Strings blocklist;
    Strings allowlist;
};

TEST(BrowserLists, ShapesTheBrowsersCanExpressTranslate) {
    const Translates cases[] = {
        {{"+all"}, {}, {}},
        {{"-all"}, {"*"}, {}},
        {{}, {"*"}, {}},  // no "all" line refuses what nothing matched
        {{"; kiosk", "", "-all", "+all"}, {}, {}},
        {{"+^https://", "-all"}, {"*"}, {"https://*"}},
        {{"-^http://", "+all"}, {"http://*"}, {}},
        // A closed host allows the scheme's own port only; an open one every port of that name.
        {{"+^https://example\\.com/", "-all"}, {"*"}, {"https://.example.com:443"}},
        {{"+^https://example\\.com(/|$)", "-all"}, {"*"}, {"https://.example.com:443"}},
        {{"+^https://example\\.com", "-all"}, {"*"}, {"https://.example.com"}},
        {{"+^https?://([a-z0-9-]+\\.)*example\\.com/", "-all"},
         {"*"},
         {"http://example.com:80", "https://example.com:443"}},
        {{"+^https://(.*\\.)?example\\.com:8443/pub", "-all"},
         {"*"},
         {"https://example.com:8443/pub"}},
        // An unescaped dot allows at most what the pattern does.
        {{"+^https://www.example.com/", "-all"}, {"*"}, {"https://.www.example.com:443"}},
        {{"-^https://([a-z0-9-]+\\.)*casino\\.com/", "-^http://bad\\.net:8080(/|$)",
          "-^https://example\\.com/2024$", "+all"},
         {"https://casino.com", "http://.bad.net:8080", "https://.example.com/2024"},
         {}},
        // A refusing line for a longer host wins over an allowing line for a shorter one.
        {{"-^https://([a-z0-9-]+\\.)*ads\\.example\\.com/",
          "+^https://([a-z0-9-]+\\.)*example\\.com/", "-all"},
         {"*", "https://ads.example.com"},
         {"https://example.com:443"}},
        // ... and one for a longer path on the same host.
        {{"-^https://example\\.com/1/", "+^https://example\\.com/", "-all"},
         {"*", "https://.example.com/1/"},
         {"https://.example.com:443"}},
    };
    for (const Translates& c : cases) {
        const BrowserTranslation result = Translate(c.lines);
        ASSERT_TRUE(result.lists.has_value())
            << c.lines.front() << ": " << (result.refused.empty() ? "" : result.refused[0].reason);
        EXPECT_EQ(result.lists->blocklist, c.blocklist) << testing::PrintToString(c.lines);
        EXPECT_EQ(result.lists->allowlist, c.allowlist) << testing::PrintToString(c.lines);
    }
}

struct Refuses {
    Strings lines;
    size_t line;
    std::string reason;  // a piece of it
};

TEST(BrowserLists, AnyLineTheBrowsersCannotExpressLeavesNoListsAndSaysWhy) {
    const Refuses cases[] = {
        {{"-casino", "+all"}, 0, "not anchored"},
        {{"+^https://(?!x)example\\.com/"}, 0, "does not compile"},
        {{"+^https://[abc"}, 0, "does not compile"},
        {{"+^http"}, 0, "not followed by '://'"},
        {{"+^(http|https)://example\\.com/"}, 0, "scheme"},
        {{"+^https://\\w+\\.com/"}, 0, "not a plain name"},
        {{"+^https://{example}\\.com/\\0"}, 0, "plain name"},
        {{"+^https://exa+mple\\.com/"}, 0, "plain name"},
        {{"+^https://x.*\\.example\\.com/"}, 0, "plain name"},
        {{"+^https://(www\\.)?example\\.com/"}, 0, "subdomain group"},
        {{"+^https://([a-z0-9-]+\\.)?example\\.com/"}, 0, "one level"},
        {{"+^https://example\\.com/a?b"}, 0, "path"},
        {{"+^https://example\\.com/search\\?q="}, 0, "query"},
        {{"+^https://example\\.com/page$"}, 0, "'$' ends the path"},
        {{"+^https://example\\.com$"}, 0, "always write a '/'"},
        {{"+^https://example\\.com:443/"}, 0, "https's own"},
        {{"+^gopher://example\\.com/"}, 0, "no port of their own"},
        {{"+^https://example\\.com:99999/"}, 0, "1 to 65535"},
        {{"-^https://example\\.com"}, 0, "longer names"},
        {{"-^https://example\\.com:80"}, 0, "longer port numbers"},
        {{"-^https://example.com/"}, 0, "unescaped '.'"},
        {{"-^https://(.*\\.)?example\\.com/"}, 0, "text of the path"},
        {{"-^https://example\\.com/private"}, 0, "capitals"},
        {{"-^file://", "+all"}, 0, "file://"},
        // The later allow would win in the browsers: the host it names is longer, or the same
        // with a path as long.
        {{"-^https://", "+^https://example\\.com/"}, 1, "line 1 refuses"},
        {{"-^https://([a-z0-9-]+\\.)*example\\.com/", "+^https://www\\.example\\.com/"},
         1,
         "line 1 refuses"},
        {{"-^https://example\\.com/1/", "+^https://example\\.com/1/2"}, 1, "line 1"},
        {{"-^https://example\\.com/", "+^https://example\\.com/"}, 1, "line 1"},
    };
    for (const Refuses& c : cases) {
        const BrowserTranslation result = Translate(c.lines);
        EXPECT_FALSE(result.lists.has_value()) << c.lines.back();
        ASSERT_EQ(result.refused.size(), 1u) << c.lines.back();
        EXPECT_EQ(result.refused[0].line, c.line) << c.lines.back();
        EXPECT_NE(result.refused[0].reason.find(c.reason), std::string::npos)
            << c.lines.back() << ": " << result.refused[0].reason;
    }
}

TEST(BrowserLists, EveryLineThatPreventsItIsNamedAndTheListsHaveTheirLimit) {
    const BrowserTranslation mixed =
        Translate({"-casino", "+^https://example\\.com/", "-^https://x\\.com", "+example", "-all"});
    ASSERT_EQ(mixed.refused.size(), 3u);
    EXPECT_EQ(mixed.refused[0].line, 0u);
    EXPECT_EQ(mixed.refused[1].line, 2u);
    EXPECT_EQ(mixed.refused[2].line, 3u);

    Strings many;
    for (int i = 0; i < 1000; ++i) {
        many.push_back("+^https://site" + std::to_string(i) + "\\.example/");
    }
    many.push_back("-all");
    ASSERT_TRUE(Translate(many).lists.has_value());
    EXPECT_EQ(Translate(many).lists->allowlist.size(), 1000u);
    many.insert(many.begin(), "+^https://one-more\\.example/");
    const BrowserTranslation over = Translate(many);
    EXPECT_FALSE(over.lists.has_value());
    ASSERT_EQ(over.refused.size(), 1u);
    EXPECT_NE(over.refused[0].reason.find("more than 1000"), std::string::npos);
    // Room left for what else goes in the blocklist.
    EXPECT_FALSE(TranslateForBrowsers(RuleLines(Strings{"-all"}), 0).lists.has_value());
}

// The browsers' choice, modelled from their published filter format: of the filters that
// match an address, the one with the longest host wins ("*" last), then the longest path, and
// an allow filter wins a tie; nothing matching allows.
struct ParsedFilter {
    std::string scheme;
    std::string host;
    bool exact = false;
    std::optional<unsigned> port;
    std::string path;
    bool allow = false;
};

ParsedFilter ParseFilter(std::string text, bool allow) {
    ParsedFilter f;
    f.allow = allow;
    if (const size_t colon = text.find("://"); colon != std::string::npos) {
        f.scheme = text.substr(0, colon);
        text = text.substr(colon + 3);
    }
    if (const size_t slash = text.find('/'); slash != std::string::npos) {
        f.path = text.substr(slash);
        text = text.substr(0, slash);
    }
    if (const size_t colon = text.find(':'); colon != std::string::npos) {
        f.port = static_cast<unsigned>(std::stoul(text.substr(colon + 1)));
        text = text.substr(0, colon);
    }
    f.exact = !text.empty() && text.front() == '.';
    f.host = f.exact ? text.substr(1) : (text == "*" ? "" : text);
    return f;
}

struct Address {
    std::string scheme;
    std::string host;
    unsigned port;
    std::string path;  // with any query
    std::string Text() const {
        const bool own = (scheme == "http" && port == 80) || (scheme == "https" && port == 443) ||
                         (scheme == "ftp" && port == 21);
        return scheme + "://" + host + (own ? "" : ":" + std::to_string(port)) + path;
    }
};

bool Matches(const ParsedFilter& f, const Address& a) {
    const std::string path = a.path.substr(0, a.path.find('?'));
    const bool host =
        f.host.empty() || a.host == f.host || (!f.exact && a.host.ends_with("." + f.host));
    return host && (f.scheme.empty() || f.scheme == a.scheme) && (!f.port || *f.port == a.port) &&
           path.starts_with(f.path);
}

bool BrowserAllows(const BrowserUrlLists& lists, const Address& a) {
    std::vector<ParsedFilter> filters;
    for (const std::string& text : lists.blocklist) {
        filters.push_back(ParseFilter(text, false));
    }
    for (const std::string& text : lists.allowlist) {
        filters.push_back(ParseFilter(text, true));
    }
    const ParsedFilter* best = nullptr;
    for (const ParsedFilter& f : filters) {
        if (!Matches(f, a)) {
            continue;
        }
        const auto rank = [](const ParsedFilter& x) {
            return std::tuple(x.host.size(), x.path.size(), x.allow);
        };
        if (best == nullptr || rank(f) > rank(*best)) {
            best = &f;
        }
    }
    return best == nullptr || best->allow;
}

std::string Pick(std::mt19937& random, const std::vector<std::string>& from) {
    return from[std::uniform_int_distribution<size_t>(0, from.size() - 1)(random)];
}

// Rule lines of the shapes administrators write, most of them translatable.
std::string RandomRule(std::mt19937& random) {
    const std::string sign = Pick(random, {"+", "-"});
    if (random() % 12 == 0) {
        return sign + "all";
    }
    if (random() % 10 == 0) {
        return sign + Pick(random, {"example", "casino", "^https://", "^http://", "^https?://"});
    }
    const std::string scheme = Pick(random, {"http", "https", "https?"});
    const std::string group =
        Pick(random, {"", "", "([a-z0-9-]+\\.)*", "([^/]*\\.)?", "(.*\\.)?", "([a-z0-9-]+\\.)?"});
    const std::string host =
        Pick(random, {"example\\.com", "kiosk\\.example\\.com", "example\\.net", "example.com"});
    const std::string port = Pick(random, {"", "", "", ":8080", ":80"});
    const std::string end = Pick(random, {"", "/", "(/|$)", "/1", "/1/2", "/x", "/1$", "/12", "$"});
    return sign + "^" + scheme + "://" + group + host + port + end;
}

Address RandomAddress(std::mt19937& random) {
    Address a;
    a.scheme = Pick(random, {"http", "https", "ftp"});
    a.host = Pick(random, {"", "", "www.", "kiosk.", "a.kiosk.", "x-1."}) +
             Pick(random, {"example.com", "example.net", "examplexcom", "example.com.evil.net",
                           "example.community", "evil.net"});
    const std::string port = Pick(random, {"own", "own", "80", "443", "8080", "8443", "21"});
    a.port = port != "own"         ? static_cast<unsigned>(std::stoul(port))
             : a.scheme == "http"  ? 80u
             : a.scheme == "https" ? 443u
                                   : 21u;
    a.path = Pick(random, {"/", "/1", "/1/", "/1/2/3", "/12", "/x", "/X", "/X/1", "/index.html"}) +
             Pick(random, {"", "", "?q=1", "?next=https://example.com/"});
    return a;
}

TEST(BrowserLists, TheListsNeverAllowAnAddressTheRuleFileRefuses) {
    std::mt19937 random(20261209);
    int translated = 0;
    int withAllows = 0;
    long checked = 0;
    for (int file = 0; file < 4000; ++file) {
        Strings lines;
        const int count = 1 + static_cast<int>(random() % 6);
        for (int i = 0; i < count; ++i) {
            lines.push_back(RandomRule(random));
        }
        const BrowserTranslation result = Translate(lines);
        if (!result.lists) {
            EXPECT_FALSE(result.refused.empty());
            continue;
        }
        ++translated;
        withAllows += !result.lists->allowlist.empty();
        const RuleList rules(lines);
        for (int n = 0; n < 60; ++n) {
            const Address address = RandomAddress(random);
            ++checked;
            if (BrowserAllows(*result.lists, address)) {
                ASSERT_TRUE(rules.Evaluate(address.Text()).allowed)
                    << "the browsers allow " << address.Text() << " which the file refuses:\n"
                    << testing::PrintToString(lines) << "\nblock "
                    << testing::PrintToString(result.lists->blocklist) << "\nallow "
                    << testing::PrintToString(result.lists->allowlist);
            }
        }
    }
    // The property is only worth something over files that did translate, allows among them.
    EXPECT_GT(translated, 600);
    EXPECT_GT(withAllows, 300);
    EXPECT_GT(checked, 36000);
}

}  // namespace
}  // namespace lumbrel::filter
