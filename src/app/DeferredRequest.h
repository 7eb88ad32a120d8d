#pragma once
#include <irrlicht.h>

namespace sorn {

// A refresh asked for by an event handler and performed by the frame loop
// once the engine has finished dispatching the event that caused it: the
// active pass in which it was posted only counts up, the next one runs it.
struct DeferredRequest {
    bool pending = false;
    irr::u32 counter = 0;
    irr::u32 delay = 1;

    // Ask for the refresh; a new request while one is pending restarts the wait.
    void schedule() {
        counter = 0;
        pending = true;
    }

    // Examined once per active pass: true exactly when the refresh must run now.
    bool isDue() {
        if (!pending)
            return false;
        if (counter == delay) {
            pending = false;
            return true;
        }
        ++counter;
        return false;
    }
};

} // namespace sorn
