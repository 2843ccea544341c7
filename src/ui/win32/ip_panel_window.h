#pragma once

#include <array>
#include <optional>
#include <vector>

#include "ui/ip_panel.h"
#include "ui/win32/gdi.h"
#include "ui/win32/panel.h"

namespace vexav6::ui::win32 {

// An IP configuration panel: a frame with the presenter's caption around three report lists
// (addresses, gateways, DNS servers) side by side. Several rows can be selected; a disabled list
// has the button face colour. A right-click or the context-menu key opens the list's menu, which
// the presenter prepares each time; the lists' keys go to the presenter first. The panel also
// shows the presenter's add and remove dialogs, over the window it lies in, so it works the same
// on the main window's second tab and in the preset editor.
//
// Bind it to a presenter once both exist; the presenter must stay alive while the panel's
// window exists, or be unbound first.
class IPPanelWindow : public Panel, public IPPanelView, public IPDialogHost {
  public:
    static constexpr int kFirstListId = 1400;  // + IPList
    // Menu commands: kFirstMenuId + list * kMenuStride + IPCommand.
    static constexpr int kFirstMenuId = 1500;
    static constexpr int kMenuStride = 8;

    using Panel::Panel;
    ~IPPanelWindow() override;

    void Bind(IPPanel& presenter);
    void Unbind();

    HWND Group() const { return group_; }
    HWND List(IPList list) const { return lists_[static_cast<size_t>(list)]; }
    // The context menu of a list as it would open now (the test bench reads it).
    ScopedMenu ContextMenu(IPList list) const;

    // New fonts after a DPI change: the columns follow the new scale.
    void ApplyFonts(const UiFonts& fonts) override;

    // --- IPPanelView ---
    void SetCaption(const std::string& caption) override;
    void SetRows(IPList list, const std::vector<IPRow>& rows) override;
    void SetColumnHeader(IPList list, int column, const std::string& text) override;
    void SetListEnabled(IPList list, bool enabled) override;
    std::vector<int> SelectedRows(IPList list) const override;
    std::optional<int> CurrentRow(IPList list) const override;
    void SelectRows(IPList list, const std::vector<int>& rows, std::optional<int> current) override;
    void CopyToClipboard(const std::string& text) override;

    // --- IPDialogHost ---
    void ShowDialog(IPDialog& dialog) override;

  protected:
    void CreateControls() override;
    void LayoutControls(Box client, const Scaler& px) override;
    void OnCommand(int id, int code, HWND control) override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    static LRESULT CALLBACK ListProc(HWND list, UINT message, WPARAM wParam,
                                     LPARAM lParam) noexcept;
    LRESULT OnListMessage(IPList list, UINT message, WPARAM wParam, LPARAM lParam);
    std::optional<IPList> ListOf(HWND window) const;
    void ShowContextMenu(IPList list, LPARAM at);
    void SizeColumns(IPList list);
    void SizeFixedColumns(const Scaler& px);

    IPPanel* presenter_ = nullptr;
    HWND group_ = nullptr;
    std::array<HWND, 3> lists_{};
    WNDPROC listProc_ = nullptr;
};

class IPv4PanelWindow : public IPPanelWindow {
  public:
    using IPPanelWindow::IPPanelWindow;

  protected:
    const wchar_t* ClassName() const override { return L"Vexav6.IPv4Panel"; }
};

class IPv6PanelWindow : public IPPanelWindow {
  public:
    using IPPanelWindow::IPPanelWindow;

  protected:
    const wchar_t* ClassName() const override { return L"Vexav6.IPv6Panel"; }
};

}  // namespace vexav6::ui::win32
