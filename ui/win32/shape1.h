#pragma once
// Shape1, the lamp: a rectangle with a one-pixel black outline, filled with the colour the
// monitor cycle gives it.
#include <windows.h>

#include <cstdint>

#include "ui/win32/owned_window.h"

namespace zo {

class Shape1 {
  public:
    // White until the first tick colours it.
    static constexpr std::uint32_t kColourBeforeFirstTick = 0xFFFFFF;

    Shape1() = default;
    Shape1(const Shape1&) = delete;
    Shape1& operator=(const Shape1&) = delete;

    static void Register(HINSTANCE instance);
    // A child of `parent` at the given client rectangle; throws when it cannot be created.
    void Create(HWND parent, HINSTANCE instance, const RECT& place);

    [[nodiscard]] std::uint32_t Colour() const noexcept { return colour_; }
    // Repaints only when the colour changes.
    void SetColour(std::uint32_t colour) noexcept;

  private:
    template <class Owner>
    friend LRESULT CALLBACK OwnedWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    void Attach(HWND window) noexcept { window_ = window; }
    void Detach() noexcept { window_ = nullptr; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Paint() const noexcept;

    HWND window_ = nullptr;
    std::uint32_t colour_ = kColourBeforeFirstTick;
    CreationFailure creationFailure_;
};

}  // namespace zo
