// The open and save file dialogs of Win32Ui.
#include "platform/win32/win32_ui.h"

#include <commdlg.h>

#include <string>
#include <vector>

#include "platform/win32/wide_text.h"
#include "platform/win32/windows_include.h"

namespace vexav6::win32 {

namespace {

// Long paths fit: the dialog answers FNERR_BUFFERTOOSMALL rather than cut a path, so the buffer
// is as large as a path can be.
constexpr size_t kPathBufferChars = 32768;

// "Text File (*.txt)|*.txt" -> "Text File (*.txt)\0*.txt\0\0", the form the dialog reads.
std::wstring FilterForDialog(const std::string& filter) {
    std::wstring result = Widen(filter);
    for (wchar_t& c : result) {
        if (c == L'|') {
            c = L'\0';
        }
    }
    result.push_back(L'\0');
    result.push_back(L'\0');
    return result;
}

platform::FileDialogAnswer RunFileDialog(const platform::FileDialogRequest& request, bool save) {
    const std::wstring filter = FilterForDialog(request.filter);
    const std::wstring title = Widen(request.title);
    const std::wstring folder = Widen(request.initialFolder);
    const std::wstring extension = Widen(request.defaultExtension);
    std::vector<wchar_t> path(kPathBufferChars, L'\0');

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = ::GetActiveWindow();
    dialog.lpstrFilter = request.filter.empty() ? nullptr : filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
    dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    dialog.Flags = request.flags;

    const BOOL chosen = save ? ::GetSaveFileNameW(&dialog) : ::GetOpenFileNameW(&dialog);
    platform::FileDialogAnswer answer;
    if (chosen) {
        answer.chosen = true;
        answer.filePath = Narrow(std::wstring_view(path.data()));
    } else {
        answer.extendedError = ::CommDlgExtendedError();
    }
    return answer;
}

}  // namespace

platform::FileDialogAnswer Win32Ui::ShowOpenDialog(const platform::FileDialogRequest& request) {
    return RunFileDialog(request, false);
}

platform::FileDialogAnswer Win32Ui::ShowSaveDialog(const platform::FileDialogRequest& request) {
    return RunFileDialog(request, true);
}

}  // namespace vexav6::win32
