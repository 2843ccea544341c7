#pragma once

#include <algorithm>
#include <array>
#include <string>

#include "ui/change_mac_address.h"
#include "ui/mac_address.h"

namespace vexav6::testing {

// Six edit boxes as the key machine sees them: text, selection and focus. Moving the focus tells
// the machine of the octets left and entered, as the window's controls do.
class FakeMACAddressView : public ui::MACAddressView {
  public:
    std::string OctetText(int octet) const override { return text[Index(octet)]; }
    void SetOctetText(int octet, const std::string& value) override {
        text[Index(octet)] = value;
        const int length = static_cast<int>(value.size());
        start[Index(octet)] = std::min(start[Index(octet)], length);
        end[Index(octet)] = std::min(end[Index(octet)], length);
    }
    void GetSelection(int octet, int& s, int& e) const override {
        s = start[Index(octet)];
        e = end[Index(octet)];
    }
    void SetSelection(int octet, int s, int e) override {
        start[Index(octet)] = s;
        end[Index(octet)] = e;
    }
    void FocusOctet(int octet) override {
        if (octet == focus) {
            return;
        }
        const int left = focus;
        focus = octet;
        if (machine != nullptr) {
            machine->OnOctetLeave(left);
            machine->OnOctetEnter(octet);
        }
    }
    void Beep() override { ++beeps; }
    void SetEnabled(bool value) override { enabled = value; }

    // Keys as the window forwards them: characters, and the arrow keys going down.
    void Type(const std::string& keys) {
        for (const char c : keys) {
            machine->OnChar(focus, static_cast<char32_t>(static_cast<unsigned char>(c)));
        }
    }
    void Key(int virtualKey, bool shift = false, bool ctrl = false) {
        machine->OnKeyDown(focus, virtualKey, shift, ctrl);
    }
    void Click(int octet) {
        FocusOctet(octet);
        if (machine != nullptr) {
            machine->OnOctetEnter(octet);
        }
    }

    ui::MACAddress* machine = nullptr;
    std::array<std::string, 6> text{};
    std::array<int, 6> start{};
    std::array<int, 6> end{};
    int focus = 0;
    int beeps = 0;
    bool enabled = true;

  private:
    static size_t Index(int octet) { return static_cast<size_t>(octet); }
};

// The panel's controls as the presenter left them.
class FakeChangeMACAddressView : public ui::ChangeMACAddressView {
  public:
    void SetVendorText(const std::string& text) override { vendorText = text; }
    void ShowVendorRows(size_t count, size_t highlight) override {
        rows = count;
        highlighted = highlight;
    }
    void DropVendorList(bool value) override { dropped = value; }
    void SetChangeEnabled(bool value) override { changeEnabled = value; }
    void SetRestoreEnabled(bool value) override { restoreEnabled = value; }
    void SetRandomEnabled(bool value) override { randomEnabled = value; }
    void Set02Checked(bool value) override { checked02 = value; }
    void SetPersistentChecked(bool value) override { persistent = value; }
    void SetAutoRestartChecked(bool value) override { autoRestart = value; }
    void SetAutoRestartEnabled(bool value) override { autoRestartEnabled = value; }
    void FocusMACAddress() override { ++focusRequests; }

    std::string vendorText;
    size_t rows = 0;
    size_t highlighted = 0;
    bool dropped = false;
    bool changeEnabled = false;
    bool restoreEnabled = false;
    bool randomEnabled = false;
    bool checked02 = false;
    bool persistent = false;
    bool autoRestart = false;
    bool autoRestartEnabled = false;
    int focusRequests = 0;
};

}  // namespace vexav6::testing
