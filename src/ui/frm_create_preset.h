#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/platform.h"
#include "presets/preset.h"

namespace vexav6::ui {

// The controls of the preset editor that its rules speak of.
enum class PresetControl {
    // "MAC Address & HTTP Proxy" tab
    Name,
    IncludeMAC,
    RandomMAC,
    Random02MAC,
    OriginalMAC,
    CustomMAC,
    MACBox,
    IncludeProxy,
    EnableProxy,
    ProxyServer,
    ProxyPort,
    // "Internet Protocol v4" tab
    IncludeIPv4,
    DHCPv4,
    IPv4Address,
    IPv4Gateway,
    IPv4DNS,
    // "Internet Protocol v6" tab
    IncludeIPv6,
    DHCPv6,
    IPv6Address,
    IPv6Gateway,
    IPv6DNS,
};
inline constexpr int kPresetControlCount = static_cast<int>(PresetControl::IPv6DNS) + 1;

// The editor's tabs.
inline constexpr int kPresetEditorTabCount = 3;
inline constexpr const char* kPresetEditorTabCaptions[kPresetEditorTabCount] = {
    "MAC Address & HTTP Proxy", "Internet Protocol v4", "Internet Protocol v6"};

// What the preset editor's window shows.
class frmCreatePresetView {
  public:
    virtual ~frmCreatePresetView() = default;

    virtual void SetCaption(const std::string& caption) = 0;
    // Text of the name, MAC, proxy server and port boxes.
    virtual void SetText(PresetControl control, const std::string& text) = 0;
    virtual std::string Text(PresetControl control) const = 0;
    // Check mark of a check box, or the selection of an option button.
    virtual void SetChecked(PresetControl control, bool checked) = 0;
    // An enabled text box has the window background, a disabled one the button face.
    virtual void SetEnabled(PresetControl control, bool enabled) = 0;
    virtual void Focus(PresetControl control) = 0;
    // Shows the tab's page with its controls enabled, takes the other pages (and their controls)
    // out of use, and gives the tab strip the focus.
    virtual void ShowTab(int tab) = 0;
    // Shows the lists of the working preset in the IPv4 or IPv6 panel, to edit them there.
    virtual void BindIPv4Panel(const std::shared_ptr<Preset>& preset) = 0;
    virtual void BindIPv6Panel(const std::shared_ptr<Preset>& preset) = 0;
    // Closes the window; the presenter holds the result.
    virtual void Close() = 0;
};

// The preset editor ("Create New Preset" / "Edit Preset"): one working preset that the IP boxes
// and panels change at once and Save completes from the other boxes. Cancel leaves the preset it
// was given untouched: the editor works on a copy.
class frmCreatePreset {
  public:
    // The dialog results.
    static constexpr int kSaved = 1;
    static constexpr int kCancelled = 2;

    // A new window: a new preset, nothing included, the first tab shown.
    frmCreatePreset(const Platform& platform, frmCreatePresetView& view);

    void SetCaption(const std::string& caption) { view_.SetCaption(caption); }
    // Loads a copy of the preset for editing.
    void EditRefresh(const Preset& preset);

    // The user's actions: a check box clicked (its new state), an option button chosen, a tab
    // chosen on the strip, Ctrl+Tab and Ctrl+Shift+Tab.
    void OnCheckChanged(PresetControl control, bool checked);
    void OnOptionSelected(PresetControl control);
    void SelectTab(int tab);
    void NextTab() { SelectTab((tab_ + 1) % kPresetEditorTabCount); }
    void PreviousTab() { SelectTab((tab_ + kPresetEditorTabCount - 1) % kPresetEditorTabCount); }
    void Save();
    void Cancel();

    // 0 while open, then kSaved or kCancelled.
    int DialogResult() const { return result_; }
    // The working preset: after a save, the preset as saved.
    const std::shared_ptr<Preset>& GetPreset() const { return preset_; }
    int CurrentTab() const { return tab_; }
    bool Checked(PresetControl control) const { return checked_[Index(control)]; }

  private:
    static size_t Index(PresetControl control) { return static_cast<size_t>(control); }
    void Check(PresetControl control, bool checked);
    void Enable(PresetControl control, bool enabled);
    // The enabling rules, from the check marks.
    void UpdateMACControls();
    void UpdateProxyControls();
    void UpdateIPControls(bool v6);
    // An address, gateway or DNS box: the list of its kind becomes present or absent.
    void SetListPresent(PresetControl control, bool present);
    void Rebind(bool v6);
    // The proxy port as typed; false when it is not a port number.
    bool ReadPort(int32_t& port) const;
    void Refuse(const std::string& text, const std::string& title, PresetControl focus);

    Platform platform_;
    frmCreatePresetView& view_;
    std::shared_ptr<Preset> preset_;
    std::array<bool, kPresetControlCount> checked_{};
    int tab_ = 0;
    int result_ = 0;
};

}  // namespace vexav6::ui
