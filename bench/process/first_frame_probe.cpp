// Preloaded into a program to note when it first shows a frame: the time of
// the first glXSwapBuffers call (CLOCK_MONOTONIC, nanoseconds) is written to
// the file named by FIRST_FRAME_FILE. The call itself goes on to the driver.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

// The two types of the call as GLX declares them (no GL headers needed).
typedef struct _XDisplay Display;
typedef unsigned long GLXDrawable;

extern "C" void glXSwapBuffers(Display* display, GLXDrawable drawable) {
    using Swap = void (*)(Display*, GLXDrawable);
    static Swap next = reinterpret_cast<Swap>(dlsym(RTLD_NEXT, "glXSwapBuffers"));
    static bool noted = false;
    if (!noted) {
        noted = true;
        timespec now;
        clock_gettime(CLOCK_MONOTONIC, &now);
        if (const char* path = std::getenv("FIRST_FRAME_FILE")) {
            if (FILE* file = std::fopen(path, "w")) {
                std::fprintf(file, "%lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
                std::fclose(file);
            }
        }
    }
    if (next)
        next(display, drawable);
}
