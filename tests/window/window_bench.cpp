#include "window/window_bench.h"

#include <commctrl.h>

#include <filesystem>
#include <vector>

#include "platform/win32/wide_text.h"
#include "support/installed_program.h"
#include "ui/win32/controls.h"
#include "ui/win32/window.h"
#include "ui/win32/window_mode.h"
#include "window/png_file.h"

namespace vexav6::testing {

namespace listview = ui::win32::listview;

WindowBench::WindowBench() : platform(machine.GetPlatform()) {
    ui::win32::InitCommonControls();
    machine.system.programFolder = folder.Str();
    machine.system.programFile = folder.File("vexav6.exe");
    WritePresetFileAssociation(machine);
}

WindowBench::~WindowBench() {
    ui::win32::Window::ModalShownHook() = nullptr;
    window_.reset();
    Pump();
}

void WindowBench::LoadMachine(const std::string& name) {
    machine.Load(std::string(VEXAV6_FIXTURES_DIR) + "/machines/" + name);
    machine.system.programFolder = folder.Str();
    machine.system.programFile = folder.File("vexav6.exe");
    WritePresetFileAssociation(machine);
}

void WindowBench::CopyVendorDatabase() {
    std::filesystem::copy_file(VEXAV6_OUI_DB, folder.Path() / "oui.db",
                               std::filesystem::copy_options::overwrite_existing);
}

bool WindowBench::Open() {
    window_ = std::make_unique<ui::win32::frmMainWindow>(platform);
    window_->Create();
    const bool loaded = window_->Load();
    Pump();
    return loaded;
}

void WindowBench::Pump() {
    MSG message{};
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            continue;
        }
        if (window_ && window_->Handle() != nullptr && window_->PreTranslateMessage(message)) {
            continue;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

void WindowBench::Wait(int milliseconds) {
    for (int passed = 0; passed < milliseconds; passed += 1000) {
        machine.timers.AdvanceTime(static_cast<uint64_t>(std::min(1000, milliseconds - passed)));
        Pump();
    }
}

void WindowBench::Command(ui::MainMenu item) {
    ::SendMessageW(Main(), WM_COMMAND, MAKEWPARAM(static_cast<WORD>(item), 0), 0);
    Pump();
}

void WindowBench::Key(UINT virtualKey, bool ctrl, bool shift) {
    // The modifiers are part of the thread's keyboard state, which the menu keys read.
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    BYTE pressed[256];
    std::copy(std::begin(keys), std::end(keys), std::begin(pressed));
    pressed[VK_CONTROL] = ctrl ? 0x80 : 0;
    pressed[VK_SHIFT] = shift ? 0x80 : 0;
    ::SetKeyboardState(pressed);
    HWND target = ::GetFocus();
    if (target == nullptr) {
        target = Main();
    }
    const UINT scan = ::MapVirtualKeyW(virtualKey, 0);
    ::PostMessageW(target, WM_KEYDOWN, virtualKey, static_cast<LPARAM>(1 | (scan << 16)));
    ::PostMessageW(target, WM_KEYUP, virtualKey,
                   static_cast<LPARAM>(1 | (scan << 16) | (1u << 30) | (1u << 31)));
    Pump();
    ::SetKeyboardState(keys);
}

void WindowBench::ClickRow(int row) {
    const HWND list = window_->AdapterList();
    ::SetFocus(list);
    // A click in the row's second column: on the row, away from its check box.
    RECT item{LVIR_BOUNDS, 0, 0, 0};
    ::SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row),
                   reinterpret_cast<LPARAM>(&item));
    const int firstColumn = static_cast<int>(::SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0));
    const LPARAM at = MAKELPARAM(item.left + firstColumn + 10, (item.top + item.bottom) / 2);
    ::PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageW(list, WM_LBUTTONUP, 0, at);
    Pump();
}

void WindowBench::ToggleCheck(int row) {
    ClickRow(row);
    Key(VK_SPACE);
}

int WindowBench::RowCount() const {
    return listview::Count(window_->AdapterList());
}

int WindowBench::RowOf(const std::string& connectionName) const {
    for (int row = 0; row < RowCount(); ++row) {
        if (Cell(row, 0) == connectionName) {
            return row;
        }
    }
    return -1;
}

std::string WindowBench::Cell(int row, int column) const {
    return listview::GetItemText(window_->AdapterList(), row, column);
}

bool WindowBench::Checked(int row) const {
    return listview::IsChecked(window_->AdapterList(), row);
}

int WindowBench::SelectedRow() const {
    return listview::Selected(window_->AdapterList());
}

std::string WindowBench::Caption() const {
    return TextOf(Main());
}

std::string WindowBench::TextOf(HWND window) const {
    return ui::win32::GetText(window);
}

bool WindowBench::MenuEnabled(ui::MainMenu item) const {
    const auto location = window_->Locate(item);
    const UINT state = ::GetMenuState(location.menu, location.position, MF_BYPOSITION);
    return state != static_cast<UINT>(-1) && (state & (MF_GRAYED | MF_DISABLED)) == 0;
}

bool WindowBench::MenuChecked(ui::MainMenu item) const {
    const auto location = window_->Locate(item);
    const UINT state = ::GetMenuState(location.menu, location.position, MF_BYPOSITION);
    return state != static_cast<UINT>(-1) && (state & MF_CHECKED) != 0;
}

int WindowBench::CurrentTab() const {
    return static_cast<int>(::SendMessageW(window_->Tabs(), TCM_GETCURSEL, 0, 0));
}

bool WindowBench::PageVisible(int tab) const {
    return ::IsWindowVisible(window_->Page(tab)) != FALSE;
}

std::string WindowBench::DetailsField(ui::DetailsField field) const {
    return TextOf(
        ::GetDlgItem(window_->DetailsPanel().Handle(),
                     ui::win32::NetworkAdapterInfoWindow::kFirstFieldId + static_cast<int>(field)));
}

void WindowBench::OnNextModal(std::function<void(HWND)> handle) {
    ui::win32::Window::ModalShownHook() = [this, handle](HWND modal) {
        ui::win32::Window::ModalShownHook() = nullptr;
        handle(modal);
    };
}

void WindowBench::Screenshot(HWND window, const std::string& name, bool raise) {
    if (raise) {
        ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        ::SetForegroundWindow(window);
    }
    ::RedrawWindow(window, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    // The X server draws what Wine sends it a moment later.
    for (int i = 0; i < 5; ++i) {
        ::GdiFlush();
        ::Sleep(40);
        MSG message{};
        while (::PeekMessageW(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) {
            ::DispatchMessageW(&message);
        }
    }
    RECT frame{};
    ::GetWindowRect(window, &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    ASSERT_GT(width, 0);
    ASSERT_GT(height, 0);

    const HDC screen = ::GetDC(nullptr);
    const HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ previous = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY);
    ::GdiFlush();

    std::vector<uint8_t> rgb(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    const auto* pixels = static_cast<const uint8_t*>(bits);
    for (size_t i = 0; i < static_cast<size_t>(width) * static_cast<size_t>(height); ++i) {
        rgb[i * 3] = pixels[i * 4 + 2];
        rgb[i * 3 + 1] = pixels[i * 4 + 1];
        rgb[i * 3 + 2] = pixels[i * 4];
    }
    ::SelectObject(memory, previous);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);

    const std::string path = std::string(VEXAV6_SCREENSHOT_DIR) + "/" + name + ".png";
    EXPECT_TRUE(WritePng(path, width, height, rgb)) << path;
}

}  // namespace vexav6::testing
