// libFuzzer harness of the compiled rule image's reader with images of arbitrary layout: a
// sound image of a rule text is made, then its header is rewritten where the input says (any
// section's place and length, overlapping or not, and the scanner's counts), and its bytes
// changed. The reader either refuses it, or the list it gives decides any text without reading
// outside the image (AddressSanitizer would say).
//
// Input: a rule file, a zero byte, then rewrites of five bytes each: a field (0-12 a section's
// offset, 13-25 its length, 26-29 the last "all" line, its sign, the literal count, the
// scanner's width, 30 and above a byte of the image) and a 32-bit value.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "browser/filter/rule_list.h"

using namespace lumbrel::filter;

namespace {

// Where the reader finds the fields the rewrites change (the header's layout, version 3).
static_assert(kImageVersion == 3, "the harness rewrites the fields of version 3's header");
constexpr size_t kSectionTable = 88;
constexpr size_t kSections = 16;
constexpr size_t kCounts = 5;  // lastAll, lastAllAllows, literalCount, scannerWidth, scannerStride
constexpr size_t kCountsAt = 64;

void Put32(char* image, size_t at, uint32_t value) {
    std::memcpy(image + at, &value, sizeof value);
}
void Put64(char* image, size_t at, uint64_t value) {
    std::memcpy(image + at, &value, sizeof value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t zero = input.find('\0');
    const std::string_view text = input.substr(0, zero);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = std::min(text.find('\n', start), text.size());
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    const RuleList rules(lines);
    const std::string_view sound = rules.Image();
    std::vector<uint64_t> words((sound.size() + 7) / 8);
    char* image = reinterpret_cast<char*>(words.data());
    std::memcpy(image, sound.data(), sound.size());
    const uint64_t length = sound.size();
    uint32_t literalCount;
    std::memcpy(&literalCount, image + kCountsAt + 8, sizeof literalCount);
    ImageProblem soundProblem;
    const std::optional<ImageContents> contents = ReadImage({image, length}, soundProblem);
    uint64_t firstSection;  // the line text's, just after the header
    std::memcpy(&firstSection, image + kSectionTable, sizeof firstSection);
    if (!contents || literalCount != contents->scanner.count ||
        firstSection != kSectionTable + 16 * kSections) {
        std::abort();  // the layout above is not the reader's: the rewrites would miss
    }

    const std::string_view edits =
        zero == std::string_view::npos ? std::string_view() : input.substr(zero + 1);
    for (size_t k = 0; k + 5 <= edits.size(); k += 5) {
        const uint8_t field = static_cast<uint8_t>(edits[k]);
        uint32_t value;
        std::memcpy(&value, edits.data() + k + 1, sizeof value);
        if (field < kSections) {
            // Mostly aligned places inside or just past the image, now and then anything.
            const uint64_t offset = (field & 1) != 0 ? value : (value % (length + 16)) & ~7ull;
            Put64(image, kSectionTable + field * 16, offset);
        } else if (field < 2 * kSections) {
            const uint64_t count = (field & 1) != 0 ? value : value % (length + 16);
            Put64(image, kSectionTable + (field - kSections) * 16 + 8, count);
        } else if (field < 2 * kSections + kCounts) {
            Put32(image, kCountsAt + (field - 2 * kSections) * 4, value % 300);
        } else if (length > 0) {
            image[value % length] = static_cast<char>(field);
        }
    }
    ImageProblem problem = ImageProblem::None;
    const auto attached = RuleList::Attach({image, length}, nullptr, problem);
    if (attached) {
        std::string longText(text);  // long enough for the vector scans
        while (!text.empty() && longText.size() < 200) {
            longText += text;
        }
        for (const std::string_view probe :
             {text, std::string_view(longText), std::string_view("http://www.example.com/casino"),
              std::string_view()}) {
            const Verdict verdict = attached->Evaluate(probe);
            if (verdict.line && *verdict.line >= attached->Lines().size()) {
                std::abort();  // decided by a line the list does not have
            }
        }
    }
    return 0;
}
