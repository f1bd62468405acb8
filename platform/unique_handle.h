#pragma once
// One owner type for the raw handles the program creates (windows, GDI objects, menus, hooks).
#include <windows.h>

#include <utility>

namespace zo {

template <typename T, typename Deleter>
class UniqueHandle {
  public:
    UniqueHandle() noexcept = default;
    explicit UniqueHandle(T value) noexcept : value_(value) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : value_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~UniqueHandle() { reset(); }

    [[nodiscard]] T get() const noexcept { return value_; }
    [[nodiscard]] explicit operator bool() const noexcept { return value_ != T{}; }
    T release() noexcept { return std::exchange(value_, T{}); }
    void reset(T value = T{}) noexcept {
        if (value_ != T{}) Deleter{}(value_);
        value_ = value;
    }

  private:
    T value_{};
};

struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const noexcept { ::DeleteObject(object); }
};
struct MenuDeleter {
    void operator()(HMENU menu) const noexcept { ::DestroyMenu(menu); }
};
struct KernelHandleDeleter {
    void operator()(HANDLE handle) const noexcept { ::CloseHandle(handle); }
};
struct HookDeleter {
    void operator()(HHOOK hook) const noexcept { ::UnhookWindowsHookEx(hook); }
};

using UniqueFont = UniqueHandle<HFONT, GdiObjectDeleter>;
using UniqueBrush = UniqueHandle<HBRUSH, GdiObjectDeleter>;
using UniquePen = UniqueHandle<HPEN, GdiObjectDeleter>;
using UniqueMenu = UniqueHandle<HMENU, MenuDeleter>;
using UniqueHook = UniqueHandle<HHOOK, HookDeleter>;
// Holds null for "none": convert INVALID_HANDLE_VALUE before wrapping.
using UniqueKernelHandle = UniqueHandle<HANDLE, KernelHandleDeleter>;

}  // namespace zo
