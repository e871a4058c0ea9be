#include "browser/filter/browser_lists.h"

#include <algorithm>
#include <string_view>
#include <variant>

#include "browser/filter/rule_list.h"

namespace lumbrel::filter {

namespace {

// One filter of the browsers' format: [scheme://][.]host[:port][/path].
struct Filter {
    std::string scheme;
    std::string host;              // empty: "*", every host
    bool subdomains = false;       // the host and every name below it
    std::optional<unsigned> port;  // none: every port
    std::string path;              // a prefix from "/"; empty for every path

    std::string Text() const {
        std::string text = scheme + "://";
        if (host.empty()) {
            text += '*';
        } else {
            text += subdomains ? "" : ".";
            text += host;
        }
        if (port) {
            text += ':' + std::to_string(*port);
        }
        return text + path;
    }
};

struct TranslatedLine {
    size_t line;
    bool allow;
    std::vector<Filter> filters;
};

// What goes before the host name.
enum class Subdomains {
    None,      // the name itself only
    AnyDepth,  // ([a-z0-9-]+\.)*: every name below it, and no other text
    OneLevel,  // ([a-z0-9-]+\.)?: one label below it at most
    NoSlash,   // ([^/]*\.)? and the like: every name below it, or a user name before it
    Anything,  // (.*\.)? and the like: also text of the path
};

struct SubdomainIdiom {
    std::string_view text;
    Subdomains kind;
};

constexpr SubdomainIdiom kSubdomainIdioms[] = {
    {"([a-z0-9-]+\\.)*", Subdomains::AnyDepth}, {"([-a-z0-9]+\\.)*", Subdomains::AnyDepth},
    {"([a-z0-9-]+\\.)?", Subdomains::OneLevel}, {"([-a-z0-9]+\\.)?", Subdomains::OneLevel},
    {"([^/]*\\.)?", Subdomains::NoSlash},       {"([^/]+\\.)?", Subdomains::NoSlash},
    {"([^/]*\\.)*", Subdomains::NoSlash},       {"([^/]+\\.)*", Subdomains::NoSlash},
    {"(.*\\.)?", Subdomains::Anything},         {"(.+\\.)?", Subdomains::Anything},
    {"(.*\\.)*", Subdomains::Anything},
};

// How the host name (and its port) is ended.
enum class HostEnd {
    Open,    // the pattern ends there: longer names and ports match too
    Closed,  // by "/" or "(/|$)"
    Exact,   // by "$": only the address with nothing after the name
};

// A pattern as the browsers' lists could read it.
struct Shape {
    std::vector<std::string> schemes;
    bool schemeOnly = false;  // "^https://" and nothing more
    Subdomains subdomains = Subdomains::None;
    std::string host;
    std::optional<unsigned> port;
    HostEnd end = HostEnd::Open;
    std::string path;           // from its "/"
    bool pathExactEnd = false;  // "$" after the path
    bool looseDot = false;      // an unescaped '.' in the host or path
};

using ShapeOrReason = std::variant<Shape, std::string>;

bool IsAbbreviation(char c) {
    return std::string_view("abcdhnqwz").find(c) != std::string_view::npos;
}

bool IsOperator(char c) {
    return std::string_view(".[]{}()|*+?!^\\").find(c) != std::string_view::npos;
}

// The text of `p` from `i` read as plain characters up to `stop` (not included), each either
// itself or escaped; false at anything with a meaning in the pattern language. An unescaped
// '.' is taken as itself and noted in `loose`.
bool ReadPlain(std::string_view p, size_t& i, std::string_view stop, std::string& out,
               bool& loose) {
    while (i < p.size() && stop.find(p[i]) == std::string_view::npos) {
        const char c = p[i];
        if (c == '\\') {
            if (i + 1 >= p.size() || IsAbbreviation(p[i + 1]) ||
                (p[i + 1] >= '0' && p[i + 1] <= '9')) {
                return false;
            }
            out += p[i + 1];
            i += 2;
        } else if (c == '.') {
            // A quantified '.' is an operator, not a character.
            if (i + 1 < p.size() &&
                std::string_view("*+?").find(p[i + 1]) != std::string_view::npos) {
                return false;
            }
            loose = true;
            out += c;
            ++i;
        } else if (IsOperator(c)) {
            return false;
        } else {
            out += c;
            ++i;
        }
    }
    return true;
}

bool IsHostCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_';
}

std::optional<std::string> ReadSchemes(std::string_view p, size_t& i, Shape& shape) {
    const size_t start = i;
    while (i < p.size() && ((p[i] >= 'a' && p[i] <= 'z') || (p[i] >= '0' && p[i] <= '9'))) {
        ++i;
    }
    const std::string scheme(p.substr(start, i - start));
    if (scheme.empty() || scheme.front() < 'a') {
        return "it does not begin with a scheme after '^' (such as ^https://), so the browsers' "
               "lists cannot express it";
    }
    if (i < p.size() && p[i] == '?' && scheme.size() > 1) {
        shape.schemes = {scheme.substr(0, scheme.size() - 1), scheme};  // "https?"
        ++i;
    } else {
        shape.schemes = {scheme};
    }
    if (p.substr(i, 3) != "://") {
        return "the scheme is not followed by '://', which the browsers' filters need (and "
               "without which it also matches longer schemes)";
    }
    i += 3;
    return std::nullopt;
}

ShapeOrReason ReadShape(std::string_view p) {
    Shape shape;
    if (p.empty() || p.front() != '^') {
        return std::string(
            "it is not anchored with '^' and a scheme, so it matches anywhere in "
            "an address; the browsers' lists match only by scheme, host, port and "
            "path");
    }
    size_t i = 1;
    if (auto reason = ReadSchemes(p, i, shape)) {
        return *reason;
    }
    if (i == p.size()) {
        shape.schemeOnly = true;
        return shape;
    }
    if (p[i] == '(') {
        const auto idiom = std::find_if(
            std::begin(kSubdomainIdioms), std::end(kSubdomainIdioms),
            [&](const SubdomainIdiom& known) { return p.substr(i).starts_with(known.text); });
        if (idiom == std::end(kSubdomainIdioms)) {
            return std::string(
                "what stands before the host name is not a subdomain group the "
                "browsers can express (write ([a-z0-9-]+\\.)* for every "
                "subdomain)");
        }
        shape.subdomains = idiom->kind;
        i += idiom->text.size();
    }
    const size_t hostStart = i;
    if (!ReadPlain(p, i, ":/($", shape.host, shape.looseDot) || shape.host.empty() ||
        !std::all_of(shape.host.begin(), shape.host.end(), IsHostCharacter) ||
        shape.host.front() == '.' || shape.host.back() == '.') {
        return "the host name \"" + std::string(p.substr(hostStart)) +
               "\" is not a plain name of letters, digits, '-' and '\\.'";
    }
    if (i < p.size() && p[i] == ':') {
        const size_t portStart = ++i;
        unsigned port = 0;
        while (i < p.size() && p[i] >= '0' && p[i] <= '9' && port <= 65535) {
            port = port * 10 + static_cast<unsigned>(p[i++] - '0');
        }
        if (i == portStart || port == 0 || port > 65535) {
            return std::string("the port after the host name is not a number from 1 to 65535");
        }
        shape.port = port;
    }
    const std::string_view rest = p.substr(i);
    if (rest.empty()) {
        return shape;
    }
    if (rest == "$") {
        shape.end = HostEnd::Exact;
        return shape;
    }
    if (rest == "(/|$)" || rest == "($|/)") {
        shape.end = HostEnd::Closed;
        return shape;
    }
    if (rest.front() != '/') {
        return "what follows the host name, \"" + std::string(rest) +
               "\", is not a path the browsers can express";
    }
    shape.end = HostEnd::Closed;
    std::string_view path = rest;
    if (path.size() > 1 && path.back() == '$' && path[path.size() - 2] != '\\') {
        shape.pathExactEnd = true;
        path.remove_suffix(1);
    }
    size_t j = 0;
    if (!ReadPlain(path, j, "", shape.path, shape.looseDot) || j != path.size()) {
        return "the path \"" + std::string(rest) + "\" is not plain text";
    }
    if (shape.path.find_first_of("?#") != std::string::npos) {
        return std::string(
            "the path holds '?' or '#'; the browsers' lists match the path "
            "without the query or fragment");
    }
    if (shape.path == "/") {
        shape.path.clear();  // every path begins with it
    }
    return shape;
}

std::optional<unsigned> DefaultPort(std::string_view scheme) {
    if (scheme == "http" || scheme == "ws") {
        return 80;
    }
    if (scheme == "https" || scheme == "wss") {
        return 443;
    }
    if (scheme == "ftp") {
        return 21;
    }
    return std::nullopt;
}

// The filter a shape says for one of its schemes, before the port an allowing line adds.
Filter FilterFor(const Shape& shape, const std::string& scheme) {
    return {scheme, shape.schemeOnly ? "" : shape.host, shape.subdomains != Subdomains::None,
            shape.port, shape.path};
}

// A refusing line: its filters must cover every address the line matches.
std::variant<std::vector<Filter>, std::string> RefusingFilters(const Shape& shape) {
    if (shape.looseDot) {
        return std::string(
            "an unescaped '.' matches any character, which the browsers cannot "
            "express; write '\\.'");
    }
    if (shape.subdomains == Subdomains::Anything) {
        return std::string(
            "'.*' before the host name also matches text of the path, which the "
            "browsers' lists cannot refuse");
    }
    if (!shape.schemeOnly && shape.end == HostEnd::Open) {
        return std::string(shape.port ? "the port is not ended by '/' or '(/|$)', so the line also "
                                        "refuses longer port numbers"
                                      : "the host name is not ended by '/', a port or '(/|$)', so "
                                        "the line also refuses longer names (such as "
                                        "example.com.other.net), which the browsers cannot");
    }
    if (std::any_of(shape.path.begin(), shape.path.end(),
                    [](char c) { return c >= 'a' && c <= 'z'; })) {
        return std::string(
            "the browsers compare paths with regard to case, so the same path in "
            "capitals would pass");
    }
    std::vector<Filter> filters;
    for (const std::string& scheme : shape.schemes) {
        if (scheme == "file") {
            return std::string(
                "the browsers' documentation says their lists do not block "
                "file:// addresses as expected");
        }
        filters.push_back(FilterFor(shape, scheme));
    }
    return filters;
}

// An allowing line: its filters must cover no address the line does not match.
std::variant<std::vector<Filter>, std::string> AllowingFilters(const Shape& shape) {
    if (shape.subdomains == Subdomains::OneLevel) {
        return std::string(
            "([a-z0-9-]+\\.)? allows one level of subdomains; the browsers would "
            "allow every level (write ([a-z0-9-]+\\.)*)");
    }
    if (shape.end == HostEnd::Exact) {
        return std::string(
            "'$' right after the host name: the browsers always write a '/' there, "
            "so the line allows none of their addresses");
    }
    if (shape.pathExactEnd) {
        return std::string(
            "'$' ends the path exactly; the browsers' filters allow every path that "
            "begins with it");
    }
    std::vector<Filter> filters;
    for (const std::string& scheme : shape.schemes) {
        Filter filter = FilterFor(shape, scheme);
        const std::optional<unsigned> own = DefaultPort(scheme);
        if (shape.port && shape.port == own) {
            return "port " + std::to_string(*own) + " is " + scheme +
                   "'s own, which the browsers never write, so the line allows none of their "
                   "addresses on it";
        }
        if (!shape.schemeOnly && shape.end == HostEnd::Closed && !shape.port) {
            // The line matches the scheme's own port only.
            if (!own) {
                return "the browsers know no port of their own for " + scheme +
                       ", so they would allow every port where the line allows one";
            }
            filter.port = own;
        }
        filters.push_back(filter);
    }
    return filters;
}

bool HostsShare(const Filter& a, const Filter& b) {
    if (a.host.empty() || b.host.empty() || a.host == b.host) {
        return true;
    }
    const auto below = [](const std::string& name, const Filter& over) {
        return over.subdomains && name.size() > over.host.size() && name.ends_with("." + over.host);
    };
    return below(a.host, b) || below(b.host, a);
}

// Whether some address matches both filters.
bool Overlap(const Filter& a, const Filter& b) {
    if (a.scheme != b.scheme || (a.port && b.port && *a.port != *b.port)) {
        return false;
    }
    return HostsShare(a, b) && (a.path.starts_with(b.path) || b.path.starts_with(a.path));
}

// Whether the browsers pick the blocking filter over the allowing one for the addresses both
// match: the longer host wins ("*" comes last), then the longer path; an allow wins a tie.
bool BlockWins(const Filter& block, const Filter& allow) {
    if (block.host.size() != allow.host.size()) {
        return block.host.size() > allow.host.size();
    }
    return block.path.size() > allow.path.size();
}

void AddUnique(std::vector<std::string>& list, std::string text) {
    if (std::find(list.begin(), list.end(), text) == list.end()) {
        list.push_back(std::move(text));
    }
}

std::string LineName(size_t line) {
    return "line " + std::to_string(line + 1);
}

}  // namespace

