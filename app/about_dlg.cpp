#include "app/about_dlg.h"

#include "app/res/resource.h"

namespace corvane {

CAboutDlg::CAboutDlg(framework::Application& app) : Dialog(app, IDD_ABOUTBOX) {}

}  // namespace corvane
