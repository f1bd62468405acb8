// The floor's idle tick plus, switched on by flags, the start-up steps of ZO24_RAZ.exe one by one,
// so that the benchmark can tell what each step costs in memory. The flags are independent; the
// benchmark passes them cumulatively, in the order below.
//
//   --com       CoInitialize on this thread (ole32 and the apartment)
//   --comctl    InitCommonControlsEx for the standard classes (the manifest asks for version 6)
//   --imm       the input method kept away from a window, as for the version box
//   --theme     uxtheme and dwmapi: the dark title bar, the classic look for one control
//   --imports   the other libraries the program links, loaded without being called (shell32, oleaut32)
//   --caption   the program's caption text, whose square mark is not a Latin-1 character
//   --controls  the lamp, nine controls, owner-drawn buttons, subclassed check boxes, the popup
//               menu with owner-drawn items, four brushes, and the hidden list window with its list
//   --fonts     Tahoma 11 and 12 on the main window and its controls
//   --list-font Tahoma 15 on the hidden list (a list box measures its font when it gets it)
//
// The menu font is not among them: the program makes it only while a menu opens.
//
// Every library beyond the floor's is loaded at run time, not linked, so that a step loads nothing
// before its flag asks for it.
#include <windows.h>
#include <commctrl.h>
#include <imm.h>

#include <cwchar>

#include "idle_tick.h"

namespace {

constexpr DWORD kUseImmersiveDarkMode = 20;
constexpr COLORREF kWindowColour = RGB(0x20, 0x20, 0x20);
constexpr COLORREF kTextColour = RGB(0xFF, 0xFF, 0xFF);
constexpr wchar_t kMainClass[] = L"ZoBenchSteps";
constexpr wchar_t kLampClass[] = L"ZoBenchStepsLamp";
constexpr wchar_t kListClass[] = L"ZoBenchStepsList";

struct Steps {
    bool com = false, comctl = false, imm = false, theme = false, imports = false, caption = false,
         controls = false, fonts = false, listFont = false;
};
Steps g_steps;

// Casts a looked-up export to its real type; the lookup gives a generic function pointer.
template <typename Function>
Function Export(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)))
                  : nullptr;
}

HMODULE Load(const wchar_t* name) { return ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32); }

// ---- the start-up steps ---------------------------------------------------------------------

struct Resources {
    HMODULE ole32 = nullptr, comctl32 = nullptr, uxtheme = nullptr, dwmapi = nullptr, shell32 = nullptr,
            oleaut32 = nullptr;
    HBRUSH brushes[4] = {};
    HFONT windowFont = nullptr, controlFont = nullptr, listFont = nullptr;
    HMENU menu = nullptr;
    HWND list = nullptr;
};
Resources g_res;

using SubclassProc = LRESULT(CALLBACK*)(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
using SetWindowSubclassFn = BOOL(WINAPI*)(HWND, SubclassProc, UINT_PTR, DWORD_PTR);
using DefSubclassProcFn = LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM);
DefSubclassProcFn g_defSubclassProc = nullptr;

void PaintText(HWND control, HDC dc, RECT rect) {
    wchar_t text[64] = {};
    const int length = GetWindowTextW(control, text, 64);
    FillRect(dc, &rect,
             g_res.brushes[0] ? g_res.brushes[0] : static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kTextColour);
    DrawTextW(dc, text, length, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

// The dark check box draws itself, as the program's does.
LRESULT CALLBACK CheckBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint{};
        const HDC dc = BeginPaint(box, &paint);
        RECT rect{};
        GetClientRect(box, &rect);
        const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(box, WM_GETFONT, 0, 0)));
        PaintText(box, dc, rect);
        SelectObject(dc, old);
        EndPaint(box, &paint);
        return 0;
    }
    if (message == WM_ERASEBKGND) return 1;
    return g_defSubclassProc(box, message, wParam, lParam);
}

HFONT Tahoma(int pixelHeight) {
    return CreateFontW(-pixelHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                       L"Tahoma");
}

void ApplyTheme(HWND window) {
    using SetAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
    const BOOL dark = TRUE;
    if (auto set = Export<SetAttributeFn>(g_res.dwmapi, "DwmSetWindowAttribute")) {
        set(window, kUseImmersiveDarkMode, &dark, sizeof dark);
    }
}

void UseClassicLook(HWND control) {
    using SetWindowThemeFn = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
    if (auto set = Export<SetWindowThemeFn>(g_res.uxtheme, "SetWindowTheme")) set(control, L"", L"");
}

