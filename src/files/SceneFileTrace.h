#pragma once
// The progress lines printed on standard output while a scene file is written
// or post-processed: opening, writing, then replacing the target, each step
// ending its line with "OK" or "Error".
#include <cstdio>

namespace sorn {

inline void traceText(const char* text) {
    std::fputs(text, stdout);
    std::fflush(stdout);
}

// Ends a progress line with the step's outcome; returns that outcome.
inline bool traceOutcome(bool ok) {
    traceText(ok ? "OK\n" : "Error\n");
    return ok;
}

// Runs the three steps of writing a scene file with their progress lines and
// stops at the first that fails. A successful replacement prints no "OK" of
// its own, only the closing line.
template <class Open, class Write, class Replace>
bool traceSceneFileSteps(Open open, Write write, Replace replace) {
    traceText("Post-Traitement=\n");
    traceText("Ouverture du fichier------->");
    if (!traceOutcome(open()))
        return false;
    traceText("Ecriture------->");
    if (!traceOutcome(write()))
        return false;
    if (!replace()) {
        traceText("Error\n");
        return false;
    }
    traceText("File successfully renamed");
    return true;
}

} // namespace sorn
