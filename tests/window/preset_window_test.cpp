// The preset panel, the preset editor and the import/export picker under Wine: the real windows
// over the simulated demo machine.
#include "platform/win32/windows_include.h"

#include <commctrl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/win32/wide_text.h"
#include "presets/preset_support.h"
#include "presets/preset_test_support.h"
#include "support/dashless_dir.h"
#include "support/failing_disk.h"
#include "ui/win32/controls.h"
#include "ui/win32/frm_create_preset_window.h"
#include "ui/win32/frm_import_export_presets_window.h"
#include "ui/win32/ip_dialog_window.h"
#include "ui/win32/ip_panel_window.h"
#include "window/window_bench.h"

namespace vexav6::testing {
namespace {

using platform::MessageBoxResult;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ui::MainMenu;
using ui::PresetControl;
using ui::win32::frmCreatePresetWindow;
using ui::win32::frmImportExportPresetsWindow;
using ui::win32::PresetPanelWindow;
namespace listview = ui::win32::listview;

int IdOf(PresetControl control) {
    return frmCreatePresetWindow::kFirstControlId + static_cast<int>(control);
}

class PresetWindowTest : public WindowBench {
  protected:
    void SetUp() override { LoadMachine("demo.json"); }

    // Opens the window with the vendor list, showing the presets tab.
    void OpenOnPresetsTab() {
        CopyVendorDatabase();
        ASSERT_TRUE(Open());
        machine.ui.ClearBoxes();
        Key(VK_TAB, true);
        Key(VK_TAB, true);
        ASSERT_EQ(CurrentTab(), ui::kPresetTab);
    }

    // Answers the next modal dialog with `handle`; a dialog that the handler left open is a
    // failure, and is cancelled so that the test goes on instead of waiting for it.
    void OnNextDialog(std::function<void(HWND)> handle) {
        OnNextModal([handle](HWND dialog) {
            handle(dialog);
            if (::IsWindowVisible(dialog)) {
                ADD_FAILURE() << "the dialog \"" << ui::win32::GetText(dialog)
                              << "\" is still open";
                ::SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            }
        });
    }

    PresetPanelWindow& Panel() { return Window().PresetsPanel(); }
    HWND PresetList() { return Panel().List(); }

    std::vector<std::string> Names(HWND list) {
        std::vector<std::string> names;
        for (int row = 0; row < listview::Count(list); ++row) {
            names.push_back(listview::GetItemText(list, row, 0));
        }
        return names;
    }
    int PresetRow(const std::string& name) {
        const std::vector<std::string> names = Names(PresetList());
        const auto it = std::find(names.begin(), names.end(), name);
        return it == names.end() ? -1 : static_cast<int>(it - names.begin());
    }
    std::vector<std::string> DetailRows() {
        std::vector<std::string> rows;
        const HWND details = Panel().DetailsList();
        for (int row = 0; row < listview::Count(details); ++row) {
            rows.push_back(listview::GetItemText(details, row, 0) + ": " +
                           listview::GetItemText(details, row, 1));
        }
        return rows;
    }

    // A click on a preset (with Ctrl: added to the selection); twice for a double-click.
    void ClickPreset(const std::string& name, bool ctrl = false, bool twice = false) {
        const int row = PresetRow(name);
        ASSERT_GE(row, 0) << name;
        ::SetFocus(PresetList());
        RECT item{LVIR_LABEL, 0, 0, 0};
        ::SendMessageW(PresetList(), LVM_GETITEMRECT, static_cast<WPARAM>(row),
                       reinterpret_cast<LPARAM>(&item));
        const LPARAM at = MAKELPARAM(item.left + 8, (item.top + item.bottom) / 2);
        const WPARAM keys = MK_LBUTTON | (ctrl ? MK_CONTROL : 0);
        ::PostMessageW(PresetList(), WM_LBUTTONDOWN, keys, at);
        ::PostMessageW(PresetList(), WM_LBUTTONUP, keys & ~MK_LBUTTON, at);
        if (twice) {
            ::PostMessageW(PresetList(), WM_LBUTTONDBLCLK, keys, at);
            ::PostMessageW(PresetList(), WM_LBUTTONUP, keys & ~MK_LBUTTON, at);
        }
        Pump();
    }

