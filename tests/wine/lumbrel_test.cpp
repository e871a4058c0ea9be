// Lumbrel.dll as the browser meets it: registered by regsvr32, created by COM, attached to a
// browser that fires real events, and to Wine's own web browser control.
#include <gtest/gtest.h>

// clang-format off
#include "platform/win32/windows_api.h"
#include <exdisp.h>
#include <docobj.h>
#include <exdispid.h>
#include <mshtmhst.h>
#include <ocidl.h>
// clang-format on

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <thread>

#include "app/corvane_dlg.h"
#include "browser/helper/lumbrel_helper.h"
#include "common/lumbrel_values.h"
#include "common/registry_tree.h"
#include "common/settings_store.h"
#include "framework/com/event_connection.h"
#include "platform/constants.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/system.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/wide.h"
#include "tests/wine/lumbrel_paths.h"
#include "tests/wine/test_browser.h"
#include "tests/wine/test_page.h"
#include "tools/browse/browser_window.h"
#include "tools/browse/navigation_watcher.h"

namespace corvane::wine {
namespace {

using platform::Hive;
using platform::win32::ComPtr;

constexpr CLSID kClsid = {
    0xB6457ECA, 0xA63B, 0x4056, {0x9B, 0x05, 0x9F, 0xC7, 0x70, 0x0A, 0xC6, 0x58}};
constexpr IID kIidLumbrelBHO = {
    0xC15E99BB, 0xC18F, 0x4726, {0x99, 0xAA, 0x90, 0x16, 0x33, 0xA9, 0x42, 0x0E}};
const std::string kClassKey = std::string("CLSID\\") + kLumbrelClassId;

class LumbrelTest : public testing::Test {
  protected:
    static void SetUpTestSuite() { CoInitialize(nullptr); }
    static void TearDownTestSuite() { CoUninitialize(); }

    void SetUp() override {
        ClearSettings();
        ASSERT_EQ(Regsvr32(""), 0);
    }
    void TearDown() override { ClearSettings(); }

    int Regsvr32(const std::string& switches) {
        auto process =
            sys.processes.StartProcess("regsvr32 /s " + switches + " \"" + LumbrelDll() + "\"");
        if (!process) {
            return -1;
        }
        const auto code = process->WaitForExit(60000);
        return code ? static_cast<int>(*code) : -2;
    }
    void ClearSettings() {
        platform::RegistryKeyPtr root;
        if (sys.registry.OpenKey(Hive::LocalMachine, kSettingsRoot, kSettingsAccess, root) == 0) {
            DeleteKeyTree(sys.registry, Hive::LocalMachine, kSettingsRoot, *root, "Lumbrel");
        }
    }
    // The helper reads its settings in the 64-bit view, where Corvane.exe writes them; the
    // i686 build of this test writes them there too.
    static constexpr uint32_t kSettingsAccess =
        platform::reg::kReadWrite | platform::reg::kWow64_64Key;
    void SetNumber(const char* name, uint32_t value) {
        platform::RegistryKeyPtr key;
        ASSERT_EQ(sys.registry.CreateKey(Hive::LocalMachine, kLumbrelKey, kSettingsAccess, key), 0);
        SetDWordValue(*key, name, value);
    }
    void SetText(const char* name, const std::string& value) {
        platform::RegistryKeyPtr key;
        ASSERT_EQ(sys.registry.CreateKey(Hive::LocalMachine, kLumbrelKey, kSettingsAccess, key), 0);
        SetStringValue(*key, name, value);
    }
    // A URL list that allows addresses with "example" and refuses the rest.
    void UseUrlList() {
        const auto path = std::filesystem::temp_directory_path() / "corvane-urls.txt";
        std::ofstream(path) << "+example\n-all\n";
        SetNumber("FilterURLs", 1);
        SetText("FilterURLFile", path.string());
    }
    std::optional<std::string> Text(const std::string& path, const char* name = "") {
        return ReadStringAt(sys.registry, Hive::ClassesRoot, path, name);
    }
    bool Exists(const std::string& path) {
        platform::RegistryKeyPtr key;
        return sys.registry.OpenKey(Hive::ClassesRoot, path, platform::reg::kRead, key) == 0;
    }
    static ComPtr<IObjectWithSite> NewHelper() {
        ComPtr<IObjectWithSite> helper;
        EXPECT_EQ(CoCreateInstance(kClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IObjectWithSite,
                                   helper.PutVoid()),
                  S_OK);
        return helper;
    }

