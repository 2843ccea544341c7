#include "ui/ip_address.h"

#include <algorithm>

#include "base/error.h"
#include "base/text.h"

namespace vexav6::ui {

namespace {

constexpr char32_t kBackspace = 8;
constexpr char32_t kCtrlC = 3;
constexpr char32_t kCtrlV = 22;
constexpr char32_t kCtrlX = 24;
constexpr char32_t kCtrlZ = 26;
constexpr int kMaxPartValue = 255;

bool IsDigit(char32_t c) {
    return c >= U'0' && c <= U'9';
}

bool AllDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return IsDigit(c); });
}

void CheckPart(int part) {
    if (part < 0 || part >= IPAddress::kParts) {
        throw Error::SubscriptOutOfRange("IPAddress");
    }
}

int Length(const std::string& text) {
    return static_cast<int>(text.size());
}

PartSelection Caret(int at) {
    return PartSelection{at, at};
}

// The selection as the box uses it: ordered and inside the text.
PartSelection Clamp(PartSelection selection, const std::string& text) {
    int start = std::clamp(std::min(selection.start, selection.end), 0, Length(text));
    int end = std::clamp(std::max(selection.start, selection.end), 0, Length(text));
    return PartSelection{start, end};
}

}  // namespace

void IPAddress::AttachView(IPAddressView* view) {
    view_ = view;
    for (int part = 0; part < kParts; ++part) {
        Show(part, Caret(Length(parts_[part])));
    }
}

IPAddress::KeyOutcome IPAddress::KeyPress(int part, char32_t character, PartSelection selection) {
    CheckPart(part);
    const std::string& text = parts_[part];
    const PartSelection sel = Clamp(selection, text);
    const bool hasSelection = sel.start != sel.end;

    if (character == kCtrlC || character == kCtrlV || character == kCtrlX || character == kCtrlZ) {
        return KeyOutcome::Default;
    }
    if (character == U'.') {
        if (part + 1 < kParts) {
            Focus(part + 1, PartSelection{0, Length(parts_[part + 1])});
        } else {
            Beep();
        }
        return KeyOutcome::Handled;
    }
    if (character == kBackspace) {
        if (hasSelection) {
            std::string edited = text;
            edited.erase(static_cast<size_t>(sel.start), static_cast<size_t>(sel.end - sel.start));
            Store(part, std::move(edited), Caret(sel.start));
        } else if (sel.start == 0) {
            if (part > 0) {
                Focus(part - 1, Caret(Length(parts_[part - 1])));
            } else {
                Beep();
            }
        } else {
            std::string edited = text;
            edited.erase(static_cast<size_t>(sel.start - 1), 1);
            Store(part, std::move(edited), Caret(sel.start - 1));
        }
        return KeyOutcome::Handled;
    }
    if (!IsDigit(character)) {
        return KeyOutcome::Handled;  // dropped
    }

    const char digit = static_cast<char>(character);
    if (!hasSelection && sel.start >= kPartLength) {
        // The part is full: the digit starts the next one.
        if (part + 1 < kParts) {
            Focus(part + 1, Caret(1));
            Store(part + 1, std::string(1, digit), Caret(1));
        } else {
            Beep();
        }
        return KeyOutcome::Handled;
    }
    std::string edited = text.substr(0, static_cast<size_t>(sel.start)) + digit +
                         text.substr(static_cast<size_t>(sel.end));
    if (Length(edited) > kPartLength) {
        Beep();  // the edit control's length limit
        return KeyOutcome::Handled;
    }
    Store(part, std::move(edited), Caret(sel.start + 1));
    return KeyOutcome::Handled;
}

