#include "ui/win32/list_view_property_list.h"

#include <commctrl.h>

#include "ui/win32/controls.h"
#include "ui/win32/dpi.h"

namespace vexav6::ui::win32 {

void ListViewPropertyList::Clear() {
    ::SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
    while (::SendMessageW(list_, LVM_DELETECOLUMN, 0, 0) != FALSE) {
    }
}

void ListViewPropertyList::AddColumn(const std::string& header, int32_t widthTwips) {
    const HWND headerControl = reinterpret_cast<HWND>(::SendMessageW(list_, LVM_GETHEADER, 0, 0));
    const int count = static_cast<int>(::SendMessageW(headerControl, HDM_GETITEMCOUNT, 0, 0));
    // 1440 twips to the inch.
    listview::AddColumn(list_, count, header,
                        ::MulDiv(widthTwips, static_cast<int>(DpiOf(list_)), 1440));
}

void ListViewPropertyList::AddRow(const std::string& property, const std::string& value) {
    const int row = listview::InsertItem(list_, listview::Count(list_), property);
    listview::SetItemText(list_, row, 1, value);
}

}  // namespace vexav6::ui::win32