    // The control of a window or of any of its descendants.
    static HWND Find(HWND root, int id) {
        struct Search {
            int id;
            HWND found;
        } search{id, nullptr};
        ::EnumChildWindows(
            root,
            [](HWND child, LPARAM data) -> BOOL {
                auto* s = reinterpret_cast<Search*>(data);
                if (::GetDlgCtrlID(child) == s->id) {
                    s->found = child;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }
    static void Click(HWND button) {
        ASSERT_NE(button, nullptr);
        ASSERT_TRUE(::IsWindowEnabled(button));
        ::SendMessageW(button, BM_CLICK, 0, 0);
    }
    static void Type(HWND box, const std::string& text) { ui::win32::SetText(box, text); }
    static bool IsChecked(HWND box) {
        return ::SendMessageW(box, BM_GETCHECK, 0, 0) == static_cast<LRESULT>(BST_CHECKED);
    }
    // Ctrl+Tab (with Shift: Ctrl+Shift+Tab) in a modal dialog, as its loop hands the key on.
    static void CtrlTab(HWND dialog, bool shift = false) {
        BYTE keys[256] = {};
        ::GetKeyboardState(keys);
        BYTE pressed[256];
        std::copy(std::begin(keys), std::end(keys), std::begin(pressed));
        pressed[VK_CONTROL] = 0x80;
        pressed[VK_SHIFT] = shift ? 0x80 : 0;
        ::SetKeyboardState(pressed);
        MSG message{::GetFocus(), WM_KEYDOWN, VK_TAB, 1, 0, {}};
        if (message.hwnd == nullptr) {
            message.hwnd = dialog;
        }
        ::IsDialogMessageW(dialog, &message);
        ::SetKeyboardState(keys);
    }
    static int TabOf(HWND dialog) {
        return static_cast<int>(
            ::SendMessageW(Find(dialog, frmCreatePresetWindow::kTabId), TCM_GETCURSEL, 0, 0));
    }

    // Writes Default.kpf with the demo's two presets for the Ethernet connection: a static
    // address and DHCP.
    void WriteStaticAndDHCPPresets() {
        PresetCollection presets;
        auto fixed = std::make_shared<Preset>();
        fixed->SetPresetName("Static");
        fixed->SetIPv4Selected(true);
        IPv4AddressList addresses;
        PresetLists::AddIPv4Address(addresses, "192.168.7.20", "255.255.255.0");
        fixed->SetIPv4Addresses(addresses);
        IPv4GatewayList gateways;
        PresetLists::AddIPv4Gateway(gateways, "192.168.7.1", 10);
        fixed->SetIPv4Gateways(gateways);
        presets.Add(fixed, "Static");
        auto dhcp = std::make_shared<Preset>();
        dhcp->SetPresetName("DHCP");
        dhcp->SetIPv4Selected(true);
        dhcp->SetIPv4DHCPEnabled(true);
        presets.Add(dhcp, "DHCP");
        PresetSupport::SavePresetFile(folder.File("Default.kpf"), presets, true);
    }
};

TEST_F(PresetWindowTest, CreateEditRenameAndDeletePresets) {
    OpenOnPresetsTab();
    EXPECT_FALSE(::IsWindowEnabled(Panel().Button(PresetPanelWindow::kApplyId)));

    // New: every section of the editor, Ctrl+Tab round its tabs, Save.
    OnNextDialog([&](HWND editor) {
        EXPECT_EQ(TextOf(editor), "Create New Preset");
        EXPECT_EQ(TabOf(editor), 0);
        EXPECT_FALSE(::IsWindowEnabled(Find(editor, IdOf(PresetControl::MACBox))));
        Type(Find(editor, IdOf(PresetControl::Name)), "Home");
        Click(Find(editor, IdOf(PresetControl::IncludeMAC)));
        Click(Find(editor, IdOf(PresetControl::CustomMAC)));
        EXPECT_TRUE(::IsWindowEnabled(Find(editor, IdOf(PresetControl::MACBox))));
        // Typed into the six-octet box: its key machine moves on from octet to octet.
        ::SetFocus(::GetWindow(Find(editor, IdOf(PresetControl::MACBox)), GW_CHILD));
        for (const char c : std::string("02-11-22-33-44-55")) {
            ::SendMessageW(::GetFocus(), WM_CHAR, static_cast<WPARAM>(c), 0);
        }
        Click(Find(editor, IdOf(PresetControl::IncludeProxy)));
        EXPECT_FALSE(::IsWindowEnabled(Find(editor, IdOf(PresetControl::ProxyServer))));
        Click(Find(editor, IdOf(PresetControl::EnableProxy)));
        Type(Find(editor, IdOf(PresetControl::ProxyServer)), "proxy.home.example");
        Type(Find(editor, IdOf(PresetControl::ProxyPort)), "3128");
        Screenshot(editor, "preset-editor-mac-address-and-proxy");

        CtrlTab(editor);
        EXPECT_EQ(TabOf(editor), 1);
        Click(Find(editor, IdOf(PresetControl::IncludeIPv4)));
        Click(Find(editor, IdOf(PresetControl::IPv4Address)));
        Click(Find(editor, IdOf(PresetControl::DHCPv4)));
        // DHCP takes the addresses away.
        EXPECT_FALSE(IsChecked(Find(editor, IdOf(PresetControl::IPv4Address))));
        EXPECT_FALSE(::IsWindowEnabled(Find(editor, IdOf(PresetControl::IPv4Address))));
        Screenshot(editor, "preset-editor-ipv4");
        CtrlTab(editor, true);
        CtrlTab(editor, true);
        EXPECT_EQ(TabOf(editor), 2);
        Screenshot(editor, "preset-editor-ipv6");
        CtrlTab(editor);
        EXPECT_EQ(TabOf(editor), 0);
        Click(Find(editor, IDOK));
    });
    Click(Panel().Button(PresetPanelWindow::kNewId));
    Pump();
    EXPECT_THAT(Names(PresetList()), ElementsAre("Home"));
    EXPECT_THAT(DetailRows(),
                ElementsAre("MAC Address: Use Custom: 02-11-22-33-44-55", "IPv4: DHCPv4 Enabled",
                            "Internet Explorer HTTP Proxy: Enabled",
                            "HTTP Proxy Server: proxy.home.example", "HTTP Proxy Port: 3128"));

    // A second preset; an empty name is refused first.
    OnNextDialog([&](HWND editor) {
        Click(Find(editor, IDOK));
        EXPECT_EQ(machine.ui.Boxes().back().text, "Please enter a name for the preset.");
        Type(Find(editor, IdOf(PresetControl::Name)), "Office");
        Click(Find(editor, IDOK));
    });
    Click(Panel().Button(PresetPanelWindow::kNewId));
    Pump();
    EXPECT_THAT(Names(PresetList()), ElementsAre("Home", "Office"));

    // Edit by double-click, renamed to a taken name: it gets the next free one.
    OnNextDialog([&](HWND editor) {
        EXPECT_EQ(TextOf(editor), "Edit Preset");
        EXPECT_EQ(TextOf(Find(editor, IdOf(PresetControl::Name))), "Office");
        Type(Find(editor, IdOf(PresetControl::Name)), "home");
        Click(Find(editor, IDOK));
    });
    ClickPreset("Office", false, true);
    EXPECT_THAT(Names(PresetList()), ElementsAre("Home", "home (1)"));

    // F2 renames in place, with the same rule.
    ClickPreset("home (1)");
    Key(VK_F2);
    const HWND label =
        reinterpret_cast<HWND>(::SendMessageW(PresetList(), LVM_GETEDITCONTROL, 0, 0));
    ASSERT_NE(label, nullptr);
    ui::win32::SetText(label, "Office");
    ::SendMessageW(label, WM_KEYDOWN, VK_RETURN, 0);
    Pump();
    EXPECT_THAT(Names(PresetList()), ElementsAre("Home", "Office"));
    EXPECT_TRUE(Presenter().Presets().Modified());

    Screenshot("presets-tab-two-presets");

    // Delete key on a selection of both: No keeps them, Yes removes them.
    ClickPreset("Home");
    ClickPreset("Office", true);
    machine.ui.ClearBoxes();
    machine.ui.ScriptAnswer(MessageBoxResult::No);
    Key(VK_DELETE);
    EXPECT_EQ(Names(PresetList()).size(), 2u);
    machine.ui.ScriptAnswer(MessageBoxResult::Yes);
    Click(Panel().Button(PresetPanelWindow::kDeleteId));
    ASSERT_EQ(machine.ui.Boxes().size(), 2u);
    EXPECT_EQ(machine.ui.Boxes()[1].title, "Delete Selected Presets");
    EXPECT_TRUE(Names(PresetList()).empty());
    EXPECT_FALSE(::IsWindowEnabled(Panel().Button(PresetPanelWindow::kDeleteId)));
    EXPECT_FALSE(::IsWindowEnabled(Panel().Button(PresetPanelWindow::kApplyId)));
}

TEST_F(PresetWindowTest, StaticAndDHCPPresetsApplyAndTheInForceMarkFollows) {
    WriteStaticAndDHCPPresets();
    OpenOnPresetsTab();
    ClickRow(RowOf("Ethernet"));
    EXPECT_EQ(TextOf(Panel().Group()), "Network Connection Presets (Default.kpf) [DHCP]");

    ClickPreset("Static");
    Click(Panel().Button(PresetPanelWindow::kApplyId));
    Pump();
    ASSERT_EQ(machine.ui.Boxes().size(), 1u);
    EXPECT_EQ(machine.ui.Boxes()[0].text, "Preset 'Static' was applied successfully.");
    EXPECT_EQ(TextOf(Panel().Group()), "Network Connection Presets (Default.kpf) [Static]");
    EXPECT_FALSE(Presenter().CurrentAdapter()->DHCPv4Enabled());
    Screenshot("presets-tab-static-preset-in-force");

    // Another adapter has its own mark: the Wi-Fi still takes its address by DHCP.
    ClickRow(RowOf("Wi-Fi"));
    EXPECT_EQ(TextOf(Panel().Group()), "Network Connection Presets (Default.kpf) [DHCP]");

    ClickRow(RowOf("Ethernet"));
    ClickPreset("DHCP");
    Click(Panel().Button(PresetPanelWindow::kApplyId));
    Pump();
    EXPECT_TRUE(Presenter().CurrentAdapter()->DHCPv4Enabled());
    EXPECT_EQ(TextOf(Panel().Group()), "Network Connection Presets (Default.kpf) [DHCP]");
    EXPECT_EQ(Cell(RowOf("Ethernet"), 3), Presenter().CurrentAdapter()->LinkStatus());
}

TEST_F(PresetWindowTest, ImportALegacyFileAndExportASelection) {
    OpenOnPresetsTab();
    ByteBuilder legacy;
    legacy.Long(0x01000002);
    legacy.Text("Cafe").Byte(0x01).Text("").TextArray({}).TextArray({}).TextArray({});
    legacy.TextArray({}).TextArray({}).Text("").Long(0);
    legacy.Text("Lab").Byte(0x08 | 0x40).Text("").TextArray({"10.1.2.3"});
    legacy.TextArray({"255.0.0.0"}).TextArray({}).TextArray({}).TextArray({});
    legacy.Text("lab-proxy").Long(8080);
    const auto& bytes = legacy.Get();
    WriteFileBytes(folder.Path() / "old.cpf", std::string(bytes.begin(), bytes.end()));

    OnNextDialog([&](HWND picker) {
        EXPECT_EQ(TextOf(picker), "Import Presets");
        const HWND list = Find(picker, frmImportExportPresetsWindow::kListId);
        EXPECT_THAT(Names(list), ElementsAre("Cafe", "Lab"));
        EXPECT_FALSE(::IsWindowEnabled(Find(picker, IDOK)));
        Click(Find(picker, frmImportExportPresetsWindow::kSelectAllId));
        listview::SetChecked(list, 0, false);
        listview::Select(list, 1);
        Screenshot(picker, "import-presets-picker");
        Click(Find(picker, IDOK));
    });
    machine.ui.ScriptFileChosen(folder.File("old.cpf"));
    Command(MainMenu::FileImportPreset);
    EXPECT_THAT(Names(PresetList()), ElementsAre("Lab"));
    ClickPreset("Lab");
    EXPECT_THAT(DetailRows(), ElementsAre("IPv4 Address: 10.1.2.3 (255.0.0.0)",
                                          "Internet Explorer HTTP Proxy: Enabled",
                                          "HTTP Proxy Server: lab-proxy", "HTTP Proxy Port: 8080"));

    // Export the checked one of two presets, and read the file back.
    machine.ui.ScriptFileChosen(folder.File("old.cpf"));
    OnNextDialog([&](HWND picker) {
        Click(Find(picker, frmImportExportPresetsWindow::kSelectAllId));
        Click(Find(picker, IDOK));
    });
    Command(MainMenu::FileImportPreset);
    EXPECT_THAT(Names(PresetList()), ElementsAre("Lab", "Cafe", "Lab (1)"));
    OnNextDialog([&](HWND picker) {
        EXPECT_EQ(TextOf(picker), "Export Presets");
        listview::SetChecked(Find(picker, frmImportExportPresetsWindow::kListId), 1, true);
        Click(Find(picker, IDOK));
    });
    machine.ui.ScriptFileChosen(folder.File("cafe.kpf"));
    Command(MainMenu::FileExportPreset);
    const auto exported = PresetSupport::ReadPresetFile(folder.File("cafe.kpf"));
    ASSERT_TRUE(exported);
    ASSERT_EQ(exported->Count(), 1);
    EXPECT_EQ(exported->Item(1)->PresetName(), "Cafe");
    EXPECT_TRUE(exported->Item(1)->IPv4DHCPEnabled());
}

TEST_F(PresetWindowTest, BadFilesAreRefusedAndChangesAreAskedForOrSaved) {
    WriteStaticAndDHCPPresets();
    OpenOnPresetsTab();

    // A truncated file through File > Open: the error names it, the presets stay, and neither
    // file is written.
    const std::string whole = ReadFileBytes(folder.File("Default.kpf"));
    WriteFileBytes(folder.Path() / "cut.kpf", whole.substr(0, whole.size() / 2));
    machine.ui.ScriptFileChosen(folder.File("cut.kpf"));
    Command(MainMenu::FileOpenPreset);
    ASSERT_EQ(machine.ui.Boxes().size(), 1u);
    EXPECT_THAT(machine.ui.Boxes()[0].text, HasSubstr("\"" + folder.File("cut.kpf") + "\""));
    EXPECT_THAT(Names(PresetList()), ElementsAre("Static", "DHCP"));
    EXPECT_EQ(Presenter().Presets().PresetFile(), folder.File("Default.kpf"));
    EXPECT_EQ(ReadFileBytes(folder.File("cut.kpf")), whole.substr(0, whole.size() / 2));

    machine.ui.ClearBoxes();
    machine.ui.ScriptAnswer(MessageBoxResult::Yes);
    ClickPreset("DHCP");
    Key(VK_DELETE);
    ASSERT_EQ(Names(PresetList()).size(), 1u);

    // A second instance hands over "-o": the changes are saved first, on the user's word.
    DashlessTempDir other;
    PresetSupport::SavePresetFile(other.File("office.kpf"), PresetCollection(), true);
    machine.ui.ClearBoxes();
    machine.ui.ScriptAnswer(MessageBoxResult::Yes);
    EXPECT_TRUE(machine.system.DeliverHandOver("-o " + other.File("office.kpf")));
    Pump();
    ASSERT_EQ(machine.ui.Boxes().size(), 1u);
    EXPECT_EQ(machine.ui.Boxes()[0].title, "Save Preset Changes?");
    EXPECT_EQ(PresetSupport::ReadPresetFile(folder.File("Default.kpf"))->Count(), 1);
    EXPECT_EQ(Presenter().Presets().PresetFile(), other.File("office.kpf"));
    EXPECT_TRUE(Names(PresetList()).empty());

    // Quitting with changes that cannot be written: the question, and the file left whole.
    OnNextDialog([&](HWND editor) {
        Type(Find(editor, IdOf(PresetControl::Name)), "Later");
        Click(Find(editor, IDOK));
    });
    Click(Panel().Button(PresetPanelWindow::kNewId));
    const std::string before = ReadFileBytes(other.File("office.kpf"));
    FailingDisk full(4, ENOSPC);
    Presenter().Presets().SetDisk(full);
    machine.ui.ClearBoxes();
    machine.ui.ScriptAnswer(MessageBoxResult::Cancel);
    Command(MainMenu::FileExit);
    ASSERT_TRUE(::IsWindow(Main()));
    ASSERT_FALSE(machine.ui.Boxes().empty());
    EXPECT_EQ(machine.ui.Boxes().back().title, "Presets Not Saved");
    EXPECT_EQ(ReadFileBytes(other.File("office.kpf")), before);

    // The next try writes them, and the window goes (with the tray icon, the tray ends the
    // program).
    Presenter().Presets().SetDisk(Path::SystemDisk());
    Command(MainMenu::FileExit);
    EXPECT_TRUE(Main() == nullptr || !::IsWindowVisible(Main()));
    EXPECT_EQ(PresetSupport::ReadPresetFile(other.File("office.kpf"))->Item(1)->PresetName(),
              "Later");
}

TEST_F(PresetWindowTest, TheEditorsIPv4PanelEditsThePresetsAddressesSavedOnlyBySave) {
    using ui::IPList;
    using ui::win32::IPDialogWindow;
    using ui::win32::IPPanelWindow;
    OpenOnPresetsTab();
    // The address list of the editor's IPv4 panel.
    const auto addressList = [](HWND editor) {
        struct Search {
            HWND panel;
        } search{nullptr};
        ::EnumChildWindows(
            editor,
            [](HWND child, LPARAM data) -> BOOL {
                wchar_t name[32] = {};
                ::GetClassNameW(child, name, 32);
                if (::lstrcmpW(name, L"Vexav6.IPv4Panel") == 0) {
                    reinterpret_cast<Search*>(data)->panel = child;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.panel == nullptr
                   ? nullptr
                   : ::GetDlgItem(search.panel,
                                  IPPanelWindow::kFirstListId + static_cast<int>(IPList::Address));
    };
    const auto addresses = [](HWND list) {
        std::vector<std::string> rows;
        for (int row = 0; row < listview::Count(list); ++row) {
            rows.push_back(listview::GetItemText(list, row, 0) + "/" +
                           listview::GetItemText(list, row, 1));
        }
        return rows;
    };
    // A digit typed into the list opens "Add IPv4 Address" with it; the rest and the prefix
    // length are typed into the dialog, which is closed with OK.
    const auto addAddress = [&](HWND list, const std::string& address, const std::string& prefix) {
        bool opened = false;
        OnNextModal([&](HWND dialog) {
            opened = true;
            EXPECT_EQ(TextOf(dialog), "Add IPv4 Address");
            for (const char c : address.substr(1)) {
                ::SendMessageW(::GetFocus(), WM_CHAR, static_cast<WPARAM>(c), 1);
            }
            const HWND prefixBox =
                ::GetDlgItem(dialog, IPDialogWindow::kFirstInputId +
                                         static_cast<int>(ui::DialogControl::Prefix));
            ::SetFocus(prefixBox);
            ::SendMessageW(prefixBox, EM_SETSEL, 0, -1);
            for (const char c : prefix) {
                ::SendMessageW(prefixBox, WM_CHAR, static_cast<WPARAM>(c), 1);
            }
            ::SendMessageW(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        });
        ::SetFocus(list);
        ::SendMessageW(list, WM_CHAR, static_cast<WPARAM>(address[0]), 1);
        EXPECT_TRUE(opened);
    };

    // New preset: while the address list is not part of the preset the panel's list is shut;
    // ticked, it takes an address through the add dialog, and Save keeps it.
    OnNextDialog([&](HWND editor) {
        Type(Find(editor, IdOf(PresetControl::Name)), "Lab");
        CtrlTab(editor);
        ASSERT_EQ(TabOf(editor), 1);
        const HWND list = addressList(editor);
        ASSERT_NE(list, nullptr);
        // The list and every window up to the editor are shown (the editor's own visibility is
        // not settled yet while this handler runs).
        for (HWND w = list; w != editor; w = ::GetParent(w)) {
            wchar_t name[64] = {};
            ::GetClassNameW(w, name, 64);
            EXPECT_TRUE(::GetWindowLongPtrW(w, GWL_STYLE) & WS_VISIBLE)
                << vexav6::win32::Narrow(name);
        }
        EXPECT_FALSE(::IsWindowEnabled(list));
        Click(Find(editor, IdOf(PresetControl::IncludeIPv4)));
        Click(Find(editor, IdOf(PresetControl::IPv4Address)));
        EXPECT_TRUE(::IsWindowEnabled(list));
        addAddress(list, "10.20.30.40", "16");
        EXPECT_THAT(addresses(list), ElementsAre("10.20.30.40/255.255.0.0"));
        Screenshot(editor, "preset-editor-ipv4-panel");
        Click(Find(editor, IDOK));
    });
    Click(Panel().Button(PresetPanelWindow::kNewId));
    Pump();
    ASSERT_EQ(PresetRow("Lab"), 0);
    EXPECT_THAT(DetailRows(), ElementsAre("IPv4 Address: 10.20.30.40 (255.255.0.0)"));
    const auto labAddresses = [&] {
        std::vector<std::string> rows;
        const PresetCollection presets = Presenter().Presets().ExportPresets();
        const auto& list = presets.Item(1)->IPv4Addresses();
        if (list) {
            for (int i = 1; i <= list->Count(); ++i) {
                rows.push_back(list->Item(i)->IPAddress() + "/" + list->Item(i)->SubnetMask());
            }
        }
        return rows;
    };
    EXPECT_THAT(labAddresses(), ElementsAre("10.20.30.40/255.255.0.0"));

    // Edit: the panel shows the saved address; one added and then cancelled is dropped.
    ClickPreset("Lab");
    OnNextDialog([&](HWND editor) {
        CtrlTab(editor);
        const HWND list = addressList(editor);
        ASSERT_NE(list, nullptr);
        EXPECT_THAT(addresses(list), ElementsAre("10.20.30.40/255.255.0.0"));
        addAddress(list, "192.168.9.9", "24");
        EXPECT_EQ(listview::Count(list), 2);
        Click(Find(editor, IDCANCEL));
    });
    Click(Panel().Button(PresetPanelWindow::kEditId));
    Pump();
    EXPECT_THAT(labAddresses(), ElementsAre("10.20.30.40/255.255.0.0"));
}

}  // namespace
}  // namespace vexav6::testing
