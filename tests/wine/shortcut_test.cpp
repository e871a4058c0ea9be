// What the shell's link object is asked when Corvane reads a shortcut: Wine's link object
// ignores the resolve flags, so a recording one stands in for it.
#include <gtest/gtest.h>

#include <string>

// clang-format off
#include "platform/win32/windows_api.h"
#include <objidl.h>
// clang-format on

#include "platform/win32/com_object.h"
#include "platform/win32/shortcut.h"

namespace corvane::wine {
namespace {

class RecordingShellLink final
    : public platform::win32::ComObject<RecordingShellLink, IShellLinkW, IPersistFile> {
  public:
    RecordingShellLink() : ComObject(nullptr) {}
    static std::span<const platform::win32::InterfaceEntry<RecordingShellLink>> InterfaceTable() {
        using platform::win32::Entry;
        static const platform::win32::InterfaceEntry<RecordingShellLink> table[] = {
            Entry<RecordingShellLink, IShellLinkW>(IID_IShellLinkW),
            Entry<RecordingShellLink, IPersistFile>(IID_IPersistFile)};
        return table;
    }

    std::wstring loaded;
    bool resolved = false;
    HWND resolveWindow = nullptr;
    DWORD resolveFlags = 0;
    HRESULT resolveAnswer = S_OK;

    // IShellLinkW: what Corvane reads answers; the rest is not asked.
    STDMETHODIMP GetPath(LPWSTR file, int size, WIN32_FIND_DATAW*, DWORD) override {
        return Copy(L"C:\\Kiosk\\player.exe", file, size);
    }
    STDMETHODIMP GetArguments(LPWSTR arguments, int size) override {
        return Copy(L"/full", arguments, size);
    }
    STDMETHODIMP Resolve(HWND window, DWORD flags) override {
        resolved = true;
        resolveWindow = window;
        resolveFlags = flags;
        return resolveAnswer;
    }
    STDMETHODIMP GetIDList(PIDLIST_ABSOLUTE*) override { return E_NOTIMPL; }
    STDMETHODIMP SetIDList(PCIDLIST_ABSOLUTE) override { return E_NOTIMPL; }
    STDMETHODIMP GetDescription(LPWSTR, int) override { return E_NOTIMPL; }
    STDMETHODIMP SetDescription(LPCWSTR) override { return E_NOTIMPL; }
    STDMETHODIMP GetWorkingDirectory(LPWSTR, int) override { return E_NOTIMPL; }
    STDMETHODIMP SetWorkingDirectory(LPCWSTR) override { return E_NOTIMPL; }
    STDMETHODIMP SetArguments(LPCWSTR) override { return E_NOTIMPL; }
    STDMETHODIMP GetHotkey(WORD*) override { return E_NOTIMPL; }
    STDMETHODIMP SetHotkey(WORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetShowCmd(int*) override { return E_NOTIMPL; }
    STDMETHODIMP SetShowCmd(int) override { return E_NOTIMPL; }
    STDMETHODIMP GetIconLocation(LPWSTR, int, int*) override { return E_NOTIMPL; }
    STDMETHODIMP SetIconLocation(LPCWSTR, int) override { return E_NOTIMPL; }
    STDMETHODIMP SetRelativePath(LPCWSTR, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP SetPath(LPCWSTR) override { return E_NOTIMPL; }

    // IPersistFile
    STDMETHODIMP GetClassID(CLSID*) override { return E_NOTIMPL; }
    STDMETHODIMP IsDirty() override { return S_FALSE; }
    STDMETHODIMP Load(LPCOLESTR file, DWORD) override {
        loaded = file;
        return S_OK;
    }
    STDMETHODIMP Save(LPCOLESTR, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP SaveCompleted(LPCOLESTR) override { return E_NOTIMPL; }
    STDMETHODIMP GetCurFile(LPOLESTR*) override { return E_NOTIMPL; }

  private:
    static HRESULT Copy(const wchar_t* text, LPWSTR out, int size) {
        if (size <= 0 || lstrlenW(text) >= size) {
            return E_INVALIDARG;
        }
        lstrcpyW(out, text);
        return S_OK;
    }
};

struct LinkReference {
    RecordingShellLink* link = new RecordingShellLink;
    ~LinkReference() { link->Release(); }
};

TEST(Shortcut, IsResolvedWithoutAWindowAndWithoutTheShellsSearchDialog) {
    LinkReference shortcut;
    const auto target = platform::win32::ResolveShellLink(*shortcut.link, "C:\\Kiosk\\Start.lnk");
    ASSERT_TRUE(target.has_value());
    EXPECT_EQ(target->path, "C:\\Kiosk\\player.exe");
    EXPECT_EQ(target->arguments, "/full");
    EXPECT_EQ(shortcut.link->loaded, L"C:\\Kiosk\\Start.lnk");
    ASSERT_TRUE(shortcut.link->resolved);
    EXPECT_EQ(shortcut.link->resolveWindow, nullptr);
    EXPECT_EQ(shortcut.link->resolveFlags & SLR_NO_UI, static_cast<DWORD>(SLR_NO_UI));
    EXPECT_EQ(shortcut.link->resolveFlags & SLR_UPDATE, static_cast<DWORD>(SLR_UPDATE));

    // A target the shell cannot find is no target: nothing is started from a stale path.
    LinkReference lost;
    lost.link->resolveAnswer = E_FAIL;
    EXPECT_FALSE(platform::win32::ResolveShellLink(*lost.link, "C:\\Kiosk\\Start.lnk"));
}

}  // namespace
}  // namespace corvane::wine
