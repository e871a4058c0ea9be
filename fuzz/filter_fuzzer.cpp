// libFuzzer harness of the filter: the pattern compiler, the matcher checked against the plain
// backtracker, and a whole rule file over a text.
//
// Input: the first line is a pattern, the rest is the text. The whole input is also read as a
// rule file and judged against the text, and the verdict and deciding line are compared with
// the plain evaluation. The list's compiled image, damaged where the input's first bytes say,
// is attached and judges the text without reading outside it. When the input's last byte has
// its high bit set, the text is repeated to over 4,096 bytes, so that the long-text paths of
// the literal scanner run too. Every line is also a literal: the scanner over all of them, in
// each vector scan the processor has, finds exactly what a plain search finds.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "browser/filter/lint.h"
#include "browser/filter/literals.h"
#include "browser/filter/matcher.h"
#include "browser/filter/rule_file.h"
#include "browser/filter/rule_list.h"
#include "tests/unit/browser/reference_evaluator.h"

using namespace lumbrel::filter;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t newline = input.find('\n');
    const std::string_view pattern = input.substr(0, newline);
    std::string text(newline == std::string_view::npos ? std::string_view()
                                                       : input.substr(newline + 1));
    if (!text.empty() && (data[size - 1] & 0x80) != 0) {
        const std::string once = text;
        while (text.size() <= 4096) {
            text += once;
        }
    }

    const ParseResult parsed = ParsePattern(pattern);
    if (parsed.pattern.has_value() == parsed.error.has_value()) {
        std::abort();  // exactly one of the two
    }
    if (parsed.pattern) {
        const SearchResult fast = Matcher(*parsed.pattern).Search(text);
        // The plain backtracker recurses once a step: keep it to small cases.
        if (fast != SearchResult::BudgetExceeded && pattern.size() <= 64 && text.size() <= 64) {
            const auto plain = reference::Matches(*parsed.pattern, text, 4000);
            if (plain && *plain != (fast == SearchResult::Match)) {
                std::abort();
            }
        }
    }

    RuleLines read;
    LineSplitter splitter;
    splitter.Feed(input, read);
    splitter.Finish(read);
    const std::vector<std::string> lines = read.ToVector();
    const RuleList rules(read);
    const Verdict verdict = rules.Evaluate(text);
    if (verdict.line && *verdict.line >= lines.size()) {
        std::abort();
    }
    if (verdict.reason != Reason::BudgetExceeded && input.size() <= 512) {
        const reference::Outcome plain = reference::Evaluate(lines, text, 200000);
        if (!plain.gaveUp && (plain.allowed != verdict.allowed || plain.line != verdict.line)) {
            std::abort();
        }
    }
    LintRules(lines);

    LiteralScannerBuilder literals;
    std::vector<std::string> folded;
    for (const std::string& line : lines) {
        if (!line.empty() && literals.Add(FoldText(line)) == folded.size()) {
            folded.push_back(FoldText(line));
        }
    }
    literals.Build();
    if (!ScannerTablesAreSound(literals.Tables())) {
        std::abort();
    }
    const std::string foldedText = FoldText(text);
    std::vector<uint32_t> expected;
    for (uint32_t id = 0; id < folded.size(); ++id) {
        if (foldedText.find(folded[id]) != std::string::npos) {
            expected.push_back(id);
        }
    }
    for (const VectorScan scan :
         {VectorScan::None, VectorScan::Ssse3, VectorScan::Avx2, VectorScan::Avx512}) {
        if (scan > BestVectorScan()) {
            break;
        }
        std::vector<uint64_t> seen;
        std::vector<uint32_t> ids;
        LiteralScanner(literals.Tables(), scan).Scan(text, seen, ids);
        std::sort(ids.begin(), ids.end());
        if (ids != expected) {
            std::abort();
        }
    }

    // The list's image with bytes changed where the input says: refused, or a list that
    // decides without reading outside the image.
    std::vector<uint64_t> words((rules.Image().size() + 7) / 8);
    char* image = reinterpret_cast<char*>(words.data());
    std::memcpy(image, rules.Image().data(), rules.Image().size());
    for (size_t k = 0; k + 5 <= size && k < 40; k += 5) {
        uint32_t at;
        std::memcpy(&at, data + k, 4);
        image[at % rules.Image().size()] ^= static_cast<char>(data[k + 4] | 1);
    }
    ImageProblem problem;
    const std::optional<RuleList> attached =
        RuleList::Attach({image, rules.Image().size()}, nullptr, problem);
    if (attached) {
        const Verdict damaged = attached->Evaluate(text);
        if (damaged.line && *damaged.line >= attached->Lines().size()) {
            std::abort();
        }
    }
    return 0;
}