struct Layout {
    const wchar_t* className;
    const wchar_t* text;
    DWORD style;
    int left, top, width, height;
    bool large;
};
constexpr Layout kLayout[] = {
    {L"BUTTON", L" \u767B\u9332", BS_OWNERDRAW, 12, 71, 39, 25, false},
    {L"BUTTON", L"ACT", BS_OWNERDRAW, 14, 1, 37, 25, false},
    {L"EDIT", L"2020", ES_CENTER | ES_NUMBER | ES_AUTOHSCROLL | WS_BORDER, 137, 2, 44, 22, true},
    {L"BUTTON", L"Shift", BS_AUTOCHECKBOX, 47, 28, 44, 17, true},
    {L"BUTTON", L"Ctrl", BS_AUTOCHECKBOX, 97, 28, 40, 17, true},
    {L"BUTTON", L"IME", BS_AUTOCHECKBOX, 2, 28, 41, 17, true},
    {L"BUTTON", L"OFF", BS_AUTOCHECKBOX, 141, 28, 40, 17, true},
    {L"BUTTON", L"LIST", BS_OWNERDRAW, 57, 1, 41, 25, false},
    {L"BUTTON", L"MOUSE", BS_AUTOCHECKBOX, 12, 103, 58, 17, false},
};
constexpr int kEditIndex = 2;

void AppendItem(HMENU menu, UINT id, const wchar_t* text, HMENU sub = nullptr) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_STRING | MIIM_ID | (sub ? MIIM_SUBMENU : 0u);
    info.fType = MFT_STRING | MFT_OWNERDRAW;
    info.wID = id;
    info.hSubMenu = sub;
    info.dwTypeData = const_cast<wchar_t*>(text);
    InsertMenuItemW(menu, static_cast<UINT>(GetMenuItemCount(menu)), TRUE, &info);
}

void BuildMenu() {
    g_res.menu = CreatePopupMenu();
    HMENU path = CreatePopupMenu();
    HMENU version = CreatePopupMenu();
    AppendItem(path, 202, L"vexo.exe");
    AppendItem(version, 203, L"ZO24_RAZ 1.02 (2024.09.09)");
    AppendItem(g_res.menu, 201, L"\u8D77\u52D5\u4E2D\u306E KORVA \u3092\u767B\u9332");
    AppendMenuW(g_res.menu, MF_SEPARATOR, 0, nullptr);
    AppendItem(g_res.menu, 0, L"AppFullName", path);
    AppendMenuW(g_res.menu, MF_SEPARATOR, 0, nullptr);
    AppendItem(g_res.menu, 0, L"\u30D0\u30FC\u30B8\u30E7\u30F3\u60C5\u5831", version);
    MENUINFO info{};
    info.cbSize = sizeof info;
    info.fMask = MIM_BACKGROUND;
    info.hbrBack = g_res.brushes[3];
    SetMenuInfo(g_res.menu, &info);
}

void CreateControls(HWND window, HINSTANCE instance) {
    for (HBRUSH& brush : g_res.brushes) brush = CreateSolidBrush(kWindowColour);
    if (g_steps.fonts) {
        g_res.windowFont = Tahoma(11);
        g_res.controlFont = Tahoma(12);
        SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(g_res.windowFont), FALSE);
    }
    CreateWindowExW(0, kLampClass, L"", WS_CHILD | WS_VISIBLE, 2, 1, 9, 25, window, nullptr, instance,
                    nullptr);
    const auto subclass = Export<SetWindowSubclassFn>(g_res.comctl32, "SetWindowSubclass");
    g_defSubclassProc = Export<DefSubclassProcFn>(g_res.comctl32, "DefSubclassProc");
    int id = 101;
    for (const Layout& layout : kLayout) {
        const HWND control = CreateWindowExW(
            0, layout.className, layout.text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | layout.style, layout.left,
            layout.top, layout.width, layout.height, window,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id++)), instance, nullptr);
        if (!control) continue;
        if (g_steps.fonts) {
            const HFONT font = layout.large ? g_res.controlFont : g_res.windowFont;
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        }
        if (layout.style == BS_AUTOCHECKBOX) {
            SendMessageW(control, BM_SETCHECK, BST_CHECKED, 0);
            if (subclass && g_defSubclassProc) subclass(control, CheckBoxProc, 1, 0);
        }
        if (&layout == &kLayout[kEditIndex]) {
            if (g_steps.theme) UseClassicLook(control);
            if (g_steps.imm) ImmAssociateContextEx(control, nullptr, 0);
        }
    }
    BuildMenu();
}

