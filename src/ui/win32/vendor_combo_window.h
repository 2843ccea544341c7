#pragma once

#include "platform/win32/windows_include.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace vexav6::ui::win32 {

// The vendor drop-down: an edit part, a drop button and a popup list that holds no strings (an
// owner-data list box, LBS_NODATA): it knows only how many rows it shows and asks for the text of
// each row it draws. So 32,000 vendors fill it in one message, and narrowing it to what the user
// types costs one message per key.
//
// Keys in the edit part: Down, Up, PgDn, PgUp open the list and move its highlight, Enter picks
// the highlighted row, Escape closes the list, F4 and Alt+Down open or close it.
class VendorComboWindow {
  public:
    VendorComboWindow() = default;
    ~VendorComboWindow();
    VendorComboWindow(const VendorComboWindow&) = delete;
    VendorComboWindow& operator=(const VendorComboWindow&) = delete;

    bool Create(HWND parent, int controlId, HFONT font);
    void Move(int x, int y, int width, int height);
    HWND Handle() const { return container_; }
    HWND Edit() const { return edit_; }
    HWND List() const { return list_; }

    // Sets the edit part's text without raising onTyped.
    void SetText(const std::string& text);
    std::string Text() const;
    void ShowRows(size_t rows, size_t highlighted);
    void Drop(bool dropped);
    bool Dropped() const;
    // The highlighted row, or -1.
    int Highlighted() const;

    // The user typed into the edit part.
    std::function<void(const std::string& text)> onTyped;
    // The user picked a row.
    std::function<void(size_t row)> onChosen;
    // The text of a row, for drawing it.
    std::function<std::string_view(size_t row)> rowText;
    // An exception met inside a window procedure.
    std::function<void()> onException;

  private:
    static LRESULT CALLBACK ContainerProc(HWND, UINT, WPARAM, LPARAM) noexcept;
    static LRESULT CALLBACK PopupProc(HWND, UINT, WPARAM, LPARAM) noexcept;
    static LRESULT CALLBACK EditProc(HWND, UINT, WPARAM, LPARAM) noexcept;
    static LRESULT CALLBACK ListProc(HWND, UINT, WPARAM, LPARAM) noexcept;
    LRESULT OnContainer(HWND, UINT, WPARAM, LPARAM);
    LRESULT OnPopup(HWND, UINT, WPARAM, LPARAM);
    LRESULT OnEdit(HWND, UINT, WPARAM, LPARAM);
    LRESULT OnList(HWND, UINT, WPARAM, LPARAM);
    void MoveHighlight(int rows);
    void Choose(int row);
    void DrawRow(const DRAWITEMSTRUCT& item);
    int RowHeight() const;

    HWND container_ = nullptr;
    HWND edit_ = nullptr;
    HWND button_ = nullptr;
    HWND popup_ = nullptr;
    HWND list_ = nullptr;
    WNDPROC editProc_ = nullptr;
    WNDPROC listProc_ = nullptr;
    HFONT font_ = nullptr;
    bool settingText_ = false;
};

}  // namespace vexav6::ui::win32
