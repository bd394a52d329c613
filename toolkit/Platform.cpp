#include "toolkit/Platform.h"

#include <cstdio>
#include <cstdlib>

namespace tk {
namespace {

const Platform* g_platform = nullptr;

}  // namespace

const Platform& CurrentPlatform() {
    if (!g_platform) {
        static const char kMessage[] = "The toolkit was used before a platform was installed.\n";
        std::fwrite(kMessage, 1, sizeof kMessage - 1, stderr);
        std::abort();
    }
    return *g_platform;
}

PlatformScope::PlatformScope(const Platform& platform) : previous_(g_platform) {
    g_platform = &platform;
}

PlatformScope::~PlatformScope() { g_platform = previous_; }

}  // namespace tk
