#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"
#include "platform/win32/windows_include.h"
#include "ui/win32/fonts.h"

namespace vexav6::ui::win32 {

// The base of the program's modal dialogs. The dialog manager runs them (Tab between controls,
// Enter for the default button, Escape for Cancel), from an empty template made in memory: the
// dialog makes its controls itself in OnInitDialog, laid out in DPI-scaled units, and sizes
// itself there. Its state lives in the object, from WM_INITDIALOG until the dialog ends.
//
// A dialog class takes its inputs (an arguments struct) in its constructor and offers its
// outcome (a result struct) once Run returned, for instance:
//
//     struct frmAddDNSv4Args { std::string title; };
//     struct frmAddDNSv4Result { std::string dns; };
//     std::optional<frmAddDNSv4Result> ShowAddDNSv4(HWND owner, const Platform&, const Args&);
//
// Handlers are noexcept at the procedure: an exception is reported with the program's error
// report and the dialog stays open.
class Dialog {
  public:
    explicit Dialog(const Platform& platform) : platform_(platform) {}
    virtual ~Dialog() = default;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Shows the dialog modally over `owner` and returns the value it ended with (IDOK, IDCANCEL
    // or another); -1 when it could not be shown.
    INT_PTR Run(HWND owner);

    HWND Handle() const { return dialog_; }

  protected:
    // Makes the controls and sizes the dialog (SizeClient). Answers whether the system should
    // set the focus (TRUE) or the dialog did it (FALSE).
    virtual BOOL OnInitDialog() = 0;
    // A WM_COMMAND. The default ends the dialog with IDOK or IDCANCEL for those two commands.
    virtual void OnCommand(int id, int code, HWND control);
    // Any other message; answer FALSE to leave it to the dialog manager.
    virtual INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Lays the controls out again for the client size (also after a DPI change).
    virtual void Layout() {}

    void End(INT_PTR result);
    // Sizes the dialog's client area to `width` x `height` units at its DPI and centres it over
    // its owner.
    void SizeClient(int width, int height);
    // Pixels for units at the dialog's DPI.
    int Px(int units) const;
    HWND Control(int id) const { return ::GetDlgItem(dialog_, id); }
    // Makes a control with the dialog font.
    HWND Add(const wchar_t* className, const std::string& text, DWORD style, int id,
             DWORD exStyle = 0);
    const UiFonts& Fonts() const { return *fonts_; }
    const Platform& GetPlatform() const { return platform_; }

  private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam,
                                       LPARAM lParam) noexcept;
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    Platform platform_;
    HWND dialog_ = nullptr;
    HWND owner_ = nullptr;
    std::unique_ptr<UiFonts> fonts_;
};

}  // namespace vexav6::ui::win32
