#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace vexav6::ui {

// What the six-octet MAC address box tells its window: six small text boxes MAC(0) to MAC(5),
// each holding at most two characters. The window answers the questions about text and selection
// from its real controls; a test answers them from a fake.
class MACAddressView {
  public:
    virtual ~MACAddressView() = default;

    virtual std::string OctetText(int octet) const = 0;
    // Replaces an octet's text. The window raises no change notification of its own for it: the
    // key machine raises Change itself where one is due.
    virtual void SetOctetText(int octet, const std::string& text) = 0;
    // Selection as character positions [start, end); start == end is a caret.
    virtual void GetSelection(int octet, int& start, int& end) const = 0;
    virtual void SetSelection(int octet, int start, int end) = 0;
    // Moves the keyboard focus to an octet. The window reports the focus change back through
    // OnOctetLeave and OnOctetEnter, as a real control does.
    virtual void FocusOctet(int octet) = 0;
    virtual void Beep() = 0;
    virtual void SetEnabled(bool enabled) = 0;
};

// The key machine of the MAC address edit box: which keys an octet takes, when the caret moves
// to a neighbouring octet, padding, and the Text property over the six octets.
//
// The window forwards every character (WM_CHAR), the arrow keys (WM_KEYDOWN), pastes, focus
// changes and the edits its controls make on their own (Delete, cut, undo) to the machine; keys
// the machine takes are not passed on to the control.
class MACAddress {
  public:
    static constexpr int kOctets = 6;
    // Virtual key codes of the keys the machine handles on key-down.
    static constexpr int kKeyLeft = 0x25;
    static constexpr int kKeyRight = 0x27;

    explicit MACAddress(MACAddressView& view) : view_(view) {}

    // The six octets as two upper-case hex digits each, joined by "-": an empty octet reads "00",
    // one digit gets a leading "0". An untouched box reads "00-00-00-00-00-00".
    std::string Text() const;
    // Puts part i of the "-"-separated value into octet i ("00" into octets beyond the parts);
    // the empty text empties all six. Only hex digits are kept, upper-cased, two at most per
    // octet. Raises no Change.
    void SetText(std::string_view text);
    void SetEnabled(bool enabled) { view_.SetEnabled(enabled); }

    // A typed character (WM_CHAR) in an octet. True when the machine took it; false for the
    // clipboard and undo control characters, which the control itself must handle (its paste
    // comes back through Paste).
    bool OnChar(int octet, char32_t ch);
    // A key going down (WM_KEYDOWN). True when the machine took it; other keys (Shift+arrows,
    // Home, End, Delete ...) are the control's.
    bool OnKeyDown(int octet, int virtualKey, bool shift, bool ctrl);
    // Text pasted into an octet: typed in character by character, so only what the keys would
    // take arrives, and a whole address ("00:1A:2B:3C:4D:5E", "001A2B3C4D5E") fills the octets
    // from the one pasted into. Beeps once at most.
    void Paste(int octet, std::string_view text);
    // Focus entering or leaving an octet: entering selects the whole text, leaving pads one digit
    // with a leading "0".
    void OnOctetEnter(int octet);
    void OnOctetLeave(int octet);
    // An octet's text changed by the control itself (Delete key, cut, undo).
    void OnOctetChanged(int octet);

    // Raised whenever an octet's text changes, except while Text is being written.
    std::function<void()> Change;

  private:
    enum class Place { SelectAll, Start, End };

    // Moves the focus to a neighbouring octet; beeps and stays at the ends of the box.
    bool MoveTo(int from, int to, Place place);
    void Type(int octet, char ch);
    void Backspace(int octet);
    // The octet's selection with start <= end, both within its text.
    void OrderedSelection(int octet, int length, int& start, int& end) const;
    void SetOctet(int octet, const std::string& text);
    void Beep();
    static bool IsOctet(int octet) { return octet >= 0 && octet < kOctets; }

    MACAddressView& view_;
    // The octet the focus moved on to by itself after a second digit, until the next key: a
    // separator typed there is the one the user would have typed anyway and must not skip it.
    int advancedTo_ = -1;
    // The octet that has the focus, as far as the machine knows.
    int current_ = 0;
    bool writingText_ = false;
    // While pasting, beeps are held back and given once at the end.
    bool pasting_ = false;
    bool beepHeld_ = false;
};

}  // namespace vexav6::ui
