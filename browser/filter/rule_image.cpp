#include "browser/filter/rule_image.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace lumbrel::filter {

static_assert(std::endian::native == std::endian::little, "images are little-endian");
static_assert(sizeof(ImageEntry) == 8);

namespace {

enum Section : uint32_t {
    kLineText,
    kLineStarts,
    kEntries,
    kAlwaysChecked,
    kFirstRequirer,
    kRequirers,
    kRootChildren,
    kFirstEdge,
    kEdgeBytes,
    kEdgeTargets,
    kEndsHere,
    kStarts,
    kStartsAgain,
    kGathered,
    kGatheredAgain,
    kNibbles,
    kSectionCount
};
constexpr uint64_t kElementSize[kSectionCount] = {1, 4, 8, 4, 4, 4, 4, 4, 1, 4, 4, 1, 1, 4, 4, 1};

constexpr char kMagic[8] = {'L', 'U', 'M', 'B', 'R', 'I', 'M', 'G'};

struct SectionPlace {
    uint64_t offset;
    uint64_t count;
};

struct Header {
    char magic[8];
    uint32_t version;
    uint32_t sectionCount;
    uint64_t imageSize;
    uint64_t sourceSize;
    uint8_t sourceDigest[32];
    uint32_t lastAll;
    uint32_t lastAllAllows;
    uint32_t literalCount;
    uint32_t scannerWidth;
    uint32_t scannerStride;
    uint32_t reserved;
    SectionPlace sections[kSectionCount];
};
static_assert(sizeof(Header) % 8 == 0);

template <typename T>
std::span<const T> View(std::string_view bytes, const SectionPlace& place) {
    return {reinterpret_cast<const T*>(bytes.data() + place.offset),
            static_cast<size_t>(place.count)};
}

template <typename T>
std::string_view AsBytes(std::span<const T> table) {
    return {reinterpret_cast<const char*>(table.data()), table.size_bytes()};
}

bool Rising(std::span<const uint32_t> values, bool strictly) {
    for (size_t i = 1; i < values.size(); ++i) {
        if (strictly ? values[i] <= values[i - 1] : values[i] < values[i - 1]) {
            return false;
        }
    }
    return true;
}

bool AllBelow(std::span<const uint32_t> values, size_t limit) {
    return std::all_of(values.begin(), values.end(), [&](uint32_t v) { return v < limit; });
}

// Offsets that run from 0 to `end` without falling back.
bool AreStarts(std::span<const uint32_t> starts, size_t end) {
    return !starts.empty() && starts.front() == 0 && starts.back() == end && Rising(starts, false);
}

bool IsSound(const ImageContents& c, uint32_t literalCount) {
    const size_t lines = c.lineStarts.size() - 1;
    for (size_t e = 0; e < c.entries.size(); ++e) {
        const ImageEntry& entry = c.entries[e];
        if (entry.line >= lines || (e > 0 && entry.line <= c.entries[e - 1].line) ||
            (entry.flags & ~(kEntryAllows | kEntryBad | kEntryNeedsMatcher)) != 0) {
            return false;
        }
    }
    if (!Rising(c.alwaysChecked, true) || !AllBelow(c.alwaysChecked, c.entries.size()) ||
        c.firstRequirer.size() != size_t(literalCount) + 1 ||
        !AreStarts(c.firstRequirer, c.requirers.size()) ||
        !AllBelow(c.requirers, c.entries.size()) || (c.lastAll != kNoLine && c.lastAll >= lines) ||
        c.scanner.count != literalCount || !ScannerTablesAreSound(c.scanner)) {
        return false;
    }
    // A scan ends early by each literal's first requirer: it must be its earliest.
    for (uint32_t k = 0; k < literalCount; ++k) {
        if (!Rising(c.requirers.subspan(c.firstRequirer[k],
                                        c.firstRequirer[k + 1] - c.firstRequirer[k]),
                    true)) {
            return false;
        }
    }
    return true;
}

}  // namespace

const char* DescribeImageProblem(ImageProblem problem) {
    switch (problem) {
        case ImageProblem::None:
            return "sound";
        case ImageProblem::Truncated:
            return "cut short";
        case ImageProblem::NotAnImage:
            return "not a compiled rule list";
        case ImageProblem::ForeignVersion:
            return "made by another version";
        case ImageProblem::Damaged:
            return "damaged";
        case ImageProblem::OtherSource:
            return "compiled from another text";
        case ImageProblem::OpenToOthers:
            return "open to change by others than administrators";
    }
    return "damaged";
}

