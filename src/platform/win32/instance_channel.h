#pragma once

#include <deque>
#include <functional>
#include <string>
#include <string_view>

#include "platform/win32/scoped_handle.h"
#include "platform/win32/windows_include.h"

namespace vexav6::win32 {

// Instance detection and the single-instance hand-over between two processes of the program in
// one session.
//
// - Detection: a named mutex ("Local\" + name); the first process to create it is the running
//   instance, and the name lives as long as any instance keeps its handle.
// - Channel: the receiving instance owns a message-only window of class "Vexav6.frmDDE" whose
//   title is the name; a sender finds it and sends the text (UTF-8) with WM_COPYDATA. The window
//   takes the text, queues it and answers TRUE at once ("accepted"), then runs it from a posted
//   message, so the sender never waits for what the text does, and the text is run on the thread
//   that made the window: the user-interface thread. A receiver that does not answer within five
//   seconds has not accepted. No message filter is opened: on Vista and later only processes of
//   the same or a higher integrity level (the program always runs elevated there) reach it.
class InstanceChannel {
  public:
    // The name every instance of the program uses: application title + "|frmDDE".
    static std::wstring DefaultName();

    explicit InstanceChannel(std::wstring name = DefaultName());
    ~InstanceChannel();
    InstanceChannel(const InstanceChannel&) = delete;
    InstanceChannel& operator=(const InstanceChannel&) = delete;

    // The first call creates this process's hold on the name and tells whether another instance
    // had it already; later calls repeat that answer.
    bool IsAnotherInstanceRunning();
    // True when a receiver took the text.
    bool Send(std::string_view message) const;
    // Makes the receiving window on the calling thread; replaces an earlier receiver.
    void StartReceiver(std::function<void(const std::string&)> onMessage);
    void StopReceiver();

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam,
                                       LPARAM lParam) noexcept;
    LRESULT OnCopyData(HWND window, const COPYDATASTRUCT* data);
    void DeliverPending();

    std::wstring name_;
    ScopedKernelHandle mutex_;
    bool mutexChecked_ = false;
    bool otherInstance_ = false;
    HWND window_ = nullptr;
    std::function<void(const std::string&)> onMessage_;
    std::deque<std::string> pending_;
};

}  // namespace vexav6::win32
