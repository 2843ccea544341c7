#pragma once

#include <cstdint>
#include <string>

namespace vexav6 {

// A two-column report list (property, value) that a preset describes itself into. The preset
// panel implements it with a list view; tests record what arrives.
class PropertyList {
  public:
    virtual ~PropertyList() = default;
    // Removes every column and every row.
    virtual void Clear() = 0;
    // Appends a column with its header text and its width in twips (1/1440 inch).
    virtual void AddColumn(const std::string& header, int32_t widthTwips) = 0;
    // Appends a row: the property in the first column, its value in the second.
    virtual void AddRow(const std::string& property, const std::string& value) = 0;
};

}  // namespace vexav6
