// The identities of Lumbrel.dll as GUID constants, and the helper's own dual interface.
#pragma once

#include "platform/win32/windows_api.h"

namespace lumbrel::server {

inline constexpr CLSID kClsidLumbrelBHO = {
    0xB6457ECA, 0xA63B, 0x4056, {0x9B, 0x05, 0x9F, 0xC7, 0x70, 0x0A, 0xC6, 0x58}};
inline constexpr GUID kLibidLumbrelLib = {
    0x48CBB618, 0xFA3B, 0x4A8D, {0x95, 0xD1, 0x9D, 0xD1, 0x02, 0x9C, 0x8A, 0xEA}};
inline constexpr IID kIidLumbrelBHO = {
    0xC15E99BB, 0xC18F, 0x4726, {0x99, 0xAA, 0x90, 0x16, 0x33, 0xA9, 0x42, 0x0E}};

// The document's handler switch; its id is in no import library of the cross compiler.
inline constexpr IID kIidCustomDoc = {
    0x3050F3F0, 0x98B5, 0x11CF, {0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B}};

// Dual, derived from IDispatch, with no methods of its own.
struct ILumbrelBHO : public IDispatch {};

}  // namespace lumbrel::server
