#pragma once

#include <functional>
#include <string>

#include "base/error.h"
#include "platform/platform.h"
#include "platform/win32/windows_include.h"

namespace vexav6::ui::win32 {

// The base of every window of the program that is not a dialog: it registers its window class,
// finds its object again in the window procedure (the object is captured at WM_NCCREATE), and
// keeps exceptions out of the system: the procedure is noexcept and reports whatever a handler
// throws with the program's error report.
//
// The object must outlive its window; its destructor destroys a window that is still there.
class Window {
  public:
    explicit Window(const Platform& platform) : platform_(platform) {}
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND Handle() const { return window_; }

    // Shows the window modally over `owner` (disabled meanwhile) and returns when it is gone. A
    // quit request on the way is passed on to the main loop.
    void RunModal(HWND owner);

    // Test hook: called once with every modal window and dialog as soon as it shows, from inside
    // its modal loop, so a test can read it, photograph it and close it.
    static std::function<void(HWND)>& ModalShownHook();

  protected:
    // Registers a class of this name once per process: program icon, arrow cursor, the dialog
    // background colour.
    static void RegisterClass(const wchar_t* className, UINT style = CS_HREDRAW | CS_VREDRAW);
    // Creates the window of this object (throws the system's error when it cannot).
    HWND CreateHandle(const wchar_t* className, const std::string& title, DWORD style,
                      DWORD exStyle, int x, int y, int width, int height, HWND parent,
                      HMENU menu = nullptr);

    // A message for this window; the default is DefWindowProc.
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

    const Platform& GetPlatform() const { return platform_; }
    // Shows an error with the program's error report.
    void Report(const Error& error) const;

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam,
                                       LPARAM lParam) noexcept;

    Platform platform_;
    HWND window_ = nullptr;
};

// Runs the hook of a modal window that just showed (posted, so it runs inside the modal loop).
void PostModalShown(HWND window);
// Runs the hook for a modal window that shows.
void RunModalShownHook(HWND window);
// The message that carries it.
inline constexpr UINT kModalShownMessage = WM_APP + 0x3F0;

}  // namespace vexav6::ui::win32
