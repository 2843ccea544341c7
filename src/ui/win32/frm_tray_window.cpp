#include "ui/win32/frm_tray_window.h"

#include <shellapi.h>

#include "base/app_info.h"
#include "platform/win32/wide_text.h"

#undef ShellExecute

namespace vexav6::ui::win32 {
namespace {

constexpr const wchar_t* kClass = L"Vexav6.frmTray";
constexpr UINT kIconId = 1;

std::optional<TrayCommand> CommandOf(int id) {
    switch (id) {
        case frmTrayWindow::kShowHide:
            return TrayCommand::ShowHide;
        case frmTrayWindow::kCheckForUpdates:
            return TrayCommand::CheckForUpdates;
        case frmTrayWindow::kHelpTopics:
            return TrayCommand::HelpTopics;
        case frmTrayWindow::kWebsite:
            return TrayCommand::Website;
        case frmTrayWindow::kBlog:
            return TrayCommand::Blog;
        case frmTrayWindow::kAbout:
            return TrayCommand::About;
        case frmTrayWindow::kExit:
            return TrayCommand::Exit;
        default:
            return std::nullopt;
    }
}

}  // namespace

HICON MakeTrayFrame(int frame, int size) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = ::GetDC(nullptr);
    HBITMAP colour = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = ::CreateCompatibleDC(screen);
    ::ReleaseDC(nullptr, screen);
    const HGDIOBJ old = ::SelectObject(dc, colour);
    // The card: a green board with a grey port; the light brightens from frame 0 to 3.
    RECT all{0, 0, size, size};
    HBRUSH clear = ::CreateSolidBrush(RGB(0, 0, 0));
    ::FillRect(dc, &all, clear);
    ::DeleteObject(clear);
    const int unit = size / 16 > 0 ? size / 16 : 1;
    RECT board{unit, 4 * unit, size - unit, 13 * unit};
    HBRUSH green = ::CreateSolidBrush(RGB(20, 110, 60));
    ::FillRect(dc, &board, green);
    ::DeleteObject(green);
    RECT port{3 * unit, 6 * unit, 9 * unit, 11 * unit};
    HBRUSH grey = ::CreateSolidBrush(RGB(200, 200, 200));
    ::FillRect(dc, &port, grey);
    ::DeleteObject(grey);
    const int level = 60 + frame * 65;
    RECT light{11 * unit, 6 * unit, 14 * unit, 9 * unit};
    HBRUSH lamp = ::CreateSolidBrush(RGB(level, level, 0));
    ::FillRect(dc, &light, lamp);
    ::DeleteObject(lamp);
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    // Opaque where drawn: alpha 255 on every non-black pixel.
    auto* pixel = static_cast<uint32_t*>(bits);
    for (int i = 0; i < size * size; ++i) {
        if ((pixel[i] & 0x00FFFFFF) != 0) {
            pixel[i] |= 0xFF000000;
        }
    }
    HBITMAP mask = ::CreateBitmap(size, size, 1, 1, nullptr);
    ICONINFO icon{};
    icon.fIcon = TRUE;
    icon.hbmColor = colour;
    icon.hbmMask = mask;
    HICON result = ::CreateIconIndirect(&icon);
    ::DeleteObject(colour);
    ::DeleteObject(mask);
    return result;
}

frmTrayWindow::frmTrayWindow(const Platform& platform, TrayOwner& owner)
    : Window(platform), owner_(owner) {}

frmTrayWindow::~frmTrayWindow() {
    if (tray_) {
        tray_->RemoveTray();
    }
    for (const HICON icon : frames_) {
        if (icon != nullptr) {
            ::DestroyIcon(icon);
        }
    }
}