    platform::win32::Win32System system;
    platform::System& sys = system.Get();
};

// The helper's dialog with this caption, once it is there (ten seconds at most).
HWND WaitForDialog(const wchar_t* caption) {
    for (int i = 0; i < 500; ++i) {
        if (HWND dialog = FindWindowW(L"#32770", caption)) {
            return dialog;
        }
        Sleep(20);
    }
    return nullptr;
}

const std::vector<std::string> kDefaultBars = {"AddressBar 1", "FullScreen 0", "MenuBar 1",
                                               "StatusBar 1", "ToolBar 1"};

TEST_F(LumbrelTest, Regsvr32WritesEveryEntryAndUnregisteringLeavesOnlyTheSharedKeys) {
    EXPECT_EQ(Text("AppID\\{F2F70899-E640-451A-B21A-39DD9142208F}"), "Lumbrel");
    EXPECT_EQ(Text("AppID\\Lumbrel.DLL", "AppID"), kLumbrelAppId);
    EXPECT_EQ(Text("Lumbrel.LumbrelBHO.1"), "LumbrelBHO Class");
    EXPECT_EQ(Text("Lumbrel.LumbrelBHO.1\\CLSID"), kLumbrelClassId);
    EXPECT_EQ(Text("Lumbrel.LumbrelBHO\\CurVer"), "Lumbrel.LumbrelBHO.1");
    EXPECT_EQ(Text("Lumbrel.LumbrelBHO\\CLSID"), kLumbrelClassId);
    EXPECT_EQ(Text(kClassKey), "LumbrelBHO Class");
    EXPECT_EQ(Text(kClassKey, "AppID"), kLumbrelAppId);
    EXPECT_EQ(Text(kClassKey + "\\ProgID"), "Lumbrel.LumbrelBHO.1");
    EXPECT_EQ(Text(kClassKey + "\\VersionIndependentProgID"), "Lumbrel.LumbrelBHO");
    EXPECT_TRUE(Exists(kClassKey + "\\Programmable"));
    EXPECT_EQ(Text(kClassKey + "\\InprocServer32"), LumbrelDll());
    EXPECT_EQ(Text(kClassKey + "\\InprocServer32", "ThreadingModel"), "Apartment");
    EXPECT_EQ(Text(kClassKey + "\\TypeLib"), kLumbrelTypeLibId);
    // The system's own entries for the type library and the interface.
    EXPECT_EQ(Text(std::string("TypeLib\\") + kLumbrelTypeLibId + "\\1.0"),
              "Lumbrel 1.0 Type Library");
    EXPECT_EQ(Text("Interface\\{C15E99BB-C18F-4726-99AA-901633A9420E}"), "ILumbrelBHO");

    {
        platform::RegistryKeyPtr key;
        ASSERT_EQ(
            sys.registry.OpenKey(Hive::ClassesRoot, kClassKey, platform::reg::kReadWrite, key), 0);
        SetStringValue(*key, "Stray", "left by hand");
    }
    ASSERT_EQ(Regsvr32(""), 0);
    EXPECT_EQ(Text(kClassKey, "Stray"), std::nullopt);

    ASSERT_EQ(Regsvr32("/u"), 0);
    for (const std::string& gone :
         {kClassKey, std::string("Lumbrel.LumbrelBHO.1"), std::string("Lumbrel.LumbrelBHO"),
          std::string("AppID\\Lumbrel.DLL"), std::string("AppID\\") + kLumbrelAppId,
          std::string("TypeLib\\") + kLumbrelTypeLibId,
          std::string("Interface\\{C15E99BB-C18F-4726-99AA-901633A9420E}")}) {
        EXPECT_FALSE(Exists(gone)) << gone;
    }
    EXPECT_TRUE(Exists("AppID"));
    EXPECT_TRUE(Exists("CLSID"));
    EXPECT_EQ(Regsvr32("/u"), 0);  // twice is no failure
}

// Corvane.exe's switch, as its handler calls it: Lumbrel.dll found beside the program.
TEST_F(LumbrelTest, TheSwitchRegistersAndListsTheHelperAndTakesBothBack) {
    const std::string listing = std::string(kBrowserHelperObjectsKey) + "\\" + kLumbrelClassId;
    ASSERT_EQ(Regsvr32("/u"), 0);
    EXPECT_EQ(RegisterBrowserHelper(sys, 1).status, 0);
    EXPECT_EQ(ReadDWordAt(sys.registry, Hive::LocalMachine, listing, "NoExplorer"), 1u);
    EXPECT_EQ(Text(kClassKey + "\\InprocServer32", "ThreadingModel"), "Apartment");

    EXPECT_EQ(RegisterBrowserHelper(sys, 0).status, 0);
    EXPECT_EQ(ReadDWordAt(sys.registry, Hive::LocalMachine, listing, "NoExplorer"), std::nullopt);
    EXPECT_FALSE(Exists(kClassKey));
    // Already unlisted: the registry's not-found comes back, which the switch lets pass.
    EXPECT_EQ(RegisterBrowserHelper(sys, 0).status, platform::error::kFileNotFound);

    const platform::LibraryCall missing =
        sys.processes.CallLibraryEntry("NoSuchLumbrel.dll", "DllRegisterServer");
    EXPECT_FALSE(missing.loaded);
}

TEST_F(LumbrelTest, ComCreatesTheHelperWhichAnswersItsInterfacesAndUnloadsWhenReleased) {
    ComPtr<IUnknown> helper;
    ASSERT_EQ(
        CoCreateInstance(kClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, helper.PutVoid()),
        S_OK);
    for (const IID* iid : {&kIidLumbrelBHO, &IID_IDispatch, &IID_IObjectWithSite,
                           &IID_IDocHostUIHandler, &IID_IOleCommandTarget}) {
        ComPtr<IUnknown> answer;
        EXPECT_EQ(helper->QueryInterface(*iid, answer.PutVoid()), S_OK);
        // Every interface leads back to the same identity.
        ComPtr<IUnknown> identity = answer.As<IUnknown>(IID_IUnknown);
        EXPECT_EQ(identity.Get(), helper.Get());
    }
    ComPtr<IUnknown> none;
    EXPECT_EQ(helper->QueryInterface(DIID_DWebBrowserEvents2, none.PutVoid()), E_NOINTERFACE);

    ComPtr<IDispatch> dispatch = helper.As<IDispatch>(IID_IDispatch);
    UINT count = 0;
    ASSERT_EQ(dispatch->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(dispatch->GetTypeInfo(0, LOCALE_NEUTRAL, info.Put()), S_OK);
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attributes), S_OK);
    EXPECT_TRUE(attributes->guid == kIidLumbrelBHO);
    info->ReleaseTypeAttr(attributes);

