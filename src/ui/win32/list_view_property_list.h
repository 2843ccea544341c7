#pragma once

#include "platform/win32/windows_include.h"
#include "presets/property_list.h"

namespace vexav6::ui::win32 {

// The two-column details list of the preset windows: a report-view list that a preset describes
// itself into. Column widths in twips become pixels at the list's DPI.
class ListViewPropertyList : public PropertyList {
  public:
    void Attach(HWND list) { list_ = list; }
    HWND Handle() const { return list_; }

    void Clear() override;
    void AddColumn(const std::string& header, int32_t widthTwips) override;
    void AddRow(const std::string& property, const std::string& value) override;

  private:
    HWND list_ = nullptr;
};

}  // namespace vexav6::ui::win32
