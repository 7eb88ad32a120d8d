#include "events/SaveWindow.h"

#include <sys/stat.h>

#include "app/EditorState.h"
#include "app/GuiIds.h"
#include "app/Translate.h"
#include "app/PathText.h"
#include "events/FileCommands.h"
#include "events/UnsavedChanges.h"

namespace sorn {

using namespace irr;

SaveWindow saveWindow;

namespace {

gui::IGUIEnvironment* guiEnvironment() {
    return editor.device ? editor.device->getGUIEnvironment() : nullptr;
}

// The modal message with one OK button that the save checks show.
void showMessage(const wchar_t* caption, const wchar_t* text) {
    if (gui::IGUIEnvironment* gui = guiEnvironment())
        gui->addMessageBox(caption, text, true, gui::EMBF_OK, nullptr, -1);
}

bool isRegularFile(const std::string& path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

// The name part of a path: the text after its last "/" or "\".
std::string nameOf(const std::string& path) {
    size_t separator = path.find_last_of("/\\");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

} // namespace

void SaveWindow::holdFileSystem(io::IFileSystem* system) {
    if (system != fileSystem.get())
        fileSystem = EngineRef<io::IFileSystem>(system);
}

void SaveWindow::releaseElements() {
    fileBox.reset();
    fileNameText.reset();
    window.reset();
    fileList.reset();
}

void SaveWindow::reset() {
    releaseElements();
    pathToReplace.clear();
    fileSystem.reset();
    directory = L"";
    fileName.clear();
}

void SaveWindow::open() {
    gui::IGUIEnvironment* gui = guiEnvironment();
    if (!gui)
        return;
    if (gui::IGUIElement* previous = findElement(ids::SaveWindow))
        previous->remove();
    releaseElements();

    window = EngineRef<gui::IGUIWindow>(gui->addWindow(core::rect<s32>(100, 100, 500, 500), true,
                                                      translate(L"window_save_caption").c_str(), nullptr,
                                                      ids::SaveWindow));
    if (!window)
        return;
    gui->addButton(core::rect<s32>(310, 370, 390, 390), window.get(), ids::SaveButton,
                   translate(L"action_save").c_str(), nullptr);
    gui->addButton(core::rect<s32>(220, 370, 300, 390), window.get(), ids::SaveCancel,
                   translate(L"action_cancel").c_str(), nullptr);

    fileNameText = EngineRef<gui::IGUIEditBox>(
        gui->addEditBox(L"", core::rect<s32>(10, 30, 390, 48), true, window.get(), ids::SavePathEdit));
    if (fileNameText) {
        fileNameText->setSubElement(true);
        fileNameText->setAlignment(gui::EGUIA_UPPERLEFT, gui::EGUIA_LOWERRIGHT,
                                   gui::EGUIA_UPPERLEFT, gui::EGUIA_UPPERLEFT);
    }
    fileBox = EngineRef<gui::IGUIListBox>(
        gui->addListBox(core::rect<s32>(10, 50, 390, 360), window.get(), ids::SaveFileList, true));
    if (fileBox) {
        fileBox->setSubElement(true);
        fileBox->setAlignment(gui::EGUIA_UPPERLEFT, gui::EGUIA_LOWERRIGHT,
                              gui::EGUIA_UPPERLEFT, gui::EGUIA_LOWERRIGHT);
    }
    if (io::IFileSystem* system = gui->getFileSystem()) {
        holdFileSystem(system);
        fillListBox();
    }
}

void SaveWindow::fillListBox() {
    if (editor.sceneManager)
        holdFileSystem(editor.sceneManager->getFileSystem());
    gui::IGUIEnvironment* gui = guiEnvironment();
    gui::IGUISkin* skin = gui ? gui->getSkin() : nullptr;
    if (!fileSystem || !fileBox || !skin)
        return;
    fileList.reset();
    fileBox->clear();
    // The skin's sprite bank holds the folder and file icons.
    fileBox->setSpriteBank(skin->getSpriteBank());

    fileList = EngineRef<io::IFileList>::adopt(fileSystem->createFileList());
    if (fileList) {
        for (u32 i = 0; i < fileList->getFileCount(); ++i) {
            const gui::EGUI_DEFAULT_ICON icon =
                fileList->isDirectory(i) ? gui::EGDI_DIRECTORY : gui::EGDI_FILE;
            fileBox->addItem(widePath(fileList->getFileName(i).c_str()).c_str(),
                             static_cast<s32>(skin->getIcon(icon)));
        }
    }
    if (fileNameText) {
        directory = widePath(fileSystem->getWorkingDirectory().c_str());
        core::stringw text = directory;
        text += L"/";
        fileNameText->setText(text.c_str());
    }
}

void SaveWindow::chooseEntry(bool keepList) {
    const s32 selected = fileBox ? fileBox->getSelected() : -1;
    if (!fileList || !fileSystem)
        return;
    if (selected < 0 || static_cast<u32>(selected) >= fileList->getFileCount())
        return;
    const u32 entry = static_cast<u32>(selected);
    if (!fileList->isDirectory(entry)) {
        fileName = fileList->getFileName(entry).c_str();
        showChosenFile();
        return;
    }
    // The full name, so that the folder is found even if the working
    // directory moved since the list was made.
    fileSystem->changeWorkingDirectoryTo(fileList->getFullFileName(entry));
    if (!keepList)
        fillListBox();
    fileName.clear();
}

void SaveWindow::takeSelectedName() {
    const s32 selected = fileBox ? fileBox->getSelected() : -1;
    if (!fileList || selected < 0 || static_cast<u32>(selected) >= fileList->getFileCount() ||
        fileList->isDirectory(static_cast<u32>(selected)))
        return;
    fileName = fileList->getFileName(static_cast<u32>(selected)).c_str();
    showChosenFile();
}

void SaveWindow::showChosenFile() {
    if (!fileNameText || !fileSystem)
        return;
    directory = widePath(fileSystem->getWorkingDirectory().c_str());
    core::stringw text = directory;
    text += L"/";
    text += widePath(fileName);
    fileNameText->setText(text.c_str());
}

void SaveWindow::save() {
    if (!fileNameText || !editor.sceneManager)
        return;
    const std::string path = narrowPath(fileNameText->getText());
    const std::string name = nameOf(path);
    if (name.empty() || name == "/") {
        showMessage(L"Invalid name", L"Name is null");
        return;
    }
    if (fileExtension(path) != ".irr") {
        showMessage(L"Invalid extension", L"Must be .irr");
        return;
    }
    if (isRegularFile(path)) {
        askBeforeReplacing(path);
        return;
    }
    write(path);
}

// A scene that could not be written is not reported as saved, and the file
// that was there stays as it was: the window stays open (behind the message
// saying why) so that another place can be chosen.
void SaveWindow::write(const std::string& path) {
    if (!writeSceneTo(path))
        return;
    close();
    onSceneSaved();
}

// The engine's message box takes its button captions from the skin: they
// are set to replace and cancel while the box is made, then put back.
void SaveWindow::askBeforeReplacing(const std::string& path) {
    gui::IGUIEnvironment* gui = guiEnvironment();
    if (!gui)
        return;
    pathToReplace = path;
    gui::IGUISkin* skin = gui->getSkin();
    const core::stringw yes = skin->getDefaultText(gui::EGDT_MSG_BOX_YES);
    const core::stringw no = skin->getDefaultText(gui::EGDT_MSG_BOX_NO);
    skin->setDefaultText(gui::EGDT_MSG_BOX_YES, translate(L"action_replace").c_str());
    skin->setDefaultText(gui::EGDT_MSG_BOX_NO, translate(L"action_cancel").c_str());
    core::stringw text = translate(L"window_replace_text");
    text += L"\n";
    text += widePath(path);
    gui->addMessageBox(translate(L"window_replace_caption").c_str(), text.c_str(), true,
                       gui::EMBF_YES | gui::EMBF_NO, nullptr, ids::ReplaceFileBox);
    skin->setDefaultText(gui::EGDT_MSG_BOX_YES, yes.c_str());
    skin->setDefaultText(gui::EGDT_MSG_BOX_NO, no.c_str());
}

void SaveWindow::onReplaceAnswer(gui::EGUI_EVENT_TYPE answer) {
    const std::string path = pathToReplace;
    pathToReplace.clear();
    // The window may have gone meanwhile (its close button): nothing is written then.
    if (answer == gui::EGET_MESSAGEBOX_YES && !path.empty() && window && window->getParent())
        write(path);
}

void SaveWindow::cancel() {
    close();
    onSaveAbandoned();
}

// The window leaves the GUI, but the references stay until the next open()
// or reset(): close() runs inside the window's own button event, which must
// not destroy the window under it.
void SaveWindow::close() {
    if (window)
        window->remove();
}

} // namespace sorn
