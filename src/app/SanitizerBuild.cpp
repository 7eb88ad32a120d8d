#include "app/SanitizerBuild.h"

#if defined(__SANITIZE_ADDRESS__)

#include <dlfcn.h>
#include <link.h>

#include <string>
#include <vector>

namespace {

// The suppression rules of the test suite, built into the program so that
// a user running the sanitizer build needs no LSAN_OPTIONS of their own.
const char* const kLeakSuppressions =
#include "LeakSuppressions.inc"
    ;

// Mesa's DRI drivers ("swrast_dri.so", "iris_dri.so", ...) and the shared
// Gallium library that newer releases put them in.
bool isGraphicsDriver(const std::string& path) {
    const std::string name = path.substr(path.find_last_of('/') + 1);
    const std::string tail = "_dri.so";
    const bool dri = name.size() > tail.size() && name.compare(name.size() - tail.size(), tail.size(), tail) == 0;
    return dri || name.rfind("libgallium", 0) == 0;
}

int collectGraphicsDrivers(struct dl_phdr_info* info, size_t, void* found) {
    if (info->dlpi_name && *info->dlpi_name && isGraphicsDriver(info->dlpi_name))
        static_cast<std::vector<std::string>*>(found)->push_back(info->dlpi_name);
    return 0;
}

} // namespace

extern "C" const char* __lsan_default_suppressions() {
    return kLeakSuppressions;
}

void sorn::keepGraphicsDriverLoaded() {
    std::vector<std::string> drivers;
    dl_iterate_phdr(collectGraphicsDrivers, &drivers);
    // Opening an already loaded library again with RTLD_NODELETE marks it to
    // stay; the handle is never closed.
    for (const std::string& driver : drivers)
        dlopen(driver.c_str(), RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
}

#else

void sorn::keepGraphicsDriverLoaded() {}

#endif
