#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace vexav6::ui {

// The controls of the IP configuration dialogs that a presenter speaks of. Each dialog has some of
// them; `Address` is the four-part box of the IPv4 dialogs and the text box of the IPv6 ones.
enum class DialogControl { Address, SubnetMask, Prefix, Metric, Question, CheckBox };

// Values of DialogResult.
namespace dialogresult {
inline constexpr int32_t kNone = 0;
inline constexpr int32_t kConfirmed = 1;
inline constexpr int32_t kCancelled = 2;
}  // namespace dialogresult

// What an add or remove dialog of the IP configuration panels tells its window.
class IPDialogView {
  public:
    virtual ~IPDialogView() = default;

    // The text of a text box or label (not of a four-part box, which shows itself). Showing is not
    // an edit: the window does not report it back through TextChanged.
    virtual void SetControlText(DialogControl control, const std::string& text) = 0;
    virtual void SetCheckBox(bool checked, bool enabled) = 0;
    // Moves the focus into a control, with the caret after its text.
    virtual void FocusControl(DialogControl control) = 0;
    virtual void SelectAllText(DialogControl control) = 0;
    virtual void Beep() = 0;
    // Ends the modal dialog.
    virtual void Close() = 0;
};

// What the add and remove dialogs share: a caption, an optional check box, plain text boxes, and
// the result. The dialogs do not check what was typed: confirming copies the inputs into the
// values the panel reads, sets the result to 1 and closes; cancelling sets 2 and closes.
class IPDialog {
  public:
    enum class Kind { AddIPv4, AddGWv4, AddDNSv4, AddIPv6, AddGWv6, AddDNSv6, Remove };

    virtual ~IPDialog() = default;
    IPDialog(const IPDialog&) = delete;
    IPDialog& operator=(const IPDialog&) = delete;

    Kind DialogKind() const { return kind_; }
    const std::string& Caption() const { return caption_; }
    // 1 confirmed, 2 cancelled, 0 while open.
    int32_t DialogResult() const { return result_; }

    // The check box ("Persistent ...", "Permanently Remove ..."); the DNS dialogs have none.
    bool HasCheckBox() const { return checkBoxText_.has_value(); }
    const std::string& CheckBoxText() const;
    bool CheckBoxChecked() const { return checked_; }
    bool CheckBoxEnabled() const { return checkEnabled_; }
    // Set by the panel before the dialog is shown.
    void PrepareCheckBox(bool checked, bool enabled);

    // The text of a plain text box ("" for a control the dialog does not have as a text box).
    const std::string& TextOf(DialogControl control) const;

    // Attaches the window (or detaches it with nullptr): it shows the texts and the check box, and
    // the focus goes to the first input.
    virtual void AttachView(IPDialogView* view);

    // What the user does.
    virtual void TextChanged(DialogControl control, const std::string& text);
    virtual void GotFocus(DialogControl /*control*/) {}
    // A click on an enabled check box.
    void CheckBoxClicked(bool checked);
    void Confirm();
    void Cancel();

  protected:
    IPDialog(Kind kind, std::string caption, std::optional<std::string> checkBoxText);

    // Copies the inputs into the values the panel reads.
    virtual void CopyInputs() = 0;
    // Shows the dialog's own controls once a window is attached.
    virtual void ShowInputs() {}

    // A text box the dialog has, with its first text.
    void AddTextBox(DialogControl control, std::string text);
    void ShowText(DialogControl control, const std::string& text);
    void SetCaption(std::string caption) { caption_ = std::move(caption); }
    void SetCheckBoxText(std::string text) { checkBoxText_ = std::move(text); }
    IPDialogView* View() const { return view_; }
    void Beep();

  private:
    Kind kind_;
    std::string caption_;
    std::optional<std::string> checkBoxText_;
    bool checked_ = true;
    bool checkEnabled_ = true;
    std::map<DialogControl, std::string> texts_;
    int32_t result_ = dialogresult::kNone;
    IPDialogView* view_ = nullptr;
};

// Shows the dialogs of the IP configuration panels. The owner of a panel hands one in: the Win32
// windows show the real dialog, a test answers it as a user would.
class IPDialogHost {
  public:
    virtual ~IPDialogHost() = default;
    // Shows the dialog modally and returns when it is closed; its DialogResult says how.
    virtual void ShowDialog(IPDialog& dialog) = 0;
};

}  // namespace vexav6::ui
