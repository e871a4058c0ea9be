// A compiled list's image: what a window attaches to decides as the list it was compiled from,
// and an image that is cut short, damaged or of another version is refused, never trusted.
#include <gtest/gtest.h>

#include <cstring>

#include "browser/filter/rule_list.h"

namespace lumbrel::filter {
namespace {

// Every kind of line: "all" lines, bad patterns, whole literal lists, patterns that need a
// matcher, anchors, look-aheads, references, comments and blanks.
const std::vector<std::string> kRules = {
    "; the kiosk's list",
    "-casino|poker|jackpot",
    "+^https://library\\.example/",
    "-[bad",
    "+news.*today",
    "-<a!( href)",
    "-{ab}x\\0",
    "",
    "+all",
    "-tracker\\d+\\.com$",
    "-ads",
    "-all",
    "+q",
};

const std::vector<std::string> kTexts = {
    "",
    "http://casino.example/",
    "https://library.example/books",
    "http://x/news/of/today",
    "<a class=x>",
    "abxab",
    "tracker42.com",
    "http://ads.example/",
    "plain text",
    std::string(5000, 'z') + "JACKPOT",
};

// A copy of the bytes on an 8-byte boundary, as a mapping gives them.
struct Copy {
    explicit Copy(std::string_view bytes) : words((bytes.size() + 7) / 8 + 1), size(bytes.size()) {
        std::memcpy(words.data(), bytes.data(), bytes.size());
    }
    char* data() { return reinterpret_cast<char*>(words.data()); }
    std::string_view view() { return {data(), size}; }
    std::vector<uint64_t> words;
    size_t size;
};

std::optional<RuleList> AttachCopy(Copy& copy, ImageProblem& problem) {
    return RuleList::Attach(copy.view(), nullptr, problem);
}

void ExpectSameVerdicts(const RuleList& a, const RuleList& b) {
    for (const std::string& text : kTexts) {
        const Verdict x = a.Evaluate(text);
        const Verdict y = b.Evaluate(text);
        EXPECT_EQ(x.allowed, y.allowed) << text;
        EXPECT_EQ(x.reason, y.reason) << text;
        EXPECT_EQ(x.line, y.line) << text;
    }
}

TEST(RuleImage, AnAttachedImageDecidesAsTheListItWasCompiledFrom) {
    SourceId source{1234, {}};
    source.digest[0] = 0xfe;
    source.digest[31] = 0xed;
    const RuleList compiled(RuleLines(kRules), source);
    Copy copy(compiled.Image());
    ImageProblem problem = ImageProblem::Damaged;
    const std::optional<RuleList> attached = AttachCopy(copy, problem);
    ASSERT_TRUE(attached);
    EXPECT_EQ(problem, ImageProblem::None);
    EXPECT_EQ(attached->Source(), source);
    EXPECT_EQ(attached->Lines().ToVector(), kRules);
    ExpectSameVerdicts(compiled, *attached);
    // And each verdict is the one the lines give.
    EXPECT_EQ(attached->Evaluate("http://casino.example/").line, 1u);
    EXPECT_EQ(attached->Evaluate("https://library.example/books").line, 2u);
    EXPECT_EQ(attached->Evaluate("http://x/").reason, Reason::BadPattern);
    EXPECT_EQ(attached->Evaluate("http://x/").line, 3u);
    EXPECT_EQ(RuleList(std::vector<std::string>{}).Evaluate("x").reason, Reason::NoAllLine);
}

TEST(RuleImage, EveryShorterImageIsCutShort) {
    const RuleList compiled(kRules);
    const std::string_view image = compiled.Image();
    for (size_t size = 0; size < image.size(); ++size) {
        Copy copy(image.substr(0, size));
        ImageProblem problem = ImageProblem::None;
        ASSERT_FALSE(AttachCopy(copy, problem)) << size;
        EXPECT_EQ(problem, ImageProblem::Truncated) << size;
    }
}

TEST(RuleImage, ForeignAndStrangeImagesAreNamedForWhatTheyAre) {
    const RuleList compiled(kRules);
    ImageProblem problem = ImageProblem::None;

    Copy version(compiled.Image());
    version.data()[8] = static_cast<char>(kImageVersion + 1);  // the version follows the magic
    EXPECT_FALSE(AttachCopy(version, problem));
    EXPECT_EQ(problem, ImageProblem::ForeignVersion);

    Copy text(std::string(4096, 'x'));
    EXPECT_FALSE(AttachCopy(text, problem));
    EXPECT_EQ(problem, ImageProblem::NotAnImage);

    std::string longer(compiled.Image());
    longer += std::string(8, '\0');
    Copy padded(longer);
    EXPECT_FALSE(AttachCopy(padded, problem));
    EXPECT_EQ(problem, ImageProblem::Damaged);

    // Off its 8-byte boundary the tables cannot be read in place.
    std::vector<uint64_t> words(compiled.Image().size() / 8 + 1);
    char* odd = reinterpret_cast<char*>(words.data()) + 4;
    std::memcpy(odd, compiled.Image().data(), compiled.Image().size());
    EXPECT_FALSE(RuleList::Attach({odd, compiled.Image().size()}, nullptr, problem));
    EXPECT_EQ(problem, ImageProblem::Damaged);
}

// Where a table lies in the image, by where the sound image's view of it points.
template <typename T>
size_t OffsetOf(std::span<const T> table, std::string_view image) {
    return static_cast<size_t>(reinterpret_cast<const char*>(table.data()) - image.data());
}

// The header: its counts from byte 64 (the last all line, whether it allows, the literals, the
// scanner's width and stride), the table of sections from byte 88.
constexpr size_t kSections = 88;

TEST(RuleImage, IndexesOutOfRangeAreRefused) {
    const RuleList compiled(kRules);
    const std::string_view image = compiled.Image();
    ImageProblem problem;
    const std::optional<ImageContents> sound = ReadImage(image, problem);
    ASSERT_TRUE(sound);
    ASSERT_GT(sound->scanner.edgeTargets.size(), 0u);
    const auto states = static_cast<uint32_t>(sound->scanner.endsHere.size());
    const auto entries = static_cast<uint32_t>(sound->entries.size());
    const auto lines = static_cast<uint32_t>(sound->lineStarts.size() - 1);
    struct Forgery {
        const char* what;
        size_t offset;
        uint32_t value;
    };
    const Forgery forgeries[] = {
        {"an edge to a state past the last", OffsetOf(sound->scanner.edgeTargets, image), states},
        {"a root child past the last state", OffsetOf(sound->scanner.rootChildren, image) + 4 * 'c',
         states + 7},
        {"a literal id past the last", OffsetOf(sound->scanner.endsHere, image) + 4, 0x7fffffff},
        {"a requirer past the last entry", OffsetOf(sound->requirers, image), entries},
        {"a run of requirers past their end", OffsetOf(sound->firstRequirer, image) + 4,
         0xfffffff0},
        {"an entry on a line past the last", OffsetOf(sound->entries, image), lines},
        {"entries out of file order", OffsetOf(sound->entries, image) + 8, 0},
        {"an always-checked entry past the last", OffsetOf(sound->alwaysChecked, image), entries},
        {"a line running past the text", OffsetOf(sound->lineStarts, image) + 4, 1u << 30},
        {"a section placed past the end", kSections + 16 * 2, 1u << 30},  // the entries' offset
        {"a section longer than the image", kSections + 16 * 1 + 8, 1u << 28},  // line starts
        {"a last all line past the last line", 64, lines + 3},
        {"a width no beginning has", 76, 9},
        {"a stride past the most", 80, kMaxStride + 1},
    };
    for (const Forgery& forgery : forgeries) {
        Copy copy(image);
        std::memcpy(copy.data() + forgery.offset, &forgery.value, 4);
        problem = ImageProblem::None;
        EXPECT_FALSE(AttachCopy(copy, problem)) << forgery.what;
        EXPECT_EQ(problem, ImageProblem::Damaged) << forgery.what;
    }
}

// A scan ends by each literal's earliest line: a literal whose lines are out of order would end
// it too soon, and is refused.
TEST(RuleImage, ALiteralsLinesOutOfOrderAreRefused) {
    const RuleList compiled({"-abc", "+abc", "+all"});
    ImageProblem problem;
    const std::optional<ImageContents> sound = ReadImage(compiled.Image(), problem);
    ASSERT_TRUE(sound);
    ASSERT_EQ(sound->requirers.size(), 2u);
    Copy copy(compiled.Image());
    const uint32_t swapped[] = {sound->requirers[1], sound->requirers[0]};
    std::memcpy(copy.data() + OffsetOf(sound->requirers, compiled.Image()), swapped, 8);
    EXPECT_FALSE(AttachCopy(copy, problem));
    EXPECT_EQ(problem, ImageProblem::Damaged);
}

// A byte changed anywhere is either refused or gives a list that decides without reading
// outside the image (the sanitizers would see it): no value in an image is trusted unchecked.
TEST(RuleImage, AnyDamagedByteIsRefusedOrHarmless) {
    const RuleList compiled(kRules);
    const std::string_view image = compiled.Image();
    size_t refused = 0;
    for (size_t at = 0; at < image.size(); ++at) {
        for (const uint8_t change : {uint8_t(0x01), uint8_t(0x80), uint8_t(0xFF)}) {
            Copy copy(image);
            copy.data()[at] = static_cast<char>(copy.data()[at] ^ change);
            ImageProblem problem;
            const std::optional<RuleList> attached = AttachCopy(copy, problem);
            if (!attached) {
                ++refused;
                continue;
            }
            for (const std::string& text : kTexts) {
                const Verdict verdict = attached->Evaluate(text);
                if (verdict.line) {
                    ASSERT_LT(*verdict.line, attached->Lines().size());
                }
            }
        }
    }
    // Most of an image is tables whose every value is checked.
    EXPECT_GT(refused, image.size());
}

TEST(SourceHasher, TheSameBytesHashAlikeHoweverTheyArrive) {
    std::string bytes;
    for (int i = 0; i < 1000; ++i) {
        bytes += static_cast<char>(i * 37);
    }
    SourceHasher whole;
    whole.Update(bytes);
    const std::optional<SourceId> expected = whole.Finish();
    ASSERT_TRUE(expected);
    EXPECT_EQ(expected->size, bytes.size());
    EXPECT_EQ(expected->digest, platform::Sha256Of(bytes));
    for (const size_t piece : {size_t(1), size_t(3), size_t(64), size_t(999)}) {
        SourceHasher pieces;
        for (size_t at = 0; at < bytes.size(); at += piece) {
            pieces.Update(std::string_view(bytes).substr(at, piece));
        }
        EXPECT_EQ(pieces.Finish(), expected) << piece;
    }
}

}  // namespace
}  // namespace lumbrel::filter
