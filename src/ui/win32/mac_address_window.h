#pragma once

#include <array>
#include <string>

#include "platform/platform.h"
#include "platform/win32/windows_include.h"
#include "ui/mac_address.h"
#include "ui/win32/window.h"

namespace vexav6::ui::win32 {

// The six-octet MAC address box: a container child window with six single-line edit controls
// (two characters each) and the dashes between them. The edits are subclassed: every typed
// character, the arrow keys, pastes and focus changes go to the key machine (ui::MACAddress),
// which edits the octet and tells the controls what to show.
class MACAddressWindow : public Window, public MACAddressView {
  public:
    using Window::Window;
    // Gives the edits their own procedures back.
    ~MACAddressWindow() override;

    // Creates the box under `parent`.
    void Create(HWND parent, int controlId, HFONT font);
    // The key machine the controls report to (the panel's presenter owns it).
    void Attach(MACAddress& machine) { machine_ = &machine; }
    // A new font (a DPI change): the octets are measured again.
    void SetFont(HFONT font);
    // Places the box; each octet is as wide as the font's "WW" plus margins.
    void Move(int x, int y, int height);
    // The width the box needs.
    int PreferredWidth() const;
    HWND Octet(int octet) const { return edits_[static_cast<size_t>(octet)]; }

    // MACAddressView
    std::string OctetText(int octet) const override;
    void SetOctetText(int octet, const std::string& text) override;
    void GetSelection(int octet, int& start, int& end) const override;
    void SetSelection(int octet, int start, int end) override;
    void FocusOctet(int octet) override;
    void Beep() override;
    void SetEnabled(bool enabled) override;

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    static LRESULT CALLBACK EditProc(HWND window, UINT message, WPARAM wParam,
                                     LPARAM lParam) noexcept;
    LRESULT OnEditMessage(int octet, HWND edit, UINT message, WPARAM wParam, LPARAM lParam);
    int OctetOf(HWND edit) const;

    std::array<HWND, MACAddress::kOctets> edits_{};
    std::array<HWND, MACAddress::kOctets - 1> dashes_{};
    std::array<WNDPROC, MACAddress::kOctets> editProcs_{};
    MACAddress* machine_ = nullptr;
    int octetWidth_ = 24;
    int dashWidth_ = 8;
    // While the box writes an octet itself, the control's change notice is not a user edit.
    bool writing_ = false;
};

}  // namespace vexav6::ui::win32
