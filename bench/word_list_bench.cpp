// The filter at the scale administrators and page authors produce: word lists of 20, 100 and
// 1,000 words (in one line, and one word a line) over pages of 2 MB and 10 MB, the worst single
// rules over a 10 MB page, loading lists of 10,000 and 100,000 lines (deciding by such a list
// is in filter_bench), and a window attaching to such a list's compiled image. Beside each
// time, the heap's peak growth ("peak_MB": compiling and deciding; "decide_peak_MB": one decision
// alone). Our filter runs beside RE2, RE2::Set, PCRE2 (JIT) and Hyperscan, which only this program
// uses.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <random>
#include <unordered_set>

#include "bench/engines.h"
#include "browser/filter/rule_file.h"
#include "platform/host/host_files.h"

LUMBREL_COUNT_HEAP()

namespace lumbrel::bench {
namespace {

// Words of 5 to 10 letters, as a list of forbidden words looks to the matcher.
std::string RandomWord(std::mt19937& random, int shortest, int longest) {
    std::uniform_int_distribution<int> length(shortest, longest);
    std::uniform_int_distribution<int> letter(0, 25);
    std::string word;
    for (int n = length(random); n > 0; --n) {
        word += static_cast<char>('a' + letter(random));
    }
    return word;
}

std::vector<std::string> Words(int count, uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<std::string> words;
    while (static_cast<int>(words.size()) < count) {
        words.push_back(RandomWord(random, 5, 10));
    }
    return words;
}

// Page markup of words of the same kind, none of them a listed word.
std::string Page(size_t bytes) {
    const std::vector<std::string> vocabulary = Words(5000, 99);
    std::mt19937 random(7);
    std::uniform_int_distribution<size_t> pick(0, vocabulary.size() - 1);
    std::string page;
    page.reserve(bytes + 128);
    while (page.size() < bytes) {
        page += "<p class=\"story\"><a href=\"/catalog/item";
        page += std::to_string(pick(random));
        page += ".html\">";
        for (int w = 0; w < 14; ++w) {
            page += vocabulary[pick(random)];
            page += w % 5 == 4 ? ", " : " ";
        }
        page += "</a></p>\n";
    }
    page.resize(bytes);
    return page;
}

const std::string& PageOf(int megabytes) {
    static const std::string two = Page(size_t(2) << 20);
    static const std::string ten = Page(size_t(10) << 20);
    return megabytes == 10 ? ten : two;
}

enum Shape { kOneLine = 0, kLinePerWord = 1 };

// The rule file: the words in one alternation, or one word a line; then "+all".
std::vector<std::string> WordRules(int count, Shape shape) {
    const std::vector<std::string> words = Words(count, 1234);
    std::vector<std::string> lines;
    if (shape == kOneLine) {
        std::string line = "-(";
        for (size_t w = 0; w < words.size(); ++w) {
            line += (w > 0 ? "|" : "") + words[w];
        }
        lines.push_back(line + ")");
    } else {
        for (const auto& word : words) {
            lines.push_back("-" + word);
        }
    }
    lines.push_back("+all");
    return lines;
}

// Word list: range(0) words, range(1) shape, range(2) page megabytes; the page passes.
template <typename E>
void WordList(benchmark::State& state) {
    const auto rules = WordRules(static_cast<int>(state.range(0)), Shape(state.range(1)));
    const std::string& page = PageOf(static_cast<int>(state.range(2)));
    const size_t start = StartPeak();
    E engine(rules);
    const size_t beforeDecision = StartPeak();
    if (!engine.Allowed(page)) {
        state.SkipWithError("a page meant to pass was refused");
        return;
    }
    state.counters["decide_peak_MB"] = PeakMegabytes(beforeDecision);
    if constexpr (std::is_same_v<E, Ours>) {
        state.counters["image_KB"] = engine.ImageKilobytes();
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(engine.Allowed(page));
    }
    state.counters["peak_MB"] = PeakMegabytes(start);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}

// A page that a listed word refuses near its start (range(0) words, range(1) shape): the rest of
// the page cannot change the verdict of a list in one line, and is not read.
template <typename E>
void EarlyRefusal(benchmark::State& state) {
    const auto rules = WordRules(static_cast<int>(state.range(0)), Shape(state.range(1)));
    const std::string word = " " + Words(1, 1234).front() + " ";  // the list's first word
    std::string page = PageOf(2);
    page.replace(1000, word.size(), word);
    E engine(rules);
    for (auto _ : state) {
        if (engine.Allowed(page)) {
            state.SkipWithError("a page meant to be refused passed");
            return;
        }
    }
}

// Short words, as lists of swear words are: 4 to 6 letters, none of them on the page (their first
// four letters are not). The shortest has four letters, so every position is tested.
std::vector<std::string> ShortWords(int count) {
    const std::string& page = PageOf(2);
    std::unordered_set<uint32_t> onPage;
    for (size_t i = 0; i + 4 <= page.size(); ++i) {
        uint32_t gram;
        std::memcpy(&gram, page.data() + i, 4);
        onPage.insert(gram);
    }
    std::mt19937 random(4321);
    std::vector<std::string> words;
    while (static_cast<int>(words.size()) < count) {
        const std::string word = RandomWord(random, 4, 6);
        uint32_t gram;
        std::memcpy(&gram, word.data(), 4);
        if (!onPage.contains(gram)) {
            words.push_back(word);
        }
    }
    return words;
}

// A list of range(0) short words in one line over the 2 MB page, which passes.
template <typename E>
void ShortWordList(benchmark::State& state) {
    const std::vector<std::string> words = ShortWords(static_cast<int>(state.range(0)));
    std::string line = "-(";
    for (size_t w = 0; w < words.size(); ++w) {
        line += (w > 0 ? "|" : "") + words[w];
    }
    const std::vector<std::string> rules = {line + ")", "+all"};
    const std::string& page = PageOf(2);
    E engine(rules);
    if (!engine.Allowed(page)) {
        state.SkipWithError("a page meant to pass was refused");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(engine.Allowed(page));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}

// The worst single rules an author can write over a 10 MB page that none of them matches:
// an automaton of 2^12 states, a look-ahead, a back-reference, a chain of wildcards.
const char* const kHardRules[] = {
    "-q[a-z][a-z][a-z][a-z][a-z][a-z][a-z][a-z][a-z][a-z][a-z]zz",
    "-<a!( href| class)",
    "-{<[a-z]+>}[^<]*</\\0x",
    "-casino.*jackpot.*bonus",
};

void HardRule(benchmark::State& state) {
    const std::vector<std::string> rules = {kHardRules[state.range(0)], "+all"};
    const std::string& page = PageOf(10);
    const size_t start = StartPeak();
    filter::RuleList list(rules);
    filter::Verdict verdict;
    for (auto _ : state) {
        verdict = list.Evaluate(page);
    }
    state.counters["peak_MB"] = PeakMegabytes(start);
    state.counters["allowed"] = verdict.allowed;
    state.SetLabel(rules[0] + (verdict.reason == filter::Reason::BudgetExceeded
                                   ? " (out of budget: refused)"
                                   : ""));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}

// Loading a URL list of range(0) lines: the compile a new browser window pays.
template <typename E>
void LoadList(benchmark::State& state) {
    const auto rules = UrlRules(static_cast<int>(state.range(0)));
    const size_t start = StartPeak();
    for (auto _ : state) {
        E engine(rules);
        benchmark::DoNotOptimize(&engine);
    }
    state.counters["peak_MB"] = PeakMegabytes(start);
}

// A file's bytes mapped read-only, as a window maps an image (the bench runs on the host).
class HostMapping final : public platform::MappedFile {
  public:
    explicit HostMapping(const std::string& path) {
        const int fd = ::open(path.c_str(), O_RDONLY);
        struct stat st {};
        if (fd >= 0 && ::fstat(fd, &st) == 0 && st.st_size > 0) {
            size_ = static_cast<size_t>(st.st_size);
            void* view = ::mmap(nullptr, size_, PROT_READ, MAP_SHARED, fd, 0);
            view_ = view == MAP_FAILED ? nullptr : view;
        }
        if (fd >= 0) {
            ::close(fd);
        }
    }
    ~HostMapping() override {
        if (view_ != nullptr) {
            ::munmap(view_, size_);
        }
    }
    std::string_view Bytes() const override {
        return view_ == nullptr ? std::string_view()
                                : std::string_view(static_cast<char*>(view_), size_);
    }

  private:
    void* view_ = nullptr;
    size_t size_ = 0;
};

// A list of range(0) lines written as a rule file, and its image compiled beside it.
struct StoredList {
    explicit StoredList(int lines) {
        const auto rules = UrlRules(lines);
        rulePath = "/tmp/lumbrel-bench-" + std::to_string(lines) + ".txt";
        imagePath = rulePath + ".lri";
        std::string text;
        for (const auto& rule : rules) {
            text += rule;
            text += "\r\n";
        }
        std::ofstream(rulePath, std::ios::binary) << text;
        filter::SourceHasher hash;
        hash.Update(text);
        const filter::RuleList compiled(filter::RuleLines(rules),
                                        hash.Finish().value_or(filter::SourceId{}));
        std::ofstream(imagePath, std::ios::binary) << compiled.Image();
        addresses = Addresses(1000, lines);
    }
    std::string rulePath;
    std::string imagePath;
    std::vector<std::string> addresses;
};

// What a new window does when an image of its list is there: hash the rule file as it is now,
// map the image and check all of it. "private_MB" is the heap the attached list holds after
// 1,000 decisions (the image's pages are the file's, shared by every window).
void AttachList(benchmark::State& state) {
    const StoredList stored(static_cast<int>(state.range(0)));
    platform::host::HostFiles files;
    const auto attach = [&] {
        const std::optional<filter::SourceId> source = filter::HashRuleFile(files, stored.rulePath);
        if (!source) {
            return std::optional<filter::RuleList>();
        }
        auto mapping = std::make_shared<HostMapping>(stored.imagePath);
        filter::ImageProblem problem;
        std::optional<filter::RuleList> rules =
            filter::RuleList::Attach(mapping->Bytes(), mapping, problem);
        if (rules && rules->Source() != *source) {
            rules.reset();
        }
        return rules;
    };
    for (auto _ : state) {
        std::optional<filter::RuleList> rules = attach();
        if (!rules) {
            state.SkipWithError("the image was not attached");
            return;
        }
        benchmark::DoNotOptimize(&rules);
    }
    const size_t before = Heap().current.load();
    const size_t start = StartPeak();
    std::optional<filter::RuleList> rules = attach();
    for (const auto& address : stored.addresses) {
        benchmark::DoNotOptimize(rules->Evaluate(address));
    }
    state.counters["private_MB"] = static_cast<double>(Heap().current.load() - before) / (1 << 20);
    state.counters["peak_MB"] = PeakMegabytes(start);
}

#define WORDS(E, shape) \
    ->Args({20, shape, 2})->Args({100, shape, 2})->Args({1000, shape, 2})->Args({100, shape, 10})
#define WORD_BENCH(E)               \
    BENCHMARK_TEMPLATE(WordList, E) \
    WORDS(E, kOneLine) WORDS(E, kLinePerWord)->Unit(benchmark::kMillisecond)

WORD_BENCH(Ours);
WORD_BENCH(Hyperscan);
WORD_BENCH(Re2Set);
BENCHMARK_TEMPLATE(WordList, Re2Loop) WORDS(Re2Loop, kOneLine)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(WordList, Re2Loop)
    ->Args({20, kLinePerWord, 2})
    ->Args({100, kLinePerWord, 2})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(WordList, Pcre2Jit) WORDS(Pcre2Jit, kOneLine)->Unit(benchmark::kMillisecond);

BENCHMARK_TEMPLATE(ShortWordList, Ours)
    ->Arg(20)
    ->Arg(100)
    ->Arg(1000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(ShortWordList, Hyperscan)
    ->Arg(20)
    ->Arg(100)
    ->Arg(1000)
    ->Unit(benchmark::kMillisecond);

#define EARLY(E)                        \
    BENCHMARK_TEMPLATE(EarlyRefusal, E) \
        ->Args({20, kOneLine})          \
        ->Args({1000, kOneLine})        \
        ->Args({1000, kLinePerWord})    \
        ->Unit(benchmark::kMicrosecond)
EARLY(Ours);
EARLY(Hyperscan);

BENCHMARK(HardRule)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_TEMPLATE(LoadList, Ours)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(LoadList, Re2Set)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(AttachList)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(LoadList, Hyperscan)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace lumbrel::bench

int main(int argc, char** argv) {
    hs_set_allocator(lumbrel::bench::CountedMalloc, lumbrel::bench::CountedFree);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
