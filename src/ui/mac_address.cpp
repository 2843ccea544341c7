#include "ui/mac_address.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "base/text.h"

namespace vexav6::ui {
namespace {

// Control characters the edit control keeps for itself: select all, copy, paste, cut, undo.
constexpr char32_t kCtrlA = 0x01;
constexpr char32_t kCtrlC = 0x03;
constexpr char32_t kCtrlV = 0x16;
constexpr char32_t kCtrlX = 0x18;
constexpr char32_t kCtrlZ = 0x1A;
constexpr char32_t kBackspace = 0x08;

bool IsSeparator(char32_t ch) {
    return ch == U'.' || ch == U'-' || ch == U':';
}

bool IsHex(char32_t ch) {
    return ch < 0x80 && text::IsHexDigit(static_cast<char>(ch));
}

// Only upper-case hex digits, two at most.
std::string CleanOctet(std::string_view part) {
    std::string out;
    for (const char c : part) {
        if (out.size() < 2 && text::IsHexDigit(c)) {
            out += text::AsciiUpper(c);
        }
    }
    return out;
}

}  // namespace

std::string MACAddress::Text() const {
    std::string out;
    for (int i = 0; i < kOctets; ++i) {
        std::string octet = CleanOctet(view_.OctetText(i));
        while (octet.size() < 2) {
            octet.insert(octet.begin(), '0');
        }
        if (i > 0) {
            out += '-';
        }
        out += octet;
    }
    return out;
}

void MACAddress::SetText(std::string_view text) {
    writingText_ = true;
    const std::vector<std::string> parts =
        text.empty() ? std::vector<std::string>{} : text::Split(text, "-");
    for (int i = 0; i < kOctets; ++i) {
        if (text.empty()) {
            view_.SetOctetText(i, "");
        } else {
            const auto index = static_cast<size_t>(i);
            view_.SetOctetText(i, index < parts.size() ? CleanOctet(parts[index]) : "00");
        }
    }
    writingText_ = false;
}

bool MACAddress::OnChar(int octet, char32_t ch) {
    if (!IsOctet(octet)) {
        return false;
    }
    const int advanced = advancedTo_;
    advancedTo_ = -1;
    if (ch == kCtrlA || ch == kCtrlC || ch == kCtrlV || ch == kCtrlX || ch == kCtrlZ) {
        return false;
    }
    if (ch == kBackspace) {
        Backspace(octet);
    } else if (IsSeparator(ch)) {
        // After "00" the focus is already in the next octet: the separator the user types out of
        // habit must not skip it.
        if (advanced != octet) {
            MoveTo(octet, octet + 1, Place::SelectAll);
        }
    } else if (IsHex(ch)) {
        Type(octet, text::AsciiUpper(static_cast<char>(ch)));
    }
    // Any other key is dropped.
    return true;
}

bool MACAddress::OnKeyDown(int octet, int virtualKey, bool shift, bool ctrl) {
    if (!IsOctet(octet) || shift || (virtualKey != kKeyLeft && virtualKey != kKeyRight)) {
        return false;
    }
    advancedTo_ = -1;
    int start = 0;
    int end = 0;
    view_.GetSelection(octet, start, end);
    if (virtualKey == kKeyLeft) {
        if (ctrl || std::min(start, end) == 0) {
            MoveTo(octet, octet - 1, Place::End);
            return true;
        }
        return false;
    }
    const auto length = static_cast<int>(view_.OctetText(octet).size());
    if (ctrl || std::max(start, end) >= length) {
        MoveTo(octet, octet + 1, Place::Start);
        return true;
    }
    return false;
}

void MACAddress::Paste(int octet, std::string_view text) {
    if (!IsOctet(octet)) {
        return;
    }
    pasting_ = true;
    beepHeld_ = false;
    current_ = octet;
    for (const char c : text) {
        const auto ch = static_cast<char32_t>(static_cast<unsigned char>(c));
        if (IsHex(ch) || IsSeparator(ch)) {
            OnChar(current_, ch);
        }
    }
    pasting_ = false;
    if (beepHeld_) {
        view_.Beep();
    }
}

void MACAddress::OnOctetEnter(int octet) {
    if (!IsOctet(octet)) {
        return;
    }
    current_ = octet;
    view_.SetSelection(octet, 0, static_cast<int>(view_.OctetText(octet).size()));
}

void MACAddress::OnOctetLeave(int octet) {
    if (!IsOctet(octet)) {
        return;
    }
    const std::string text = view_.OctetText(octet);
    if (text.size() == 1) {
        SetOctet(octet, "0" + text);
    }
}

void MACAddress::OnOctetChanged(int /*octet*/) {
    if (!writingText_ && Change) {
        Change();
    }
}

bool MACAddress::MoveTo(int from, int to, Place place) {
    if (!IsOctet(to)) {
        Beep();
        return false;
    }
    OnOctetLeave(from);
    view_.FocusOctet(to);
    OnOctetEnter(to);
    const auto length = static_cast<int>(view_.OctetText(to).size());
    if (place == Place::Start) {
        view_.SetSelection(to, 0, 0);
    } else if (place == Place::End) {
        view_.SetSelection(to, length, length);
    }
    return true;
}

void MACAddress::Type(int octet, char ch) {
    const std::string text = view_.OctetText(octet);
    const auto length = static_cast<int>(text.size());
    int start = 0;
    int end = 0;
    OrderedSelection(octet, length, start, end);

    if (length >= 2 && start == end) {
        // A full octet: the digit starts the next one.
        if (MoveTo(octet, octet + 1, Place::SelectAll)) {
            Type(octet + 1, ch);
        }
        return;
    }
    std::string typed =
        text.substr(0, static_cast<size_t>(start)) + ch + text.substr(static_cast<size_t>(end));
    typed.resize(std::min<size_t>(typed.size(), 2));
    SetOctet(octet, typed);
    const int caret = std::min(start + 1, static_cast<int>(typed.size()));
    view_.SetSelection(octet, caret, caret);
    if (typed.size() == 2 && octet + 1 < kOctets) {
        MoveTo(octet, octet + 1, Place::SelectAll);
        advancedTo_ = octet + 1;
    }
}

void MACAddress::Backspace(int octet) {
    const std::string text = view_.OctetText(octet);
    const auto length = static_cast<int>(text.size());
    int start = 0;
    int end = 0;
    OrderedSelection(octet, length, start, end);

    if (start != end) {
        SetOctet(octet, text.substr(0, static_cast<size_t>(start)) +
                            text.substr(static_cast<size_t>(end)));
        view_.SetSelection(octet, start, start);
    } else if (start == 0) {
        MoveTo(octet, octet - 1, Place::End);
    } else {
        SetOctet(octet, text.substr(0, static_cast<size_t>(start - 1)) +
                            text.substr(static_cast<size_t>(start)));
        view_.SetSelection(octet, start - 1, start - 1);
    }
}

void MACAddress::OrderedSelection(int octet, int length, int& start, int& end) const {
    int first = 0;
    int last = 0;
    view_.GetSelection(octet, first, last);
    start = std::clamp(std::min(first, last), 0, length);
    end = std::clamp(std::max(first, last), start, length);
}

void MACAddress::SetOctet(int octet, const std::string& text) {
    if (view_.OctetText(octet) == text) {
        return;
    }
    view_.SetOctetText(octet, text);
    if (!writingText_ && Change) {
        Change();
    }
}

void MACAddress::Beep() {
    if (pasting_) {
        beepHeld_ = true;
    } else {
        view_.Beep();
    }
}

}  // namespace vexav6::ui