BrowserTranslation TranslateForBrowsers(const RuleLines& lines, size_t blocklistRoom) {
    BrowserTranslation result;
    std::vector<TranslatedLine> translated;
    bool refuseByDefault = true;
    std::optional<size_t> lastAllLine;
    for (size_t i = 0; i < lines.size(); ++i) {
        const RuleLine rule = ReadRuleLine(lines[i]);
        switch (rule.kind) {
            case LineKind::Ignored:
                continue;
            case LineKind::AllowAll:
            case LineKind::RefuseAll:
                refuseByDefault = rule.kind == LineKind::RefuseAll;
                lastAllLine = i;
                continue;
            case LineKind::BadPattern:
                result.refused.push_back({i, "the pattern does not compile"});
                continue;
            case LineKind::Pattern:
                break;
        }
        ShapeOrReason shape = ReadShape(rule.body);
        if (auto* reason = std::get_if<std::string>(&shape)) {
            result.refused.push_back({i, *reason});
            continue;
        }
        auto filters = rule.allow ? AllowingFilters(std::get<Shape>(shape))
                                  : RefusingFilters(std::get<Shape>(shape));
        if (auto* reason = std::get_if<std::string>(&filters)) {
            result.refused.push_back({i, *reason});
            continue;
        }
        translated.push_back({i, rule.allow, std::get<std::vector<Filter>>(std::move(filters))});
    }

    // An allowing line must lose, in the browsers' order, to every refusing line before it
    // that shares an address with it; otherwise the browsers would allow what the file refuses.
    for (size_t a = 0; a < translated.size(); ++a) {
        if (!translated[a].allow) {
            continue;
        }
        for (size_t b = 0; b < a; ++b) {
            if (translated[b].allow) {
                continue;
            }
            bool lost = true;
            for (const Filter& allow : translated[a].filters) {
                for (const Filter& block : translated[b].filters) {
                    lost = lost && (!Overlap(allow, block) || BlockWins(block, allow));
                }
            }
            if (!lost) {
                result.refused.push_back(
                    {translated[a].line,
                     "it allows addresses that " + LineName(translated[b].line) +
                         " refuses before it, and the browsers would let it win (their longer "
                         "host or path decides, not the order of the lines)"});
                break;
            }
        }
    }

    BrowserUrlLists lists;
    if (refuseByDefault) {
        lists.blocklist.push_back("*");
    }
    const auto overflow = [&](size_t line) {
        const bool over =
            lists.blocklist.size() > blocklistRoom || lists.allowlist.size() > kBrowserListLimit;
        if (over) {
            result.refused.push_back(
                {line,
                 "the browsers' lists would hold more than " +
                     std::to_string(lists.blocklist.size() > blocklistRoom ? blocklistRoom
                                                                           : kBrowserListLimit) +
                     " filters, and they ignore the rest"});
        }
        return over;
    };
    if (!overflow(lastAllLine.value_or(0))) {
        for (const TranslatedLine& line : translated) {
            for (const Filter& filter : line.filters) {
                AddUnique(line.allow ? lists.allowlist : lists.blocklist, filter.Text());
            }
            if (overflow(line.line)) {
                break;
            }
        }
    }
    std::sort(
        result.refused.begin(), result.refused.end(),
        [](const UntranslatableLine& x, const UntranslatableLine& y) { return x.line < y.line; });
    if (result.refused.empty()) {
        result.lists = std::move(lists);
    }
    return result;
}

}  // namespace lumbrel::filter
