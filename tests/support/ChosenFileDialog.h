#pragma once
// A file-open dialog that reports a given file as chosen: what the engine's
// dialog reports once a user picked a file, without clicking through folders.
#include <irrlicht.h>

namespace sorn {
namespace test {

class ChosenFileDialog : public irr::gui::IGUIFileOpenDialog {
public:
    ChosenFileDialog(irr::gui::IGUIEnvironment* environment, irr::s32 id, const irr::core::stringw& file)
        : IGUIFileOpenDialog(environment, nullptr, id, irr::core::rect<irr::s32>(0, 0, 10, 10)), file_(file) {}

    const wchar_t* getFileName() const override { return file_.c_str(); }
    const irr::io::path& getDirectoryName() override { return directory_; }

private:
    irr::core::stringw file_;
    irr::io::path directory_;
};

} // namespace test
} // namespace sorn