    HMODULE module = GetModuleHandleW(L"Lumbrel.dll");
    ASSERT_NE(module, nullptr);
    using Export = HRESULT(STDAPICALLTYPE*)();
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    const auto canUnload = reinterpret_cast<Export>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
    const auto getClassObject = reinterpret_cast<GetClassObject>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    ASSERT_NE(canUnload, nullptr);
    ASSERT_NE(getClassObject, nullptr);
    EXPECT_EQ(canUnload(), S_FALSE);
    info.Reset();
    dispatch.Reset();
    helper.Reset();
    EXPECT_EQ(canUnload(), S_OK);

    // The class factory: a lock keeps the server, aggregation and other classes are refused.
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(getClassObject(kClsid, IID_IClassFactory, factory.PutVoid()), S_OK);
    EXPECT_EQ(getClassObject(IID_IDispatch, IID_IClassFactory, none.PutVoid()),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(factory->CreateInstance(factory.Get(), IID_IUnknown, none.PutVoid()),
              CLASS_E_NOAGGREGATION);
    factory->LockServer(TRUE);
    factory.Reset();
    EXPECT_EQ(canUnload(), S_FALSE);
    ASSERT_EQ(getClassObject(kClsid, IID_IClassFactory, factory.PutVoid()), S_OK);
    factory->LockServer(FALSE);
    factory.Reset();
    EXPECT_EQ(canUnload(), S_OK);
}

TEST_F(LumbrelTest, ATestBrowserGetsItsBarsAndOnlyItsOwnRefusedNavigationsCancelled) {
    UseUrlList();
    SetNumber("FilterShow", 0);
    SetNumber("GUIToolBar", 0);
    SetNumber("GUIFullScreen", 1);
    auto helper = NewHelper();
    ComPtr<TestBrowser> browser;
    *browser.Put() = new TestBrowser();
    ASSERT_EQ(helper->SetSite(static_cast<WebBrowser2Stubs*>(browser.Get())), S_OK);
    EXPECT_EQ(browser->calls, (std::vector<std::string>{"Advise", "AddressBar 1", "FullScreen 1",
                                                        "MenuBar 1", "StatusBar 1", "ToolBar 0"}));

    EXPECT_FALSE(browser->FireBeforeNavigate2(L"http://www.example.com/"));
    EXPECT_TRUE(browser->FireBeforeNavigate2(L"http://refused.org/"));
    // A frame of the page, or another browser, is not this helper's to stop.
    ComPtr<TestBrowser> frame;
    *frame.Put() = new TestBrowser();
    EXPECT_FALSE(browser->FireBeforeNavigate2(L"http://refused.org/",
                                              static_cast<WebBrowser2Stubs*>(frame.Get())));
    browser->FireDocumentComplete(L"http://www.example.com/");  // no document: nothing checked

    ComPtr<IUnknown> site;
    EXPECT_EQ(helper->GetSite(IID_IWebBrowser2, site.PutVoid()), S_OK);
    EXPECT_EQ(helper->GetSite(IID_IWebBrowser2, nullptr), E_POINTER);

    // Script errors, whatever the command group: the page goes on and nobody is asked.
    auto target = helper.As<IOleCommandTarget>(IID_IOleCommandTarget);
    VARIANT out;
    VariantInit(&out);
    EXPECT_EQ(target->Exec(&kIidLumbrelBHO, 40, 0, nullptr, &out), S_OK);
    EXPECT_EQ(out.vt, VT_BOOL);
    EXPECT_EQ(out.boolVal, VARIANT_TRUE);
    EXPECT_EQ(target->Exec(nullptr, 41, 0, nullptr, nullptr), E_NOTIMPL);

    ASSERT_EQ(helper->SetSite(nullptr), S_OK);
    EXPECT_EQ(browser->calls.back(), "Unadvise");
    EXPECT_FALSE(browser->Connected());
    EXPECT_EQ(helper->GetSite(IID_IUnknown, site.PutVoid()), E_FAIL);
    EXPECT_EQ(site.Get(), nullptr);
}

// The kiosk's own browser rules: a frame judged by the URL rules and refused without a message,
// a page's new window opened in the same window.
TEST_F(LumbrelTest, FramesAreJudgedAndNewWindowsOpenInTheSameWindowWhenAsked) {
    UseUrlList();
    SetNumber("FilterShow", 0);  // that no message comes for a frame is the native tests'
    SetNumber("FilterFrames", 1);
    SetNumber("RefuseNewWindows", 1);
    auto helper = NewHelper();
    ComPtr<TestBrowser> browser;
    *browser.Put() = new TestBrowser();
    ASSERT_EQ(helper->SetSite(static_cast<WebBrowser2Stubs*>(browser.Get())), S_OK);
    ComPtr<TestBrowser> frame;
    *frame.Put() = new TestBrowser();
    EXPECT_TRUE(browser->FireBeforeNavigate2(L"http://refused.org/",
                                             static_cast<WebBrowser2Stubs*>(frame.Get())));
    EXPECT_FALSE(browser->FireBeforeNavigate2(L"http://www.example.com/frame.html",
                                              static_cast<WebBrowser2Stubs*>(frame.Get())));

    browser->calls.clear();
    EXPECT_TRUE(browser->FireNewWindow3(L"http://www.example.com/popup.html"));
    EXPECT_EQ(browser->calls,
              std::vector<std::string>{"Navigate2 http://www.example.com/popup.html"});
    ASSERT_EQ(helper->SetSite(nullptr), S_OK);

    // Off, a page's new window opens as the browser makes it.
    SetNumber("RefuseNewWindows", 0);
    ASSERT_EQ(helper->SetSite(static_cast<WebBrowser2Stubs*>(browser.Get())), S_OK);
    browser->calls.clear();
    EXPECT_FALSE(browser->FireNewWindow3(L"http://www.example.com/popup.html"));
    EXPECT_TRUE(browser->calls.empty());
    ASSERT_EQ(helper->SetSite(nullptr), S_OK);
}

TEST_F(LumbrelTest, SitesThatAreNoBrowserAndRepeatedSitesLeaveTheHelperSound) {
    auto helper = NewHelper();
    EXPECT_EQ(helper->SetSite(nullptr), S_OK);  // before any attach
    // An object without IWebBrowser2: kept as the site, nothing attached.
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(CoGetClassObject(kClsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                               factory.PutVoid()),
              S_OK);
    EXPECT_EQ(helper->SetSite(factory.Get()), S_OK);
    ComPtr<IUnknown> site;
    EXPECT_EQ(helper->GetSite(IID_IClassFactory, site.PutVoid()), S_OK);

    // Two browsers one after the other without a detach in between: the first is let go.
    ComPtr<TestBrowser> first;
    *first.Put() = new TestBrowser();
    ComPtr<TestBrowser> second;
    *second.Put() = new TestBrowser();
    ASSERT_EQ(helper->SetSite(static_cast<WebBrowser2Stubs*>(first.Get())), S_OK);
    ASSERT_EQ(helper->SetSite(static_cast<WebBrowser2Stubs*>(second.Get())), S_OK);
    EXPECT_FALSE(first->Connected());
    EXPECT_EQ(second->calls, (std::vector<std::string>{"Advise", "AddressBar 1", "FullScreen 0",
                                                       "MenuBar 1", "StatusBar 1", "ToolBar 1"}));
    helper->SetSite(nullptr);
}

TEST_F(LumbrelTest, ARefusedPageSendsTheBrowserBackAndThePageBeforeIsNotChecked) {
    const auto path = std::filesystem::temp_directory_path() / "corvane-content.txt";
    std::ofstream(path) << "-casino\n+all\n";
    SetNumber("FilterContent", 1);
    SetText("ContentFile", path.string());
    SetNumber("FilterShow", 0);
    auto helper = NewHelper();
    ComPtr<TestBrowser> browser;
    *browser.Put() = new TestBrowser();
    ASSERT_EQ(helper->SetSite(static_cast<WebBrowser2Stubs*>(browser.Get())), S_OK);
    browser->calls.clear();

    const auto load = [&](const wchar_t* markup) {
        ComPtr<TestPage> page;
        *page.Put() = new TestPage(markup);
        browser->document = ComPtr<IDispatch>::Borrow(static_cast<HtmlDocument2Stubs*>(page.Get()));
        browser->FireDocumentComplete(L"http://page/");
        return page;
    };
    auto refused = load(L"<BODY>Online CASINO</BODY>");
    EXPECT_EQ(browser->calls, std::vector<std::string>{"GoBack"});
    // The page's handler is now the helper, which answers script errors itself.
    ASSERT_TRUE(refused->handler);
    ComPtr<IUnknown> handlerIdentity = refused->handler.As<IUnknown>(IID_IUnknown);
    ComPtr<IUnknown> helperIdentity = helper.As<IUnknown>(IID_IUnknown);
    EXPECT_EQ(handlerIdentity.Get(), helperIdentity.Get());

    auto before = load(L"<body>casino</body>");  // the page it went back to
    EXPECT_EQ(before->bodyReads, 0);
    auto next = load(L"<body>casino again</body>");
    EXPECT_EQ(next->bodyReads, 1);
    EXPECT_EQ(browser->calls, (std::vector<std::string>{"GoBack", "GoBack"}));
    EXPECT_EQ(load(L"<body>casino</body>")->bodyReads, 0);  // gone back to again
    auto fine = load(L"<body>news</body>");
    EXPECT_EQ(fine->bodyReads, 1);
    EXPECT_EQ(browser->calls.size(), 2u);
    helper->SetSite(nullptr);
}

// The helper stands in for a page's own handlers: it passes each call on to the browser's (the
// document's client site), answers script errors itself, and where the browser gave it none,
// answers so that the browser keeps its own ways: no drop target of nobody's, no commands.
TEST_F(LumbrelTest, ThePagesHandlersArePassedOnAndScriptErrorsAnsweredHere) {
    auto helper = NewHelper();
    ComPtr<TestBrowser> browser;
    *browser.Put() = new TestBrowser();
    ASSERT_EQ(helper->SetSite(static_cast<WebBrowser2Stubs*>(browser.Get())), S_OK);
    const auto load = [&](bool withSite) {
        ComPtr<TestPage> page;
        *page.Put() = new TestPage(L"<body>news</body>");
        if (withSite) {
            *page->site.Put() = new TestPageSite();
        }
        browser->document = ComPtr<IDispatch>::Borrow(static_cast<HtmlDocument2Stubs*>(page.Get()));
        browser->FireDocumentComplete(L"http://page/");
        return page;
    };
    auto page = load(true);
    ASSERT_TRUE(page->handler);
    DOCHOSTUIINFO info{};
    info.cbSize = sizeof info;
    EXPECT_EQ(page->handler->GetHostInfo(&info), S_FALSE);
    POINT at{};
    EXPECT_EQ(page->handler->ShowContextMenu(0, &at, nullptr, nullptr), S_FALSE);
    MSG key{};
    EXPECT_EQ(page->handler->TranslateAccelerator(&key, nullptr, 0), S_FALSE);
    IDropTarget* drop = nullptr;
    EXPECT_EQ(page->handler->GetDropTarget(nullptr, &drop), S_FALSE);
    ComPtr<IOleCommandTarget> commands = page->handler.As<IOleCommandTarget>(IID_IOleCommandTarget);
    ASSERT_TRUE(commands);
    OLECMD print{OLECMDID_PRINT, 0};
    EXPECT_EQ(commands->QueryStatus(nullptr, 1, &print, nullptr), S_FALSE);
    VARIANT goOn;
    VariantInit(&goOn);
    // The document host's command group, as the browser sends a script error.
    constexpr GUID kDocHostCommands = {
        0xF38BC242, 0xB950, 0x11D1, {0x89, 0x18, 0x00, 0xC0, 0x4F, 0xC2, 0xC8, 0x36}};
    EXPECT_EQ(commands->Exec(&kDocHostCommands, OLECMDID_SHOWSCRIPTERROR, 0, nullptr, &goOn), S_OK);
    EXPECT_EQ(goOn.vt, VT_BOOL);
    EXPECT_EQ(goOn.boolVal, VARIANT_TRUE);
    EXPECT_EQ(commands->Exec(nullptr, OLECMDID_PRINT, 0, nullptr, nullptr), S_FALSE);
    EXPECT_EQ(page->site->calls,
              (std::vector<std::string>{"GetHostInfo", "ShowContextMenu", "TranslateAccelerator",
                                        "GetDropTarget", "QueryStatus", "Exec 6"}));

    auto bare = load(false);
    ASSERT_TRUE(bare->handler);
    IDropTarget* none = reinterpret_cast<IDropTarget*>(&none);  // anything but null
    EXPECT_EQ(bare->handler->GetDropTarget(nullptr, &none), E_NOTIMPL);
    EXPECT_EQ(none, nullptr);
    ComPtr<IOleCommandTarget> bareCommands =
        bare->handler.As<IOleCommandTarget>(IID_IOleCommandTarget);
    ASSERT_TRUE(bareCommands);
    EXPECT_EQ(bareCommands->QueryStatus(nullptr, 1, &print, nullptr), E_NOTIMPL);
    helper->SetSite(nullptr);
}

// The policy page as the first window's user sees it; the close box declines.
TEST_F(LumbrelTest, DecliningThePolicyPageMakesTheBrowserQuit) {
    SetNumber("PolicyShow", 1);
    SetText("PolicyTitle", "Terms of use");
    SetText("PolicyAcceptButton", "I agree");
    SetText("PolicyText", "Read the terms first.");
    auto helper = NewHelper();
    ComPtr<TestBrowser> browser;
    *browser.Put() = new TestBrowser();

    std::string acceptText;
    std::string bodyText;
    std::thread user([&] {
        HWND dialog = WaitForDialog(L"Terms of use");
        if (dialog == nullptr) {
            return;
        }
        wchar_t text[256] = {};
        GetDlgItemTextW(dialog, IDOK, text, 256);
        acceptText = platform::win32::Narrow(text);
        GetDlgItemTextW(dialog, 202, text, 256);
        bodyText = platform::win32::Narrow(text);
        PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    ASSERT_EQ(helper->SetSite(static_cast<WebBrowser2Stubs*>(browser.Get())), S_OK);
    user.join();
    EXPECT_EQ(acceptText, "I agree");
    EXPECT_EQ(bodyText, "Read the terms first.");
    ASSERT_GE(browser->calls.size(), 2u);
    EXPECT_EQ(browser->calls[1], "Quit");
    helper->SetSite(nullptr);
}

// What the public sees of a refused address: the filter message, one button, at its size.
TEST_F(LumbrelTest, ARefusedNavigationShowsTheFilterMessageWithOneButton) {
    UseUrlList();
    SetText("FilterTitle", "Not here");
    SetText("FilterButton", "Back");
    SetNumber("FilterMoveable", 0);
    SetNumber("FilterWidth", 500);
    SetNumber("FilterHeight", 300);
    auto helper = NewHelper();
    ComPtr<TestBrowser> browser;
    *browser.Put() = new TestBrowser();
    ASSERT_EQ(helper->SetSite(static_cast<WebBrowser2Stubs*>(browser.Get())), S_OK);

    struct Seen {
        bool found = false;
        bool acceptVisible = true;
        std::string declineText;
        RECT window{};
        bool movable = true;
        RECT decline{};
        RECT client{};
    } seen;
    std::thread user([&] {
        HWND dialog = WaitForDialog(L"Not here");
        if (dialog == nullptr) {
            return;
        }
        seen.found = true;
        seen.acceptVisible = IsWindowVisible(GetDlgItem(dialog, IDOK)) != FALSE;
        wchar_t text[64] = {};
        GetDlgItemTextW(dialog, IDCANCEL, text, 64);
        seen.declineText = platform::win32::Narrow(text);
        GetWindowRect(dialog, &seen.window);
        seen.movable =
            GetMenuState(GetSystemMenu(dialog, FALSE), SC_MOVE, MF_BYCOMMAND) != UINT(-1);
        GetWindowRect(GetDlgItem(dialog, IDCANCEL), &seen.decline);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&seen.decline), 2);
        GetClientRect(dialog, &seen.client);
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_TRUE(browser->FireBeforeNavigate2(L"http://refused.org/"));
    user.join();
    ASSERT_TRUE(seen.found);
    EXPECT_FALSE(seen.acceptVisible);
    EXPECT_EQ(seen.declineText, "Back");
    EXPECT_EQ(seen.window.right - seen.window.left, 500);
    EXPECT_EQ(seen.window.bottom - seen.window.top, 300);
    EXPECT_FALSE(seen.movable);
    // The one button sits 10 pixels in from the bottom right of the client area.
    EXPECT_EQ(seen.client.right - seen.decline.right, 10);
    EXPECT_EQ(seen.client.bottom - seen.decline.bottom, 10);
    helper->SetSite(nullptr);
}

// A window whose events cannot be connected (here the test browser takes one sink only)
// cannot be filtered: the helper closes it rather than let it browse unwatched.
TEST_F(LumbrelTest, ABrowserWhoseEventsCannotBeConnectedIsClosed) {
    SetNumber("FilterShow", 0);
    auto first = NewHelper();
    auto second = NewHelper();
    ComPtr<TestBrowser> browser;
    *browser.Put() = new TestBrowser();
    ASSERT_EQ(first->SetSite(static_cast<WebBrowser2Stubs*>(browser.Get())), S_OK);
    const size_t before = browser->calls.size();
    EXPECT_EQ(second->SetSite(static_cast<WebBrowser2Stubs*>(browser.Get())), S_OK);
    const std::vector<std::string> after(browser->calls.begin() + before, browser->calls.end());
    EXPECT_EQ(after, (std::vector<std::string>{"Advise", "Quit"}));
    second->SetSite(nullptr);
    first->SetSite(nullptr);
}

// A program of the kiosk's user holds the rule file open without sharing: the window says so
// and refuses even what the list allows, instead of browsing unfiltered.
TEST_F(LumbrelTest, ARuleFileHeldOpenWithoutSharingRefusesEverything) {
    UseUrlList();
    SetNumber("FilterShow", 0);
    const auto path = std::filesystem::temp_directory_path() / "corvane-urls.txt";
    const platform::win32::UniqueHandle held(
        CreateFileW(path.wstring().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    std::string said;
    std::thread user([&said] {
        HWND box = WaitForDialog(L"Lumbrel");
        if (box == nullptr) {
            return;
        }
        wchar_t text[512] = {};
        GetDlgItemTextW(box, 0xFFFF, text, 512);  // a message box's text
        said = platform::win32::Narrow(text);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    auto helper = NewHelper();
    ComPtr<TestBrowser> browser;
    *browser.Put() = new TestBrowser();
    ASSERT_EQ(helper->SetSite(static_cast<WebBrowser2Stubs*>(browser.Get())), S_OK);
    user.join();
    EXPECT_NE(said.find("The URL filter file cannot be opened"), std::string::npos) << said;
    EXPECT_NE(said.find("The filter refuses everything in this window."), std::string::npos)
        << said;
    EXPECT_TRUE(browser->FireBeforeNavigate2(L"http://www.example.com/"));  // cancelled
    helper->SetSite(nullptr);
}

// The first-window rule holds across browser processes: a child process attaches while this
// one holds a browser, and again after it let go. Its exit code is the count of bar calls.
TEST_F(LumbrelTest, OnlyTheFirstBrowserAcrossProcessesGetsTheBars) {
    const auto child = [this] {
        auto process = sys.processes.StartProcess("\"" + TestProgram() + "\" --attach-child");
        if (!process) {
            return -1;
        }
        const auto code = process->WaitForExit(60000);
        return code ? static_cast<int>(*code) : -2;
    };
    auto helper = NewHelper();
    ComPtr<TestBrowser> browser;
    *browser.Put() = new TestBrowser();
    ASSERT_EQ(helper->SetSite(static_cast<WebBrowser2Stubs*>(browser.Get())), S_OK);
    EXPECT_EQ(browser->calls.size(), 6u);
    EXPECT_EQ(child(), 0);
    helper->SetSite(nullptr);
    EXPECT_EQ(child(), 5);
}

// The other build's copy of a path of this build's tree ("...\\win64\\..." and "...\\win32\\...").
std::string OtherBuild(std::string path) {
    const std::string mine = sizeof(void*) == 8 ? "\\win64\\" : "\\win32\\";
    const std::string other = sizeof(void*) == 8 ? "\\win32\\" : "\\win64\\";
    const size_t at = path.rfind(mine);
    return at == std::string::npos ? std::string() : path.replace(at, mine.size(), other);
}

// The count of open windows is one word of the session, which both builds' servers map by
// name: a 64-bit and a 32-bit window cannot both be the first.
TEST_F(LumbrelTest, TheWindowCountIsOneWordOfTheSessionForBothBuilds) {
    const auto word = [] {
        HANDLE mapping =
            OpenFileMappingW(FILE_MAP_READ, FALSE, L"Local\\CorvaneLumbrelBrowserWindows");
        if (mapping == nullptr) {
            return -1;
        }
        const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, sizeof(LONG));
        const int value = view == nullptr ? -2 : *static_cast<const volatile LONG*>(view);
        if (view != nullptr) {
            UnmapViewOfFile(view);
        }
        CloseHandle(mapping);
        return value & lumbrel::kWindowCountMask;
    };
    auto helper = NewHelper();
    ComPtr<TestBrowser> browser;
    *browser.Put() = new TestBrowser();
    ASSERT_EQ(helper->SetSite(static_cast<WebBrowser2Stubs*>(browser.Get())), S_OK);
    EXPECT_EQ(browser->calls.size(), 6u);  // the first window: its bars
    EXPECT_EQ(word(), 1);

    // The other build's server, in a process of the other width, sees this window.
    const std::string otherProgram = OtherBuild(TestProgram());
    const std::string otherServer = OtherBuild(LumbrelDll());
    wchar_t said[256] = {};
    const DWORD length = GetEnvironmentVariableW(L"CORVANE_WINE_32BIT", said, 256);
    const bool runs32 = length == 0 || length >= 256 || std::wstring_view(said, 3) != L"no:";
    if ((sizeof(void*) == 4 || runs32) && !otherProgram.empty() &&
        GetFileAttributesW(platform::win32::Wide(otherProgram).c_str()) !=
            INVALID_FILE_ATTRIBUTES) {
        auto process = sys.processes.StartProcess("\"" + otherProgram + "\" --attach-child \"" +
                                                  otherServer + "\"");
        ASSERT_NE(process, nullptr);
        EXPECT_EQ(process->WaitForExit(60000), 0u)
            << "the other build's window took the first turn";
    } else {
        std::printf(
            "The other build's test program cannot run here: only this build's word is "
            "checked.\n");
    }
    helper->SetSite(nullptr);
    EXPECT_EQ(word(), 0);
}

// The helper's site is Wine's web browser control in a window of this test; a second sink,
// connected after the helper's, sees the cancel flag the helper left.
TEST_F(LumbrelTest, WinesWebBrowserControlHasItsRefusedNavigationCancelled) {
    UseUrlList();
    SetNumber("FilterShow", 0);
    tools::HostedBrowser window;
    ASSERT_NE(window.Browser(), nullptr);
    auto helper = NewHelper();
    ASSERT_EQ(helper->SetSite(window.Browser()), S_OK);
    ComPtr<tools::NavigationWatcher> watcher;
    *watcher.Put() = new tools::NavigationWatcher();
    framework::com::EventConnection watching;
    ASSERT_EQ(watching.Connect(window.Browser(), DIID_DWebBrowserEvents2,
                               static_cast<IDispatch*>(watcher.Get())),
              S_OK);

    for (const wchar_t* url : {L"http://refused.org/", L"http://www.example.com/"}) {
        window.Navigate(url);
    }
    window.PumpUntil([&] { return watcher->seen.size() >= 2; });
    ASSERT_EQ(watcher->seen.size(), 2u);
    EXPECT_EQ(watcher->seen[0], std::make_pair(std::string("http://refused.org/"), true));
    EXPECT_EQ(watcher->seen[1], std::make_pair(std::string("http://www.example.com/"), false));

    watching.Disconnect();
    helper->SetSite(nullptr);
}

}  // namespace
}  // namespace corvane::wine
