#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "platform/win32/windows_include.h"
#include "ui/win32/window.h"

namespace vexav6::ui::win32 {

// The vendor drop-down: an edit part, a drop button and a popup list that holds no strings (an
// owner-data list box, LBS_NODATA): it knows only how many rows it shows and asks for the text of
// each row it draws. So 32,000 vendors fill it in one message, and narrowing it to what the user
// types costs one message per key.
//
// Keys in the edit part: Down, Up, PgDn, PgUp open the list and move its highlight, Enter picks
// the highlighted row, Escape closes the list, F4 and Alt+Down open or close it.
class VendorComboWindow : public Window {
  public:
    explicit VendorComboWindow(const Platform& platform);
    // Gives the edit and the list their own procedures back.
    ~VendorComboWindow() override;

    void Create(HWND parent, int controlId, HFONT font);
    // A new font (a DPI change) for the edit part and the rows.
    void SetFont(HFONT font);
    void Move(int x, int y, int width, int height);
    HWND Edit() const { return edit_; }
    HWND List() const { return list_; }
    HWND DropDown() const { return popup_.Handle(); }

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

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    // The popup that holds the list; it never takes the activation from the main window.
    class Popup : public Window {
      public:
        Popup(const Platform& platform, VendorComboWindow& owner)
            : Window(platform), owner_(owner) {}
        void Create(HWND owner);

      protected:
        LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

      private:
        VendorComboWindow& owner_;
    };

    static LRESULT CALLBACK EditProc(HWND, UINT, WPARAM, LPARAM) noexcept;
    static LRESULT CALLBACK ListProc(HWND, UINT, WPARAM, LPARAM) noexcept;
    LRESULT OnEdit(HWND, UINT, WPARAM, LPARAM);
    LRESULT OnList(HWND, UINT, WPARAM, LPARAM);
    void MoveHighlight(int rows);
    void Choose(int row);
    void DrawButton(const DRAWITEMSTRUCT& item);
    void DrawRow(const DRAWITEMSTRUCT& item);
    int RowHeight() const;

    Popup popup_;
    HWND edit_ = nullptr;
    HWND button_ = nullptr;
    HWND list_ = nullptr;
    WNDPROC editProc_ = nullptr;
    WNDPROC listProc_ = nullptr;
    HFONT font_ = nullptr;
    bool settingText_ = false;
};

}  // namespace vexav6::ui::win32
