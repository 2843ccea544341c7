#pragma once

#include <memory>

#include "platform/http_api.h"

namespace vexav6::win32 {

// HTTP through WinHTTP in asynchronous mode. WinHTTP reports progress on its own threads; each
// request object owns a hidden message-only window, created on the thread that created the
// request (the user-interface thread), to which the finished transfer is posted. Its notification
// therefore runs when that thread pumps its messages, never inside Send. Requests use the
// system's proxy configuration.
class Win32Http : public platform::HttpApi {
  public:
    // Call on the user-interface thread.
    std::unique_ptr<platform::HttpRequest> CreateRequest() override;
};

}  // namespace vexav6::win32
