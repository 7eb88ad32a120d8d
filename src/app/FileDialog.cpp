#include "app/FileDialog.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

#include "app/EditorState.h"
#include "app/GuiIds.h"
#include "app/PathText.h"
#include "app/Translate.h"

using namespace irr;

namespace sorn {

namespace {

const s32 kWidth = 460;
const s32 kHeight = 380;
const s32 kTitleHeight = 22;

std::string workingFolder() {
    char folder[PATH_MAX];
    return getcwd(folder, sizeof folder) ? std::string(folder) : std::string("/");
}

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    return home && *home ? std::string(home) : workingFolder();
}

bool isFolder(const std::string& path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

core::stringw folderSetting(FileKind use) {
    core::stringw name = L"dialog_folder_";
    name += widePath(fileKindWord(use));
    return name;
}

// The engine's loaders answer for models and images.
KindTests engineKindTests() {
    KindTests tests;
    tests.model = [](const std::string& name) {
        scene::ISceneManager* scenes = editor.sceneManager;
        if (!scenes)
            return false;
        for (u32 i = 0; i < scenes->getMeshLoaderCount(); ++i)
            if (scenes->getMeshLoader(i)->isALoadableFileExtension(name.c_str()))
                return true;
        return false;
    };
    tests.image = [](const std::string& name) {
        video::IVideoDriver* driver = editor.device ? editor.device->getVideoDriver() : nullptr;
        if (!driver)
            return false;
        for (u32 i = 0; i < driver->getImageLoaderCount(); ++i)
            if (driver->getImageLoader(i)->isALoadableFileExtension(name.c_str()))
                return true;
        return false;
    };
    return tests;
}

core::stringw shownName(const FolderEntry& entry) {
    core::stringw name = widePath(entry.name);
    if (entry.folder && entry.name != "..")
        name += L"/";
    return name;
}

} // namespace

FileDialog::FileDialog(gui::IGUIEnvironment* environment, gui::IGUIElement* parent, s32 id,
                       const core::rect<s32>& rect, const wchar_t* title, FileKind use)
    : gui::IGUIFileOpenDialog(environment, parent, id, rect), use_(use), filter_(use) {
    setText(title);
    build(title);
    // The last folder of this use, when it is still there.
    const core::stringw remembered = editor.config.get(folderSetting(use_));
    const std::string start = narrowPath(remembered);
    if (remembered == L"XXX" || !isFolder(start) || !showFolder(start))
        showFolder(workingFolder());
}

void FileDialog::build(const wchar_t* title) {
    gui::IGUIEnvironment* env = Environment;
    const s32 w = RelativeRect.getWidth();
    const s32 h = RelativeRect.getHeight();
    (void)title;

    gui::IGUIButton* close = env->addButton(core::rect<s32>(w - 22, 3, w - 4, 19), this, ids::FileDialogClose);
    close->setSubElement(true);
    close->setTabStop(false);
    if (gui::IGUISkin* skin = env->getSkin()) {
        close->setSpriteBank(skin->getSpriteBank());
        close->setSprite(gui::EGBS_BUTTON_UP, skin->getIcon(gui::EGDI_WINDOW_CLOSE), skin->getColor(gui::EGDC_WINDOW_SYMBOL));
        close->setSprite(gui::EGBS_BUTTON_DOWN, skin->getIcon(gui::EGDI_WINDOW_CLOSE), skin->getColor(gui::EGDC_WINDOW_SYMBOL));
    }
    folderLine_ = env->addStaticText(L"", core::rect<s32>(10, kTitleHeight + 4, w - 10, kTitleHeight + 20), false, false,
                                     this, ids::FileDialogFolder);
    pathField_ = env->addEditBox(L"", core::rect<s32>(10, kTitleHeight + 22, w - 10, kTitleHeight + 42), true, this,
                                 ids::FileDialogPath);
    list_ = env->addListBox(core::rect<s32>(10, kTitleHeight + 46, w - 10, h - 84), this, ids::FileDialogList, true);
    if (gui::IGUISkin* skin = env->getSkin())
        list_->setSpriteBank(skin->getSpriteBank());
    messageLine_ = env->addStaticText(L"", core::rect<s32>(10, h - 80, w - 10, h - 62), false, false, this,
                                      ids::FileDialogMessage);
    messageLine_->setOverrideColor(video::SColor(255, 180, 0, 0));
    filterBox_ = env->addComboBox(core::rect<s32>(10, h - 56, 250, h - 36), this, ids::FileDialogFilter);
    for (FileKind kind : kFileKinds) {
        const u32 index = filterBox_->addItem(translate(fileKindKey(kind)).c_str());
        if (kind == use_)
            filterBox_->setSelected(static_cast<s32>(index));
    }
    env->addCheckBox(false, core::rect<s32>(260, h - 56, w - 10, h - 36), this, ids::FileDialogHidden,
                     translate(L"file_dialog_show_hidden").c_str());
    env->addButton(core::rect<s32>(w - 190, h - 30, w - 100, h - 8), this, ids::FileDialogCancel,
                   translate(L"action_cancel").c_str());
    env->addButton(core::rect<s32>(w - 90, h - 30, w - 10, h - 8), this, ids::FileDialogOk,
                   translate(L"action_ok").c_str());
}

// Until a file is chosen, the file entry selected (what OK would open).
const wchar_t* FileDialog::getFileName() const {
    if (!fileName_.empty())
        return fileName_.c_str();
    selectedFile_ = L"";
    const s32 selected = list_ ? list_->getSelected() : -1;
    if (selected >= 0 && static_cast<size_t>(selected) < entries_.size() && !entries_[static_cast<size_t>(selected)].folder)
        selectedFile_ = widePath(joinPath(folder_, entries_[static_cast<size_t>(selected)].name));
    return selectedFile_.c_str();
}

const io::path& FileDialog::getDirectoryName() {
    if (fileName_.empty())
        directoryName_ = folder_.c_str();
    return directoryName_;
}

bool FileDialog::showFolder(const std::string& folder) {
    std::vector<FolderEntry> read;
    std::string reason;
    if (!readFolder(folder, read, reason)) {
        std::wstring text = translate(L"file_dialog_unreadable_folder").c_str();
        text += L" " + std::wstring(widePath(folder).c_str()) + L" (" + widePath(reason).c_str() + L")";
        showMessage(text);
        return false;
    }
    const bool moved = !folder_.empty() && folder != folder_;
    folder_ = folder;
    const KindTests tests = engineKindTests();
    const FileKind kind = filter_;
    entries_ = arrangeEntries(std::move(read), folder_, showHidden_,
                              [&](const std::string& name) { return nameIsOfKind(name, kind, tests); });
    showMessage(L"");
    fillList();
    if (folderLine_)
        folderLine_->setText(widePath(folder_).c_str());
    if (moved && Parent) {
        SEvent event;
        event.EventType = EET_GUI_EVENT;
        event.GUIEvent.Caller = this;
        event.GUIEvent.Element = nullptr;
        event.GUIEvent.EventType = gui::EGET_DIRECTORY_SELECTED;
        Parent->OnEvent(event);
    }
    return true;
}

void FileDialog::fillList() {
    list_->clear();
    gui::IGUISkin* skin = Environment->getSkin();
    for (const FolderEntry& entry : entries_) {
        const s32 icon = skin ? static_cast<s32>(skin->getIcon(entry.folder ? gui::EGDI_DIRECTORY : gui::EGDI_FILE)) : -1;
        list_->addItem(shownName(entry).c_str(), icon);
    }
    list_->setSelected(-1);
    shownSelection_ = -1;
    fieldFromList_ = L"";
    pathField_->setText(L"");
}

void FileDialog::setFilter(FileKind kind) {
    filter_ = kind;
    showFolder(folder_);
}

void FileDialog::setShowHidden(bool show) {
    showHidden_ = show;
    showFolder(folder_);
}

std::wstring FileDialog::message() const { return messageLine_ ? messageLine_->getText() : L""; }

void FileDialog::showMessage(const std::wstring& text) {
    if (messageLine_)
        messageLine_->setText(text.c_str());
}

// The field shows the entry selected, however it was selected (click, arrow
// keys, typed letters), so what OK opens is what the list shows.
void FileDialog::showSelectionInField() {
    const s32 selected = list_->getSelected();
    if (selected == shownSelection_)
        return;
    shownSelection_ = selected;
    if (selected < 0 || static_cast<size_t>(selected) >= entries_.size())
        return;
    fieldFromList_ = shownName(entries_[static_cast<size_t>(selected)]);
    pathField_->setText(fieldFromList_.c_str());
}

void FileDialog::accept() {
    showSelectionInField();
    const core::stringw typed = pathField_->getText();
    if (typed.empty() || typed == fieldFromList_) {
        activateSelection();
        return;
    }
    const std::string text = narrowPath(typed);
    openPath(resolveTypedPath(text, folder_, homeFolder()), typed.c_str());
}

void FileDialog::activateSelection() {
    const s32 selected = list_->getSelected();
    if (selected < 0 || static_cast<size_t>(selected) >= entries_.size())
        return;
    const FolderEntry& entry = entries_[static_cast<size_t>(selected)];
    const std::string path = entry.name == ".." ? parentFolder(folder_) : joinPath(folder_, entry.name);
    openPath(path, widePath(entry.name).c_str());
}

void FileDialog::openPath(const std::string& path, const std::wstring& asTyped) {
    struct stat status;
    if (stat(path.c_str(), &status) != 0) {
        showMessage(std::wstring(translate(L"file_dialog_not_found").c_str()) + L" " + asTyped);
        return;
    }
    if (S_ISDIR(status.st_mode))
        showFolder(path);
    else
        choose(path);
}

void FileDialog::choose(const std::string& path) {
    fileName_ = widePath(path);
    directoryName_ = parentFolder(path).c_str();
    // The chosen file's folder is kept for the use, written only when it changed.
    const core::stringw setting = folderSetting(use_);
    const core::stringw folder = widePath(parentFolder(path));
    if (editor.config.get(setting) != folder) {
        editor.config.set(setting, folder);
        editor.config.save();
    }
    close(gui::EGET_FILE_SELECTED);
}

void FileDialog::cancel() { close(gui::EGET_FILE_CHOOSE_DIALOG_CANCELLED); }

// Reports to the parent with itself as the caller, then leaves the GUI with
// its modal screen. Kept alive until the report and removal are done.
void FileDialog::close(gui::EGUI_EVENT_TYPE report) {
    grab();
    SEvent event;
    event.EventType = EET_GUI_EVENT;
    event.GUIEvent.Caller = this;
    event.GUIEvent.Element = nullptr;
    event.GUIEvent.EventType = report;
    if (Parent)
        Parent->OnEvent(event);
    gui::IGUIElement* parent = Parent;
    if (parent && parent->getType() == gui::EGUIET_MODAL_SCREEN)
        parent->remove();
    else
        remove();
    drop();
}

void FileDialog::typeLetter(wchar_t letter, unsigned nowMs) {
    std::vector<std::wstring> names;
    for (const FolderEntry& entry : entries_)
        names.push_back(widePath(entry.name).c_str());
    const int found = firstEntryStartingWith(names, typeAhead_.type(letter, nowMs));
    if (found >= 0) {
        list_->setSelected(found);
        showSelectionInField();
    }
}

bool FileDialog::dragTitleBar(const SEvent::SMouseInput& mouse) {
    const core::position2di at(mouse.X, mouse.Y);
    switch (mouse.Event) {
    case EMIE_LMOUSE_PRESSED_DOWN: {
        core::rect<s32> title = AbsoluteRect;
        title.LowerRightCorner.Y = title.UpperLeftCorner.Y + kTitleHeight;
        dragging_ = title.isPointInside(at);
        dragFrom_ = at;
        return dragging_;
    }
    case EMIE_MOUSE_MOVED:
        if (!dragging_)
            return false;
        if (Parent && !Parent->getAbsolutePosition().isPointInside(at))
            return true;
        move(at - dragFrom_);
        dragFrom_ = at;
        return true;
    case EMIE_LMOUSE_LEFT_UP:
        if (!dragging_)
            return false;
        dragging_ = false;
        return true;
    default:
        return false;
    }
}

bool FileDialog::OnEvent(const SEvent& event) {
    if (!isEnabled())
        return gui::IGUIElement::OnEvent(event);
    if (event.EventType == EET_MOUSE_INPUT_EVENT && dragTitleBar(event.MouseInput))
        return true;
    if (event.EventType != EET_GUI_EVENT)
        return gui::IGUIElement::OnEvent(event);
    const s32 id = event.GUIEvent.Caller ? event.GUIEvent.Caller->getID() : -1;
    switch (event.GUIEvent.EventType) {
    case gui::EGET_BUTTON_CLICKED:
        if (id == ids::FileDialogOk)
            accept();
        else if (id == ids::FileDialogCancel || id == ids::FileDialogClose)
            cancel();
        else
            break;
        return true;
    case gui::EGET_LISTBOX_CHANGED:
        if (event.GUIEvent.Caller != list_)
            break;
        showSelectionInField();
        return true;
    case gui::EGET_LISTBOX_SELECTED_AGAIN:
        if (event.GUIEvent.Caller != list_)
            break;
        showSelectionInField();
        activateSelection();
        return true;
    case gui::EGET_EDITBOX_ENTER:
        if (event.GUIEvent.Caller != pathField_)
            break;
        accept();
        return true;
    case gui::EGET_COMBO_BOX_CHANGED:
        if (event.GUIEvent.Caller != filterBox_)
            break;
        if (filterBox_->getSelected() >= 0)
            setFilter(kFileKinds[filterBox_->getSelected()]);
        return true;
    case gui::EGET_CHECKBOX_CHANGED:
        if (id != ids::FileDialogHidden)
            break;
        setShowHidden(static_cast<gui::IGUICheckBox*>(event.GUIEvent.Caller)->isChecked());
        return true;
    default:
        break;
    }
    return gui::IGUIElement::OnEvent(event);
}

void FileDialog::draw() {
    if (!IsVisible)
        return;
    showSelectionInField();
    gui::IGUISkin* skin = Environment->getSkin();
    if (skin) {
        core::rect<s32> title = skin->draw3DWindowBackground(this, true, skin->getColor(gui::EGDC_ACTIVE_BORDER),
                                                             AbsoluteRect, &AbsoluteClippingRect);
        title.UpperLeftCorner.X += skin->getSize(gui::EGDS_TITLEBARTEXT_DISTANCE_X);
        title.UpperLeftCorner.Y += skin->getSize(gui::EGDS_TITLEBARTEXT_DISTANCE_Y);
        title.LowerRightCorner.X -= skin->getSize(gui::EGDS_WINDOW_BUTTON_WIDTH) + 5;
        if (gui::IGUIFont* font = skin->getFont(gui::EGDF_WINDOW))
            font->draw(Text.c_str(), title, skin->getColor(gui::EGDC_ACTIVE_CAPTION), false, true,
                       &AbsoluteClippingRect);
    }
    gui::IGUIElement::draw();
}

FileKind fileKindOfDialog(s32 dialogId) {
    switch (dialogId) {
    case ids::DialogOpenScene:
        return FileKind::Openable;
    case ids::DialogAddStaticMesh:
    case ids::DialogAddAnimatedMesh:
        return FileKind::Model;
    case ids::DialogToolBoxImage:
    case ids::DialogMaterialTexture:
    case ids::DialogAttributeTexture:
        return FileKind::Image;
    case ids::DialogSkyBoxSet:
        return FileKind::SkyBox;
    default:
        return FileKind::All;
    }
}

FileDialog* openEditorFileDialog(s32 dialogId, const wchar_t* title) {
    if (!editor.device)
        return nullptr;
    gui::IGUIEnvironment* env = editor.device->getGUIEnvironment();
    gui::IGUIElement* screen = env->addModalScreen(nullptr);
    const core::rect<s32> area = env->getRootGUIElement()->getAbsolutePosition();
    const s32 x = std::max(0, (area.getWidth() - kWidth) / 2);
    const s32 y = std::max(0, (area.getHeight() - kHeight) / 2);
    auto* dialog = new FileDialog(env, screen, dialogId, core::rect<s32>(x, y, x + kWidth, y + kHeight), title,
                                  fileKindOfDialog(dialogId));
    dialog->drop();
    env->setFocus(dialog->list());
    return dialog;
}

bool handleFileDialogKey(const SEvent::SKeyInput& key) {
    static bool escapeTaken = false;
    if (key.Key == KEY_ESCAPE && !key.PressedDown && escapeTaken) {
        escapeTaken = false;
        return true;
    }
    gui::IGUIEnvironment* env = editor.device ? editor.device->getGUIEnvironment() : nullptr;
    gui::IGUIElement* focus = env ? env->getFocus() : nullptr;
    FileDialog* dialog = nullptr;
    for (gui::IGUIElement* e = focus; e && !dialog; e = e->getParent())
        dialog = dynamic_cast<FileDialog*>(e);
    if (!dialog)
        return false;
    if (key.Key == KEY_ESCAPE) {
        if (key.PressedDown) {
            escapeTaken = true;
            dialog->cancel();
        }
        return true;
    }
    if (focus != dialog->list())
        return false;
    if (key.Key == KEY_RETURN) {
        if (key.PressedDown)
            dialog->activateSelection();
        return true;
    }
    if (key.Char >= 32 && !key.Control && key.Char != 127) {
        if (key.PressedDown)
            dialog->typeLetter(key.Char, editor.device->getTimer()->getRealTime());
        return true;
    }
    return false;
}

} // namespace sorn
