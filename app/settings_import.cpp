#include "app/settings_import.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

#include "app/password.h"
#include "common/settings_store.h"
#include "platform/constants.h"
#include "platform/text.h"

namespace corvane {

namespace {

constexpr std::string_view kExportedRoot = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Vemtrix\\Corvane";

struct ValueWrite {
    std::string key;  // below HKLM
    std::string name;
    bool remove = false;
    uint32_t type = 0;
    std::vector<uint8_t> data;
};

struct Line {
    size_t number;
    std::string text;
};

std::string DecodeText(std::span<const uint8_t> file) {
    if (file.size() >= 2 && file[0] == 0xFF && file[1] == 0xFE) {
        return platform::Utf16ToUtf8(platform::Utf16FromBytes(file.subspan(2)));
    }
    if (file.size() >= 3 && file[0] == 0xEF && file[1] == 0xBB && file[2] == 0xBF) {
        file = file.subspan(3);
    }
    return std::string(file.begin(), file.end());
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

// A quoted text from `at` (its opening quote): the unescaped text, `at` past the closing quote.
std::optional<std::string> ReadQuoted(std::string_view line, size_t& at) {
    std::string out;
    for (size_t i = at + 1; i < line.size(); ++i) {
        if (line[i] == '"') {
            at = i + 1;
            return out;
        }
        if (line[i] == '\\') {
            if (++i == line.size() || (line[i] != '\\' && line[i] != '"')) {
                return std::nullopt;
            }
        }
        out += line[i];
    }
    return std::nullopt;
}

// Whether a value's data is hex bytes: the only data `reg export` wraps onto further lines.
bool HasHexData(std::string_view line) {
    size_t at = 0;
    if (line.starts_with('@')) {
        at = 1;
    } else if (!line.starts_with('"') || !ReadQuoted(line, at)) {
        return false;
    }
    const std::string_view rest = Trim(line.substr(at));
    return rest.starts_with('=') && Trim(rest.substr(1)).starts_with("hex");
}

// The file's lines, a hex value's continued lines (ending in a backslash) joined into one. A
// comment or a key line never continues: a backslash there must not swallow the next key.
std::vector<Line> LogicalLines(const std::string& text) {
    std::vector<Line> lines;
    bool continued = false;
    size_t number = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        ++number;
        std::string_view line = Trim(std::string_view(text).substr(start, end - start));
        start = end + 1;
        const bool continues = line.ends_with('\\') && (continued || HasHexData(line));
        if (continues) {
            line.remove_suffix(1);
        }
        if (continued) {
            lines.back().text += line;
        } else {
            lines.push_back({number, std::string(line)});
        }
        continued = continues;
    }
    return lines;
}

std::optional<uint32_t> ParseHex(std::string_view digits, size_t maxDigits) {
    if (digits.empty() || digits.size() > maxDigits) {
        return std::nullopt;
    }
    uint32_t value = 0;
    for (const char c : digits) {
        const int digit = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
        if (digit < 0) {
            return std::nullopt;
        }
        value = value * 16 + static_cast<uint32_t>(digit);
    }
    return value;
}

std::optional<std::vector<uint8_t>> ParseHexBytes(std::string_view list) {
    std::vector<uint8_t> bytes;
    list = Trim(list);
    while (!list.empty()) {
        const size_t comma = list.find(',');
        const auto byte = ParseHex(Trim(list.substr(0, comma)), 2);
        if (!byte) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<uint8_t>(*byte));
        if (comma == std::string_view::npos) {
            break;
        }
        list = Trim(list.substr(comma + 1));
        if (list.empty()) {
            return std::nullopt;  // a trailing comma
        }
    }
    return bytes;
}

// The data after the equals sign; false when it cannot be read.
bool ParseData(std::string_view data, ValueWrite& write) {
    if (data == "-") {
        write.remove = true;
        return true;
    }
    if (!data.empty() && data.front() == '"') {
        size_t at = 0;
        const auto text = ReadQuoted(data, at);
        if (!text || at != data.size()) {
            return false;
        }
        write.type = platform::reg::kSz;
        write.data = platform::Utf16ToRegSzBytes(platform::Utf8ToUtf16(*text));
        return true;
    }
    if (data.starts_with("dword:")) {
        const auto number = ParseHex(data.substr(6), 8);
        if (!number) {
            return false;
        }
        write.type = platform::reg::kDword;
        for (int shift = 0; shift < 32; shift += 8) {
            write.data.push_back(static_cast<uint8_t>(*number >> shift));
        }
        return true;
    }
    std::optional<uint32_t> type;
    std::string_view bytes;
    if (data.starts_with("hex:")) {
        type = platform::reg::kBinary;
        bytes = data.substr(4);
    } else if (data.starts_with("hex(")) {
        const size_t close = data.find("):");
        if (close == std::string_view::npos) {
            return false;
        }
        type = ParseHex(data.substr(4, close - 4), 8);
        bytes = data.substr(close + 2);
    }
    if (!type) {
        return false;
    }
    auto parsed = ParseHexBytes(bytes);
    if (!parsed) {
        return false;
    }
    write.type = *type;
    write.data = std::move(*parsed);
    return true;
}

std::string AtLine(size_t number, const std::string& what) {
    return "line " + std::to_string(number) + ": " + what;
}

// The writes the file asks for, or what stops it.
std::optional<std::string> ReadExport(const std::string& text, std::vector<ValueWrite>& writes) {
    const std::vector<Line> lines = LogicalLines(text);
    bool header = false;
    std::optional<std::string> key;
    for (const Line& line : lines) {
        const std::string_view content = line.text;
        if (content.empty() || content.front() == ';') {
            continue;
        }
        if (!header) {
            if (content != "Windows Registry Editor Version 5.00" && content != "REGEDIT4") {
                return AtLine(line.number, "this is not a registry export");
            }
            header = true;
            continue;
        }
        if (content.front() == '[') {
            if (content.back() != ']') {
                return AtLine(line.number, "the key's name does not end with ]");
            }
            const std::string_view path = content.substr(1, content.size() - 2);
            if (path.starts_with('-')) {
                return AtLine(line.number, "it deletes a key; only values are imported");
            }
            const bool inTree =
                platform::EqualsIgnoreAsciiCase(path.substr(0, kExportedRoot.size()),
                                                kExportedRoot) &&
                (path.size() == kExportedRoot.size() || path[kExportedRoot.size()] == '\\');
            if (!inTree) {
                return AtLine(line.number,
                              "the key " + std::string(path) + " is outside Corvane's settings");
            }
            key = std::string(kSettingsRoot) + std::string(path.substr(kExportedRoot.size()));
            continue;
        }
        if (!key) {
            return AtLine(line.number, "a value before any key");
        }
        ValueWrite write;
        write.key = *key;
        size_t at = 0;
        if (content.front() == '@') {
            at = 1;
        } else if (content.front() == '"') {
            const auto name = ReadQuoted(content, at);
            if (!name) {
                return AtLine(line.number, "the value's name does not end");
            }
            write.name = *name;
        } else {
            return AtLine(line.number, "neither a key nor a value");
        }
        const std::string_view rest = Trim(content.substr(at));
        if (rest.empty() || rest.front() != '=' || !ParseData(Trim(rest.substr(1)), write)) {
            return AtLine(line.number, "the value's data cannot be read");
        }
        writes.push_back(std::move(write));
    }
    if (!header) {
        return std::string("the file is empty");
    }
    return std::nullopt;
}

long Apply(platform::Registry& registry, const ValueWrite& write) {
    platform::RegistryKeyPtr key;
    long status = OpenForWriting(registry, platform::Hive::LocalMachine, write.key, key);
    if (status == platform::error::kSuccess) {
        status = write.remove ? key->DeleteValue(write.name)
                              : key->SetValue(write.name, write.type, write.data);
        if (write.remove && status == platform::error::kFileNotFound) {
            status = platform::error::kSuccess;
        }
    }
    return status;
}

// A value as it was before the import touched it.
struct Before {
    std::string key;
    std::string name;
    bool known = false;                       // false: it could not be read, so not put back
    std::optional<platform::RawValue> value;  // no value: it was not there
};

Before ReadBefore(platform::Registry& registry, const std::string& path, const std::string& name) {
    Before before{path, name, false, std::nullopt};
    platform::RegistryKeyPtr key;
    long status = OpenStoredForReading(registry, platform::Hive::LocalMachine, path, key);
    if (status == platform::error::kFileNotFound) {
        before.known = true;
        return before;
    }
    if (status != platform::error::kSuccess) {
        return before;
    }
    platform::RawValue raw;
    status = QueryRawValue(*key, name, raw);
    before.known = status == platform::error::kSuccess || status == platform::error::kFileNotFound;
    if (status == platform::error::kSuccess) {
        before.value = std::move(raw);
    }
    return before;
}

bool KeyExists(platform::Registry& registry, const std::string& path) {
    platform::RegistryKeyPtr key;
    return OpenStoredForReading(registry, platform::Hive::LocalMachine, path, key) == 0;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string joined;
    for (const std::string& line : lines) {
        joined += (joined.empty() ? "" : "; ") + line;
    }
    return joined;
}

// What an import changed, to be put back when a later write fails: every value as it was
// before its first write, and the keys the import made.
class ImportUndo {
  public:
    explicit ImportUndo(platform::Registry& registry) : registry_(registry) {}

