#include "platform/sim/html_host.h"

#include <fstream>
#include <sstream>

#include "platform/constants.h"
#include "platform/sim/state.h"

namespace sim {

SimHtmlHost::SimHtmlHost(World::State& state, Thread& thread, platform::WindowHandle dialog,
                         platform::HtmlEvents& events,
                         std::shared_ptr<const platform::Resources> resources)
    : state_(state),
      thread_(thread),
      dialog_(dialog),
      events_(events),
      resources_(std::move(resources)) {
    state_.pages[dialog_] = this;
}

SimHtmlHost::~SimHtmlHost() {
    *alive_ = false;
    state_.pages.erase(dialog_);
}

bool SimHtmlHost::Load(const std::string& html, const std::string& url, bool idsIgnoreCase) {
    dom_ = std::make_unique<HtmlDom>(html, idsIgnoreCase);
    // The browser reports the finished document later, through the message loop.
    auto alive = alive_;
    thread_.callbacks.push_back([this, alive, url] {
        if (*alive) {
            events_.OnDocumentComplete(url, true);
        }
    });
    return true;
}

bool SimHtmlHost::LoadResource(uint32_t htmlId) {
    const auto* resources = dynamic_cast<const Resources*>(resources_.get());
    const auto file = resources ? resources->FindFile(htmlId) : std::nullopt;
    if (!file) {
        return false;
    }
    std::ifstream in(*file, std::ios::binary);
    if (!in) {
        return false;
    }
    std::ostringstream html;
    html << in.rdbuf();
    // The program's own pages must work in every document mode: their ids match exactly.
    return Load(html.str(), "res://" + std::to_string(htmlId), false);
}

bool SimHtmlHost::Navigate(const std::string& url) {
    std::string html;
    if (platform::ReadWholeFile(state_.files, url, html) != 0) {
        dom_.reset();  // a navigation error: no document, no completion
        return true;
    }
    // An administrator's page may have been written for the older modes, as the hosted
    // browser shows it by default.
    return Load(html, url, true);
}

bool SimHtmlHost::Has(const std::string& id) const {
    return dom_ && dom_->FindById(id);
}

std::optional<std::string> SimHtmlHost::Value(const std::string& id) const {
    const DomNode* node = dom_ ? dom_->FindById(id) : nullptr;
    if (!node) {
        return std::nullopt;
    }
    return node->value;
}

bool SimHtmlHost::SetValue(const std::string& id, const std::string& value) {
    DomNode* node = dom_ ? dom_->FindById(id) : nullptr;
    if (!node) {
        return false;
    }
    node->value = value;
    return true;
}

std::optional<int> SimHtmlHost::CheckState(const std::string& id) const {
    const DomNode* node = dom_ ? dom_->FindById(id) : nullptr;
    if (!node) {
        return std::nullopt;
    }
    return (node->checked ? 1 : 0) | (node->indeterminate ? 2 : 0);
}

bool SimHtmlHost::SetCheckState(const std::string& id, int state) {
    DomNode* node = dom_ ? dom_->FindById(id) : nullptr;
    if (!node) {
        return false;
    }
    node->checked = (state & 1) != 0;
    node->indeterminate = (state & 2) != 0;
    return true;
}

std::optional<std::string> SimHtmlHost::InnerText(const std::string& id) const {
    const DomNode* node = dom_ ? dom_->FindById(id) : nullptr;
    if (!node) {
        return std::nullopt;
    }
    return HtmlDom::InnerText(*node);
}

bool SimHtmlHost::SetInnerText(const std::string& id, const std::string& text) {
    DomNode* node = dom_ ? dom_->FindById(id) : nullptr;
    if (!node) {
        return false;
    }
    dom_->SetInnerText(*node, text);
    return true;
}

bool SimHtmlHost::SetOuterHtml(const std::string& id, const std::string& html) {
    DomNode* node = dom_ ? dom_->FindById(id) : nullptr;
    return node && dom_->ReplaceOuterHtml(*node, html);
}

bool SimHtmlHost::SetDisabled(const std::string& id, bool disabled) {
    DomNode* node = dom_ ? dom_->FindById(id) : nullptr;
    if (!node) {
        return false;
    }
    std::erase_if(node->attributes,
                  [](const auto& attribute) { return attribute.first == "disabled"; });
    if (disabled) {
        node->attributes.emplace_back("disabled", "disabled");
    }
    return true;
}

std::string SimHtmlHost::Title() const {
    return dom_ ? dom_->Title() : std::string();
}

std::optional<std::string> SimHtmlHost::OuterHtml(const std::string& id) const {
    const DomNode* node = dom_ ? dom_->FindById(id) : nullptr;
    if (!node) {
        return std::nullopt;
    }
    return HtmlDom::OuterHtml(*node);
}

void SimHtmlHost::Click(const std::string& id) {
    const DomNode* node = dom_ ? dom_->FindById(id) : nullptr;
    if (!node || node->Attribute("disabled")) {
        return;  // nothing there to click, or a disabled button
    }
    const std::string elementId = node->Attribute("id").value_or(id);
    auto alive = alive_;
    thread_.callbacks.push_back([this, alive, elementId] {
        if (*alive) {
            events_.OnElementClick(elementId);
        }
    });
}

bool SimHtmlHost::OfferKeystroke(const platform::Message& message) {
    // The sim's page has no keys of its own: the control only asks the dialog's filter.
    return dom_ && message.window == dialog_ && events_.OnTranslateAccelerator(message);
}

bool SimHtmlHost::PressKey(uint32_t virtualKey) {
    const platform::Message message{dialog_, platform::wm::kKeyDown, virtualKey, 0,
                                    static_cast<uint32_t>(state_.now)};
    auto alive = alive_;
    return state_
               .CallOnThread(
                   thread_,
                   [this, alive, message]() -> std::intptr_t {
                       return *alive && events_.OnTranslateAccelerator(message);
                   },
                   5000)
               .value_or(0) != 0;
}

}  // namespace sim
