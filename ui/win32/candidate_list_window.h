#pragma once
// "TInputListForm": the hidden pop-up with ListBox1 that the document picker shows modally. It
// turns the list's messages into CandidateListForm's handlers and draws the rows it is given.
#include <windows.h>

#include <vector>

#include "platform/unique_handle.h"
#include "ui/candidate_list_form.h"
#include "ui/ports.h"
#include "ui/win32/owned_window.h"

namespace zo {

class DarkTheme;

class CandidateListWindow final : public CandidateListView, private CandidateListSelection {
  public:
    CandidateListWindow(HINSTANCE instance, const DarkTheme* theme, const TextCompare& compareForUser);
    ~CandidateListWindow() override;
    CandidateListWindow(const CandidateListWindow&) = delete;
    CandidateListWindow& operator=(const CandidateListWindow&) = delete;

    // Creates the window hidden. `modalOwner` is disabled while the list is shown.
    void Create(HWND modalOwner);
    void Destroy() noexcept;

    // CandidateListView
    [[nodiscard]] WindowHandle Handle() override;
    void Clear() override;
    void SetRows(const std::vector<Text>& rows) override;
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

    // CandidateListSelection
    void SelectRow(std::optional<std::size_t> row) override;

    void FillList();
    void DrawRow(const DRAWITEMSTRUCT& item) const;

    HINSTANCE instance_;
    const DarkTheme* theme_;
    HWND window_ = nullptr;
    HWND list_ = nullptr;
    HWND modalOwner_ = nullptr;
    UniqueFont font_;
    bool shownBefore_ = false;
    CandidateListForm form_;
    CreationFailure creationFailure_;
};

}  // namespace zo
