#include <cstdio>

#include "base/app_info.h"

int wmain() {
    std::printf("%s\n", vexav6::app::TitleWithMajorVersion().c_str());
    return 0;
}
