#pragma once
// Long work (opening, saving, checking files) runs synchronously inside the
// engine's readers and writers. Once it has taken half a second, a small modal
// window says what is being done and how far it is, redrawn at most every
// 50 ms from the work's own progress calls; the window's events are pumped
// meanwhile, and every other event is swallowed until the work ends. A wait
// on the file check may be cancelled with the window's Cancel button.
#include <irrlicht.h>

#include <string>
#include <vector>

namespace sorn {

enum class ProgressUnit { Bytes, Nodes, Files };

// One piece of long work, for as long as it lives. Pieces nest (an open scans,
// then checks, then reads): the innermost is shown, and the half second counts
// from the outermost's start. The window goes when the outermost ends.
class WorkProgress {
public:
    // captionKey translates to a text with "%s" where the file's name goes.
    WorkProgress(const wchar_t* captionKey, const std::string& file);
    ~WorkProgress();
    WorkProgress(const WorkProgress&) = delete;
    WorkProgress& operator=(const WorkProgress&) = delete;

private:
    struct Saved;
    Saved* outer_;
};

// The innermost piece of work: what it counts and how much there is in all;
// how far it is (redraws when due); what it works on now (a file's name).
void setWorkTotal(unsigned long long total, ProgressUnit unit);
void advanceWork(unsigned long long done);
void setWorkDetail(const std::string& file);
// A wait the user may end: shows Cancel. keepWaiting redraws when due and is
// false once Cancel was clicked.
void allowWorkCancel();
bool keepWaiting(unsigned long long done);

bool workInProgress();
// The receiver's first step while work runs: what OnEvent returns for the event.
bool filterEventWhileBusy(const irr::SEvent& event);

// The message that an open was cancelled, naming the files not checked.
void showWorkCancelled(const std::vector<std::string>& files);

// Test seams: the clock in milliseconds (null: a steady clock), the delay
// before the window shows, and a call after every redraw (null: none).
using WorkClock = unsigned long long (*)();
void setWorkClockForTesting(WorkClock clock);
void setWorkWindowDelayForTesting(unsigned milliseconds);
void setWorkRedrawHookForTesting(void (*hook)());

} // namespace sorn
