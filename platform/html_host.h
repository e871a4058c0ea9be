// The HTML page of a dialog: a browser control on Windows, an in-memory document on the sim.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/window_system.h"

namespace platform {

// What the page tells its dialog, always on the dialog's thread through its message loop.
class HtmlEvents {
  public:
    virtual void OnDocumentComplete(const std::string& url, bool topLevel) = 0;
    // A click on an element with this id.
    virtual void OnElementClick(const std::string& elementId) = 0;
    // A key message the browser is about to handle; true keeps it from the browser.
    virtual bool OnTranslateAccelerator(const Message& message) = 0;

  protected:
    ~HtmlEvents() = default;
};

// The loaded document's elements, found by id without regard to case. An element that is
// not there gives no value and takes no change.
class HtmlDocument {
  public:
    virtual ~HtmlDocument() = default;
    virtual bool Has(const std::string& id) const = 0;
    virtual std::optional<std::string> Value(const std::string& id) const = 0;
    virtual bool SetValue(const std::string& id, const std::string& value) = 0;
    // Bit 0: checked; bit 1: indeterminate.
    virtual std::optional<int> CheckState(const std::string& id) const = 0;
    virtual bool SetCheckState(const std::string& id, int state) = 0;
    virtual std::optional<std::string> InnerText(const std::string& id) const = 0;
    virtual bool SetInnerText(const std::string& id, const std::string& text) = 0;
    virtual bool SetOuterHtml(const std::string& id, const std::string& html) = 0;
    // A disabled element takes no clicks and no input; its value can still be set.
    virtual bool SetDisabled(const std::string& id, bool disabled) = 0;
    virtual std::string Title() const = 0;
};

class HtmlHost {
  public:
    virtual ~HtmlHost() = default;
    // A page of the program's resources (HTML type), by id.
    virtual bool LoadResource(uint32_t htmlId) = 0;
    virtual bool Navigate(const std::string& url) = 0;
    // Null while no document is loaded, and where there is no HTML engine.
    virtual HtmlDocument* Document() = 0;
    // Offers a keyboard message of the dialog's loop to the browser control, as its host must
    // (the control's own keys, and through it the dialog's accelerator filter); true when the
    // control took it and it is not to be dispatched.
    virtual bool OfferKeystroke(const Message& message) = 0;
};

}  // namespace platform
