#include "ui/preset_panel.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "adapters/adapter_paths.h"
#include "platform/sim/machine.h"
#include "presets/preset_support.h"
#include "presets/preset_test_support.h"
#include "support/temp_dir.h"
#include "ui/fake_main_view.h"
#include "ui/frm_main.h"
#include "ui/preset_fakes.h"

namespace vexav6::ui {
namespace {

// A disk that is full for one file: its sixth byte fails, then every write succeeds again.
class FullOnce final : public Path::Disk {
  public:
    int64_t Write(int fd, const uint8_t* data, size_t size, int& error) override {
        if (!failed_ && written_ + size > 5) {
            failed_ = true;
            error = ENOSPC;
            return -1;
        }
        written_ += size;
        return Path::SystemDisk().Write(fd, data, size, error);
    }

  private:
    size_t written_ = 0;
    bool failed_ = false;
};

using platform::MessageBoxResult;
using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using C = PresetControl;

constexpr const char* kEthernetGuid = "{3F2A6C1E-8B4D-4E21-9A7C-5D1E2F3A4B01}";

// The main window over the demo machine, its preset panel in a recording window, and the editor
// and picker answered by their real presenters, driven by the test's script.
class PresetPanelTest : public ::testing::Test {
  protected:
    using EditorScript = std::function<void(frmCreatePreset&, FakeEditorView&)>;

    void SetUp() override {
        machine.Load(std::string(VEXAV6_FIXTURES_DIR) + "/machines/demo.json");
        machine.system.programFolder = folder.Str();
        machine.system.programFile = folder.File("vexav6.exe");
        Panel().AttachView(&panelView);
        Panel().showEditor = [this](const std::string& caption, const Preset* toEdit) {
            FakeEditorView editorView;
            frmCreatePreset editor(platform, editorView);
            editor.SetCaption(caption);
            if (toEdit != nullptr) {
                editor.EditRefresh(*toEdit);
            }
            editorCaptions.push_back(editorView.caption);
            editorScript(editor, editorView);
            EXPECT_TRUE(editorView.closed);
            return editor.DialogResult() == frmCreatePreset::kSaved ? editor.GetPreset() : nullptr;
        };
        main.showPresetPicker = [this](const std::string& caption,
                                       const PresetCollection& presets) {
            FakePickerView pickerView;
            frmImportExportPresets picker(pickerView);
            picker.SetCaption(caption);
            picker.SetPresets(presets);
            pickerNames = pickerView.names;
            pickerScript(picker);
            return picker.DialogResult() == frmImportExportPresets::kOK
                       ? std::optional(picker.SelectedPresets())
                       : std::nullopt;
        };
        machine.ui.ScriptAnswer(MessageBoxResult::No);  // no vendor list download
        ASSERT_TRUE(main.Load());
        machine.ui.ClearBoxes();
    }

    PresetPanel& Panel() { return main.Presets(); }

    // "New" with a name typed and whatever else `fill` does, then Save.
    void NewPreset(const std::string& name, const EditorScript& fill = {}) {
        editorScript = [&](frmCreatePreset& editor, FakeEditorView& view) {
            view.texts[C::Name] = name;
            if (fill) {
                fill(editor, view);
            }
            editor.Save();
        };
        Panel().New();
    }

    void Select(std::vector<int> rows) {
        panelView.selection = std::move(rows);
        Panel().OnSelectionChanged();
    }
    void Select(const std::string& name) {
        ASSERT_GE(panelView.Row(name), 0) << name;
        Select(std::vector<int>{panelView.Row(name)});
    }

    std::vector<std::string> Titles() const {
        std::vector<std::string> titles;
        for (const auto& box : machine.ui.Boxes()) {
            titles.push_back(box.title);
        }
        return titles;
    }

    std::vector<std::string> NamesIn(const std::string& file) const {
        std::vector<std::string> names;
        if (const auto presets = PresetSupport::ReadPresetFile(file)) {
            for (const auto& preset : *presets) {
                names.push_back(preset->PresetName());
            }
        }
        return names;
    }

    void SelectAdapter(const std::string& connection) {
        const int row = view.Row(connection);
        ASSERT_GE(row, 0);
        main.OnRowSelected(row);
    }

