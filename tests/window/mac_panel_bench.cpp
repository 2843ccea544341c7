#include "window/mac_panel_bench.h"

#include <cstdio>
#include <filesystem>
#include <vector>

#include "ui/win32/window_support.h"

namespace vexav6::testing {
namespace {

constexpr const wchar_t* kHostClass = L"Vexav6.TestHost";

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CTLCOLORSTATIC) {
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

void Photograph(HWND window, const std::string& name) {
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Pump();
    RECT area{};
    ::GetWindowRect(window, &area);
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    ::SelectObject(memory, old);
    const DWORD stride = ((static_cast<DWORD>(width) * 3 + 3) & ~3u);
    const DWORD size = stride * static_cast<DWORD>(height);
    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    header.bfSize = header.bfOffBits + size;
    std::filesystem::create_directories(VEXAV6_SCREENSHOTS_DIR);
    const std::string path = std::string(VEXAV6_SCREENSHOTS_DIR) + "/" + name + ".bmp";
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(&header, sizeof(header), 1, file);
        std::fwrite(&info.bmiHeader, sizeof(info.bmiHeader), 1, file);
        std::fwrite(bits, size, 1, file);
        std::fclose(file);
    }
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
}

WindowBench::WindowBench() {
    machine.Load(std::string(VEXAV6_FIXTURES_DIR) + "/machines/demo.json");
    DeviceManager::GetNetworkAdapters(platform, adapters, [this](const Error& error) {
        Application::ReportError(platform, error);
    });
    EXPECT_TRUE(ui::win32::RegisterClassOnce(kHostClass, &HostProc));
    host = ::CreateWindowExW(WS_EX_CONTROLPARENT, kHostClass, L"Korvaldine MAC Address Changer v6",
                             WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 560, 400, nullptr, nullptr,
                             ::GetModuleHandleW(nullptr), nullptr);
    font = ui::win32::MessageFont();
    Pump();
}

WindowBench::~WindowBench() {
    ::DestroyWindow(host);
    Pump();
}

}  // namespace vexav6::testing
