#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/keyed_collection.h"
#include "platform/platform.h"
#include "ui/ip_dialog.h"

namespace vexav6 {
class AdapterInfo;
class Preset;
}  // namespace vexav6

namespace vexav6::ui {

class frmRemove;

// The three lists of an IP configuration panel.
enum class IPList { Address = 0, Gateway = 1, DNS = 2 };
inline constexpr std::array<IPList, 3> kIPLists{IPList::Address, IPList::Gateway, IPList::DNS};

// The commands of the lists' context menus (mnuAddIP, mnuRemoveIP, mnuCopyIP, ...).
enum class IPCommand { Add, Remove, Copy, MoveUp, MoveDown };

struct IPMenuItem {
    IPCommand command;
    std::string caption;
    bool enabled = false;

    friend bool operator==(const IPMenuItem&, const IPMenuItem&) = default;
};

// Key codes the lists react to (the Windows virtual-key codes).
namespace ipkey {
inline constexpr int kDelete = 0x2E;
inline constexpr int kUp = 0x26;
inline constexpr int kDown = 0x28;
inline constexpr int kC = 'C';
inline constexpr int kDigit0 = '0';    // '0'..'9'
inline constexpr int kNumpad0 = 0x60;  // the number pad's 0..9
}  // namespace ipkey

using IPRow = std::vector<std::string>;

// What an IP configuration panel tells its window: a framed panel with three report-style lists
// that allow several selected rows.
class IPPanelView {
  public:
    virtual ~IPPanelView() = default;

    // The frame's caption.
    virtual void SetCaption(const std::string& caption) = 0;
    // Replaces a list's rows (nothing selected afterwards).
    virtual void SetRows(IPList list, const std::vector<IPRow>& rows) = 0;
    virtual void SetColumnHeader(IPList list, int column, const std::string& text) = 0;
    // An enabled list has the window background, a disabled one the button face.
    virtual void SetListEnabled(IPList list, bool enabled) = 0;
    // The selected rows (0-based, ascending) and the row with the focus, if any.
    virtual std::vector<int> SelectedRows(IPList list) const = 0;
    virtual std::optional<int> CurrentRow(IPList list) const = 0;
    // Selects exactly these rows and gives `current` the focus.
    virtual void SelectRows(IPList list, const std::vector<int>& rows,
                            std::optional<int> current) = 0;
    // Empties the clipboard and puts the text on it.
    virtual void CopyToClipboard(const std::string& text) = 0;
};

// What IPv4Panel and IPv6Panel share. A panel shows either an adapter (every change goes through
// the adapter's IP collections, then the adapter is refreshed) or a preset (changes go to the
// preset's lists; a list the preset does not include is shown disabled and empty). It keeps no
// other state: every load rebuilds the lists, and every add, remove or move that fails is reported
// with the common error report and followed by a reload, so the lists show what really is there.
class IPPanel {
  public:
    virtual ~IPPanel() = default;
    IPPanel(const IPPanel&) = delete;
    IPPanel& operator=(const IPPanel&) = delete;

    // Attaches the window (or detaches it with nullptr) and shows the panel in it. Without a window
    // the panel has no selection to act on.
    void AttachView(IPPanelView* view);
    // Who shows the add and remove dialogs; without one every dialog counts as cancelled.
    void SetDialogHost(IPDialogHost* dialogs) { dialogs_ = dialogs; }

    // Forgets any preset, keeps the adapter (none clears the panel) and loads from it.
    void SetAdapter(std::shared_ptr<AdapterInfo> adapter);
    // Forgets any adapter, keeps the preset and loads from it.
    void SetPreset(std::shared_ptr<Preset> preset);
    // Loads again from the adapter or preset, as it is now.
    void Reload();

    // The titles the window makes a list's columns with; the first column's header then shows
    // HeaderTitle with the row count: "IP Address (2)".
    virtual std::vector<std::string> ColumnTitles(IPList list) const = 0;
    virtual std::string HeaderTitle(IPList list) const = 0;

    const std::string& Caption() const { return caption_; }
    const std::vector<IPRow>& Rows(IPList list) const { return State(list).rows; }
    bool ListEnabled(IPList list) const { return State(list).enabled; }

    // The context menu of a list, prepared each time it opens; none for a disabled list.
    std::vector<IPMenuItem> PrepareMenu(IPList list) const;
    // A menu command; a command that is not enabled now does nothing.
    void Execute(IPList list, IPCommand command);
    // A key pressed in a list (`key` is a virtual-key code): Delete removes, a digit opens the add
    // dialog with that digit typed, Ctrl+C copies, Ctrl+Up and Ctrl+Down move DNS servers. True
    // when the panel took the key.
    bool KeyDown(IPList list, int key, bool ctrl, bool shift);

