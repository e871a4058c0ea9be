// One browser window's two filter lists, loaded from the administrator's files.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "browser/filter/rule_lines.h"
#include "browser/filter/rule_list.h"
#include "platform/system.h"

namespace lumbrel::filter {

class FilterLists {
  public:
    explicit FilterLists(platform::System& system) : system_(system) {}

    // Where compiled images of the lists are looked for; empty: the lists are compiled.
    void SetImageFolder(std::string folder) { imageFolder_ = std::move(folder); }

    // 1 when the filter is on: the file was read, or it is there but could not be read whole
    // (held open by another program, access refused, a read error, too large), and the list is
    // left empty so that it refuses everything. 0 when the file is not there. A message box
    // tells why in both failing cases.
    int LoadUrlList(std::string_view path);
    int LoadContentList(std::string_view path);

    // 1 allows, 0 refuses.
    int IsUrlAllowed(std::string_view address) const;
    int IsContentAllowed(std::string_view markup) const;

    Verdict JudgeUrl(std::string_view address) const;
    Verdict JudgeContent(std::string_view markup) const;

    // The files' lines, in file order (kept in the compiled list).
    RuleLines urlList;
    RuleLines contentList;
    // Whether each list came from a compiled image.
    bool urlListFromImage = false;
    bool contentListFromImage = false;

  private:
    int Load(std::string_view path, const char* what, RuleLines& list, RuleList& rules,
             bool& fromImage);

    platform::System& system_;
    std::string imageFolder_;
    RuleList urlRules_;
    RuleList contentRules_;
};

// The filter switches of one browser window's settings, as the loads leave them.
struct FilterSwitches {
    int filterURLs = 0;
    std::string filterURLFile;
    int filterContent = 0;
    std::string contentFile;
};

// Loads the lists the switches ask for. A switch without a file, or whose file is not there, is
// turned off for this window; one whose file is there but cannot be read refuses everything.
void LoadSwitchedLists(FilterLists& lists, FilterSwitches& switches);

// The address-prefix rule of FilterOnlyHTTP: exact, case-sensitive prefixes.
bool PassesSchemeRule(std::string_view address);

// Both rules for a top-level navigation; true when it may go ahead.
bool CheckNavigation(const FilterLists& lists, std::string_view address, bool filterURLs,
                     bool filterOnlyHTTP);

}  // namespace lumbrel::filter
