#include "ui/link_label.h"

#include <utility>

namespace vexav6::ui {

LinkLabel::LinkLabel(const Platform& platform, LinkLabelView& view, std::string name)
    : platform_(platform), view_(view), caption_(std::move(name)) {
    Show();
}

void LinkLabel::SetLinkCaption(std::string_view caption) {
    caption_ = std::string(caption);
    Show();
}

void LinkLabel::MouseDown() {
    colour_ = kRed;
    Show();
}

void LinkLabel::MouseUp() {
    colour_ = kBlue;
    Show();
}

void LinkLabel::Click() {
    if (!uri_.empty()) {
        platform_.system.ShellExecute("open", uri_, "", "", platform::ShowCommand::Normal);
    }
}

void LinkLabel::Show() {
    view_.ShowCaption(caption_, colour_);
}

}  // namespace vexav6::ui
