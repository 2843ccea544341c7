#pragma once

#include <memory>

#include "platform/http_api.h"

namespace vexav6::sim {

// HTTP on the simulated machine.
class SimHttp : public platform::HttpApi {
public:
    std::unique_ptr<platform::HttpRequest> CreateRequest() override;
};

}  // namespace vexav6::sim
