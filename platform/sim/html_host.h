// The sim's HTML host: a page of the program's resources or of the sim's files, parsed into
// an in-memory document, with a scripted user for tests.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/html_host.h"
#include "platform/sim/html_dom.h"
#include "platform/sim/world.h"

namespace sim {

struct Thread;

class SimHtmlHost final : public platform::HtmlHost, public platform::HtmlDocument {
  public:
    SimHtmlHost(World::State& state, Thread& thread, platform::WindowHandle dialog,
                platform::HtmlEvents& events, std::shared_ptr<const platform::Resources> resources);
    ~SimHtmlHost() override;

    // HtmlHost
    bool LoadResource(uint32_t htmlId) override;
    bool Navigate(const std::string& url) override;
    platform::HtmlDocument* Document() override { return dom_ ? this : nullptr; }
    bool OfferKeystroke(const platform::Message& message) override;

    // HtmlDocument
    bool Has(const std::string& id) const override;
    std::optional<std::string> Value(const std::string& id) const override;
    bool SetValue(const std::string& id, const std::string& value) override;
    std::optional<int> CheckState(const std::string& id) const override;
    bool SetCheckState(const std::string& id, int state) override;
    std::optional<std::string> InnerText(const std::string& id) const override;
    bool SetInnerText(const std::string& id, const std::string& text) override;
    bool SetOuterHtml(const std::string& id, const std::string& html) override;
    bool SetDisabled(const std::string& id, bool disabled) override;
    std::string Title() const override;

    // The scripted user.
    void Click(const std::string& id);
    // Offers a key press to the dialog's filter as the browser would: true when it was kept
    // from the browser.
    bool PressKey(uint32_t virtualKey);
    std::optional<std::string> OuterHtml(const std::string& id) const;

  private:
    bool Load(const std::string& html, const std::string& url, bool idsIgnoreCase);

    World::State& state_;
    Thread& thread_;
    platform::WindowHandle dialog_;
    platform::HtmlEvents& events_;
    std::shared_ptr<const platform::Resources> resources_;
    std::unique_ptr<HtmlDom> dom_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace sim
