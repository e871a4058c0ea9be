#include "tools/ruletest/ruletest.h"

#include <istream>
#include <ostream>

#include "browser/filter/browser_lists.h"
#include "browser/filter/lint.h"
#include "browser/filter/rule_file.h"
#include "browser/filter/rule_list.h"
#include "browser/filter/rule_store.h"

namespace lumbrel::tools {

namespace {

using filter::Reason;
using filter::Verdict;

constexpr const char* kUsage =
    "Usage: lumbrel-ruletest [options] RULEFILE [ADDRESS...]\n"
    "\n"
    "Judges addresses by the rules of RULEFILE exactly as the browser helper does, and tells\n"
    "which line decided. Without addresses, reads them from standard input, one a line.\n"
    "\n"
    "Options:\n"
    "  --content FILE  judge the markup in FILE as a page body, by RULEFILE as a content list\n"
    "  --lint          list lines that do not compile, duplicate lines, and lines that can\n"
    "                  never decide because an earlier line always wins first\n"
    "  --browsers      print the block and allow lists Edge and Chrome get from RULEFILE, or\n"
    "                  the lines that prevent any list and why\n"
    "  --compile       compile RULEFILE and write the image every browser window then maps\n"
    "                  instead of compiling the list again (run as an administrator)\n"
    "  --images FOLDER where compiled images are kept (default: Rules beside this program)\n"
    "  --help          show this text\n"
    "\n"
    "Exit status: 0 all allowed (--lint: nothing found; --browsers: translated), 1 something\n"
    "refused (--lint: findings; --browsers: not translated), 2 a usage or file error.\n";

// Appended piece by piece: GCC 12 at -O3 warns of a false overlap in a chain of operator+.
std::string Quoted(std::string_view line) {
    std::string quoted;
    quoted.reserve(line.size() + 2);
    quoted += '"';
    quoted += line;
    quoted += '"';
    return quoted;
}

void Explain(const Verdict& verdict, const filter::RuleLines& lines, std::ostream& out) {
    const auto where = [&](size_t index) {
        return "line " + std::to_string(index + 1) + " " + Quoted(lines[index]);
    };
    switch (verdict.reason) {
        case Reason::PatternMatched:
            out << "matched by " << where(*verdict.line);
            break;
        case Reason::BadPattern:
            out << where(*verdict.line) << " does not compile";
            break;
        case Reason::BudgetExceeded:
            out << where(*verdict.line) << " needed too many steps on this text";
            break;
        case Reason::OutOfMemory:
            out << "there was not enough memory to decide"
                << (verdict.line ? " at " + where(*verdict.line) : std::string());
            break;
        case Reason::DefaultAll:
            out << "no pattern matched; the last \"all\" line decides: " << where(*verdict.line);
            break;
        case Reason::NoAllLine:
            out << "no pattern matched and there is no \"all\" line";
            break;
    }
}

bool ReadAll(platform::FileSystem& files, const std::string& path, std::string& contents,
             std::ostream& err) {
    long openError = 0;
    const long error = platform::ReadFileInPieces(
        files, path, openError, [&](std::string_view bytes) { contents.append(bytes); });
    if (error != 0) {
        err << "lumbrel-ruletest: cannot " << (openError != 0 ? "open " : "read ") << path << ": "
            << files.DescribeError(error) << "\n";
    }
    return error == 0;
}

// False, having said why, when the file could not be opened; a read error only warns.
bool ReportRead(platform::FileSystem& files, const std::string& rulePath, long openError,
                long readError, size_t lines, std::ostream& err) {
    if (openError != 0) {
        err << "lumbrel-ruletest: cannot open " << rulePath << ": "
            << files.DescribeError(openError) << "\n";
        return false;
    }
    if (readError != 0) {
        err << "lumbrel-ruletest: " << rulePath << " could not be read to its end ("
            << files.DescribeError(readError) << "); using its first " << lines
            << " lines, as the browser helper does\n";
    }
    return true;
}

int PrintBrowserLists(const std::string& rulePath, const filter::RuleLines& lines,
                      std::ostream& out) {
    const filter::BrowserTranslation translation = filter::TranslateForBrowsers(lines);
    if (!translation.lists) {
        out << rulePath << ": Edge and Chrome get no list; " << translation.refused.size()
            << (translation.refused.size() == 1 ? " line prevents it:\n" : " lines prevent it:\n");
        for (const filter::UntranslatableLine& line : translation.refused) {
            out << rulePath << ":" << line.line + 1 << ": " << Quoted(lines[line.line]) << " "
                << line.reason << "\n";
        }
        return 1;
    }
    const auto print = [&](const char* name, const std::vector<std::string>& list) {
        out << name << " (" << list.size() << ")\n";
        for (const std::string& filter : list) {
            out << "  " << filter << "\n";
        }
    };
    print("URLBlocklist", translation.lists->blocklist);
    print("URLAllowlist", translation.lists->allowlist);
    return 0;
}

int Compile(platform::FileSystem& files, const std::string& rulePath,
            const std::string& imageFolder, std::ostream& out, std::ostream& err) {
    if (imageFolder.empty()) {
        err << "lumbrel-ruletest: no folder for compiled images; name one with --images\n";
        return 2;
    }
    const filter::StoredImage stored = filter::StoreRuleImage(files, rulePath, imageFolder);
    if (stored.error != 0) {
        err << "lumbrel-ruletest: "
            << (stored.readFile ? "cannot read " + rulePath : "cannot write " + stored.path) << ": "
            << files.DescribeError(stored.error) << "\n";
        return 2;
    }
    out << (stored.written ? "compiled " : "already compiled ") << rulePath << " into "
        << stored.path << "\n";
    return 0;
}

}  // namespace

int RunRuleTester(const std::vector<std::string>& args, platform::FileSystem& files,
                  std::istream& in, std::ostream& out, std::ostream& err,
                  std::string_view defaultImageFolder) {
    std::string rulePath;
    std::string contentPath;
    std::string imageFolder(defaultImageFolder);
    bool lint = false;
    bool compile = false;
    bool browsers = false;
    std::vector<std::string> addresses;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            out << kUsage;
            return 0;
        } else if (arg == "--lint") {
            lint = true;
        } else if (arg == "--browsers") {
            browsers = true;
        } else if (arg == "--compile") {
            compile = true;
        } else if (arg == "--images") {
            if (i + 1 >= args.size()) {
                err << "lumbrel-ruletest: --images needs a folder\n" << kUsage;
                return 2;
            }
            imageFolder = args[++i];
        } else if (arg == "--content") {
            if (i + 1 >= args.size()) {
                err << "lumbrel-ruletest: --content needs a file\n" << kUsage;
                return 2;
            }
            contentPath = args[++i];
        } else if (arg.size() > 2 && arg.substr(0, 2) == "--") {
            err << "lumbrel-ruletest: unknown option " << arg << "\n" << kUsage;
            return 2;
        } else if (rulePath.empty()) {
            rulePath = arg;
        } else {
            addresses.push_back(arg);
        }
    }
    if (rulePath.empty()) {
        err << "lumbrel-ruletest: no rule file given\n" << kUsage;
        return 2;
    }

    if (compile) {
        return Compile(files, rulePath, imageFolder, out, err);
    }
    if (lint || browsers) {
        const filter::RuleFile file = filter::ReadRuleFile(files, rulePath);
        if (!ReportRead(files, rulePath, file.openError, file.readError, file.lines.size(), err)) {
            return 2;
        }
        if (browsers) {
            return PrintBrowserLists(rulePath, file.lines, out);
        }
        const auto findings = filter::LintRules(file.lines.ToVector());
        for (const auto& finding : findings) {
            out << rulePath << ":" << finding.line + 1 << ": " << Quoted(file.lines[finding.line])
                << " " << finding.text << "\n";
        }
        if (findings.empty()) {
            out << rulePath << ": " << file.lines.size() << " lines, nothing to report\n";
        }
        return findings.empty() ? 0 : 1;
    }

    // The list as the browser helper gets it: from a compiled image when there is a sound one.
    filter::LoadedList loaded = filter::LoadRuleList(files, rulePath, imageFolder);
    if (!ReportRead(files, rulePath, loaded.openError, loaded.readError,
                    loaded.rules.Lines().size(), err)) {
        return 2;
    }
    if (loaded.fromImage) {
        err << "lumbrel-ruletest: using the compiled image of " << rulePath << "\n";
    } else if (loaded.imageProblem != filter::ImageProblem::None) {
        err << "lumbrel-ruletest: the compiled image of " << rulePath << " is "
            << filter::DescribeImageProblem(loaded.imageProblem) << "; compiled the file\n";
    }
    const filter::RuleList& rules = loaded.rules;
    const filter::RuleLines& lines = rules.Lines();
    if (!contentPath.empty()) {
        std::string markup;
        if (!ReadAll(files, contentPath, markup, err)) {
            return 2;
        }
        const Verdict verdict = rules.Evaluate(markup);
        out << (verdict.allowed ? "ALLOW  " : "REFUSE ") << contentPath << ": ";
        Explain(verdict, lines, out);
        out << "\n";
        return verdict.allowed ? 0 : 1;
    }

    bool anyRefused = false;
    const auto judge = [&](const std::string& address) {
        const Verdict verdict = rules.Evaluate(address);
        anyRefused = anyRefused || !verdict.allowed;
        out << (verdict.allowed ? "ALLOW  " : "REFUSE ") << address << ": ";
        Explain(verdict, lines, out);
        out << "\n";
    };
    if (addresses.empty()) {
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            if (!line.empty()) {
                judge(line);
            }
        }
    }
    for (const std::string& address : addresses) {
        judge(address);
    }
    return anyRefused ? 1 : 0;
}

}  // namespace lumbrel::tools
