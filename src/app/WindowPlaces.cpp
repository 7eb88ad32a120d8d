#include "app/WindowPlaces.h"

#include <map>

#include "app/EditorState.h"

using namespace irr;

namespace sorn {

const WindowPlaceSetting kWindowPlaceSettings[2] = {
    {ids::SceneBoxWindow, L"window_scenebox_x", L"window_scenebox_y", core::position2di(0, 50)},
    {ids::ToolBoxWindow, L"window_toolbox_x", L"window_toolbox_y", core::position2di(800, 50)},
};

namespace {

// Where each window was last put by the editor (opened, moved inside) or
// found after a move: a different place at a button release is a user's move.
std::map<s32, core::position2di> placedAt;
core::dimension2du lastScreen;

const WindowPlaceSetting* settingOf(const gui::IGUIElement* window) {
    if (!window)
        return nullptr;
    for (const WindowPlaceSetting& setting : kWindowPlaceSettings)
        if (setting.windowId == window->getID())
            return &setting;
    return nullptr;
}

s32 clampedCoordinate(s32 at, s32 size, s32 screen) {
    if (at > screen - size)
        at = screen - size;
    return at < 0 ? 0 : at;
}

core::position2di placeOf(const gui::IGUIElement* window) {
    return window->getRelativePosition().UpperLeftCorner;
}

void moveTo(gui::IGUIElement* window, core::position2di at) {
    const core::position2di from = placeOf(window);
    if (from != at)
        window->move(at - from);
    placedAt[window->getID()] = at;
}

core::dimension2du screenSize() {
    if (!editor.device || !editor.device->getVideoDriver())
        return core::dimension2du(editor.windowSize);
    return editor.device->getVideoDriver()->getScreenSize();
}

// Writes the place when it differs from the one kept; the file is saved at once.
void writePlace(const WindowPlaceSetting& setting, core::position2di at) {
    const core::stringw x(at.X), y(at.Y);
    if (editor.config.get(setting.xName) == x && editor.config.get(setting.yName) == y)
        return;
    editor.config.set(setting.xName, x);
    editor.config.set(setting.yName, y);
    editor.config.save();
}

} // namespace

bool parsePlaceCoordinate(const core::stringw& text, s32& value) {
    const u32 length = text.size();
    u32 i = 0;
    const bool negative = length > 0 && text[0] == L'-';
    if (negative)
        ++i;
    if (i == length || length - i > 6)
        return false;
    s32 number = 0;
    for (; i < length; ++i) {
        if (text[i] < L'0' || text[i] > L'9')
            return false;
        number = number * 10 + (text[i] - L'0');
    }
    value = negative ? -number : number;
    return true;
}

core::position2di placeInside(core::position2di at, core::dimension2di size, core::dimension2du screen) {
    return core::position2di(clampedCoordinate(at.X, size.Width, static_cast<s32>(screen.Width)),
                             clampedCoordinate(at.Y, size.Height, static_cast<s32>(screen.Height)));
}

void openWindowWhereLeft(gui::IGUIElement* window) {
    const WindowPlaceSetting* setting = settingOf(window);
    if (!setting)
        return;
    core::position2di at = setting->fallback;
    s32 x = 0, y = 0;
    if (parsePlaceCoordinate(editor.config.get(setting->xName), x) &&
        parsePlaceCoordinate(editor.config.get(setting->yName), y))
        at = core::position2di(x, y);
    const core::rect<s32> box = window->getRelativePosition();
    moveTo(window, placeInside(at, core::dimension2di(box.getWidth(), box.getHeight()), screenSize()));
}

void rememberMovedWindowPlaces() {
    for (const WindowPlaceSetting& setting : kWindowPlaceSettings) {
        gui::IGUIElement* window = findElement(setting.windowId);
        if (!window)
            continue;
        const core::position2di at = placeOf(window);
        auto placed = placedAt.find(setting.windowId);
        if (placed != placedAt.end() && placed->second == at)
            continue;
        placedAt[setting.windowId] = at;
        writePlace(setting, at);
    }
}

void rememberWindowPlace(gui::IGUIElement* window) {
    if (const WindowPlaceSetting* setting = settingOf(window)) {
        writePlace(*setting, placeOf(window));
        placedAt.erase(setting->windowId);
    }
}

void keepWindowsInside(core::dimension2du screen) {
    lastScreen = screen;
    for (const WindowPlaceSetting& setting : kWindowPlaceSettings) {
        gui::IGUIElement* window = findElement(setting.windowId);
        if (!window)
            continue;
        const core::rect<s32> box = window->getRelativePosition();
        const core::position2di inside =
            placeInside(box.UpperLeftCorner, core::dimension2di(box.getWidth(), box.getHeight()), screen);
        if (inside != box.UpperLeftCorner)
            moveTo(window, inside);
    }
}

void keepWindowsInsideScreen() {
    const core::dimension2du screen = screenSize();
    if (screen != lastScreen)
        keepWindowsInside(screen);
}

} // namespace sorn
