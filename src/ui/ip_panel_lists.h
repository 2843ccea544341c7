#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/keyed_collection.h"

// Helpers of the panels for a preset's lists: each change is made on a copy that replaces the
// preset's list only when all of it succeeded.
namespace vexav6::ui {

// A copy of a list the preset includes. The panel shows an absent list disabled, so it is never
// asked to change one; if it were, this fails instead of making the list present.
template <class T>
KeyedCollection<T> PresetList(const std::optional<KeyedCollection<T>>& list,
                              const std::string& source) {
    if (!list) {
        throw Error(errnum::kOwnCheck, source, "The preset does not include this list.");
    }
    return *list;
}

// A copy of a list the preset includes, changed by `edit`.
template <class T, class Edit>
KeyedCollection<T> EditedList(const std::optional<KeyedCollection<T>>& list,
                              const std::string& source, Edit edit) {
    KeyedCollection<T> copy = PresetList(list, source);
    edit(copy);
    return copy;
}

// The list without the entries of these keys; an unknown key fails (error 5).
template <class T>
KeyedCollection<T> WithoutKeys(KeyedCollection<T> list, const std::vector<std::string>& keys) {
    for (const std::string& key : keys) {
        list.Remove(key);
    }
    return list;
}

}  // namespace vexav6::ui
