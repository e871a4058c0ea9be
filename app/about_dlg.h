#pragma once

#include "framework/dialog.h"

namespace corvane {

// The about box: the program icon, its name and version, an OK button.
class CAboutDlg final : public framework::Dialog {
  public:
    explicit CAboutDlg(framework::Application& app);
};

}  // namespace corvane
