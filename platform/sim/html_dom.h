// An in-memory HTML document for the sim, parsed by gumbo: what the dialogs' bindings, click
// maps and toggle buttons need of a page, and nothing more.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace sim {

struct DomNode {
    bool isText = false;
    std::string tag;   // lower case
    std::string text;  // text nodes
    std::vector<std::pair<std::string, std::string>> attributes;
    std::vector<std::unique_ptr<DomNode>> children;
    DomNode* parent = nullptr;
    // Live state of form fields.
    std::string value;
    bool checked = false;
    bool indeterminate = false;

    std::optional<std::string> Attribute(const std::string& name) const;
};

class HtmlDom {
  public:
    // `idsIgnoreCase`: getElementById as the hosted browser's older document modes do it,
    // which pages written for them rely on; otherwise the id exactly, as in standards mode.
    HtmlDom(const std::string& html, bool idsIgnoreCase);

    DomNode* FindById(const std::string& id) const;
    std::string Title() const;
    static std::string InnerText(const DomNode& node);
    static std::string OuterHtml(const DomNode& node);
    // Replaces the node by the elements of `html`; false when the node is the root.
    bool ReplaceOuterHtml(DomNode& node, const std::string& html);
    void SetInnerText(DomNode& node, const std::string& text);
    const DomNode& Root() const { return *root_; }

  private:
    std::unique_ptr<DomNode> root_;
    bool idsIgnoreCase_;
};

}  // namespace sim