std::optional<ImageContents> ReadImage(std::string_view bytes, ImageProblem& problem) {
    Header header;
    if (bytes.size() < sizeof kMagic || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) {
        problem = bytes.size() < sizeof kMagic ? ImageProblem::Truncated : ImageProblem::NotAnImage;
        return std::nullopt;
    }
    if (bytes.size() < sizeof header) {
        problem = ImageProblem::Truncated;
        return std::nullopt;
    }
    std::memcpy(&header, bytes.data(), sizeof header);
    if (header.version != kImageVersion || header.sectionCount != kSectionCount) {
        problem = ImageProblem::ForeignVersion;
        return std::nullopt;
    }
    if (header.imageSize != bytes.size()) {
        problem = header.imageSize > bytes.size() ? ImageProblem::Truncated : ImageProblem::Damaged;
        return std::nullopt;
    }
    problem = ImageProblem::Damaged;
    if (reinterpret_cast<uintptr_t>(bytes.data()) % 8 != 0) {
        return std::nullopt;
    }
    for (uint32_t s = 0; s < kSectionCount; ++s) {
        const SectionPlace& place = header.sections[s];
        if (place.offset < sizeof header || place.offset > bytes.size() || place.offset % 8 != 0 ||
            place.count > (bytes.size() - place.offset) / kElementSize[s]) {
            return std::nullopt;
        }
    }
    if (header.scannerWidth > 4 || header.lastAllAllows > 1) {
        return std::nullopt;
    }
    const auto* sections = header.sections;
    ImageContents c;
    c.source.size = header.sourceSize;
    std::memcpy(c.source.digest.data(), header.sourceDigest, c.source.digest.size());
    c.lineText = bytes.substr(static_cast<size_t>(sections[kLineText].offset),
                              static_cast<size_t>(sections[kLineText].count));
    c.lineStarts = View<uint32_t>(bytes, sections[kLineStarts]);
    c.entries = View<ImageEntry>(bytes, sections[kEntries]);
    c.alwaysChecked = View<uint32_t>(bytes, sections[kAlwaysChecked]);
    c.firstRequirer = View<uint32_t>(bytes, sections[kFirstRequirer]);
    c.requirers = View<uint32_t>(bytes, sections[kRequirers]);
    c.lastAll = header.lastAll;
    c.lastAllAllows = header.lastAllAllows != 0;
    c.scanner.count = header.literalCount;
    c.scanner.width = header.scannerWidth;
    c.scanner.stride = header.scannerStride;
    c.scanner.rootChildren = View<uint32_t>(bytes, sections[kRootChildren]);
    c.scanner.firstEdge = View<uint32_t>(bytes, sections[kFirstEdge]);
    c.scanner.edgeBytes = View<uint8_t>(bytes, sections[kEdgeBytes]);
    c.scanner.edgeTargets = View<uint32_t>(bytes, sections[kEdgeTargets]);
    c.scanner.endsHere = View<uint32_t>(bytes, sections[kEndsHere]);
    c.scanner.starts = View<uint8_t>(bytes, sections[kStarts]);
    c.scanner.startsAgain = View<uint8_t>(bytes, sections[kStartsAgain]);
    c.scanner.gathered = View<uint32_t>(bytes, sections[kGathered]);
    c.scanner.gatheredAgain = View<uint32_t>(bytes, sections[kGatheredAgain]);
    c.scanner.nibbles = View<uint8_t>(bytes, sections[kNibbles]);
    if (!AreStarts(c.lineStarts, c.lineText.size()) || !IsSound(c, header.literalCount)) {
        return std::nullopt;
    }
    problem = ImageProblem::None;
    return c;
}

std::vector<uint64_t> WriteImage(const ImageContents& c) {
    const std::string_view data[kSectionCount] = {
        c.lineText,
        AsBytes(c.lineStarts),
        AsBytes(c.entries),
        AsBytes(c.alwaysChecked),
        AsBytes(c.firstRequirer),
        AsBytes(c.requirers),
        AsBytes(c.scanner.rootChildren),
        AsBytes(c.scanner.firstEdge),
        AsBytes(c.scanner.edgeBytes),
        AsBytes(c.scanner.edgeTargets),
        AsBytes(c.scanner.endsHere),
        AsBytes(c.scanner.starts),
        AsBytes(c.scanner.startsAgain),
        AsBytes(c.scanner.gathered),
        AsBytes(c.scanner.gatheredAgain),
        AsBytes(c.scanner.nibbles),
    };
    Header header{};
    std::memcpy(header.magic, kMagic, sizeof kMagic);
    header.version = kImageVersion;
    header.sectionCount = kSectionCount;
    header.sourceSize = c.source.size;
    std::memcpy(header.sourceDigest, c.source.digest.data(), sizeof header.sourceDigest);
    header.lastAll = c.lastAll;
    header.lastAllAllows = c.lastAllAllows ? 1 : 0;
    header.literalCount = c.scanner.count;
    header.scannerWidth = c.scanner.width;
    header.scannerStride = c.scanner.stride;
    uint64_t offset = sizeof header;
    for (uint32_t s = 0; s < kSectionCount; ++s) {
        header.sections[s] = {offset, data[s].size() / kElementSize[s]};
        offset += (data[s].size() + 7) / 8 * 8;
    }
    header.imageSize = offset;
    std::vector<uint64_t> words(static_cast<size_t>(offset / 8), 0);
    auto* out = reinterpret_cast<char*>(words.data());
    std::memcpy(out, &header, sizeof header);
    for (uint32_t s = 0; s < kSectionCount; ++s) {
        if (!data[s].empty()) {
            std::memcpy(out + header.sections[s].offset, data[s].data(), data[s].size());
        }
    }
    return words;
}

std::optional<SourceId> SourceHasher::Finish() {
    std::optional<platform::Sha256Digest> digest = digest_.Finish();
    if (!digest) {
        return std::nullopt;
    }
    return SourceId{size_, *digest};
}

}  // namespace lumbrel::filter
