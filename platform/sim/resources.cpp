#include "platform/sim/resources.h"

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "platform/constants.h"

namespace sim {

namespace {

struct Token {
    std::string text;
    bool quoted;
    int line;
};

class Tokenizer {
  public:
    explicit Tokenizer(const std::string& source) : source_(source) {}

    std::vector<Token> All(const std::string& file) {
        std::vector<Token> tokens;
        while (true) {
            SkipBlanksAndComments();
            if (pos_ >= source_.size()) {
                return tokens;
            }
            const char c = source_[pos_];
            if (c == '"') {
                tokens.push_back({ReadQuoted(file), true, line_});
            } else if (c == ',' || c == '|') {
                tokens.push_back({std::string(1, c), false, line_});
                ++pos_;
            } else {
                const size_t start = pos_;
                while (pos_ < source_.size() &&
                       !std::isspace(static_cast<unsigned char>(source_[pos_])) &&
                       source_[pos_] != ',' && source_[pos_] != '|' && source_[pos_] != '"') {
                    ++pos_;
                }
                tokens.push_back({source_.substr(start, pos_ - start), false, line_});
            }
        }
    }

  private:
    void SkipBlanksAndComments() {
        while (pos_ < source_.size()) {
            if (source_[pos_] == '\n') {
                ++line_, ++pos_;
            } else if (std::isspace(static_cast<unsigned char>(source_[pos_]))) {
                ++pos_;
            } else if (source_.compare(pos_, 2, "//") == 0) {
                pos_ = source_.find('\n', pos_);
                pos_ = pos_ == std::string::npos ? source_.size() : pos_;
            } else if (source_.compare(pos_, 2, "/*") == 0) {
                const size_t end = source_.find("*/", pos_);
                for (size_t k = pos_; k < std::min(end, source_.size()); ++k) {
                    line_ += source_[k] == '\n';
                }
                pos_ = end == std::string::npos ? source_.size() : end + 2;
            } else {
                return;
            }
        }
    }

    // Resource compiler strings: C escapes, and "" for a quote.
    std::string ReadQuoted(const std::string& file) {
        std::string out;
        ++pos_;
        while (true) {
            if (pos_ >= source_.size() || source_[pos_] == '\n') {
                throw std::runtime_error(file + ":" + std::to_string(line_) +
                                         ": unterminated string");
            }
            const char c = source_[pos_++];
            if (c == '"') {
                if (pos_ < source_.size() && source_[pos_] == '"') {
                    out.push_back('"');
                    ++pos_;
                    continue;
                }
                return out;
            }
            if (c == '\\' && pos_ < source_.size()) {
                const char e = source_[pos_++];
                switch (e) {
                    case 'n':
                        out.push_back('\n');
                        break;
                    case 't':
                        out.push_back('\t');
                        break;
                    case 'r':
                        out.push_back('\r');
                        break;
                    case '0':
                        out.push_back('\0');
                        break;
                    default:
                        out.push_back(e);
                        break;
                }
                continue;
            }
            out.push_back(c);
        }
    }

    const std::string& source_;
    size_t pos_ = 0;
    int line_ = 1;
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error(path + ": cannot be read");
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

const std::map<std::string, uint32_t>& StyleNames() {
    static const std::map<std::string, uint32_t> names = {
        {"WS_VISIBLE", platform::ws::kVisible},
        {"WS_POPUP", platform::ws::kPopup},
        {"WS_CAPTION", platform::ws::kCaption},
        {"WS_BORDER", 0x00800000},
        {"WS_SYSMENU", platform::ws::kSysMenu},
        {"WS_MINIMIZEBOX", platform::ws::kMinimizeBox},
        {"WS_CHILD", platform::ws::kChild},
        {"WS_DISABLED", platform::ws::kDisabled},
        {"DS_SYSMODAL", 0x02},
        {"DS_MODALFRAME", 0x80},
        {"DS_SETFONT", 0x40},
        {"DS_FIXEDSYS", 0x08},
        {"DS_SHELLFONT", 0x48},
        {"DS_CENTER", 0x800},
    };
    return names;
}

class Parser {
  public:
    Parser(Resources& out, std::string file) : out_(out), file_(std::move(file)) {}

    void Parse(const std::string& source) {
        tokens_ = Tokenizer(source).All(file_);
        while (pos_ < tokens_.size()) {
            const Token& t = tokens_[pos_];
            if (t.text == "#include") {
                ++pos_;
                const std::string name = Next().text;
                if (name.size() > 4 && name.substr(name.size() - 2) == ".h") {
                    ReadDefines(FolderOf(file_) + name);
                }
            } else if (t.text == "#define") {
                pos_ += 1;
                const std::string name = Next().text;
                if (pos_ < tokens_.size() && tokens_[pos_].line == tokens_[pos_ - 1].line) {
                    defines_[name] = Next().text;
                }
            } else if (!t.text.empty() && t.text[0] == '#') {
                SkipLine();
            } else if (pos_ + 2 < tokens_.size() && !t.quoted && tokens_[pos_ + 2].quoted &&
                       (tokens_[pos_ + 1].text == "HTML" || tokens_[pos_ + 1].text == "SCR" ||
                        tokens_[pos_ + 1].text == "IMG")) {
                const uint32_t id = Number(t);
                out_.files[id] = FolderOf(file_) + tokens_[pos_ + 2].text;
                pos_ += 3;
            } else if (t.text == "STRINGTABLE") {
                ++pos_;
                ParseStringTable();
            } else if (pos_ + 1 < tokens_.size() && (tokens_[pos_ + 1].text == "DIALOGEX" ||
                                                     tokens_[pos_ + 1].text == "DIALOG")) {
                ParseDialog();
            } else {
                ++pos_;
            }
        }
    }

