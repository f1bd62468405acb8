#pragma once
// "TInputListForm": the hidden pop-up with ListBox1 that the document picker shows modally.
#include <windows.h>

#include <vector>

#include "core/candidates.h"
#include "platform/unique_handle.h"
#include "ui/ports.h"
#include "ui/win32/owned_window.h"

namespace zo {

class DarkTheme;

// The user's locale collation without regard to letter case: the list's sorted order.
[[nodiscard]] int CompareForUser(TextView a, TextView b);

class CandidateListWindow final : public CandidateListView {
public:
    CandidateListWindow(HINSTANCE instance, const DarkTheme* theme);
    ~CandidateListWindow() override;
    CandidateListWindow(const CandidateListWindow&) = delete;
    CandidateListWindow& operator=(const CandidateListWindow&) = delete;

    // Creates the window hidden. `modalOwner` is disabled while the list is shown. A failure
    // leaves no window and is thrown.
    void Create(HWND modalOwner);
    void Destroy() noexcept;

    // CandidateListView
    [[nodiscard]] WindowHandle Handle() override;
    void Clear() override;
    void AddRow(TextView text) override;
    void SwitchToSorted() override;
    [[nodiscard]] std::optional<std::size_t> FindRowIgnoringCase(TextView text) override;
    void Select(std::optional<std::size_t> row) override;
    [[nodiscard]] std::optional<std::size_t> SelectedRow() override;
    [[nodiscard]] Text RowText(std::size_t row) override;
    [[nodiscard]] int ShowModal() override;

private:
    template <class Owner>
    friend LRESULT CALLBACK OwnedWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    void Attach(HWND window) noexcept { window_ = window; }
    void Detach() noexcept {
        window_ = nullptr;
        list_ = nullptr;
    }
    static LRESULT CALLBACK ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR self) noexcept;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleListMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void InsertRow(std::size_t at, TextView text);
    void RefillList();
    void DrawRow(const DRAWITEMSTRUCT& item) const;
    // The handlers of the list's events.
    void ListBox1Click();
    void ListBox1DblClick();
    void ListBox1KeyDown(WORD key);
    void OnTypedCharacter(wchar_t ch);

    HINSTANCE instance_;
    const DarkTheme* theme_;
    HWND window_ = nullptr;
    HWND list_ = nullptr;
    HWND modalOwner_ = nullptr;
    UniqueFont font_;
    std::vector<Text> rows_;  // the list box cannot switch to sorting after creation: we keep the order
    bool sorted_ = false;
    bool shownBefore_ = false;
    int modalResult_ = kModalNone;
    TypeSearch typeSearch_;
    CreationFailure creationFailure_;
};

}  // namespace zo
