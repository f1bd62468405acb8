// The cost floor: what any program in this role must have and do, and nothing more, so that the
// benchmark's ratios show only what ZO24_RAZ.exe adds to it. It has the program's manifest
// (common controls version 6), initialises COM on its thread, and makes the windows the program is
// required to have, in their plain system look: the always-on-top main window with its nine
// controls in Tahoma 11 and 12, the popup menu with its items and submenus, and the hidden list
// window with its list box in Tahoma 15. Its 100 ms timer makes exactly the platform calls of an
// idle tick (idle_tick.h). Nothing is themed, owner-drawn or subclassed: that is the program's own.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <iterator>

#include "idle_tick.h"

namespace {

constexpr wchar_t kMainClass[] = L"ZoBenchFloor";
constexpr wchar_t kListClass[] = L"ZoBenchFloorList";
constexpr DWORD kMainStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kMainExStyle = WS_EX_DLGMODALFRAME | WS_EX_TOPMOST | WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;
constexpr DWORD kListStyle = WS_POPUP | WS_BORDER | WS_THICKFRAME;

struct Control {
    const wchar_t* className;
    const wchar_t* text;
    DWORD style;
    int left, top, width, height;
    bool tahoma12;
};

constexpr Control kControls[] = {
    {L"BUTTON", L" \u767B\u9332", BS_PUSHBUTTON, 12, 71, 39, 25, false},
    {L"BUTTON", L"ACT", BS_PUSHBUTTON, 14, 1, 37, 25, false},
    {L"EDIT", L"2020", ES_CENTER | ES_NUMBER | ES_AUTOHSCROLL, 137, 2, 44, 22, true},
    {L"BUTTON", L"Shift", BS_AUTOCHECKBOX, 47, 28, 44, 17, true},
    {L"BUTTON", L"Ctrl", BS_AUTOCHECKBOX, 97, 28, 40, 17, true},
    {L"BUTTON", L"IME", BS_AUTOCHECKBOX, 2, 28, 41, 17, true},
    {L"BUTTON", L"OFF", BS_AUTOCHECKBOX, 141, 28, 40, 17, true},
    {L"BUTTON", L"LIST", BS_PUSHBUTTON, 57, 1, 41, 25, false},
    {L"BUTTON", L"MOUSE", BS_AUTOCHECKBOX, 12, 103, 58, 17, false},
};

HFONT Tahoma(int pixelHeight) {
    return CreateFontW(-pixelHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                       L"Tahoma");
}

struct Resources {
    HFONT windowFont = nullptr, controlFont = nullptr, listFont = nullptr;
    HMENU menu = nullptr;
    HWND list = nullptr;
};
Resources g_res;

void BuildMenu() {
    g_res.menu = CreatePopupMenu();
    HMENU path = CreatePopupMenu();
    HMENU version = CreatePopupMenu();
    AppendMenuW(path, MF_STRING, 202, L"vexo.exe");
    AppendMenuW(version, MF_STRING, 203, L"ZO24_RAZ 1.02 (2024.09.09)");
    AppendMenuW(g_res.menu, MF_STRING, 201, L"\u8D77\u52D5\u4E2D\u306E KORVA \u3092\u767B\u9332");
    AppendMenuW(g_res.menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(g_res.menu, MF_POPUP, reinterpret_cast<UINT_PTR>(path), L"AppFullName");
    AppendMenuW(g_res.menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(g_res.menu, MF_POPUP, reinterpret_cast<UINT_PTR>(version),
                L"\u30D0\u30FC\u30B8\u30E7\u30F3\u60C5\u5831");
}

void CreateControls(HWND window, HINSTANCE instance) {
    g_res.windowFont = Tahoma(11);
    g_res.controlFont = Tahoma(12);
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(g_res.windowFont), FALSE);
    for (int i = 0; i < static_cast<int>(std::size(kControls)); ++i) {
        const Control& c = kControls[i];
        const bool edit = (c.style & ES_NUMBER) != 0;
        const HWND control = CreateWindowExW(
            edit ? WS_EX_CLIENTEDGE : 0, c.className, c.text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | c.style,
            c.left, c.top, c.width, c.height, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(101 + i)),
            instance, nullptr);
        SendMessageW(control, WM_SETFONT,
                     reinterpret_cast<WPARAM>(c.tahoma12 ? g_res.controlFont : g_res.windowFont), FALSE);
        if (c.style == BS_AUTOCHECKBOX) SendMessageW(control, BM_SETCHECK, BST_CHECKED, 0);
    }
    BuildMenu();
}

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            CreateControls(window, reinterpret_cast<CREATESTRUCTW*>(lParam)->hInstance);
            return 0;
        case WM_TIMER:
            if (wParam == idle_tick::kTimer) idle_tick::Tick(window);
            return 0;
        case WM_DESTROY:
            KillTimer(window, idle_tick::kTimer);
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK ListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        RECT client{};
        GetClientRect(window, &client);
        g_res.list = CreateWindowExW(0, L"LISTBOX", L"",
                                     WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY |
                                         LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT,
                                     0, 0, client.right, client.bottom, window, reinterpret_cast<HMENU>(1),
                                     reinterpret_cast<CREATESTRUCTW*>(lParam)->hInstance, nullptr);
        g_res.listFont = Tahoma(15);
        SendMessageW(g_res.list, WM_SETFONT, reinterpret_cast<WPARAM>(g_res.listFont), FALSE);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool Register(HINSTANCE instance, const wchar_t* name, WNDPROC proc, UINT style, HBRUSH background) {
    WNDCLASSW windowClass{};
    windowClass.style = style;
    windowClass.lpfnWndProc = proc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = name;
    return RegisterClassW(&windowClass) != 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    const HRESULT com = CoInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    if (!Register(instance, kMainClass, MainProc, 0, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)) ||
        !Register(instance, kListClass, ListProc, CS_DROPSHADOW,
                  static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))))
        return 1;
    RECT frame{0, 0, 188, 49};
    AdjustWindowRectEx(&frame, kMainStyle, FALSE, kMainExStyle);
    // Where the benchmark places the program (Left=600, Top=0), so that both sit alike on the desktop.
    const HWND window =
        CreateWindowExW(kMainExStyle, kMainClass, L"floor", kMainStyle, 600, 0, frame.right - frame.left,
                        frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
    RECT listFrame{0, 0, 296, 295};
    AdjustWindowRectEx(&listFrame, kListStyle, FALSE, WS_EX_TOPMOST | WS_EX_TOOLWINDOW);
    const HWND list =
        CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kListClass, L"\u5165\u529B\u5019\u88DC", kListStyle,
                        0, 0, listFrame.right - listFrame.left, listFrame.bottom - listFrame.top, nullptr,
                        nullptr, instance, nullptr);
    if (!window || !list) return 1;
    ShowWindow(window, SW_SHOWNOACTIVATE);
    if (!SetTimer(window, idle_tick::kTimer, idle_tick::kIntervalMs, nullptr)) return 1;
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(window, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    DestroyWindow(list);
    DestroyMenu(g_res.menu);
    for (HFONT font : {g_res.windowFont, g_res.controlFont, g_res.listFont}) DeleteObject(font);
    if (SUCCEEDED(com)) CoUninitialize();
    return 0;
}
