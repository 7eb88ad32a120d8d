#pragma once
// The View menu's sky check mark decides whether the user's sky boxes and sky
// domes show. The editor's own default sky is a debug object and always shows.
#include <irrlicht.h>

#include <memory>

#include "scene/UndoHistory.h"

namespace sorn {

// Whether the sky item of the View menu is checked (true without a menu bar).
bool skyCheckMarkOn();

// Shows or hides every user sky box and sky dome in the scene, at any depth;
// debug objects and everything under them are left alone.
void setUserSkiesVisible(bool visible);

// The same, after the check mark was set to `visible`: returns the step that
// undoes it (each sky back as it was, and the check mark), or null when no
// sky changed (the scene as saved is the same).
std::unique_ptr<UndoStep> showUserSkiesRecorded(bool visible);

// Gives a sky box or sky dome the visibility of the check mark; other nodes
// are left as they are.
void followSkyCheckMark(irr::scene::ISceneNode* node);

} // namespace sorn
