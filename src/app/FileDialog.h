#pragma once
// The editor's file-open dialog. It stands where the engine's would (same
// interface, same events with itself as the caller), so the results are
// routed by the dialog's id as before, but it lists folders first, filters
// by the kind of file its use wants, takes typed paths, chooses by typed
// letters exactly what it shows, remembers the last folder of each use and
// never moves the process's working directory.
#include <irrlicht.h>
#include <string>
#include <vector>

#include "app/FileListing.h"

namespace sorn {

class FileDialog : public irr::gui::IGUIFileOpenDialog {
public:
    // A dialog for a use (its kind of file), placed in parent at rect.
    FileDialog(irr::gui::IGUIEnvironment* environment, irr::gui::IGUIElement* parent, irr::s32 id,
               const irr::core::rect<irr::s32>& rect, const wchar_t* title, FileKind use);

    // The absolute path of the file chosen; before that, of the file entry
    // selected (empty when none is).
    const wchar_t* getFileName() const override;
    // The folder of the file chosen, or the folder shown.
    const irr::io::path& getDirectoryName() override;

    bool OnEvent(const irr::SEvent& event) override;
    void draw() override;

    // Lists a folder. False, with a message line and the previous listing
    // kept, when it cannot be read.
    bool showFolder(const std::string& folder);
    const std::string& folder() const { return folder_; }
    const std::vector<FolderEntry>& entries() const { return entries_; }
    FileKind filter() const { return filter_; }
    void setFilter(FileKind kind);
    void setShowHidden(bool show);
    // The message line (empty when nothing went wrong).
    std::wstring message() const;

    // OK, Enter in the path field: a path typed (and not taken from the
    // list) is resolved and opened or entered; otherwise the entry selected.
    void accept();
    // Double click or Enter on the list: a folder is entered, a file chosen.
    void activateSelection();
    // A letter typed while the list has the focus, at the time given.
    void typeLetter(wchar_t letter, unsigned nowMs);
    // Cancel, the close button, Escape.
    void cancel();

    irr::gui::IGUIListBox* list() const { return list_; }
    irr::gui::IGUIEditBox* pathField() const { return pathField_; }

private:
    void build(const wchar_t* title);
    void openPath(const std::string& path, const std::wstring& asTyped);
    void choose(const std::string& path);
    void showMessage(const std::wstring& text);
    void fillList();
    void showSelectionInField();
    void close(irr::gui::EGUI_EVENT_TYPE report);
    bool dragTitleBar(const irr::SEvent::SMouseInput& mouse);

    FileKind use_;
    FileKind filter_;
    bool showHidden_ = false;
    std::string folder_;
    std::vector<FolderEntry> entries_;
    irr::core::stringw fileName_;
    mutable irr::core::stringw selectedFile_;
    irr::io::path directoryName_;
    TypeAhead typeAhead_;
    // What the path field was given from the list, so that an untouched
    // field means "the selection" and a typed one means what was typed.
    irr::core::stringw fieldFromList_;
    irr::s32 shownSelection_ = -1;
    bool dragging_ = false;
    irr::core::position2di dragFrom_;

    irr::gui::IGUIListBox* list_ = nullptr;
    irr::gui::IGUIEditBox* pathField_ = nullptr;
    irr::gui::IGUIStaticText* folderLine_ = nullptr;
    irr::gui::IGUIStaticText* messageLine_ = nullptr;
    irr::gui::IGUIComboBox* filterBox_ = nullptr;
};

// The kind of file the dialog with this id is for.
FileKind fileKindOfDialog(irr::s32 dialogId);

// Opens the modal dialog with this id, title and its use's kind, in the
// middle of the window, listing the use's last folder.
FileDialog* openEditorFileDialog(irr::s32 dialogId, const wchar_t* title);

// Keys while a file dialog is open: letters and Enter on its list, Escape
// anywhere in it. True when the key was taken.
bool handleFileDialogKey(const irr::SEvent::SKeyInput& key);

} // namespace sorn
