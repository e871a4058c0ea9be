#include "framework/html_dialog.h"

#include "platform/constants.h"
#include "platform/text.h"

namespace framework {

HtmlDialog::~HtmlDialog() = default;

bool HtmlDialog::OnInitDialog() {
    Dialog::OnInitDialog();
    host_ = system.windows.CreateHtmlHost(Handle(), *this);
    if (host_) {
        host_->LoadResource(htmlId_);
    }
    return true;
}

bool HtmlDialog::PreTranslateMessage(platform::Message& message) {
    const bool keyboard =
        message.message >= platform::wm::kKeyFirst && message.message <= platform::wm::kKeyLast;
    if (keyboard && host_ && host_->OfferKeystroke(message)) {
        return true;
    }
    return Dialog::PreTranslateMessage(message);
}

void HtmlDialog::OnDocumentComplete(const std::string&, bool topLevel) {
    if (topLevel) {
        UpdateData(false);
    }
}

void HtmlDialog::MapClick(const std::string& elementId, std::function<void()> handler) {
    clicks_[platform::AsciiLower(elementId)] = std::move(handler);
}

void HtmlDialog::OnElementClick(const std::string& elementId) {
    const auto it = clicks_.find(platform::AsciiLower(elementId));
    if (it != clicks_.end()) {
        it->second();
    }
}

platform::HtmlDocument* HtmlDialog::Exchange::Page() {
    return ok_ ? dialog_.Document() : nullptr;
}

HtmlDialog::Exchange& HtmlDialog::Exchange::Checkbox(const std::string& id, int& field) {
    if (platform::HtmlDocument* page = Page()) {
        if (!save_) {
            page->SetCheckState(id, (field != 0 ? 1 : 0) | ((field & 2) ? 2 : 0));
        } else if (const auto state = page->CheckState(id)) {
            field = ((*state & 1) ? 1 : 0) + ((*state & 2) ? 2 : 0);
        }
    }
    return *this;
}

HtmlDialog::Exchange& HtmlDialog::Exchange::Text(const std::string& id, std::string& field) {
    if (platform::HtmlDocument* page = Page()) {
        if (!save_) {
            page->SetValue(id, field);
        } else if (const auto value = page->Value(id)) {
            field = *value;
        }
    }
    return *this;
}

HtmlDialog::Exchange& HtmlDialog::Exchange::Number(const std::string& id, uint32_t& field) {
    platform::HtmlDocument* page = Page();
    if (page == nullptr) {
        return *this;
    }
    if (!save_) {
        page->SetValue(id, std::to_string(field));
        return *this;
    }
    const auto value = page->Value(id);
    if (!value) {
        return *this;
    }
    if (const auto number = ParseUnsigned(*value)) {
        field = *number;
    } else {
        dialog_.system.windows.MessageBox(dialog_.Handle(), "Please enter a positive integer.",
                                          dialog_.app.name,
                                          platform::mb::kOk | platform::mb::kIconExclamation);
        ok_ = false;
    }
    return *this;
}

HtmlDialog::Exchange& HtmlDialog::Exchange::InnerText(const std::string& id, std::string& field) {
    if (platform::HtmlDocument* page = Page()) {
        if (!save_) {
            page->SetInnerText(id, field);
        } else if (const auto text = page->InnerText(id)) {
            field = *text;
        }
    }
    return *this;
}

std::optional<uint32_t> ParseUnsigned(const std::string& text) {
    size_t begin = text.find_first_not_of(" \t");
    size_t end = text.find_last_not_of(" \t");
    if (begin == std::string::npos) {
        return std::nullopt;
    }
    uint64_t value = 0;
    for (size_t i = begin; i <= end; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<uint64_t>(text[i] - '0');
        if (value > 0xFFFFFFFFull) {
            return std::nullopt;
        }
    }
    return static_cast<uint32_t>(value);
}

}  // namespace framework