  private:
    void ReadDefines(const std::string& path) {
        std::istringstream in(ReadFile(path));
        std::string line;
        while (std::getline(in, line)) {
            std::istringstream words(line);
            std::string directive, name, value;
            if (words >> directive >> name >> value && directive == "#define") {
                defines_[name] = value;
            }
        }
    }

    const Token& Next() {
        if (pos_ >= tokens_.size()) {
            throw std::runtime_error(file_ + ": unexpected end");
        }
        return tokens_[pos_++];
    }

    void SkipLine() {
        const int line = tokens_[pos_].line;
        while (pos_ < tokens_.size() && tokens_[pos_].line == line) {
            ++pos_;
        }
    }

    uint32_t Number(const Token& t) {
        std::string text = t.text;
        for (int depth = 0; defines_.count(text) && depth < 8; ++depth) {
            text = defines_[text];
        }
        try {
            size_t used = 0;
            const unsigned long value = std::stoul(text, &used, 0);
            if (used == text.size() || text[used] == 'L' || text[used] == 'U') {
                return static_cast<uint32_t>(value);
            }
        } catch (const std::exception&) {
        }
        throw std::runtime_error(file_ + ":" + std::to_string(t.line) +
                                 ": not a number: " + t.text);
    }

    void ParseStringTable() {
        while (pos_ < tokens_.size() && tokens_[pos_].text != "BEGIN" &&
               tokens_[pos_].text != "{") {
            ++pos_;
        }
        ++pos_;
        while (pos_ < tokens_.size() && tokens_[pos_].text != "END" && tokens_[pos_].text != "}") {
            const uint32_t id = Number(Next());
            if (pos_ < tokens_.size() && tokens_[pos_].text == ",") {
                ++pos_;
            }
            const Token& text = Next();
            if (!text.quoted) {
                throw std::runtime_error(file_ + ":" + std::to_string(text.line) +
                                         ": string expected");
            }
            out_.strings[id] = text.text;
        }
        ++pos_;
    }

    void ParseDialog() {
        DialogTemplate dialog;
        dialog.id = Number(Next());
        ++pos_;  // DIALOG or DIALOGEX
        std::vector<uint32_t> rect;
        while (pos_ < tokens_.size() && rect.size() < 4) {
            const Token& t = Next();
            if (t.text != ",") {
                rect.push_back(Number(t));
            }
        }
        dialog.width = rect.size() > 2 ? static_cast<int>(rect[2]) : 0;
        dialog.height = rect.size() > 3 ? static_cast<int>(rect[3]) : 0;
        while (pos_ < tokens_.size() && tokens_[pos_].text != "BEGIN" &&
               tokens_[pos_].text != "{") {
            const Token& t = Next();
            if (t.text == "CAPTION") {
                dialog.caption = Next().text;
            } else if (t.text == "FONT") {
                dialog.style |= 0x40;  // DS_SETFONT: the resource compiler adds it for a font
            } else if (t.text == "STYLE") {
                dialog.style |= StyleExpression();
            }
        }
        int depth = 0;
        do {
            const Token& t = Next();
            depth += (t.text == "BEGIN" || t.text == "{") - (t.text == "END" || t.text == "}");
        } while (depth > 0);
        out_.dialogs[dialog.id] = dialog;
    }

    uint32_t StyleExpression() {
        uint32_t style = 0;
        while (pos_ < tokens_.size()) {
            const Token& t = Next();
            const auto known = StyleNames().find(t.text);
            if (known != StyleNames().end()) {
                style |= known->second;
            }
            if (pos_ >= tokens_.size() || tokens_[pos_].text != "|") {
                return style;
            }
            ++pos_;
        }
        return style;
    }

    Resources& out_;
    std::string file_;
    std::vector<Token> tokens_;
    size_t pos_ = 0;
    std::map<std::string, std::string> defines_;
};

}  // namespace

std::shared_ptr<Resources> Resources::FromRcFile(const std::string& path) {
    auto resources = std::make_shared<Resources>();
    Parser(*resources, path).Parse(ReadFile(path));
    return resources;
}

std::string Resources::LoadString(uint32_t id) const {
    const auto it = strings.find(id);
    return it == strings.end() ? std::string() : it->second;
}

std::optional<std::string> Resources::FindFile(uint32_t id) const {
    const auto it = files.find(id);
    if (it == files.end()) {
        return std::nullopt;
    }
    return it->second;
}

std::optional<DialogTemplate> Resources::FindDialog(uint32_t id) const {
    const auto it = dialogs.find(id);
    if (it == dialogs.end()) {
        return std::nullopt;
    }
    return it->second;
}

}  // namespace sim