LRESULT CALLBACK LampProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint{};
        const HDC dc = BeginPaint(window, &paint);
        RECT rect{};
        GetClientRect(window, &rect);
        const HBRUSH fill = CreateSolidBrush(RGB(0, 0xFF, 0));
        const HGDIOBJ old = SelectObject(dc, fill);
        Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
        SelectObject(dc, old);
        DeleteObject(fill);
        EndPaint(window, &paint);
        return 0;
    }
    if (message == WM_ERASEBKGND) return 1;
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK ListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: {
            RECT client{};
            GetClientRect(window, &client);
            g_res.list =
                CreateWindowExW(0, L"LISTBOX", L"",
                                WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY |
                                    LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT,
                                0, 0, client.right, client.bottom, window, nullptr, nullptr, nullptr);
            if (g_steps.listFont) {
                g_res.listFont = Tahoma(15);
                SendMessageW(g_res.list, WM_SETFONT, reinterpret_cast<WPARAM>(g_res.listFont), FALSE);
            }
            if (g_steps.theme) ApplyTheme(window);
            return 0;
        }
        case WM_MEASUREITEM:
            reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = 18;
            return TRUE;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK StepsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            if (wParam == idle_tick::kTimer) idle_tick::Tick(window);
            return 0;
        case WM_DRAWITEM: {
            const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (item.CtlType == ODT_BUTTON) PaintText(item.hwndItem, item.hDC, item.rcItem);
            return TRUE;
        }
        case WM_MEASUREITEM: {
            auto& item = *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
            item.itemWidth = 120;
            item.itemHeight = 20;
            return TRUE;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
            if (!g_res.brushes[0]) break;
            SetTextColor(reinterpret_cast<HDC>(wParam), kTextColour);
            SetBkColor(reinterpret_cast<HDC>(wParam), kWindowColour);
            return reinterpret_cast<LRESULT>(g_res.brushes[0]);
        case WM_DESTROY:
            KillTimer(window, idle_tick::kTimer);
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool Flag(const wchar_t* commandLine, const wchar_t* name) {
    for (const wchar_t* at = std::wcsstr(commandLine, name); at; at = std::wcsstr(at + 1, name)) {
        const wchar_t after = at[std::wcslen(name)];
        if (after == L'\0' || after == L' ') return true;
    }
    return false;
}

bool RegisterWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = name;
    return RegisterClassW(&windowClass) != 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    Steps& s = g_steps;
    s.com = Flag(commandLine, L"--com");
    s.comctl = Flag(commandLine, L"--comctl");
    s.imm = Flag(commandLine, L"--imm");
    s.theme = Flag(commandLine, L"--theme");
    s.imports = Flag(commandLine, L"--imports");
    s.caption = Flag(commandLine, L"--caption");
    s.controls = Flag(commandLine, L"--controls");
    s.fonts = Flag(commandLine, L"--fonts");
    s.listFont = Flag(commandLine, L"--list-font");

    if (s.com) {
        using CoInitializeFn = HRESULT(WINAPI*)(LPVOID);
        g_res.ole32 = Load(L"ole32.dll");
        const auto initialise = Export<CoInitializeFn>(g_res.ole32, "CoInitialize");
        if (!initialise || FAILED(initialise(nullptr))) return 2;
    }
    if (s.comctl) {
        using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
        g_res.comctl32 = Load(L"comctl32.dll");
        const auto init = Export<InitFn>(g_res.comctl32, "InitCommonControlsEx");
        const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
        if (!init || !init(&controls)) return 3;
    }
    if (s.theme) {
        g_res.uxtheme = Load(L"uxtheme.dll");
        g_res.dwmapi = Load(L"dwmapi.dll");
        if (!g_res.uxtheme || !g_res.dwmapi) return 4;
    }
    if (s.imports) {
        g_res.shell32 = Load(L"shell32.dll");
        g_res.oleaut32 = Load(L"oleaut32.dll");
        if (!g_res.shell32 || !g_res.oleaut32) return 5;
    }

    if (!RegisterWindowClass(instance, kMainClass, StepsProc) ||
        !RegisterWindowClass(instance, kLampClass, LampProc) ||
        !RegisterWindowClass(instance, kListClass, ListProc)) {
        return 1;
    }
    const wchar_t* title = s.caption ? L"\u25A0ZO24_RAZ - KORVA 2020 x6" : L"steps";
    const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_TOPMOST | WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    RECT frame{0, 0, 188, 49};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    HWND window = CreateWindowExW(exStyle, kMainClass, title, style, 600, 0, frame.right - frame.left,
                                  frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    if (s.imm) ImmAssociateContextEx(window, nullptr, 0);
    if (s.theme) ApplyTheme(window);
    if (s.controls) {
        CreateControls(window, instance);
        // The hidden list window, created at start like the program's and never shown here.
        CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kListClass, L"\u5165\u529B\u5019\u88DC",
                        WS_POPUP | WS_BORDER | WS_THICKFRAME, 0, 0, 300, 300, nullptr, nullptr, instance,
                        nullptr);
    }
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    if (!SetTimer(window, idle_tick::kTimer, idle_tick::kIntervalMs, nullptr)) return 1;
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (s.controls && IsDialogMessageW(window, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
