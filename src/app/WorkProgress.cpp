#include "app/WorkProgress.h"

#include <chrono>
#include <cstdio>
#include <cwchar>

#include "app/EditorState.h"
#include "app/PathText.h"
#include "app/Translate.h"

using namespace irr;

namespace sorn {

namespace {

constexpr unsigned long long kRedrawInterval = 50;
constexpr s32 kWindowWidth = 380;
constexpr s32 kWindowHeight = 130;
constexpr s32 kBarLeft = 15;
constexpr s32 kBarWidth = kWindowWidth - 2 * kBarLeft;

unsigned long long steadyMilliseconds() {
    return static_cast<unsigned long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                               std::chrono::steady_clock::now().time_since_epoch())
                                               .count());
}

// What the innermost piece of work shows.
struct Work {
    core::stringw caption;
    core::stringw detail;
    unsigned long long total = 0;
    unsigned long long done = 0;
    ProgressUnit unit = ProgressUnit::Bytes;
    bool cancellable = false;
};

struct ProgressState {
    int depth = 0;
    unsigned long long start = 0;
    unsigned long long lastRedraw = 0;
    bool shown = false;
    bool cancelled = false;
    bool redrawing = false;
    bool forwarding = false;
    Work current;
    WorkClock clock = steadyMilliseconds;
    unsigned delay = 500;
    void (*redrawHook)() = nullptr;
};

ProgressState& progress() {
    static ProgressState state;
    return state;
}

gui::IGUIElement* find(s32 id) {
    return editor.device ? findElement(id) : nullptr;
}

core::stringw number(double value, bool fraction) {
    wchar_t text[64];
    std::swprintf(text, 64, fraction ? L"%.1f" : L"%.0f", value);
    return text;
}

// "12.5 of 60.0 MB", "1200 of 5000 nodes", "2 of 3 files"; without a total, what is done.
core::stringw figures(const Work& work) {
    static const wchar_t* const kKeys[] = {L"progress_bytes", L"progress_nodes", L"progress_files"};
    const bool bytes = work.unit == ProgressUnit::Bytes;
    const double scale = bytes ? 1.0 / (1024.0 * 1024.0) : 1.0;
    const unsigned long long done = work.total && work.done > work.total ? work.total : work.done;
    core::stringw text = translate(kKeys[static_cast<int>(work.unit)]);
    text.replace(L"%1", number(static_cast<double>(done) * scale, bytes));
    text.replace(L"%2", work.total ? number(static_cast<double>(work.total) * scale, bytes) : core::stringw(L"?"));
    return text;
}

void removeWindow() {
    if (gui::IGUIElement* window = find(ids::ProgressWindow)) {
        gui::IGUIElement* parent = window->getParent();
        // The modal screen that holds the window goes with it.
        if (parent && parent != editor.device->getGUIEnvironment()->getRootGUIElement())
            parent->remove();
        else
            window->remove();
    }
}

void buildWindow() {
    gui::IGUIEnvironment* gui = editor.device->getGUIEnvironment();
    const core::dimension2du screen = editor.device->getVideoDriver()->getScreenSize();
    const s32 left = (static_cast<s32>(screen.Width) - kWindowWidth) / 2;
    const s32 top = (static_cast<s32>(screen.Height) - kWindowHeight) / 2;
    gui::IGUIWindow* window =
        gui->addWindow(core::rect<s32>(left, top, left + kWindowWidth, top + kWindowHeight), true,
                       translate(L"progress_caption").c_str(), nullptr, ids::ProgressWindow);
    // The work decides when it ends: the window has no close button.
    window->getCloseButton()->setVisible(false);
    gui->addStaticText(L"", core::rect<s32>(kBarLeft, 28, kWindowWidth - kBarLeft, 46), false, false, window,
                       ids::ProgressText);
    gui->addStaticText(L"", core::rect<s32>(kBarLeft, 48, kWindowWidth - kBarLeft, 66), false, false, window,
                       ids::ProgressFigures);
    gui->addStaticText(L"", core::rect<s32>(kBarLeft, 70, kBarLeft + kBarWidth, 82), true, false, window,
                       ids::ProgressBarFrame);
    gui::IGUIStaticText* bar = gui->addStaticText(L"", core::rect<s32>(kBarLeft, 70, kBarLeft, 82), false, false,
                                                  window, ids::ProgressBar);
    bar->setBackgroundColor(gui->getSkin()->getColor(gui::EGDC_HIGH_LIGHT));
    bar->setDrawBackground(true);
    gui->addButton(core::rect<s32>(kWindowWidth - 95, 95, kWindowWidth - 15, 117), window, ids::ProgressCancel,
                   translate(L"action_cancel").c_str());
    gui->setFocus(window);
}

void showWork() {
    const Work& work = progress().current;
    core::stringw text = work.caption;
    if (work.detail.size()) {
        text += L": ";
        text += work.detail;
    }
    if (gui::IGUIElement* caption = find(ids::ProgressText))
        caption->setText(text.c_str());
    if (gui::IGUIElement* numbers = find(ids::ProgressFigures))
        numbers->setText(figures(work).c_str());
    if (gui::IGUIElement* bar = find(ids::ProgressBar)) {
        const double part = work.total ? static_cast<double>(work.done) / static_cast<double>(work.total) : 0.0;
        core::rect<s32> area = bar->getRelativePosition();
        area.LowerRightCorner.X = area.UpperLeftCorner.X + static_cast<s32>(kBarWidth * (part > 1.0 ? 1.0 : part));
        bar->setRelativePosition(area);
    }
    if (gui::IGUIElement* cancel = find(ids::ProgressCancel)) {
        const bool wasVisible = cancel->isVisible();
        cancel->setVisible(work.cancellable);
        if (work.cancellable && !wasVisible)
            editor.device->getGUIEnvironment()->setFocus(cancel);
    }
}

