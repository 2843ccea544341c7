#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace vexav6::ui {

// A caret or a selection inside one part of the box, in characters: a caret has start == end.
struct PartSelection {
    int start = 0;
    int end = 0;

    friend bool operator==(const PartSelection&, const PartSelection&) = default;
};

// What the four-part IPv4 edit box tells its window: one small edit control per part.
class IPAddressView {
  public:
    virtual ~IPAddressView() = default;

    // Shows the text of a part with its caret or selection. Showing is not an edit: the window
    // does not report it back through IPAddress::PartEdited.
    virtual void ShowPart(int part, const std::string& text, PartSelection selection) = 0;
    // Moves the keyboard focus into a part and sets its caret or selection there.
    virtual void FocusPart(int part, PartSelection selection) = 0;
    virtual void Beep() = 0;
};

// The key machine of the four-part IPv4 edit box (parts 0 to 3, each up to three digits). The box
// takes only digits and the editing controls (Ctrl+C, Ctrl+V, Ctrl+X, Ctrl+Z); "." moves to the
// next part, a digit typed after the third character of a part goes on into the next part,
// backspace at the start of a part and the arrows at its ends move between parts. A part whose
// value is not a number from 0 to 255 is emptied with a beep, and leaving a part drops its
// leading zeros. The window reports keys with the caret or selection the part has at that moment
// (the user may have moved it with the mouse); the box keeps the texts.
class IPAddress {
  public:
    static constexpr int kParts = 4;
    // An edit control holds at most this many characters a part.
    static constexpr int kPartLength = 3;

    // What the window does with a key after the box has seen it: nothing (the box handled or
    // dropped it), or the edit control's own handling (the editing controls, plain arrows).
    enum class KeyOutcome { Handled, Default };
    enum class Arrow { Left, Right };

    // Attaches the window (or detaches it with nullptr) and shows every part in it.
    void AttachView(IPAddressView* view);

    // A character typed into a part (WM_CHAR): digits, "." and backspace (8), the control
    // characters of Ctrl+C (3), Ctrl+V (22), Ctrl+X (24) and Ctrl+Z (26); everything else is
    // dropped.
    KeyOutcome KeyPress(int part, char32_t character, PartSelection selection);
    // The left or right arrow pressed in a part.
    KeyOutcome ArrowKey(int part, Arrow arrow, bool shift, bool ctrl, PartSelection selection);
    // The edit control changed a part on its own (paste, cut, undo, the Delete key).
    void PartEdited(int part, std::string text);
    // A part lost the keyboard focus: its leading zeros go ("007" becomes "7", "000" becomes "0").
    void PartLostFocus(int part);
    // The box got the focus: it goes to part 0, with the caret after its text.
    void GotFocus();

    // The four parts joined by "."; empty text when all four are empty.
    std::string Text() const;
    // Text of exactly four dotted parts fills the parts; empty text clears them; other text is
    // ignored. A part that is not a number from 0 to 255 is emptied with a beep.
    void SetText(std::string_view text);
    // The value of a part (an empty part is 0). A part index outside 0..3 fails with error 9.
    uint8_t GetNumber(int part) const;
    // Writes the value into a part and puts the caret after it.
    void SetNumber(int part, uint8_t value);
    const std::string& PartText(int part) const;

    // Raised after every change of a part.
    std::function<void()> onChange;

  private:
    // Takes a new text for a part (emptied with a beep when it is not a number from 0 to 255),
    // shows it with the caret or selection and raises Change.
    void Store(int part, std::string text, PartSelection selection);
    bool CheckRange(std::string& text);
    void Show(int part, PartSelection selection);
    void Focus(int part, PartSelection selection);
    void Beep();
    void RaiseChange();

    std::array<std::string, kParts> parts_;
    IPAddressView* view_ = nullptr;
};

}  // namespace vexav6::ui