  protected:
    explicit IPPanel(const Platform& platform);

    struct ListState {
        std::vector<IPRow> rows;
        bool enabled = false;
    };

    // Fill caption_ and the three lists.
    virtual void LoadFromAdapter(AdapterInfo& adapter) = 0;
    virtual void LoadFromPreset(const Preset& preset) = 0;
    virtual void LoadEmpty() = 0;
    // The adapter's DHCP switch of this protocol.
    virtual bool DHCPEnabled(const AdapterInfo& adapter) const = 0;
    // Opens the add dialog of a list (with a digit already typed) and adds what it gives.
    virtual void AddEntry(IPList list, std::optional<int> digit) = 0;
    // The texts of frmRemove for the address or gateway list, or the DNS list.
    virtual void PrepareRemoveTexts(IPList list, frmRemove& dialog) const = 0;
    // Removes one address or gateway by its row text.
    virtual void RemoveFromAdapter(AdapterInfo& adapter, IPList list, const std::string& key,
                                   bool persistent) = 0;
    virtual void RemoveFromPreset(Preset& preset, IPList list,
                                  const std::vector<std::string>& keys) = 0;
    // Stores the DNS server list as a whole. `dontAddPlaceHolderIP` keeps an empty IPv4 list
    // empty instead of storing "0.0.0.0" (the IPv6 list has no placeholder).
    virtual void WriteNameServers(AdapterInfo& adapter, const KeyedCollection<std::string>& servers,
                                  bool dontAddPlaceHolderIP) = 0;
    virtual void WriteNameServers(Preset& preset, const KeyedCollection<std::string>& servers) = 0;

    ListState& State(IPList list) { return lists_[static_cast<size_t>(list)]; }
    const ListState& State(IPList list) const { return lists_[static_cast<size_t>(list)]; }
    void SetCaption(std::string caption) { caption_ = std::move(caption); }

    // Fills a list with a row for each item and enables it; an absent list stays disabled.
    template <class Items, class RowOf>
    void Fill(IPList list, const Items& items, RowOf rowOf) {
        State(list).enabled = true;
        for (const auto& item : items) {
            State(list).rows.push_back(rowOf(item));
        }
    }
    template <class Items, class RowOf>
    void Fill(IPList list, const std::optional<Items>& items, RowOf rowOf) {
        if (items) {
            Fill(list, *items, rowOf);
        }
    }

    // The persistent box of the add dialogs. Addresses: a preset's are always kept (checked,
    // disabled); with DHCP on, only the running interface can take one beside the lease
    // (unchecked, disabled); otherwise checked, and an interface that is not operational can only
    // take a stored one (disabled). Gateways: checked, disabled for a preset or an interface that
    // is not operational.
    void PrepareAddressBox(IPDialog& dialog) const;
    void PrepareGatewayBox(IPDialog& dialog) const;
    // Shows a dialog; true when the user confirmed it.
    bool Confirmed(IPDialog& dialog);

    // Runs a change: an error is shown with the common error report, then the panel reloads.
    void Guarded(const std::function<void()>& change);
    // Makes a change in the preset, then loads; or in the adapter, then refreshes it and loads.
    void Apply(const std::function<void(Preset&)>& toPreset,
               const std::function<void(AdapterInfo&)>& toAdapter);
    // After a change of the adapter or preset: refresh the adapter, then load.
    void RefreshAndReload();

    const Platform platform_;
    std::shared_ptr<AdapterInfo> adapter_;
    std::shared_ptr<Preset> preset_;

  private:
    // "Add" in the address list of an adapter: with DHCP on, only a running interface takes an
    // address (preset mode always adds).
    bool AdapterTakesAddresses(const AdapterInfo& adapter) const;
    bool CommandEnabled(IPList list, IPCommand command) const;
    bool FirstRowIsAddress(IPList list) const;
    void Show();
    void Remove(IPList list);
    void RemoveNameServers();
    void Move(bool up);
    void Copy(IPList list);
    std::vector<int> SelectedRows(IPList list) const;
    std::optional<int> CurrentRow(IPList list) const;

    IPPanelView* view_ = nullptr;
    IPDialogHost* dialogs_ = nullptr;
    std::string caption_;
    std::array<ListState, 3> lists_;
};

}  // namespace vexav6::ui
