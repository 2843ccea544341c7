#pragma once

#include <memory>

#include "platform/http_api.h"
#include "platform/ui_work_queue.h"

namespace vexav6::native {

// HTTP on a real Linux machine, through libcurl. Each transfer runs on a thread of its own; its
// notification is posted to the user-interface work queue, so it runs when the user interface
// services pending work, never inside Send. Failures are reported with the WinHTTP numbers and
// texts (platform/http_errors.h) so both builds tell users the same thing. Proxies follow the usual
// environment variables (http_proxy, https_proxy, no_proxy).
class CurlHttp : public platform::HttpApi {
  public:
    explicit CurlHttp(platform::UiWorkQueue& uiQueue);
    ~CurlHttp() override;
    CurlHttp(const CurlHttp&) = delete;
    CurlHttp& operator=(const CurlHttp&) = delete;

    // Requests must not outlive this object or the queue.
    std::unique_ptr<platform::HttpRequest> CreateRequest() override;

  private:
    platform::UiWorkQueue& uiQueue_;
};

}  // namespace vexav6::native