// One frame with the window on top; the window's events are taken meanwhile.
// The scene itself is not drawn: the work may be between the engine's reading
// of a scene and the holding of its animators, or in a save that shows each
// node's authored state, and drawing runs animators that would move the nodes.
void redraw() {
    ProgressState& state = progress();
    if (state.redrawing || !editor.device)
        return;
    state.redrawing = true;
    if (!state.shown) {
        removeWindow();
        buildWindow();
        state.shown = true;
    }
    showWork();
    editor.device->run();
    video::IVideoDriver* driver = editor.device->getVideoDriver();
    driver->beginScene(true, true, video::SColor(150, 50, 50, 50));
    editor.device->getGUIEnvironment()->drawAll();
    driver->endScene();
    state.redrawing = false;
    if (state.redrawHook)
        state.redrawHook();
}

void redrawWhenDue() {
    ProgressState& state = progress();
    if (state.depth == 0)
        return;
    const unsigned long long now = state.clock();
    if (now - state.start < state.delay || (state.shown && now - state.lastRedraw < kRedrawInterval))
        return;
    state.lastRedraw = now;
    redraw();
}

bool insideWindow(gui::IGUIElement* element) {
    gui::IGUIElement* window = find(ids::ProgressWindow);
    for (; window && element; element = element->getParent())
        if (element == window || element == window->getParent())
            return true;
    return false;
}

} // namespace

struct WorkProgress::Saved {
    Work work;
};

WorkProgress::WorkProgress(const wchar_t* captionKey, const std::string& file) : outer_(new Saved) {
    ProgressState& state = progress();
    if (state.depth++ == 0) {
        state.start = state.clock();
        state.shown = false;
        state.cancelled = false;
    }
    outer_->work = state.current;
    state.current = Work();
    state.current.caption = translate(captionKey);
    const size_t slash = file.find_last_of('/');
    state.current.caption.replace(L"%s", widePath(slash == std::string::npos ? file : file.substr(slash + 1)));
}

WorkProgress::~WorkProgress() {
    ProgressState& state = progress();
    state.current = outer_->work;
    delete outer_;
    if (--state.depth > 0)
        return;
    if (state.shown && editor.device)
        removeWindow();
    state.shown = false;
}

void setWorkTotal(unsigned long long total, ProgressUnit unit) {
    progress().current.total = total;
    progress().current.unit = unit;
    progress().current.done = 0;
}

void advanceWork(unsigned long long done) {
    progress().current.done = done;
    redrawWhenDue();
}

void setWorkDetail(const std::string& file) {
    const size_t slash = file.find_last_of('/');
    progress().current.detail = widePath(slash == std::string::npos ? file : file.substr(slash + 1));
}

void allowWorkCancel() {
    progress().current.cancellable = true;
    progress().cancelled = false;
}

bool keepWaiting(unsigned long long done) {
    advanceWork(done);
    return !progress().cancelled;
}

bool workInProgress() {
    return progress().depth > 0;
}

bool filterEventWhileBusy(const SEvent& event) {
    ProgressState& state = progress();
    switch (event.EventType) {
    case EET_LOG_TEXT_EVENT:
        return false; // the engine prints it as always
    case EET_MOUSE_INPUT_EVENT:
    case EET_KEY_INPUT_EVENT: {
        // Only the window's elements see input, and only once it shows; the
        // view's camera never does.
        gui::IGUIEnvironment* gui = editor.device ? editor.device->getGUIEnvironment() : nullptr;
        const bool forKeys = event.EventType == EET_KEY_INPUT_EVENT;
        if (gui && state.shown && !state.forwarding && (!forKeys || insideWindow(gui->getFocus()))) {
            state.forwarding = true;
            gui->postEventFromUser(event);
            state.forwarding = false;
        }
        return true;
    }
    case EET_GUI_EVENT: {
        const gui::EGUI_EVENT_TYPE kind = event.GUIEvent.EventType;
        if (insideWindow(event.GUIEvent.Caller)) {
            if (kind == gui::EGET_BUTTON_CLICKED && event.GUIEvent.Caller->getID() == ids::ProgressCancel &&
                state.current.cancellable)
                state.cancelled = true;
            return false;
        }
        // Focus and hover moves keep the engine's own handling; the editor
        // acts on none of them.
        return !(kind == gui::EGET_ELEMENT_FOCUS_LOST || kind == gui::EGET_ELEMENT_FOCUSED ||
                 kind == gui::EGET_ELEMENT_HOVERED || kind == gui::EGET_ELEMENT_LEFT);
    }
    default:
        return true;
    }
}

void showWorkCancelled(const std::vector<std::string>& files) {
    if (!editor.device)
        return;
    core::stringw text = translate(L"progress_cancelled_text");
    for (const std::string& file : files) {
        text += L"\n";
        text += widePath(file);
    }
    editor.device->getGUIEnvironment()->addMessageBox(translate(L"progress_cancelled_caption").c_str(),
                                                      text.c_str(), true, gui::EMBF_OK, nullptr, -1);
}

void setWorkClockForTesting(WorkClock clock) {
    progress().clock = clock ? clock : steadyMilliseconds;
}

void setWorkWindowDelayForTesting(unsigned milliseconds) {
    progress().delay = milliseconds;
}

void setWorkRedrawHookForTesting(void (*hook)()) {
    progress().redrawHook = hook;
}

} // namespace sorn
