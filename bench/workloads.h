// Deterministic rule lists, addresses and page bodies for the filter benchmarks. The patterns
// use only what every engine compared reads the same way: lower-case literals, `\.`, `.`, `^`,
// `$`, `[0-9]`, groups, alternation and `? * +`.
#pragma once

#include <random>
#include <string>
#include <vector>

namespace lumbrel::bench {

inline std::vector<std::string> UrlRules(int count, uint32_t seed = 1) {
    std::mt19937 random(seed);
    std::vector<std::string> rules;
    for (int i = 0; i < count - 1; ++i) {
        const char sign = (i % 3 == 0) ? '+' : '-';
        switch (i % 5) {
            case 0:
                rules.push_back(std::string(1, sign) + "site" + std::to_string(i) +
                                "\\.example\\.com");
                break;
            case 1:
                rules.push_back(std::string(1, sign) + "^https?://(www\\.)?shop" +
                                std::to_string(i) + "\\.net/");
                break;
            case 2:
                rules.push_back(std::string(1, sign) + "/news/" + std::to_string(i) +
                                "/[0-9]+\\.html$");
                break;
            case 3:
                rules.push_back(std::string(1, sign) + "(ads|track)" + std::to_string(i) + "\\.io");
                break;
            default:
                rules.push_back(std::string(1, sign) + "portal" + std::to_string(i) +
                                "\\.org/.*login");
                break;
        }
    }
    rules.push_back("-all");
    return rules;
}

// Addresses of which about one in ten is named by some rule of a list of `ruleCount` lines.
inline std::vector<std::string> Addresses(int count, int ruleCount, uint32_t seed = 2) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> rule(0, ruleCount - 2);
    std::uniform_int_distribution<int> other(0, 999999);
    std::vector<std::string> addresses;
    for (int i = 0; i < count; ++i) {
        const int r = rule(random);
        if (i % 10 == 0) {
            switch (r % 5) {
                case 0:
                    addresses.push_back("http://site" + std::to_string(r) +
                                        ".example.com/index.html");
                    break;
                case 1:
                    addresses.push_back("https://www.shop" + std::to_string(r) +
                                        ".net/cart?id=" + std::to_string(i));
                    break;
                case 2:
                    addresses.push_back("http://paper.com/news/" + std::to_string(r) + "/" +
                                        std::to_string(i) + ".html");
                    break;
                case 3:
                    addresses.push_back("http://cdn.track" + std::to_string(r) + ".io/pixel.gif");
                    break;
                default:
                    addresses.push_back("https://portal" + std::to_string(r) + ".org/user/login");
                    break;
            }
        } else {
            addresses.push_back("http://www.library" + std::to_string(other(random)) +
                                ".edu/catalog/search?q=book" + std::to_string(i) + "&page=2");
        }
    }
    return addresses;
}

inline std::vector<std::string> ContentRules(int count) {
    static const char* const words[] = {"casino",   "poker", "lottery", "betting",   "jackpot",
                                        "roulette", "slots", "wager",   "bookmaker", "blackjack"};
    std::vector<std::string> rules;
    for (int i = 0; i < count - 1; ++i) {
        const std::string word = words[i % 10];
        if (i % 4 == 3) {
            rules.push_back("-" + word + "[0-9]+bonus" + std::to_string(i));
        } else if (i % 4 == 2) {
            rules.push_back("-(free|win) " + word + std::to_string(i));
        } else {
            rules.push_back("-" + word + std::to_string(i));
        }
    }
    rules.push_back("+all");
    return rules;
}

// About 2 MB of page markup in which no content rule matches.
inline std::string PageBody(size_t bytes = 2 << 20, uint32_t seed = 3) {
    static const char* const words[] = {
        "the",     "library", "opens", "at",       "nine",  "reading", "room", "quiet", "please",
        "catalog", "history", "maps",  "children", "story", "hour",    "free", "win",   "computer"};
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> pick(0, static_cast<int>(std::size(words)) - 1);
    std::string body;
    body.reserve(bytes + 64);
    while (body.size() < bytes) {
        body += "<p class=\"item\">";
        for (int w = 0; w < 12; ++w) {
            body += words[pick(random)];
            body += ' ';
        }
        body += "</p>\n";
    }
    body.resize(bytes);
    return body;
}

// The rule lines as the engines compared see them: the sign removed, and "all" lines aside.
struct PlainRules {
    std::vector<std::string> patterns;
    std::vector<bool> allow;
    bool defaultAllow = false;
};

inline PlainRules Plain(const std::vector<std::string>& lines) {
    PlainRules plain;
    for (const std::string& line : lines) {
        const std::string body = line.substr(1);
        if (body == "all") {
            plain.defaultAllow = line[0] == '+';
        } else {
            plain.patterns.push_back(body);
            plain.allow.push_back(line[0] == '+');
        }
    }
    return plain;
}

}  // namespace lumbrel::bench
