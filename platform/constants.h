// Windows SDK values shared by both builds, so the sim speaks the same numbers as Windows.
#pragma once

#include <cstdint>

namespace platform {

// Error codes (winerror.h).
namespace error {
inline constexpr long kSuccess = 0;
inline constexpr long kFileNotFound = 2;
inline constexpr long kPathNotFound = 3;
inline constexpr long kAccessDenied = 5;
inline constexpr long kInvalidHandle = 6;
inline constexpr long kNotEnoughMemory = 8;
inline constexpr long kInvalidData = 13;
inline constexpr long kGenFailure = 31;  // the system could not do it (here: hash)
inline constexpr long kSharingViolation = 32;
inline constexpr long kInvalidParameter = 87;
inline constexpr long kAlreadyExists = 183;
inline constexpr long kModNotFound = 126;
inline constexpr long kMoreData = 234;
inline constexpr long kNoMoreItems = 259;
inline constexpr long kFileInvalid = 1006;
inline constexpr long kKeyDeleted = 1018;
inline constexpr long kUserMappedFile = 1224;
inline constexpr long kInvalidOwner = 1307;
inline constexpr long kInvalidWindowHandle = 1400;
inline constexpr long kInvalidThreadId = 1444;
inline constexpr long kTimeout = 1460;
}  // namespace error

// Registry access masks and value types (winnt.h).
namespace reg {
inline constexpr uint32_t kQueryValue = 0x0001;
inline constexpr uint32_t kSetValue = 0x0002;
inline constexpr uint32_t kCreateSubKey = 0x0004;
inline constexpr uint32_t kEnumerateSubKeys = 0x0008;
inline constexpr uint32_t kNotify = 0x0010;
inline constexpr uint32_t kDelete = 0x00010000;
inline constexpr uint32_t kRead = 0x00020019;
inline constexpr uint32_t kReadWrite = kRead | kCreateSubKey | kSetValue;  // 0x2001f
// With either right: HKLM\Software as the 32-bit programs of 64-bit Windows see it.
inline constexpr uint32_t kWow64_32Key = 0x0200;
// And its own view, asked for by a 32-bit program (no change for a 64-bit one).
inline constexpr uint32_t kWow64_64Key = 0x0100;

inline constexpr uint32_t kNone = 0;
inline constexpr uint32_t kSz = 1;
inline constexpr uint32_t kExpandSz = 2;
inline constexpr uint32_t kBinary = 3;
inline constexpr uint32_t kDword = 4;
inline constexpr uint32_t kMultiSz = 7;
inline constexpr uint32_t kQword = 11;
}  // namespace reg

// Window messages (winuser.h).
namespace wm {
inline constexpr uint32_t kNull = 0x0000;
inline constexpr uint32_t kCreate = 0x0001;
inline constexpr uint32_t kDestroy = 0x0002;
inline constexpr uint32_t kClose = 0x0010;
inline constexpr uint32_t kQueryEndSession = 0x0011;
inline constexpr uint32_t kQuit = 0x0012;
inline constexpr uint32_t kShowWindow = 0x0018;
inline constexpr uint32_t kSettingChange = 0x001A;
inline constexpr uint32_t kWindowPosChanging = 0x0046;
inline constexpr uint32_t kCopyData = 0x004A;
inline constexpr uint32_t kSetIcon = 0x0080;
inline constexpr uint32_t kKeyFirst = 0x0100;
inline constexpr uint32_t kKeyDown = 0x0100;
inline constexpr uint32_t kKeyUp = 0x0101;
inline constexpr uint32_t kSysKeyDown = 0x0104;
inline constexpr uint32_t kKeyLast = 0x0109;
inline constexpr uint32_t kInitDialog = 0x0110;
inline constexpr uint32_t kCommand = 0x0111;
inline constexpr uint32_t kSysCommand = 0x0112;
inline constexpr uint32_t kTimer = 0x0113;
inline constexpr uint32_t kLButtonDblClk = 0x0203;
inline constexpr uint32_t kUser = 0x0400;
inline constexpr uint32_t kApp = 0x8000;
}  // namespace wm

// Virtual keys (winuser.h).
namespace vk {
inline constexpr int kTab = 0x09;
inline constexpr int kReturn = 0x0D;
inline constexpr int kShift = 0x10;
inline constexpr int kControl = 0x11;
inline constexpr int kMenu = 0x12;
inline constexpr int kEscape = 0x1B;
inline constexpr int kSpace = 0x20;
inline constexpr int kLWin = 0x5B;
inline constexpr int kRWin = 0x5C;
inline constexpr int kApps = 0x5D;
inline constexpr int kSleep = 0x5F;
inline constexpr int kSnapshot = 0x2C;
inline constexpr int kF1 = 0x70;
inline constexpr int kF4 = 0x73;
inline constexpr int kF5 = 0x74;
inline constexpr int kF10 = 0x79;
inline constexpr int kF11 = 0x7A;
inline constexpr int kF12 = 0x7B;
inline constexpr int kLShift = 0xA0;
inline constexpr int kRShift = 0xA1;
inline constexpr int kLControl = 0xA2;
inline constexpr int kRControl = 0xA3;
inline constexpr int kLMenu = 0xA4;
inline constexpr int kRMenu = 0xA5;
inline constexpr int kBrowserBack = 0xA6;
inline constexpr int kVolumeMute = 0xAD;
inline constexpr int kVolumeDown = 0xAE;
inline constexpr int kVolumeUp = 0xAF;
inline constexpr int kLaunchApp2 = 0xB7;
}  // namespace vk

// Low-level keyboard hook flags (winuser.h).
namespace llkhf {
inline constexpr uint32_t kExtended = 0x01;
inline constexpr uint32_t kInjected = 0x10;
inline constexpr uint32_t kAltDown = 0x20;
inline constexpr uint32_t kUp = 0x80;
}  // namespace llkhf

// Mouse messages and SendInput mouse flags (winuser.h).
namespace mouse {
inline constexpr uint32_t kMove = 0x0200;
inline constexpr uint32_t kLButtonDown = 0x0201;
inline constexpr uint32_t kLButtonUp = 0x0202;
inline constexpr uint32_t kLButtonDblClk = 0x0203;
inline constexpr uint32_t kRButtonDown = 0x0204;
inline constexpr uint32_t kRButtonUp = 0x0205;
inline constexpr uint32_t kRButtonDblClk = 0x0206;
inline constexpr uint32_t kMButtonDown = 0x0207;
inline constexpr uint32_t kMButtonUp = 0x0208;
inline constexpr uint32_t kMButtonDblClk = 0x0209;
inline constexpr uint32_t kWheel = 0x020A;
inline constexpr uint32_t kEventMove = 0x0001;
inline constexpr uint32_t kEventLeftDown = 0x0002;
inline constexpr uint32_t kEventLeftUp = 0x0004;
inline constexpr uint32_t kEventRightDown = 0x0008;
inline constexpr uint32_t kEventRightUp = 0x0010;
inline constexpr uint32_t kEventMiddleDown = 0x0020;
inline constexpr uint32_t kEventMiddleUp = 0x0040;
inline constexpr uint32_t kEventWheel = 0x0800;
}  // namespace mouse

inline constexpr int kHcAction = 0;

// Dialog end codes and message box answers (winuser.h).
namespace id {
inline constexpr int kOk = 1;
inline constexpr int kCancel = 2;
inline constexpr int kAbort = 3;
inline constexpr int kRetry = 4;
inline constexpr int kIgnore = 5;
inline constexpr int kYes = 6;
inline constexpr int kNo = 7;
}  // namespace id

// Message box types (winuser.h).
namespace ofn {
inline constexpr uint32_t kFileMustExist = 0x1000;
inline constexpr uint32_t kHideReadOnly = 0x4;
inline constexpr uint32_t kNoChangeDir = 0x8;
inline constexpr uint32_t kLongNames = 0x200000;
}  // namespace ofn

namespace mb {
inline constexpr uint32_t kOk = 0x00000000;
inline constexpr uint32_t kOkCancel = 0x00000001;
inline constexpr uint32_t kYesNoCancel = 0x00000003;
inline constexpr uint32_t kYesNo = 0x00000004;
inline constexpr uint32_t kIconStop = 0x00000010;
inline constexpr uint32_t kIconQuestion = 0x00000020;
inline constexpr uint32_t kIconExclamation = 0x00000030;
inline constexpr uint32_t kIconInformation = 0x00000040;
inline constexpr uint32_t kTypeMask = 0x0000000F;
}  // namespace mb

// Show commands (winuser.h).
namespace sw {
inline constexpr int kHide = 0;
inline constexpr int kShowNormal = 1;
inline constexpr int kShowMinimized = 2;
inline constexpr int kShow = 5;
inline constexpr int kRestore = 9;
}  // namespace sw

// SetWindowPos flags (winuser.h).
namespace swp {
inline constexpr uint32_t kNoSize = 0x0001;
inline constexpr uint32_t kNoMove = 0x0002;
inline constexpr uint32_t kNoZOrder = 0x0004;
inline constexpr uint32_t kNoActivate = 0x0010;
inline constexpr uint32_t kShowWindow = 0x0040;
inline constexpr uint32_t kHideWindow = 0x0080;
}  // namespace swp

// Window styles (winuser.h).
namespace ws {
inline constexpr uint32_t kVisible = 0x10000000;
inline constexpr uint32_t kDisabled = 0x08000000;
inline constexpr uint32_t kChild = 0x40000000;
inline constexpr uint32_t kPopup = 0x80000000;
inline constexpr uint32_t kCaption = 0x00C00000;
inline constexpr uint32_t kSysMenu = 0x00080000;
inline constexpr uint32_t kMinimizeBox = 0x00020000;
inline constexpr uint32_t kOverlapped = 0x00000000;
}  // namespace ws

// System commands (winuser.h).
namespace sc {
inline constexpr uint32_t kClose = 0xF060;
}  // namespace sc

// Shell_NotifyIconW actions and record flags (shellapi.h).
namespace nim {
inline constexpr uint32_t kAdd = 0;
inline constexpr uint32_t kModify = 1;
inline constexpr uint32_t kDelete = 2;
}  // namespace nim
namespace nif {
inline constexpr uint32_t kMessage = 0x1;
inline constexpr uint32_t kIcon = 0x2;
inline constexpr uint32_t kTip = 0x4;
}  // namespace nif

// ShellExecute results at or below this value are errors.
inline constexpr intptr_t kShellExecuteErrorLimit = 32;

}  // namespace platform
