// The engines the filter benchmarks compare, each judging a text the way the rules say: the
// first pattern that matches decides, else the "all" line. The other engines' own C allocations
// go through the heap counters where they take an allocator.
#pragma once

#define PCRE2_CODE_UNIT_WIDTH 8
#include <hs/hs.h>
#include <pcre2.h>
#include <re2/re2.h>
#include <re2/set.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "bench/heap_peak.h"
#include "bench/workloads.h"
#include "browser/filter/rule_list.h"

namespace lumbrel::bench {

class Engine {
  public:
    virtual ~Engine() = default;
    virtual bool Allowed(const std::string& text) = 0;
};

class Ours final : public Engine {
  public:
    explicit Ours(const std::vector<std::string>& lines) : rules_(lines) {}
    bool Allowed(const std::string& text) override { return rules_.Evaluate(text).allowed; }
    double ImageKilobytes() const { return static_cast<double>(rules_.Image().size()) / 1024; }

  private:
    filter::RuleList rules_;
};

RE2::Options CaseInsensitive() {
    RE2::Options options;
    options.set_case_sensitive(false);
    options.set_log_errors(false);
    options.set_max_mem(256 << 20);
    return options;
}

class Re2Loop final : public Engine {
  public:
    explicit Re2Loop(const std::vector<std::string>& lines) : plain_(Plain(lines)) {
        for (const auto& p : plain_.patterns) {
            res_.push_back(std::make_unique<RE2>(p, CaseInsensitive()));
        }
    }
    bool Allowed(const std::string& text) override {
        for (size_t i = 0; i < res_.size(); ++i) {
            if (RE2::PartialMatch(text, *res_[i])) {
                return plain_.allow[i];
            }
        }
        return plain_.defaultAllow;
    }

  private:
    PlainRules plain_;
    std::vector<std::unique_ptr<RE2>> res_;
};

class Re2Set final : public Engine {
  public:
    explicit Re2Set(const std::vector<std::string>& lines)
        : plain_(Plain(lines)), set_(CaseInsensitive(), RE2::UNANCHORED) {
        for (const auto& p : plain_.patterns) {
            set_.Add(p, nullptr);
        }
        set_.Compile();
    }
    bool Allowed(const std::string& text) override {
        std::vector<int> hits;
        if (!set_.Match(text, &hits) || hits.empty()) {
            return plain_.defaultAllow;
        }
        return plain_.allow[static_cast<size_t>(*std::min_element(hits.begin(), hits.end()))];
    }

  private:
    PlainRules plain_;
    RE2::Set set_;
};

class Pcre2Jit final : public Engine {
  public:
    explicit Pcre2Jit(const std::vector<std::string>& lines) : plain_(Plain(lines)) {
        general_.reset(
            pcre2_general_context_create([](PCRE2_SIZE size, void*) { return CountedMalloc(size); },
                                         [](void* p, void*) { CountedFree(p); }, nullptr));
        compile_.reset(pcre2_compile_context_create(general_.get()));
        for (const auto& p : plain_.patterns) {
            int error = 0;
            PCRE2_SIZE offset = 0;
            pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(p.c_str()), p.size(),
                                             PCRE2_CASELESS, &error, &offset, compile_.get());
            pcre2_jit_compile(code, PCRE2_JIT_COMPLETE);
            codes_.emplace_back(code, pcre2_code_free);
        }
        data_.reset(pcre2_match_data_create(16, general_.get()));
    }
    bool Allowed(const std::string& text) override {
        for (size_t i = 0; i < codes_.size(); ++i) {
            if (pcre2_jit_match(codes_[i].get(), reinterpret_cast<PCRE2_SPTR>(text.data()),
                                text.size(), 0, 0, data_.get(), nullptr) >= 0) {
                return plain_.allow[i];
            }
        }
        return plain_.defaultAllow;
    }

  private:
    PlainRules plain_;
    std::unique_ptr<pcre2_general_context, decltype(&pcre2_general_context_free)> general_{
        nullptr, pcre2_general_context_free};
    std::unique_ptr<pcre2_compile_context, decltype(&pcre2_compile_context_free)> compile_{
        nullptr, pcre2_compile_context_free};
    std::vector<std::unique_ptr<pcre2_code, decltype(&pcre2_code_free)>> codes_;
    std::unique_ptr<pcre2_match_data, decltype(&pcre2_match_data_free)> data_{
        nullptr, pcre2_match_data_free};
};

// Hyperscan's one pass over all patterns; the lowest line that matched decides.
class Hyperscan final : public Engine {
  public:
    explicit Hyperscan(const std::vector<std::string>& lines) : plain_(Plain(lines)) {
        std::vector<const char*> expressions;
        std::vector<unsigned> flags(plain_.patterns.size(),
                                    HS_FLAG_CASELESS | HS_FLAG_SINGLEMATCH | HS_FLAG_DOTALL);
        std::vector<unsigned> ids;
        for (size_t i = 0; i < plain_.patterns.size(); ++i) {
            expressions.push_back(plain_.patterns[i].c_str());
            ids.push_back(static_cast<unsigned>(i));
        }
        hs_compile_error_t* error = nullptr;
        if (hs_compile_multi(expressions.data(), flags.data(), ids.data(),
                             static_cast<unsigned>(expressions.size()), HS_MODE_BLOCK, nullptr,
                             &database_, &error) != HS_SUCCESS) {
            hs_free_compile_error(error);
            return;
        }
        hs_alloc_scratch(database_, &scratch_);
    }
    ~Hyperscan() override {
        hs_free_scratch(scratch_);
        hs_free_database(database_);
    }
    bool Allowed(const std::string& text) override {
        unsigned lowest = UINT32_MAX;
        hs_scan(
            database_, text.data(), static_cast<unsigned>(text.size()), 0, scratch_,
            [](unsigned id, unsigned long long, unsigned long long, unsigned, void* context) {
                unsigned& best = *static_cast<unsigned*>(context);
                best = std::min(best, id);
                return 0;
            },
            &lowest);
        return lowest == UINT32_MAX ? plain_.defaultAllow : plain_.allow[lowest];
    }
    bool Ok() const { return database_ != nullptr; }

  private:
    PlainRules plain_;
    hs_database_t* database_ = nullptr;
    hs_scratch_t* scratch_ = nullptr;
};

class StdRegex final : public Engine {
  public:
    explicit StdRegex(const std::vector<std::string>& lines) : plain_(Plain(lines)) {
        for (const auto& p : plain_.patterns) {
            regexes_.emplace_back(
                p, std::regex::ECMAScript | std::regex::icase | std::regex::optimize);
        }
    }
    bool Allowed(const std::string& text) override {
        for (size_t i = 0; i < regexes_.size(); ++i) {
            if (std::regex_search(text, regexes_[i])) {
                return plain_.allow[i];
            }
        }
        return plain_.defaultAllow;
    }

  private:
    PlainRules plain_;
    std::vector<std::regex> regexes_;
};

}  // namespace lumbrel::bench