void frmTrayWindow::Create() {
    RegisterClass(kClass);
    CreateHandle(kClass, app::kTitle, WS_POPUP, WS_EX_TOOLWINDOW, 0, 0, 0, 0, nullptr);
    taskbarCreated_ = ::RegisterWindowMessageW(L"TaskbarCreated");
    const int size = ::GetSystemMetrics(SM_CXSMICON);
    for (size_t i = 0; i < frames_.size(); ++i) {
        frames_[i] = MakeTrayFrame(static_cast<int>(i), size);
    }
    menu_.Reset(::CreatePopupMenu());
    const auto add = [this](int id, const char* text) {
        ::AppendMenuW(menu_.Get(), MF_STRING, static_cast<UINT_PTR>(id),
                      vexav6::win32::Widen(text).c_str());
    };
    add(kShowHide, TrayTexts::kShowHide);
    ::AppendMenuW(menu_.Get(), MF_SEPARATOR, 0, nullptr);
    add(kCheckForUpdates, TrayTexts::kCheckForUpdates);
    add(kHelpTopics, TrayTexts::kHelpTopics);
    add(kWebsite, TrayTexts::kWebsite);
    add(kBlog, TrayTexts::kBlog);
    add(kAbout, TrayTexts::kAbout);
    ::AppendMenuW(menu_.Get(), MF_SEPARATOR, 0, nullptr);
    add(kExit, TrayTexts::kExit);
    ::SetMenuDefaultItem(menu_.Get(), kShowHide, FALSE);
    tray_ = std::make_unique<frmTray>(GetPlatform(), *this, owner_);
}

bool frmTrayWindow::Notify(DWORD action, UINT flags) {
    // The first form of the record (88 bytes in 32-bit Windows): a tip of 64 characters, and
    // every version of the shell takes it.
    NOTIFYICONDATAW data{};
    data.cbSize = NOTIFYICONDATAW_V1_SIZE;
    data.hWnd = Handle();
    data.uID = kIconId;
    data.uFlags = flags;
    data.uCallbackMessage = kTrayCallbackMessage;
    data.hIcon = frames_[static_cast<size_t>(frame_)];
    lstrcpynW(data.szTip, tip_.c_str(), 64);
    return ::Shell_NotifyIconW(action, &data) != FALSE;
}

bool frmTrayWindow::AddTrayIcon(int frame, const std::string& tip) {
    frame_ = frame;
    tip_ = vexav6::win32::Widen(tip);
    iconAdded_ = Notify(NIM_ADD, NIF_MESSAGE | NIF_ICON | NIF_TIP);
    return iconAdded_;
}

void frmTrayWindow::SetTrayIcon(int frame) {
    frame_ = frame;
    Notify(NIM_MODIFY, NIF_ICON);
}

void frmTrayWindow::SetTrayTip(const std::string& tip) {
    tip_ = vexav6::win32::Widen(tip);
    Notify(NIM_MODIFY, NIF_TIP);
}

void frmTrayWindow::RemoveTrayIcon() {
    Notify(NIM_DELETE, 0);
    iconAdded_ = false;
}

void frmTrayWindow::SetShowHideCaption(const std::string& caption) {
    ::ModifyMenuW(menu_.Get(), kShowHide, MF_BYCOMMAND | MF_STRING, kShowHide,
                  vexav6::win32::Widen(caption).c_str());
}

std::optional<TrayCommand> frmTrayWindow::PopupMenu() {
    POINT at{};
    if (menuPosition) {
        at = *menuPosition;
    } else {
        ::GetCursorPos(&at);
    }
    // The menu closes when the user clicks elsewhere only while its window is in front. The
    // window itself stays hidden (shown, it would get a button on some taskbars).
    ::SetForegroundWindow(Handle());
    if (onMenuOpen) {
        onMenuOpen(menu_.Get());
    }
    const int chosen = static_cast<int>(
        ::TrackPopupMenu(menu_.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0,
                         Handle(), nullptr));
    ::PostMessageW(Handle(), WM_NULL, 0, 0);
    return CommandOf(chosen);
}

void frmTrayWindow::Close() {
    ::SendMessageW(Handle(), WM_CLOSE, 0, 0);
}

LRESULT frmTrayWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!tray_) {
        return Default(message, wParam, lParam);
    }
    if (message == kTrayCallbackMessage) {
        tray_->OnTrayCallback(static_cast<uint32_t>(LOWORD(lParam)));
        return 0;
    }
    if (message == taskbarCreated_ && taskbarCreated_ != 0) {
        // Explorer started again: its notification area is empty.
        if (tray_->Installed()) {
            Notify(NIM_ADD, NIF_MESSAGE | NIF_ICON | NIF_TIP);
        }
        return 0;
    }
    if (message == WM_CLOSE) {
        if (!tray_->QueryUnload()) {
            ::ShowWindow(Handle(), SW_HIDE);
        }
        return 0;
    }
    if (message == WM_QUERYENDSESSION) {
        return TRUE;
    }
    if (message == WM_ENDSESSION && wParam != FALSE) {
        tray_->QueryUnload();
        return 0;
    }
    return Default(message, wParam, lParam);
}

}  // namespace vexav6::ui::win32