    // Before `write` is tried: the keys it would make, and the value as it is now.
    Before Remember(const ValueWrite& write) {
        for (size_t slash = write.key.find('\\', write.key.find('\\') + 1);;) {
            const std::string path = write.key.substr(0, slash);
            if (!KeyExists(registry_, path) &&
                std::find(madeKeys_.begin(), madeKeys_.end(), path) == madeKeys_.end()) {
                madeKeys_.push_back(path);
            }
            if (slash == std::string::npos) {
                break;
            }
            slash = write.key.find('\\', slash + 1);
        }
        return ReadBefore(registry_, write.key, write.name);
    }

    // Once `write` went through: its value is to be put back (a failed write changed none).
    void Written(Before before) {
        for (const Before& earlier : values_) {
            if (platform::EqualsIgnoreAsciiCase(earlier.key, before.key) &&
                platform::EqualsIgnoreAsciiCase(earlier.name, before.name)) {
                return;  // the first state is the one to go back to
            }
        }
        values_.push_back(std::move(before));
    }

    // Everything as it was, latest first; what could not be put back.
    std::vector<std::string> PutBack() {
        std::vector<std::string> stuck;
        for (auto it = values_.rbegin(); it != values_.rend(); ++it) {
            const std::string what = "\"" + it->name + "\" of HKLM\\" + it->key;
            if (!it->known) {
                stuck.push_back(what + " (it could not be read before)");
                continue;
            }
            ValueWrite restore{it->key, it->name, !it->value, 0, {}};
            if (it->value) {
                restore.type = it->value->type;
                restore.data = it->value->data;
            }
            if (const long status = Apply(registry_, restore); status != 0) {
                stuck.push_back(what + " (error " + std::to_string(status) + ")");
            }
        }
        // Deepest first: a key goes only once its sub-keys have.
        std::sort(madeKeys_.begin(), madeKeys_.end(),
                  [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
        for (const std::string& path : madeKeys_) {
            const size_t slash = path.rfind('\\');
            platform::RegistryKeyPtr parent;
            if (OpenForWriting(registry_, platform::Hive::LocalMachine, path.substr(0, slash),
                               parent) != 0 ||
                parent->DeleteSubKey(path.substr(slash + 1)) != 0) {
                stuck.push_back("the key HKLM\\" + path + ", made by the import");
            }
        }
        return stuck;
    }

  private:
    platform::Registry& registry_;
    std::vector<Before> values_;
    std::vector<std::string> madeKeys_;
};

}  // namespace

SettingsImport ImportSettingsExport(platform::Registry& registry, std::span<const uint8_t> file) {
    SettingsImport result;
    std::vector<ValueWrite> writes;
    if (auto error = ReadExport(DecodeText(file), writes)) {
        result.error = std::move(*error);
        return result;
    }
    // An older kiosk's password comes in its scrambled form: it replaces this one's verifier,
    // which would otherwise be checked first.
    const auto isRootValue = [](const ValueWrite& write, std::string_view name) {
        return platform::EqualsIgnoreAsciiCase(write.key, kSettingsRoot) &&
               platform::EqualsIgnoreAsciiCase(write.name, name);
    };
    const auto setsValue = [&](std::string_view name) {
        return std::any_of(writes.begin(), writes.end(), [&](const ValueWrite& write) {
            return isRootValue(write, name) && !write.remove;
        });
    };
    if (setsValue("Password") && !setsValue(kPasswordVerifierValue)) {
        writes.push_back({kSettingsRoot, kPasswordVerifierValue, true, 0, {}});
    }
    ImportUndo undo(registry);
    for (const ValueWrite& write : writes) {
        Before before = undo.Remember(write);
        const long status = Apply(registry, write);
        if (status != platform::error::kSuccess) {
            result.error = "the value \"" + write.name + "\" of HKLM\\" + write.key +
                           " could not be written (error " + std::to_string(status) + ")";
            const std::vector<std::string> stuck = undo.PutBack();
            result.error += stuck.empty()
                                ? ": nothing of the file was kept, every value is as it was"
                                : ": the file's values were taken back, but these could not be "
                                  "put back as they were: " +
                                      JoinLines(stuck);
            result.values = 0;
            return result;
        }
        undo.Written(std::move(before));
        ++result.values;
    }
    return result;
}

}  // namespace corvane
