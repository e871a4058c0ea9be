// The administrative templates (Corvane.admx and en-US\Corvane.adml) that describe every
// managed setting to Group Policy and MDM, made from the catalog the program reads its settings
// by and the configuration page's own labels, so the two cannot drift apart.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "app/setting_catalog.h"

namespace corvane::admx {

inline constexpr const char* kNamespace = "Vemtrix.Policies.Corvane";
inline constexpr const char* kRevision = "1.0";

// The page's labels by element id, each prefixed by the section it stands in ("Timer Dialog:
// Left"); a toggle button's text without its "Enabled"/"Disabled".
std::map<std::string, std::string> PageLabels(const std::string& html);

struct Templates {
    std::string admx;
    std::string adml;
};

Templates MakeTemplates(const std::vector<CatalogValue>& catalog,
                        const std::map<std::string, std::string>& labels);

// A policy's name in the templates: the sub-key's last part (Root for the root) and the value.
std::string PolicyName(const CatalogValue& value);

}  // namespace corvane::admx