    sim::Machine machine;
    Platform platform = machine.GetPlatform();
    testing::TempDir folder;
    FakeMainView view;
    frmMain main{platform, view};
    FakePresetPanelView panelView;
    EditorScript editorScript;
    std::function<void(frmImportExportPresets&)> pickerScript;
    std::vector<std::string> editorCaptions;
    std::vector<std::string> pickerNames;
};

TEST_F(PresetPanelTest, NewEditRenameAndDeleteKeepNamesUniqueAndReachTheFile) {
    NewPreset("Office");
    NewPreset("Office (1)");
    // The same name apart from letter case, with " (1)" also taken: the next free number.
    NewPreset("  office ");
    EXPECT_THAT(panelView.names, ElementsAre("Office", "Office (1)", "office (2)"));
    EXPECT_EQ(panelView.selection, std::vector<int>{2});
    EXPECT_TRUE(panelView.deleteApplyEnabled);
    EXPECT_EQ(editorCaptions.back(), "Create New Preset");

    // Edited without a new name, a preset keeps it (the old entry goes first).
    Select("Office");
    editorScript = [](frmCreatePreset& editor, FakeEditorView& v) {
        EXPECT_EQ(v.Text(C::Name), "Office");
        editor.OnCheckChanged(C::IncludeIPv4, true);
        editor.Save();
    };
    Panel().Edit();
    EXPECT_EQ(editorCaptions.back(), "Edit Preset");
    EXPECT_THAT(panelView.names, ElementsAre("Office (1)", "office (2)", "Office"));
    EXPECT_TRUE(Panel().Presets().Item("Office")->IPv4Selected());

    // Renamed in place to a taken name: unique among the others, and the preset keeps its place.
    EXPECT_TRUE(Panel().Rename(panelView.Row("office (2)"), " OFFICE "));
    EXPECT_THAT(panelView.names, ElementsAre("Office (1)", "OFFICE (2)", "Office"));
    EXPECT_FALSE(Panel().Rename(0, "   "));
    EXPECT_EQ(panelView.names[0], "Office (1)");

    // Cancel leaves the preset as it was, though the editor changed its copy at once.
    Select("Office");
    editorScript = [](frmCreatePreset& editor, FakeEditorView&) {
        editor.OnCheckChanged(C::IncludeIPv4, false);
        editor.OnCheckChanged(C::IncludeIPv6, true);
        editor.Cancel();
    };
    Panel().Edit();
    EXPECT_TRUE(Panel().Presets().Item("Office")->IPv4Selected());
    EXPECT_FALSE(Panel().Presets().Item("Office")->IPv6Selected());

    // Delete asks; No keeps, Yes removes every selected preset.
    Select(std::vector<int>{0, 2});
    machine.ui.ScriptAnswer(MessageBoxResult::No);
    Panel().Delete();
    EXPECT_EQ(panelView.names.size(), 3u);
    machine.ui.ScriptAnswer(MessageBoxResult::Yes);
    Panel().Delete();
    EXPECT_THAT(Titles(), ElementsAre("Delete Selected Presets", "Delete Selected Presets"));
    EXPECT_THAT(panelView.names, ElementsAre("OFFICE (2)"));
    EXPECT_FALSE(panelView.deleteApplyEnabled);  // nothing is selected after a delete

    // Saved once; with nothing changed since, Save writes nothing.
    const std::string file = folder.File("Default.kpf");
    main.OnMenuCommand(MainMenu::FileSavePreset);
    EXPECT_THAT(NamesIn(file), ElementsAre("OFFICE (2)"));
    std::filesystem::remove(file);
    main.OnMenuCommand(MainMenu::FileSavePreset);
    EXPECT_FALSE(std::filesystem::exists(file));

    // Deleting the last preset disables the buttons and leaves the details as they were.
    Select("OFFICE (2)");
    const std::vector<std::string> details = panelView.details.rows;
    machine.ui.ScriptAnswer(MessageBoxResult::Yes);
    Panel().Delete();
    EXPECT_TRUE(panelView.names.empty());
    EXPECT_FALSE(panelView.editEnabled);
    EXPECT_FALSE(panelView.deleteApplyEnabled);
    EXPECT_EQ(panelView.details.rows, details);

    // Quitting writes what changed.
    main.OnMenuCommand(MainMenu::FileExit);
    EXPECT_TRUE(view.closed);
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_TRUE(NamesIn(file).empty());
}

TEST_F(PresetPanelTest, StaticAndDHCPPresetsApplyAndTheMarkInForceFollows) {
    SelectAdapter("Ethernet");
    NewPreset("Static", [](frmCreatePreset& editor, FakeEditorView& v) {
        editor.OnCheckChanged(C::IncludeIPv4, true);
        editor.OnCheckChanged(C::IPv4Address, true);
        editor.OnCheckChanged(C::IPv4Gateway, true);
        // What the IPv4 panel adds to the lists it was given.
        IPv4AddressList addresses = *v.ipv4->IPv4Addresses();
        PresetLists::AddIPv4Address(addresses, "192.168.7.20", "255.255.255.0");
        v.ipv4->SetIPv4Addresses(addresses);
        IPv4GatewayList gateways = *v.ipv4->IPv4Gateways();
        PresetLists::AddIPv4Gateway(gateways, "192.168.7.1", 10);
        v.ipv4->SetIPv4Gateways(gateways);
    });
    NewPreset("DHCP", [](frmCreatePreset& editor, FakeEditorView&) {
        editor.OnCheckChanged(C::IncludeIPv4, true);
        editor.OnCheckChanged(C::DHCPv4, true);
    });
    EXPECT_THAT(panelView.details.rows, ElementsAre("IPv4: DHCPv4 Enabled"));
    EXPECT_EQ(Panel().Caption(), "Network Connection Presets (Default.kpf) [DHCP]");

    Select("Static");
    EXPECT_THAT(panelView.details.rows, ElementsAre("IPv4 Address: 192.168.7.20 (255.255.255.0)",
                                                    "IPv4 Default Gateway: 192.168.7.1 (10)"));
    Panel().Apply();
    EXPECT_THAT(view.statusTexts, ::testing::Contains("Applying Preset..."));
    ASSERT_EQ(machine.ui.Boxes().size(), 1u);
    EXPECT_EQ(machine.ui.Boxes()[0].title, "Preset Applied");
    EXPECT_EQ(machine.ui.Boxes()[0].text, "Preset 'Static' was applied successfully.");
    EXPECT_FALSE(main.CurrentAdapter()->DHCPv4Enabled());
    EXPECT_EQ(Panel().Caption(), "Network Connection Presets (Default.kpf) [Static]");

    Select("DHCP");
    Panel().Apply();
    EXPECT_TRUE(main.CurrentAdapter()->DHCPv4Enabled());
    EXPECT_EQ(Panel().Caption(), "Network Connection Presets (Default.kpf) [DHCP]");

    // A failure part-way says where the preset stopped, and the connection is enabled again.
    machine.ui.ClearBoxes();
    machine.registry.InjectFailure(sim::SimRegistry::Op::Set, platform::RootKey::LocalMachine,
                                   std::string(AdapterPaths::kTcpipInterfacesRoot) + kEthernetGuid,
                                   "EnableDHCP", 5);
    Select("Static");
    Panel().Apply();
    ASSERT_EQ(machine.ui.Boxes().size(), 1u);
    EXPECT_THAT(machine.ui.Boxes()[0].text,
                HasSubstr("The preset stopped while setting the IPv4 configuration. The settings "
                          "before this step were applied. The network connection is enabled."));
    EXPECT_TRUE(main.CurrentAdapter()->State());
    EXPECT_FALSE(view.rows[view.Row("Ethernet")].linkStatus.empty());
    EXPECT_NE(view.rows[view.Row("Ethernet")].linkStatus, "Applying Preset...");
}

TEST_F(PresetPanelTest, BadFilesAreNamedNeverLoadedAndNeverOverwritten) {
    NewPreset("Home");
    main.OnMenuCommand(MainMenu::FileSavePreset);
    const std::string defaultFile = folder.File("Default.kpf");
    const std::string saved = testing::ReadFileBytes(defaultFile);

    // A file cut short in its first record: an error naming it, nothing of it loaded.
    PresetCollection two;
    for (const char* name : {"A", "B"}) {
        auto preset = std::make_shared<Preset>();
        preset->SetPresetName(name);
        two.Add(preset, name);
    }
    const std::string cut = folder.File("cut.kpf");
    PresetSupport::SavePresetFile(cut, two, true);
    const std::string whole = testing::ReadFileBytes(cut);
    testing::WriteFileBytes(cut, whole.substr(0, whole.size() - 9));
    NewPreset("Unsaved");
    machine.ui.ScriptFileChosen(cut);
    machine.ui.ScriptAnswer(MessageBoxResult::No);  // do not save the changes first
    main.OnMenuCommand(MainMenu::FileOpenPreset);
    ASSERT_EQ(machine.ui.Boxes().size(), 2u);
    EXPECT_EQ(machine.ui.Boxes()[0].title, "Save Preset Changes?");
    EXPECT_THAT(machine.ui.Boxes()[1].text, HasSubstr("\"" + cut + "\""));
    EXPECT_EQ(Panel().PresetFile(), defaultFile);
    EXPECT_THAT(panelView.names, ElementsAre("Home", "Unsaved"));
    EXPECT_EQ(testing::ReadFileBytes(cut), whole.substr(0, whole.size() - 9));

    // A failed save leaves the previous file whole and the presets still changed; quitting then
    // asks, and Cancel stays.
    FullOnce fullDisk;
    Panel().SetDisk(fullDisk);
    machine.ui.ClearBoxes();
    machine.ui.ScriptAnswer(MessageBoxResult::Cancel);
    EXPECT_FALSE(main.OnCloseRequested());
    EXPECT_EQ(testing::ReadFileBytes(defaultFile), saved);
    EXPECT_TRUE(Panel().Modified());
    ASSERT_EQ(machine.ui.Boxes().size(), 1u);
    EXPECT_EQ(machine.ui.Boxes()[0].title, "Presets Not Saved");
    EXPECT_THAT(machine.ui.Boxes()[0].text, HasSubstr(defaultFile));

    // Yes saves them elsewhere, and the window may go.
    fullDisk = FullOnce();
    machine.ui.ScriptAnswer(MessageBoxResult::Yes);
    machine.ui.ScriptFileChosen(folder.File("elsewhere.kpf"));
    EXPECT_TRUE(main.OnCloseRequested());
    EXPECT_THAT(NamesIn(folder.File("elsewhere.kpf")), ElementsAre("Home", "Unsaved"));
    EXPECT_EQ(testing::ReadFileBytes(defaultFile), saved);
}

TEST_F(PresetPanelTest, ImportTakesTheCheckedPresetsAndExportWritesThem) {
    // A legacy file with two records: a DHCP one and one with a static address.
    testing::ByteBuilder legacy;
    legacy.Long(0x01000002);
    legacy.Text("Cafe").Byte(0x01).Text("").TextArray({}).TextArray({}).TextArray({});
    legacy.TextArray({}).TextArray({}).Text("").Long(0);
    legacy.Text("Lab").Byte(0x08).Text("").TextArray({"10.1.2.3"}).TextArray({"255.0.0.0"});
    legacy.TextArray({}).TextArray({}).TextArray({}).Text("").Long(0);
    const auto& bytes = legacy.Get();
    const std::string cpf = folder.File("old.CPF");
    testing::WriteFileBytes(cpf, std::string(bytes.begin(), bytes.end()));

    NewPreset("Lab");
    pickerScript = [](frmImportExportPresets& picker) {
        picker.SelectAll();
        picker.OnItemChecked(0, false);
        picker.OK();
    };
    machine.ui.ScriptFileChosen(cpf);
    main.OnMenuCommand(MainMenu::FileImportPreset);
    EXPECT_THAT(pickerNames, ElementsAre("Cafe", "Lab"));
    EXPECT_THAT(panelView.names, ElementsAre("Lab", "Lab (1)"));
    EXPECT_EQ(Panel().Presets().Item("Lab (1)")->IPv4Addresses()->Count(), 1);
    EXPECT_TRUE(Panel().Modified());
    const auto& dialog = machine.ui.FileDialogs().back();
    EXPECT_EQ(dialog.request.title, "Import Presets From File");
    EXPECT_EQ(dialog.request.filter, kImportFileFilter);

    // Any other extension is refused by name.
    machine.ui.ClearBoxes();
    machine.ui.ScriptFileChosen(folder.File("presets.txt"));
    main.OnMenuCommand(MainMenu::FileImportPreset);
    ASSERT_EQ(machine.ui.Boxes().size(), 1u);
    EXPECT_THAT(machine.ui.Boxes()[0].text, HasSubstr("Source: ImportPresets"));
    EXPECT_THAT(machine.ui.Boxes()[0].text, EndsWith("(1) File format not supported."));

    // Export: the checked presets, in list order, to the chosen file.
    pickerScript = [](frmImportExportPresets& picker) {
        picker.OnItemChecked(1, true);
        picker.OK();
    };
    machine.ui.ScriptFileChosen(folder.File("out.kpf"));
    main.OnMenuCommand(MainMenu::FileExportPreset);
    EXPECT_EQ(machine.ui.FileDialogs().back().request.title, "Export Selected Presets As");
    const auto exported = PresetSupport::ReadPresetFile(folder.File("out.kpf"));
    ASSERT_TRUE(exported);
    ASSERT_EQ(exported->Count(), 1);
    EXPECT_EQ(exported->Item(1)->PresetName(), "Lab (1)");
    EXPECT_EQ(exported->Item(1)->IPv4Addresses()->Item(1)->IPAddress(), "10.1.2.3");
}

}  // namespace
}  // namespace vexav6::ui
