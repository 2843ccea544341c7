#include "platform/sim/sim_http.h"

#include "base/error.h"

namespace vexav6::sim {
namespace {

// A machine without a network connection: every request fails to resolve its host.
class OfflineRequest : public platform::HttpRequest {
public:
    void Open(std::string_view, std::string_view, bool) override {}
    void SetTimeouts(int32_t, int32_t, int32_t, int32_t) override {}
    void SetRequestHeader(std::string_view, std::string_view) override {}
    void Send() override {
        if (onError) {
            onError(12007, "The server name or address could not be resolved");
        }
    }
    void Abort() override {}
    int32_t Status() const override { return 0; }
    std::string StatusText() const override { return ""; }
    std::string GetResponseHeader(std::string_view) const override { return ""; }
    const std::vector<uint8_t>& ResponseBody() const override { return body_; }

private:
    std::vector<uint8_t> body_;
};

}  // namespace

std::unique_ptr<platform::HttpRequest> SimHttp::CreateRequest() {
    return std::make_unique<OfflineRequest>();
}

}  // namespace vexav6::sim
