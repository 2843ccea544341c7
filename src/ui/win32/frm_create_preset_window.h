#pragma once

#include <array>
#include <memory>
#include <string>

#include "ui/frm_create_preset.h"
#include "ui/ipv4_panel.h"
#include "ui/ipv6_panel.h"
#include "ui/mac_address.h"
#include "ui/win32/dialog.h"
#include "ui/win32/ip_panel_window.h"
#include "ui/win32/mac_address_window.h"
#include "ui/win32/tab_page.h"

namespace vexav6::ui::win32 {

// The page of the editor's tab control: as TabPage, but a disabled text box shows the button
// face, as the proxy boxes must.
class PresetEditorPage : public TabPage {
  public:
    using TabPage::TabPage;

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// The preset editor ("Create New Preset" / "Edit Preset"): three tabs over the working preset,
// "Save" and "Cancel". Ctrl+Tab and Ctrl+Shift+Tab go round the tabs. The IPv4 and IPv6 tabs
// host the IP configuration panels in preset mode: they edit the lists of the working preset,
// which Save hands on and Cancel drops.
class frmCreatePresetWindow : public Dialog, public frmCreatePresetView {
  public:
    static constexpr int kTabId = 1390;
    // The controls' identifiers: this plus the PresetControl.
    static constexpr int kFirstControlId = 1400;
    static constexpr int kPageId = 1380;  // plus the tab

    // The editor captioned `caption`, loaded with a copy of `toEdit` (none: a new preset).
    frmCreatePresetWindow(const Platform& platform, std::string caption, const Preset* toEdit);
    ~frmCreatePresetWindow() override;

    // After Run: the saved preset, or none when the user cancelled.
    std::shared_ptr<Preset> Saved() const;

    // frmCreatePresetView
    void SetCaption(const std::string& caption) override;
    void SetText(PresetControl control, const std::string& text) override;
    std::string Text(PresetControl control) const override;
    void SetChecked(PresetControl control, bool checked) override;
    void SetEnabled(PresetControl control, bool enabled) override;
    void Focus(PresetControl control) override;
    void ShowTab(int tab) override;
    void BindIPv4Panel(const std::shared_ptr<Preset>& preset) override;
    void BindIPv6Panel(const std::shared_ptr<Preset>& preset) override;
    void Close() override;

  protected:
    BOOL OnInitDialog() override;
    void OnCommand(int id, int code, HWND control) override;
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Layout() override;

  private:
    static LRESULT CALLBACK KeyFilter(int code, WPARAM wParam, LPARAM lParam) noexcept;

    HWND& ControlOf(PresetControl control) { return controls_[static_cast<size_t>(control)]; }
    HWND ControlOf(PresetControl control) const { return controls_[static_cast<size_t>(control)]; }
    // Makes a control of a page with the identifier of its PresetControl.
    HWND AddTo(int page, PresetControl control, const wchar_t* className, const std::string& text,
               DWORD style);
    HWND AddStatic(int page, const wchar_t* className, const std::string& text, DWORD style);
    void CreateMACPage();
    void CreateIPPage(int page, bool v6);
    void LayoutMACPage(Box client, const Scaler& px);
    void LayoutIPPage(int page, bool v6, Box client, const Scaler& px);
    void OnPageCommand(int id, int code, HWND control);

    std::string caption_;
    const Preset* toEdit_;
    std::unique_ptr<frmCreatePreset> presenter_;
    HWND tab_ = nullptr;
    std::array<std::unique_ptr<PresetEditorPage>, kPresetEditorTabCount> pages_;
    std::array<HWND, kPresetControlCount> controls_{};
    // The custom MAC address: the six-octet box and its key machine.
    std::unique_ptr<MACAddressWindow> macBox_;
    std::unique_ptr<MACAddress> macMachine_;
    // Frames and labels of the pages, in the order their layouts place them.
    std::array<HWND, 3> macFrames_{};
    std::array<HWND, 3> macLabels_{};
    std::array<HWND, 2> ipFrames_{};
    // The IP configuration panels of the IPv4 and IPv6 tabs: the presenters outlive the windows
    // (members go in reverse order).
    std::unique_ptr<IPv4Panel> ipv4_;
    std::unique_ptr<IPv6Panel> ipv6_;
    std::unique_ptr<IPv4PanelWindow> ipv4Window_;
    std::unique_ptr<IPv6PanelWindow> ipv6Window_;
    std::array<IPPanelWindow*, 2> ipPanels_{};
    HHOOK keyFilter_ = nullptr;
};

}  // namespace vexav6::ui::win32
