#pragma once
// Solid fills and frames shared by the dark theme's drawing of controls and menus.
#include <windows.h>

#include "platform/unique_handle.h"

namespace zo {

inline void FillSolid(HDC dc, const RECT& rect, COLORREF colour) noexcept {
    const COLORREF old = ::SetBkColor(dc, colour);
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    ::SetBkColor(dc, old);
}

inline void FrameSolid(HDC dc, const RECT& rect, COLORREF colour) noexcept {
    const UniqueBrush brush(::CreateSolidBrush(colour));
    ::FrameRect(dc, &rect, brush.get());
}

}  // namespace zo
