// A dialog that shows an HTML page: element bindings that exchange field values with the page,
// a click map from element id to handler, document-complete, and the keyboard filter.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "framework/dialog.h"
#include "platform/html_host.h"

namespace framework {

class HtmlDialog : public Dialog, protected platform::HtmlEvents {
  public:
    HtmlDialog(Application& app, uint32_t templateId, uint32_t htmlId)
        : Dialog(app, templateId), htmlId_(htmlId) {}
    ~HtmlDialog() override;

    // The loaded page; null before it loads, and where there is no HTML engine.
    platform::HtmlDocument* Document() { return host_ ? host_->Document() : nullptr; }
    platform::HtmlHost* Host() { return host_.get(); }

    // Keystrokes go to the browser control before the dialog manager sees them.
    bool PreTranslateMessage(platform::Message& message) override;

  protected:
    // Makes the browser control and loads the dialog's page.
    bool OnInitDialog() override;
    // The top-level document pushes the fields to the page.
    void OnDocumentComplete(const std::string& url, bool topLevel) override;
    void OnElementClick(const std::string& elementId) override;
    bool OnTranslateAccelerator(const platform::Message&) override { return false; }

    // A click on the element with this id (any case) calls the handler.
    void MapClick(const std::string& elementId, std::function<void()> handler);

  public:
    // One pass of the element bindings in one direction. A number box holding anything but
    // an unsigned decimal number shows "Please enter a positive integer." and ends the pass.
    class Exchange {
      public:
        Exchange(HtmlDialog& dialog, bool save) : dialog_(dialog), save_(save) {}
        // Ticked when the field is not zero, indeterminate when its bit 1 is set; read back as
        // 1 for ticked plus 2 for indeterminate.
        Exchange& Checkbox(const std::string& id, int& field);
        Exchange& Text(const std::string& id, std::string& field);
        Exchange& Number(const std::string& id, uint32_t& field);
        Exchange& InnerText(const std::string& id, std::string& field);
        bool Ok() const { return ok_; }

      private:
        platform::HtmlDocument* Page();
        HtmlDialog& dialog_;
        bool save_;
        bool ok_ = true;
    };

  private:
    uint32_t htmlId_;
    std::unique_ptr<platform::HtmlHost> host_;
    std::map<std::string, std::function<void()>> clicks_;  // by lower-case id
};

// An unsigned decimal number of 32 bits, blanks around it allowed.
std::optional<uint32_t> ParseUnsigned(const std::string& text);

}  // namespace framework
