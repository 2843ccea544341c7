#include "ui/win32/frm_main_window.h"

#include <commctrl.h>

#include <algorithm>

#include "base/app_info.h"
#include "platform/win32/wide_text.h"
#include "ui/win32/controls.h"
#include "ui/win32/dpi.h"
#include "ui/win32/frm_create_preset_window.h"
#include "ui/win32/frm_import_export_presets_window.h"
#include "ui/win32/layout.h"

namespace vexav6::ui::win32 {

namespace {

// Sizes in units (1/96 inch).
constexpr int kDefaultWidth = 980;
constexpr int kDefaultHeight = 700;
constexpr int kMinWidth = 760;
constexpr int kMinHeight = 560;
constexpr int kMargin = 8;
constexpr int kMacPanelWidth = 340;
constexpr int kTrafficWidth = 280;
constexpr int kMinListHeight = 110;
// The list's share of the height above the tabs, in percent.
constexpr int kListShare = 32;

struct Column {
    const char* caption;
    int width;  // units; the first column takes what the others leave
    int format;
};
constexpr Column kColumns[frmMainWindow::kColumnCount] = {
    {"Network Connections", 0, LVCFMT_LEFT},
    {"Changed", 70, LVCFMT_LEFT},
    {"MAC Address", 130, LVCFMT_LEFT},
    {"Link Status", 180, LVCFMT_LEFT},
    {"Speed", 90, LVCFMT_RIGHT},
};
constexpr const char* kTabCaptions[kTabCount] = {"MAC Address", "IP Configuration", "Presets"};

// Places `window` directly below `above` in the z-order (which is also the Tab key's order).
void StackBelow(HWND window, HWND above) {
    ::SetWindowPos(window, above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

}  // namespace

frmMainWindow::frmMainWindow(const Platform& platform)
    : Window(platform),
      details_(platform),
      macPanel_(platform),
      traffic_(platform),
      ipv4_(platform),
      ipv6_(platform),
      presets_(platform) {
    for (auto& page : pages_) {
        page = std::make_unique<TabPage>(platform);
    }
}

frmMainWindow::~frmMainWindow() {
    // The presenter goes first: its adapters stop their timers while the windows still exist.
    presenter_.reset();
}

void frmMainWindow::Create() {
    RegisterClass(kClassName);
    const UINT dpi = SystemDpi();
    fonts_ = std::make_unique<UiFonts>(dpi);
    CreateHandle(kClassName, app::TitleWithMajorVersion(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                 WS_EX_CONTROLPARENT, CW_USEDEFAULT, CW_USEDEFAULT, Scale(kDefaultWidth, dpi),
                 Scale(kDefaultHeight, dpi), nullptr);
    if (DpiOf(Handle()) != dpi) {
        fonts_ = std::make_unique<UiFonts>(DpiOf(Handle()));
        const Scaler px(Handle());
        ::SetWindowPos(Handle(), nullptr, 0, 0, px(kDefaultWidth), px(kDefaultHeight),
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    BuildMenu();
    CreateControls();
    presenter_ = std::make_unique<frmMain>(GetPlatform(), *this);
    presenter_->Details().AttachView(&details_);
    macPanel_.Attach(presenter_->AttachMACPanel(macPanel_, macPanel_.MACAddressBox()));
    ConnectSmallWindows();
    presenter_->Monitor().AttachView(&traffic_);
    presenter_->Presets().AttachView(&presets_);
    ipv4_.Bind(presenter_->IPv4());
    ipv6_.Bind(presenter_->IPv6());
    presets_.SetPresenter(&presenter_->Presets());
    presenter_->Presets().showEditor = [this](const std::string& caption, const Preset* toEdit) {
        frmCreatePresetWindow editor(GetPlatform(), caption, toEdit);
        editor.Run(Handle());
        return editor.Saved();
    };
    presenter_->showPresetPicker = [this](const std::string& caption,
                                          const PresetCollection& presets) {
        frmImportExportPresetsWindow picker(GetPlatform(), caption, presets);
        picker.Run(Handle());
        return picker.Chosen();
    };
    Layout();
}

bool frmMainWindow::Load() {
    if (!presenter_->Load()) {
        ::DestroyWindow(Handle());
        return false;
    }
    return true;
}

void frmMainWindow::CreateControls() {
    const HFONT font = fonts_->Normal();
    list_ =
        CreateControl(Handle(), WC_LISTVIEWW, "",
                      LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP | WS_CLIPSIBLINGS,
                      WS_EX_CLIENTEDGE, kListId, font);
    listview::Prepare(list_, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
    for (int i = 0; i < kColumnCount; ++i) {
        listview::AddColumn(list_, i, kColumns[i].caption, Scale(kColumns[i].width, fonts_->Dpi()),
                            kColumns[i].format);
    }

    tab_ =
        CreateControl(Handle(), WC_TABCONTROLW, "", WS_TABSTOP | WS_CLIPSIBLINGS, 0, kTabId, font);
    for (int i = 0; i < kTabCount; ++i) {
        std::wstring caption = vexav6::win32::Widen(kTabCaptions[i]);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = caption.data();
        ::SendMessageW(tab_, TCM_INSERTITEMW, static_cast<WPARAM>(i),
                       reinterpret_cast<LPARAM>(&item));
    }
    for (auto& page : pages_) {
        page->Create(Handle(), *fonts_);
    }
    pages_[kDetailsTab]->layout = [this](Box client, const Scaler& px) {
        LayoutDetailsTab(client, px);
    };
    details_.Create(pages_[kDetailsTab]->Handle(), *fonts_);
    ::ShowWindow(details_.Handle(), SW_SHOW);
    macPanel_.Create(pages_[kDetailsTab]->Handle(), *fonts_);
    ::ShowWindow(macPanel_.Handle(), SW_SHOW);
    // The IPv4 panel above the IPv6 panel.
    ipv4_.Create(pages_[kIPTab]->Handle(), *fonts_);
    ::ShowWindow(ipv4_.Handle(), SW_SHOW);
    ipv6_.Create(pages_[kIPTab]->Handle(), *fonts_);
    ::ShowWindow(ipv6_.Handle(), SW_SHOW);
    pages_[kIPTab]->layout = [this](Box client, const Scaler& px) { LayoutIPTab(client, px); };
    presets_.Create(pages_[kPresetTab]->Handle(), *fonts_);
    ::ShowWindow(presets_.Handle(), SW_SHOW);
    pages_[kPresetTab]->layout = [this](Box client, const Scaler& px) {
        MoveBatch batch(1);
        batch.Move(presets_.Handle(), client.Inset(px(kMargin)));
    };
    traffic_.Create(Handle(), *fonts_);
    ::ShowWindow(traffic_.Handle(), SW_SHOW);

    // Drawing and the Tab key both follow this order: the list, the page shown, the tab strip
    // (under the pages, which lie over its body), the traffic panel.
    StackBelow(pages_[0]->Handle(), list_);
    StackBelow(pages_[1]->Handle(), pages_[0]->Handle());
    StackBelow(pages_[2]->Handle(), pages_[1]->Handle());
    StackBelow(tab_, pages_[2]->Handle());
    StackBelow(traffic_.Handle(), tab_);
    ShowPage(kDetailsTab);
}

void frmMainWindow::LayoutDetailsTab(Box client, const Scaler& px) {
    // The details panel on the left, the MAC address change panel on the right.
    Box area = client.Inset(px(kMargin));
    // Half each at the least; the change panel's controls need no more than their own width,
    // so a wider page goes to the details and their long identifiers and vendor names.
    const int half = (area.Width() - px(kMargin)) / 2;
    const int details = std::max(half, area.Width() - px(kMargin) - px(kMacPanelWidth));
    MoveBatch batch(2);
    batch.Move(details_.Handle(), area.TakeLeft(details, px(kMargin)));
    batch.Move(macPanel_.Handle(), area);
}

void frmMainWindow::LayoutIPTab(Box client, const Scaler& px) {
    Box area = client.Inset(px(kMargin));
    const int half = (area.Height() - px(kMargin)) / 2;
    MoveBatch batch(2);
    batch.Move(ipv4_.Handle(), area.TakeTop(half, px(kMargin)));
    batch.Move(ipv6_.Handle(), area);
}

void frmMainWindow::BuildMenu() {
    const HMENU bar = ::CreateMenu();
    std::map<MainMenu, HMENU> popups;
    std::map<HMENU, UINT> counts;
    for (const MainMenuItem& item : MainMenuItems()) {
        const HMENU parent = item.parent == MainMenu::None ? bar : popups.at(item.parent);
        if (item.separatorBefore && counts[parent] > 0) {
            ::AppendMenuW(parent, MF_SEPARATOR, 0, nullptr);
            ++counts[parent];
        }
        std::string caption = item.caption;
        if (!item.shortcut.text.empty()) {
            caption += "\t" + item.shortcut.text;
        }
        std::wstring text = vexav6::win32::Widen(caption);
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID | MIIM_STRING | MIIM_STATE;
        info.wID = static_cast<UINT>(item.id);
        info.dwTypeData = text.data();
        info.fState = MFS_ENABLED;
        if (IsSubmenu(item.id)) {
            const HMENU popup = ::CreatePopupMenu();
            popups[item.id] = popup;
            popups_[popup] = item.id;
            info.fMask |= MIIM_SUBMENU;
            info.hSubMenu = popup;
        }
        ::InsertMenuItemW(parent, counts[parent], TRUE, &info);
        menuItems_[item.id] = MenuLocation{parent, counts[parent]};
        ++counts[parent];
    }
    ::SetMenu(Handle(), bar);

    std::vector<ACCEL> keys;
    for (const auto& [command, shortcut] : MainWindowShortcuts()) {
        ACCEL key{};
        key.fVirt = static_cast<BYTE>(FVIRTKEY | (shortcut.ctrl ? FCONTROL : 0) |
                                      (shortcut.shift ? FSHIFT : 0));
        key.key = shortcut.key;
        key.cmd = static_cast<WORD>(command);
        keys.push_back(key);
    }
    accelerators_.Reset(::CreateAcceleratorTableW(keys.data(), static_cast<int>(keys.size())));
}

frmMainWindow::MenuLocation frmMainWindow::Locate(MainMenu item) const {
    const auto it = menuItems_.find(item);
    return it != menuItems_.end() ? it->second : MenuLocation{};
}

// --- Layout ---

void frmMainWindow::Layout() {
    if (tab_ == nullptr) {
        return;
    }
    const Scaler px(fonts_->Dpi());
    Box area = Box::Client(Handle()).Inset(px(kMargin));
    const int listHeight = std::max(px(kMinListHeight), area.Height() * kListShare / 100);
    const Box list = area.TakeTop(listHeight, px(kMargin));
    const Box traffic = area.TakeRight(px(kTrafficWidth), px(kMargin));

    RECT display{area.left, area.top, area.right, area.bottom};
    ::SendMessageW(tab_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    MoveBatch batch(6);
    batch.Move(list_, list);
    batch.Move(tab_, area);
    for (auto& page : pages_) {
        batch.Move(page->Handle(), Box::Of(display));
    }
    batch.Move(traffic_.Handle(), traffic);
}

void frmMainWindow::SizeColumns() {
    const Scaler px(fonts_->Dpi());
    RECT client{};
    ::GetClientRect(list_, &client);
    int others = 0;
    for (int i = 1; i < kColumnCount; ++i) {
        const int width = px(kColumns[i].width);
        ::SendMessageW(list_, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(i), width);
        others += width;
    }
    // The connection name takes the rest, so the columns fill the list without a scroll bar.
    const int first = std::max(px(160), static_cast<int>(client.right) - others);
    ::SendMessageW(list_, LVM_SETCOLUMNWIDTH, 0, first);
}

void frmMainWindow::ShowPage(int tab) {
    for (int i = 0; i < kTabCount; ++i) {
        // A hidden page's controls are out of the Tab key's order.
        ::ShowWindow(pages_[static_cast<size_t>(i)]->Handle(), i == tab ? SW_SHOW : SW_HIDE);
    }
}

void frmMainWindow::ApplyDpi(UINT dpi) {
    // The new fonts reach every control before the old ones are deleted.
    auto fonts = std::make_unique<UiFonts>(dpi);
    ::SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(fonts->Normal()), FALSE);
    ::SendMessageW(tab_, WM_SETFONT, reinterpret_cast<WPARAM>(fonts->Normal()), FALSE);
    for (auto& page : pages_) {
        page->ApplyFonts(*fonts);
    }
    details_.ApplyFonts(*fonts);
    macPanel_.ApplyFonts(*fonts);
    ipv4_.ApplyFonts(*fonts);
    ipv6_.ApplyFonts(*fonts);
    presets_.ApplyFonts(*fonts);
    traffic_.ApplyFonts(*fonts);
    fonts_ = std::move(fonts);
}

// --- Messages ---

bool frmMainWindow::PreTranslateMessage(MSG& message) {
    for (const auto& help : helpWindows_) {
        if (help->Handle() != nullptr &&
            (message.hwnd == help->Handle() || ::IsChild(help->Handle(), message.hwnd))) {
            return ::IsDialogMessageW(help->Handle(), &message) != FALSE;
        }
    }
    if (Handle() == nullptr || (message.hwnd != Handle() && !::IsChild(Handle(), message.hwnd))) {
        return false;
    }
    if (accelerators_ && ::TranslateAcceleratorW(Handle(), accelerators_.Get(), &message)) {
        return true;
    }
    return ::IsDialogMessageW(Handle(), &message) != FALSE;
}

LRESULT frmMainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            Layout();
            SizeColumns();
            return 0;
        case WM_GETMINMAXINFO:
            SetMinimumSize(Handle(), lParam, kMinWidth, kMinHeight);
            return 0;
        case WM_DPICHANGED:
            ApplyDpi(HIWORD(wParam));
            MoveToSuggestedRect(Handle(), lParam);
            return 0;
        case WM_COMMAND:
            // Menus and keys (no control); Enter and Escape of the dialog keys are not commands.
            if (lParam == 0 && LOWORD(wParam) >= static_cast<WORD>(MainMenu::File) && presenter_) {
                presenter_->OnMenuCommand(static_cast<MainMenu>(LOWORD(wParam)));
            }
            return 0;
        case WM_INITMENUPOPUP: {
            const auto popup = popups_.find(reinterpret_cast<HMENU>(wParam));
            if (!HIWORD(lParam) && popup != popups_.end() && presenter_) {
                presenter_->OnMenuOpening(popup->second);
            }
            return 0;
        }
        case WM_NOTIFY:
            return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
        case kRowCheckMessage:
            if (presenter_) {
                presenter_->OnRowCheckToggled(static_cast<int>(wParam), lParam != 0);
            }
            return 0;
        case WM_CLOSE:
            if (!presenter_ || presenter_->OnCloseRequested()) {
                ::DestroyWindow(Handle());
            }
            return 0;
        case WM_ENDSESSION:
            // Windows ends the program after this message without closing the window: the
            // presets and settings are saved now, as a close would.
            if (wParam != FALSE && presenter_) {
                presenter_->Dispose();
            }
            return 0;
        case WM_DESTROY:
            if (onClosed) {
                onClosed();
            }
            return 0;
        default:
            return Default(message, wParam, lParam);
    }
}

LRESULT frmMainWindow::OnNotify(const NMHDR& header) {
    if (header.hwndFrom == tab_ && header.code == TCN_SELCHANGE) {
        const int tab = static_cast<int>(::SendMessageW(tab_, TCM_GETCURSEL, 0, 0));
        presenter_->OnTabSelected(tab);
        ShowPage(tab);
        return 0;
    }
    if (header.hwndFrom != list_ || header.code != LVN_ITEMCHANGED || updating_ > 0 ||
        !presenter_) {
        return 0;
    }
    const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
    if ((change.uChanged & LVIF_STATE) == 0 || change.iItem < 0) {
        return 0;
    }
    const UINT oldImage = (change.uOldState & LVIS_STATEIMAGEMASK) >> 12;
    const UINT newImage = (change.uNewState & LVIS_STATEIMAGEMASK) >> 12;
    if (oldImage != 0 && newImage != 0 && oldImage != newImage) {
        ::PostMessageW(Handle(), kRowCheckMessage, static_cast<WPARAM>(change.iItem),
                       newImage == 2 ? 1 : 0);
    }
    if ((change.uNewState & LVIS_SELECTED) != 0 && (change.uOldState & LVIS_SELECTED) == 0) {
        presenter_->OnRowSelected(change.iItem);
    }
    return 0;
}

// --- frmMainView ---

void frmMainWindow::SetCaption(const std::string& caption) {
    UpdateText(Handle(), caption);
}

void frmMainWindow::WriteRow(int index, const AdapterRow& row) {
    ++updating_;
    listview::SetItemText(list_, index, 0, row.connectionName);
    listview::SetItemText(list_, index, 1, row.changed);
    listview::SetItemText(list_, index, 2, row.macAddress);
    listview::SetItemText(list_, index, 3, row.linkStatus);
    listview::SetItemText(list_, index, 4, row.speed);
    if (listview::IsChecked(list_, index) != row.checked) {
        listview::SetChecked(list_, index, row.checked);
    }
    --updating_;
}

void frmMainWindow::ClearRows() {
    ++updating_;
    ::SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
    --updating_;
}

void frmMainWindow::AddRow(const AdapterRow& row) {
    ++updating_;
    const int index = listview::InsertItem(list_, listview::Count(list_), row.connectionName);
    WriteRow(index, row);
    --updating_;
}

void frmMainWindow::SetRow(int index, const AdapterRow& row) {
    WriteRow(index, row);
}

void frmMainWindow::RemoveRow(int index) {
    ++updating_;
    ::SendMessageW(list_, LVM_DELETEITEM, static_cast<WPARAM>(index), 0);
    --updating_;
}

void frmMainWindow::SetRowStatus(int index, const std::string& text) {
    listview::SetItemText(list_, index, 3, text);
    ::UpdateWindow(list_);
}

void frmMainWindow::SetRowChecked(int index, bool checked) {
    ++updating_;
    listview::SetChecked(list_, index, checked);
    --updating_;
}

void frmMainWindow::SelectRow(int index) {
    ++updating_;
    listview::Select(list_, index);
    --updating_;
}

void frmMainWindow::SetMenuEnabled(MainMenu item, bool enabled) {
    const MenuLocation location = Locate(item);
    if (location.menu == nullptr) {
        return;
    }
    ::EnableMenuItem(location.menu, location.position,
                     MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED));
    if (location.menu == ::GetMenu(Handle())) {
        ::DrawMenuBar(Handle());
    }
}

void frmMainWindow::SetMenuChecked(MainMenu item, bool checked) {
    const MenuLocation location = Locate(item);
    if (location.menu != nullptr) {
        ::CheckMenuItem(location.menu, location.position,
                        MF_BYPOSITION | (checked ? MF_CHECKED : MF_UNCHECKED));
    }
}

void frmMainWindow::SelectTab(int tab) {
    ::SendMessageW(tab_, TCM_SETCURSEL, static_cast<WPARAM>(tab), 0);
    ShowPage(tab);
    ::SetFocus(tab_);
}

void frmMainWindow::ShowWindow() {
    ::ShowWindow(Handle(), ::IsIconic(Handle()) ? SW_RESTORE : SW_SHOW);
    ::SetForegroundWindow(Handle());
}

void frmMainWindow::HideWindow() {
    ::ShowWindow(Handle(), SW_HIDE);
}

bool frmMainWindow::IsWindowVisible() const {
    return ::IsWindowVisible(Handle()) != FALSE;
}

bool frmMainWindow::IsWindowEnabled() const {
    return ::IsWindowEnabled(Handle()) != FALSE;
}

void frmMainWindow::CloseWindow() {
    ::DestroyWindow(Handle());
}

void frmMainWindow::ShowSplash() {
    splash_ = std::make_unique<frmSplashWindow>(GetPlatform());
    splash_->Show();
}

void frmMainWindow::SplashProgress(int percent) {
    if (splash_) {
        splash_->ShowProgress(percent);
    }
}

void frmMainWindow::CloseSplash() {
    splash_.reset();
}

void frmMainWindow::ShowHelpWindow(const std::string& caption, const std::string& text,
                                   bool modal) {
    // Closed help windows are let go before another opens.
    std::erase_if(helpWindows_, [](const auto& help) { return help->Handle() == nullptr; });
    auto help = std::make_unique<frmCLIHelpWindow>(GetPlatform());
    help->Create(Handle(), caption, text);
    if (modal) {
        help->RunModal(Handle());
        return;
    }
    ::ShowWindow(help->Handle(), SW_SHOW);
    helpWindows_.push_back(std::move(help));
}

std::vector<HWND> frmMainWindow::HelpWindows() const {
    std::vector<HWND> open;
    for (const auto& help : helpWindows_) {
        if (help->Handle() != nullptr) {
            open.push_back(help->Handle());
        }
    }
    return open;
}

}  // namespace vexav6::ui::win32