IPAddress::KeyOutcome IPAddress::ArrowKey(int part, Arrow arrow, bool shift, bool ctrl,
                                          PartSelection selection) {
    CheckPart(part);
    if (shift) {
        return KeyOutcome::Default;
    }
    const PartSelection sel = Clamp(selection, parts_[part]);
    const bool caret = sel.start == sel.end;
    if (arrow == Arrow::Left) {
        if (caret && sel.start == 0 && part > 0) {
            Focus(part - 1, Caret(Length(parts_[part - 1])));
            return KeyOutcome::Handled;
        }
        return KeyOutcome::Default;
    }
    if ((ctrl || (caret && sel.end == Length(parts_[part]))) && part + 1 < kParts) {
        Focus(part + 1, Caret(0));
        return KeyOutcome::Handled;
    }
    return KeyOutcome::Default;
}

void IPAddress::PartEdited(int part, std::string text) {
    CheckPart(part);
    if (text == parts_[part]) {
        return;
    }
    std::string kept = text;
    if (CheckRange(kept)) {
        parts_[part] = std::move(kept);
    } else {
        parts_[part].clear();
        Show(part, Caret(0));
    }
    RaiseChange();
}

void IPAddress::PartLostFocus(int part) {
    CheckPart(part);
    const std::string& text = parts_[part];
    const size_t firstNonZero = text.find_first_not_of('0');
    if (text.size() < 2 || firstNonZero == 0) {
        return;
    }
    std::string trimmed = firstNonZero == std::string::npos ? "0" : text.substr(firstNonZero);
    Store(part, std::move(trimmed), Caret(0));
}

void IPAddress::GotFocus() {
    Focus(0, Caret(Length(parts_[0])));
}

std::string IPAddress::Text() const {
    if (std::all_of(parts_.begin(), parts_.end(), [](const std::string& p) { return p.empty(); })) {
        return "";
    }
    return parts_[0] + "." + parts_[1] + "." + parts_[2] + "." + parts_[3];
}

void IPAddress::SetText(std::string_view value) {
    std::vector<std::string> pieces;
    if (value.empty()) {
        pieces.assign(kParts, "");
    } else {
        pieces = text::Split(value, ".");
        if (pieces.size() != kParts) {
            return;
        }
    }
    for (int part = 0; part < kParts; ++part) {
        std::string piece = pieces[static_cast<size_t>(part)];
        if (!CheckRange(piece)) {
            piece.clear();
        }
        parts_[part] = std::move(piece);
        Show(part, Caret(Length(parts_[part])));
    }
    RaiseChange();
}

uint8_t IPAddress::GetNumber(int part) const {
    CheckPart(part);
    return parts_[part].empty() ? 0 : static_cast<uint8_t>(std::stoi(parts_[part]));
}

void IPAddress::SetNumber(int part, uint8_t value) {
    CheckPart(part);
    std::string text = std::to_string(value);
    const int caret = Length(text);
    Store(part, std::move(text), Caret(caret));
}

const std::string& IPAddress::PartText(int part) const {
    CheckPart(part);
    return parts_[part];
}

void IPAddress::Store(int part, std::string text, PartSelection selection) {
    if (!CheckRange(text)) {
        selection = Caret(0);
    }
    parts_[part] = std::move(text);
    Show(part, selection);
    RaiseChange();
}

// False (after a beep, with the text emptied) when the text is not a number from 0 to 255: too
// large, or not digits at all (pasted text).
bool IPAddress::CheckRange(std::string& text) {
    const bool valid =
        text.empty() || (text.size() <= 3 && AllDigits(text) && std::stoi(text) <= kMaxPartValue);
    if (!valid) {
        text.clear();
        Beep();
    }
    return valid;
}

void IPAddress::Show(int part, PartSelection selection) {
    if (view_ != nullptr) {
        view_->ShowPart(part, parts_[part], selection);
    }
}

void IPAddress::Focus(int part, PartSelection selection) {
    if (view_ != nullptr) {
        view_->FocusPart(part, selection);
    }
}

void IPAddress::Beep() {
    if (view_ != nullptr) {
        view_->Beep();
    }
}

void IPAddress::RaiseChange() {
    if (onChange) {
        onChange();
    }
}

}  // namespace vexav6::ui
