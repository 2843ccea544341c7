#pragma once

#include <array>

#include "platform/platform.h"
#include "platform/win32/windows_include.h"
#include "ui/ip_address.h"
#include "ui/win32/window.h"

namespace vexav6::ui::win32 {

// The four-part IPv4 edit box: a frame drawn like an edit box, holding four borderless edit
// controls with dots between them. The edit controls are subclassed: their keys go through the
// box's key machine (ui::IPAddress) first, and the machine tells the control what to show. The
// frame is one stop of the Tab key; the focus it gets goes on to part 0.
//
// The box must outlive the control, or the control must be destroyed first (its destructor
// detaches it from the box).
class IPAddressControl : public Window, public IPAddressView {
  public:
    static constexpr const wchar_t* kClassName = L"Vexav6.IPAddress";

    explicit IPAddressControl(const Platform& platform) : Window(platform) {}
    ~IPAddressControl() override;

    // Makes the control (a tab stop, visible) under `parent` with its child-window id, and binds
    // it to the box.
    void Create(HWND parent, int id, HFONT font, IPAddress& box);
    // The edit control of a part (0..3).
    HWND Part(int part) const { return parts_[static_cast<size_t>(part)]; }

    // --- IPAddressView ---
    void ShowPart(int part, const std::string& text, PartSelection selection) override;
    void FocusPart(int part, PartSelection selection) override;
    void Beep() override;

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    static LRESULT CALLBACK PartProc(HWND edit, UINT message, WPARAM wParam,
                                     LPARAM lParam) noexcept;
    LRESULT OnPartMessage(int part, UINT message, WPARAM wParam, LPARAM lParam);
    PartSelection SelectionOf(int part) const;
    int PartOf(HWND edit) const;
    void Layout();
    void Paint();

    IPAddress* box_ = nullptr;
    std::array<HWND, IPAddress::kParts> parts_{};
    WNDPROC editProc_ = nullptr;
    HFONT font_ = nullptr;
    // Counts the control's own changes of the edit controls, which are not the user's edits.
    int showing_ = 0;
};

}  // namespace vexav6::ui::win32
