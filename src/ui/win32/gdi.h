#pragma once

#include "platform/win32/scoped_handle.h"
#include "platform/win32/windows_include.h"

// Owners of GDI objects and menus, on the program's one handle template.
namespace vexav6::ui::win32 {

template <class T>
struct GdiObjectTraits {
    using Handle = T;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::DeleteObject(h); }
};
using ScopedFont = vexav6::win32::ScopedHandle<GdiObjectTraits<HFONT>>;
using ScopedBrush = vexav6::win32::ScopedHandle<GdiObjectTraits<HBRUSH>>;
using ScopedPen = vexav6::win32::ScopedHandle<GdiObjectTraits<HPEN>>;
using ScopedBitmap = vexav6::win32::ScopedHandle<GdiObjectTraits<HBITMAP>>;

struct MemoryDcTraits {
    using Handle = HDC;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::DeleteDC(h); }
};
using ScopedMemoryDc = vexav6::win32::ScopedHandle<MemoryDcTraits>;

struct MenuTraits {
    using Handle = HMENU;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::DestroyMenu(h); }
};
using ScopedMenu = vexav6::win32::ScopedHandle<MenuTraits>;

struct AcceleratorTraits {
    using Handle = HACCEL;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::DestroyAcceleratorTable(h); }
};
using ScopedAccelerators = vexav6::win32::ScopedHandle<AcceleratorTraits>;

// Selects an object into a device context for the owner's lifetime.
class SelectObjectScope {
  public:
    SelectObjectScope(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
    ~SelectObjectScope() { ::SelectObject(dc_, previous_); }
    SelectObjectScope(const SelectObjectScope&) = delete;
    SelectObjectScope& operator=(const SelectObjectScope&) = delete;

  private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace vexav6::ui::win32
