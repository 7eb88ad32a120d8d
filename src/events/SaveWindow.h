#pragma once
// The editor's save dialog: a list of the working directory in which the user
// walks through folders, an edit box with the full path of the file to write,
// and the save and cancel buttons.
#include <irrlicht.h>
#include <string>

#include "app/EngineRef.h"

namespace sorn {

class SaveWindow {
public:
    // The window and its two elements are held, so they never dangle, even
    // after the GUI removed the window (its close button); they are let go by
    // the next open() or reset().
    EngineRef<irr::gui::IGUIWindow> window;
    EngineRef<irr::gui::IGUIListBox> fileBox;
    EngineRef<irr::gui::IGUIEditBox> fileNameText;
    EngineRef<irr::io::IFileSystem> fileSystem;
    EngineRef<irr::io::IFileList> fileList;
    irr::core::stringw directory;
    std::string fileName;

    SaveWindow() = default;
    SaveWindow(const SaveWindow&) = delete;
    SaveWindow& operator=(const SaveWindow&) = delete;

    // Builds the window (replacing any open one) and lists the working directory.
    void open();
    // Lists the working directory: folders and files with their icons.
    void fillListBox();
    // The selected entry was chosen again: a file becomes the chosen file, a
    // folder becomes the working directory (relisted unless keepList).
    void chooseEntry(bool keepList);
    // A single click: a file entry's name goes into the edit box (folders
    // are entered by choosing them again).
    void takeSelectedName();
    // Puts directory + "/" + fileName into the edit box.
    void showChosenFile();
    // "action_save": checks the name and the ".irr" extension, asks before
    // replacing a file that exists, writes the scene, post-processes the
    // file and closes the window.
    void save();
    // The answer to the question whether to replace the chosen file: yes
    // writes it; anything else leaves the window open for another name.
    void onReplaceAnswer(irr::gui::EGUI_EVENT_TYPE answer);
    // "action_cancel": closes the window; nothing is written.
    void cancel();

    // Releases every reference held (the elements stay wherever the GUI has
    // them) and forgets the window. Call before the device is dropped.
    void reset();

private:
    void write(const std::string& path);
    void askBeforeReplacing(const std::string& path);
    void close();

    std::string pathToReplace; // the file the replace question is about
    void holdFileSystem(irr::io::IFileSystem* system);
    void releaseElements();
};

// The one save window of the editor.
extern SaveWindow saveWindow;

} // namespace sorn
