// A compiled rule list as one block of bytes, which a browser window maps instead of compiling
// the list again. Fixed-width little-endian fields, the same for the 32- and 64-bit helpers.
// Nothing in an image is used before ReadImage has checked all of it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "browser/filter/literals.h"
#include "platform/sha256.h"

namespace lumbrel::filter {

inline constexpr uint32_t kImageVersion = 3;

// The rule file an image was compiled from: its size and SHA-256. Only an image of the file's
// bytes as they are now is used.
struct SourceId {
    uint64_t size = 0;
    platform::Sha256Digest digest{};
    bool operator==(const SourceId&) const = default;
};

// A pattern or bad-pattern line of the list.
struct ImageEntry {
    uint32_t line;
    uint32_t flags;
};
inline constexpr uint32_t kEntryAllows = 1;        // the sign is "+"
inline constexpr uint32_t kEntryBad = 2;           // the pattern does not compile
inline constexpr uint32_t kEntryNeedsMatcher = 4;  // finding one of its literals is not enough
inline constexpr uint32_t kNoLine = ~0u;

// What an image holds, as views into its bytes (or, while writing one, into the compiler's).
struct ImageContents {
    SourceId source;                          // the rule file it was compiled from
    std::string_view lineText;                // the file's lines without their ends
    std::span<const uint32_t> lineStarts;     // line i: lineText[starts[i], starts[i + 1])
    std::span<const ImageEntry> entries;      // in file order
    std::span<const uint32_t> alwaysChecked;  // entries without a required literal
    // The entries requiring literal k: requirers[firstRequirer[k] .. firstRequirer[k + 1]).
    std::span<const uint32_t> firstRequirer;
    std::span<const uint32_t> requirers;
    uint32_t lastAll = kNoLine;  // the last "all" line
    bool lastAllAllows = false;
    ScannerTables scanner;
};

enum class ImageProblem {
    None,
    Truncated,
    NotAnImage,
    ForeignVersion,
    Damaged,
    OtherSource,
    OpenToOthers,  // someone other than an administrator could have written it
};
const char* DescribeImageProblem(ImageProblem problem);

// The image's contents when all of it is sound: every size agrees, every index is in range,
// every run in order. The bytes must start on an 8-byte boundary, as a mapping and a
// vector of words do.
std::optional<ImageContents> ReadImage(std::string_view bytes, ImageProblem& problem);

// Lays the contents out as an image, in words so that its sections stay aligned.
std::vector<uint64_t> WriteImage(const ImageContents& contents);

inline std::string_view ImageBytes(const std::vector<uint64_t>& words) {
    return {reinterpret_cast<const char*>(words.data()), words.size() * sizeof(uint64_t)};
}

// A rule file's SourceId, fed its bytes as they are read.
class SourceHasher {
  public:
    void Update(std::string_view bytes) {
        size_ += bytes.size();
        digest_.Update(bytes);
    }
    // None when the system could not hash: the file then goes without an image.
    std::optional<SourceId> Finish();

  private:
    platform::Sha256 digest_;
    uint64_t size_ = 0;
};

}  // namespace lumbrel::filter
