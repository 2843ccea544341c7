#include "ui/ip_panel.h"

#include <algorithm>
#include <set>
#include <utility>

#include "adapters/adapter_info.h"
#include "base/error.h"
#include "presets/preset.h"
#include "startup/application.h"
#include "ui/frm_remove.h"

namespace vexav6::ui {

namespace {

constexpr const char* kNoAddress = "0.0.0.0";
constexpr int32_t kOperational = 5;

struct MenuText {
    IPCommand command;
    const char* caption;
};

// The items of mnuIP, mnuGW and mnuDNS in menu order.
std::vector<MenuText> MenuTexts(IPList list) {
    switch (list) {
        case IPList::Address:
            return {{IPCommand::Add, "&Add IP"},
                    {IPCommand::Remove, "&Remove IP"},
                    {IPCommand::Copy, "&Copy IP"}};
        case IPList::Gateway:
            return {{IPCommand::Add, "&Add Gateway"},
                    {IPCommand::Remove, "&Remove Gateway"},
                    {IPCommand::Copy, "&Copy Gateway"}};
        case IPList::DNS:
            break;
    }
    return {{IPCommand::Add, "&Add DNS Server"},
            {IPCommand::Remove, "&Remove DNS Server"},
            {IPCommand::Copy, "&Copy DNS Server"},
            {IPCommand::MoveUp, "Move &Up"},
            {IPCommand::MoveDown, "Move &Down"}};
}

std::optional<int> DigitOf(int key) {
    if (key >= ipkey::kDigit0 && key <= ipkey::kDigit0 + 9) {
        return key - ipkey::kDigit0;
    }
    if (key >= ipkey::kNumpad0 && key <= ipkey::kNumpad0 + 9) {
        return key - ipkey::kNumpad0;
    }
    return std::nullopt;
}

}  // namespace

IPPanel::IPPanel(const Platform& platform) : platform_(platform) {}

void IPPanel::AttachView(IPPanelView* view) {
    view_ = view;
    Show();
}

std::vector<int> IPPanel::SelectedRows(IPList list) const {
    return view_ != nullptr ? view_->SelectedRows(list) : std::vector<int>{};
}

std::optional<int> IPPanel::CurrentRow(IPList list) const {
    return view_ != nullptr ? view_->CurrentRow(list) : std::nullopt;
}

void IPPanel::SetAdapter(std::shared_ptr<AdapterInfo> adapter) {
    preset_.reset();
    adapter_ = std::move(adapter);
    Reload();
}

void IPPanel::SetPreset(std::shared_ptr<Preset> preset) {
    adapter_.reset();
    preset_ = std::move(preset);
    Reload();
}

void IPPanel::Reload() {
    for (ListState& state : lists_) {
        state = ListState{};
    }
    if (adapter_) {
        LoadFromAdapter(*adapter_);
    } else if (preset_) {
        LoadFromPreset(*preset_);
    } else {
        LoadEmpty();
    }
    Show();
}

void IPPanel::Show() {
    if (view_ == nullptr) {
        return;
    }
    view_->SetCaption(caption_);
    for (IPList list : kIPLists) {
        const ListState& state = State(list);
        view_->SetRows(list, state.rows);
        view_->SetColumnHeader(list, 0,
                               HeaderTitle(list) + " (" + std::to_string(state.rows.size()) + ")");
        view_->SetListEnabled(list, state.enabled);
    }
}

void IPPanel::RefreshAndReload() {
    if (adapter_) {
        adapter_->Refresh(true);
    }
    Reload();
}

void IPPanel::Guarded(const std::function<void()>& change) {
    try {
        change();
    } catch (...) {
        Application::ReportError(platform_, CurrentExceptionAsError());
        try {
            RefreshAndReload();
        } catch (...) {
            Application::ReportError(platform_, CurrentExceptionAsError());
        }
    }
}

void IPPanel::Apply(const std::function<void(Preset&)>& toPreset,
                    const std::function<void(AdapterInfo&)>& toAdapter) {
    if (preset_) {
        toPreset(*preset_);
        Reload();
    } else if (adapter_) {
        toAdapter(*adapter_);
        RefreshAndReload();
    }
}

bool IPPanel::AdapterTakesAddresses(const AdapterInfo& adapter) const {
    return adapter.OperationalStatus() == kOperational || !DHCPEnabled(adapter);
}

void IPPanel::PrepareAddressBox(IPDialog& dialog) const {
    if (preset_) {
        dialog.PrepareCheckBox(true, false);
    } else if (adapter_ && DHCPEnabled(*adapter_)) {
        dialog.PrepareCheckBox(false, false);
    } else {
        dialog.PrepareCheckBox(true, adapter_ && adapter_->OperationalStatus() == kOperational);
    }
}

void IPPanel::PrepareGatewayBox(IPDialog& dialog) const {
    dialog.PrepareCheckBox(true,
                           !preset_ && adapter_ && adapter_->OperationalStatus() == kOperational);
}

bool IPPanel::Confirmed(IPDialog& dialog) {
    if (dialogs_ == nullptr) {
        return false;
    }
    dialogs_->ShowDialog(dialog);
    return dialog.DialogResult() == dialogresult::kConfirmed;
}

bool IPPanel::FirstRowIsAddress(IPList list) const {
    const std::vector<IPRow>& rows = State(list).rows;
    return !rows.empty() && rows.front().front() != kNoAddress;
}

bool IPPanel::CommandEnabled(IPList list, IPCommand command) const {
    const ListState& state = State(list);
    if (!state.enabled) {
        return false;
    }
    const size_t count = state.rows.size();
    switch (command) {
        case IPCommand::Add:
            return list != IPList::Address || preset_ ||
                   (adapter_ && AdapterTakesAddresses(*adapter_));
        case IPCommand::Remove:
        case IPCommand::Copy:
            return list == IPList::Address ? FirstRowIsAddress(list) : count > 0;
        case IPCommand::MoveUp:
        case IPCommand::MoveDown:
            return list == IPList::DNS && count >= 2;
    }
    return false;
}

std::vector<IPMenuItem> IPPanel::PrepareMenu(IPList list) const {
    std::vector<IPMenuItem> items;
    if (!State(list).enabled) {
        return items;
    }
    for (const MenuText& text : MenuTexts(list)) {
        items.push_back(IPMenuItem{text.command, text.caption, CommandEnabled(list, text.command)});
    }
    return items;
}

void IPPanel::Execute(IPList list, IPCommand command) {
    if (!CommandEnabled(list, command)) {
        return;
    }
    switch (command) {
        case IPCommand::Add:
            AddEntry(list, std::nullopt);
            break;
        case IPCommand::Remove:
            if (list == IPList::DNS) {
                RemoveNameServers();
            } else {
                Remove(list);
            }
            break;
        case IPCommand::Copy:
            Copy(list);
            break;
        case IPCommand::MoveUp:
        case IPCommand::MoveDown:
            Move(command == IPCommand::MoveUp);
            break;
    }
}

bool IPPanel::KeyDown(IPList list, int key, bool ctrl, bool shift) {
    if (!State(list).enabled) {
        return false;
    }
    if (key == ipkey::kDelete && !ctrl && !shift) {
        Execute(list, IPCommand::Remove);
        return true;
    }
    if (const auto digit = DigitOf(key); digit && !ctrl && !shift) {
        if (CommandEnabled(list, IPCommand::Add)) {
            AddEntry(list, digit);
        }
        return true;
    }
    if (ctrl && !shift && key == ipkey::kC) {
        Execute(list, IPCommand::Copy);
        return true;
    }
    if (ctrl && list == IPList::DNS && (key == ipkey::kUp || key == ipkey::kDown)) {
        Execute(list, key == ipkey::kUp ? IPCommand::MoveUp : IPCommand::MoveDown);
        return true;
    }
    return false;
}

void IPPanel::Copy(IPList list) {
    std::optional<int> row = CurrentRow(list);
    if (!row) {
        const std::vector<int> selected = SelectedRows(list);
        if (!selected.empty()) {
            row = selected.front();
        }
    }
    const std::vector<IPRow>& rows = State(list).rows;
    if (row && *row >= 0 && static_cast<size_t>(*row) < rows.size()) {
        view_->CopyToClipboard(rows[static_cast<size_t>(*row)].front());
    }
}

// Addresses and gateways: each selected row in list order, by its first column's text. In adapter
// mode every removal is its own change of the machine, so a failure part-way leaves the earlier
// ones done, and the reload shows exactly that; a preset's list changes only when all went well.
void IPPanel::Remove(IPList list) {
    const std::vector<int> selected = SelectedRows(list);
    if (selected.empty()) {
        return;
    }
    frmRemove dialog;
    PrepareRemoveTexts(list, dialog);
    dialog.PrepareCheckBox(true, !preset_);
    if (!Confirmed(dialog)) {
        return;
    }
    std::vector<std::string> keys;
    const std::vector<IPRow>& rows = State(list).rows;
    for (int row : selected) {
        if (row >= 0 && static_cast<size_t>(row) < rows.size()) {
            keys.push_back(rows[static_cast<size_t>(row)].front());
        }
    }
    Guarded([&] {
        Apply([&](Preset& preset) { RemoveFromPreset(preset, list, keys); },
              [&](AdapterInfo& adapter) {
                  for (const std::string& key : keys) {
                      RemoveFromAdapter(adapter, list, key, dialog.Persistent());
                  }
              });
    });
}

// DNS servers are only stored, as one list: the remaining rows are written as a whole.
void IPPanel::RemoveNameServers() {
    const std::vector<int> selected = SelectedRows(IPList::DNS);
    if (selected.empty()) {
        return;
    }
    frmRemove dialog;
    PrepareRemoveTexts(IPList::DNS, dialog);
    dialog.PrepareCheckBox(true, false);
    if (!Confirmed(dialog)) {
        return;
    }
    Guarded([&] {
        std::vector<IPRow> rows = State(IPList::DNS).rows;
        const std::set<int> chosen(selected.begin(), selected.end());
        bool placeholderDeleted = false;
        bool deleted = false;
        for (int row = static_cast<int>(rows.size()) - 1; row >= 0; --row) {
            if (chosen.count(row) == 0) {
                continue;
            }
            placeholderDeleted =
                placeholderDeleted || rows[static_cast<size_t>(row)].front() == kNoAddress;
            rows.erase(rows.begin() + row);
            deleted = true;
        }
        if (!deleted) {
            return;
        }
        KeyedCollection<std::string> servers;
        for (const IPRow& row : rows) {
            servers.Add(row.front(), row.front());
        }
        Apply(
            [&](Preset& preset) { WriteNameServers(preset, servers); },
            [&](AdapterInfo& adapter) { WriteNameServers(adapter, servers, placeholderDeleted); });
    });
}

// Moves the selected DNS servers one row up or down, the selection with them. A selected row only
// trades places with an unselected neighbour, so a selected block at the top (or bottom) stays as
// it is instead of being turned around.
void IPPanel::Move(bool up) {
    std::vector<IPRow> rows = State(IPList::DNS).rows;
    const int count = static_cast<int>(rows.size());
    std::vector<bool> selected(rows.size(), false);
    for (int row : SelectedRows(IPList::DNS)) {
        if (row >= 0 && row < count) {
            selected[static_cast<size_t>(row)] = true;
        }
    }
    std::optional<int> current = CurrentRow(IPList::DNS);
    bool moved = false;
    auto swap = [&](int a, int b) {
        std::swap(rows[static_cast<size_t>(a)], rows[static_cast<size_t>(b)]);
        const bool selectedA = selected[static_cast<size_t>(a)];
        selected[static_cast<size_t>(a)] = selected[static_cast<size_t>(b)];
        selected[static_cast<size_t>(b)] = selectedA;
        if (current == a) {
            current = b;
        } else if (current == b) {
            current = a;
        }
        moved = true;
    };
    if (up) {
        for (int row = 1; row < count; ++row) {
            if (selected[static_cast<size_t>(row)] && !selected[static_cast<size_t>(row - 1)]) {
                swap(row, row - 1);
            }
        }
    } else {
        for (int row = count - 2; row >= 0; --row) {
            if (selected[static_cast<size_t>(row)] && !selected[static_cast<size_t>(row + 1)]) {
                swap(row, row + 1);
            }
        }
    }
    if (!moved) {
        return;
    }
    Guarded([&] {
        KeyedCollection<std::string> servers;
        for (const IPRow& row : rows) {
            servers.Add(row.front(), row.front());
        }
        if (preset_) {
            WriteNameServers(*preset_, servers);
        } else {
            WriteNameServers(*adapter_, servers, true);
        }
        State(IPList::DNS).rows = rows;
        if (view_ == nullptr) {
            return;
        }
        view_->SetRows(IPList::DNS, rows);
        std::vector<int> nowSelected;
        for (int row = 0; row < count; ++row) {
            if (selected[static_cast<size_t>(row)]) {
                nowSelected.push_back(row);
            }
        }
        view_->SelectRows(IPList::DNS, nowSelected, current);
    });
}

}  // namespace vexav6::ui
