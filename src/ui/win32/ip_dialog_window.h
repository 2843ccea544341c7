#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "ui/frm_add_dns.h"
#include "ui/frm_add_gateway.h"
#include "ui/frm_add_ipv4.h"
#include "ui/frm_add_ipv6.h"
#include "ui/frm_remove.h"
#include "ui/ip_dialog.h"
#include "ui/win32/dialog.h"
#include "ui/win32/ip_address_control.h"

namespace vexav6::ui::win32 {

// One input row of an add dialog: a label and a four-part box or a text box; the subnet mask row
// of frmAddIPv4 has the prefix box (txtCIDR) after a "/".
struct IPDialogRow {
    std::string label;
    DialogControl control;
    IPAddress* box = nullptr;  // the four-part box, or none for a text box
    int width = 0;             // of a text box, in units
    bool withPrefix = false;
};

// The add and remove dialogs of the IP configuration panels: the rows of the dialog, then its
// check box, then the buttons ("OK" and "Cancel"; "Yes" and "No" for the removal question). The
// presenter (an IPDialog) holds the texts and rules; the window shows them and hands over what the
// user types and clicks.
class IPDialogWindow : public Dialog, public IPDialogView {
  public:
    static constexpr int kFirstInputId = 100;  // + DialogControl
    static constexpr int kCheckBoxId = 200;
    static constexpr int kQuestionId = 201;

    IPDialogWindow(const Platform& platform, IPDialog& dialog, std::vector<IPDialogRow> rows);
    ~IPDialogWindow() override;

    // --- IPDialogView ---
    void SetControlText(DialogControl control, const std::string& text) override;
    void SetCheckBox(bool checked, bool enabled) override;
    void FocusControl(DialogControl control) override;
    void SelectAllText(DialogControl control) override;
    void Beep() override;
    void Close() override;

  protected:
    BOOL OnInitDialog() override;
    void OnCommand(int id, int code, HWND control) override;
    void Layout() override;

  private:
    HWND Input(DialogControl control) const { return Control(kFirstInputId + int(control)); }
    int ContentWidth() const;
    int ClientHeight() const;
    bool IsQuestion() const { return dialog_.DialogKind() == IPDialog::Kind::Remove; }

    IPDialog& dialog_;
    std::vector<IPDialogRow> rows_;
    std::vector<std::unique_ptr<IPAddressControl>> boxes_;
    std::vector<HWND> labels_;
    HWND slash_ = nullptr;
    HWND icon_ = nullptr;
    // Counts the window's own changes of its text boxes, which are not the user's edits.
    int showing_ = 0;
};

// The seven dialogs, each with its rows.
class frmAddIPv4Window : public IPDialogWindow {
  public:
    frmAddIPv4Window(const Platform& platform, frmAddIPv4& dialog);
};
class frmAddGWv4Window : public IPDialogWindow {
  public:
    frmAddGWv4Window(const Platform& platform, frmAddGWv4& dialog);
};
class frmAddDNSv4Window : public IPDialogWindow {
  public:
    frmAddDNSv4Window(const Platform& platform, frmAddDNSv4& dialog);
};
class frmAddIPv6Window : public IPDialogWindow {
  public:
    frmAddIPv6Window(const Platform& platform, frmAddIPv6& dialog);
};
class frmAddGWv6Window : public IPDialogWindow {
  public:
    frmAddGWv6Window(const Platform& platform, frmAddGWv6& dialog);
};
class frmAddDNSv6Window : public IPDialogWindow {
  public:
    frmAddDNSv6Window(const Platform& platform, frmAddDNSv6& dialog);
};
class frmRemoveWindow : public IPDialogWindow {
  public:
    frmRemoveWindow(const Platform& platform, frmRemove& dialog);
};

// Shows the dialog's window modally over `owner` and returns when it is closed; the dialog's
// DialogResult tells how.
void ShowIPDialog(HWND owner, const Platform& platform, IPDialog& dialog);

}  // namespace vexav6::ui::win32
