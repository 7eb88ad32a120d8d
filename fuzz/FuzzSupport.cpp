#include "FuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <ftw.h>
#include <unistd.h>

#include "app/EditorState.h"

namespace sorn {
namespace fuzz {

namespace {

int removeEntry(const char* path, const struct stat*, int, struct FTW*) {
    return ::remove(path);
}

void removeScratchFolder() {
    ::nftw(scratchFolder().c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
}

std::string makeScratchFolder() {
    // Inside SORN_FUZZ_SCRATCH when given (scripts/fuzz.sh removes it after
    // the run: libFuzzer ends a process in ways that skip the exit handlers);
    // else in memory where the machine has it, as every input is written and read.
    const char* base = std::getenv("SORN_FUZZ_SCRATCH");
    if (!base || !*base)
        base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : (std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp");
    std::string pattern = std::string(base) + "/sorn-fuzz-XXXXXX";
    if (!::mkdtemp(&pattern[0])) {
        std::perror("mkdtemp");
        std::abort();
    }
    return pattern;
}

} // namespace

irr::IrrlichtDevice* startNullDevice() {
    if (!editor.device) {
        if (!std::freopen("/dev/null", "w", stdout))
            std::perror("freopen");
        editor.device = irr::createDevice(irr::video::EDT_NULL);
        if (!editor.device) {
            std::fputs("no null device\n", stderr);
            std::abort();
        }
        editor.device->getLogger()->setLogLevel(irr::ELL_NONE);
        editor.sceneManager = editor.device->getSceneManager();
    }
    return editor.device;
}

const std::string& scratchFolder() {
    static const std::string folder = [] {
        std::string made = makeScratchFolder();
        std::atexit(removeScratchFolder);
        return made;
    }();
    return folder;
}

std::string scratchFile(const std::string& name) {
    return scratchFolder() + "/" + name;
}

bool writeBytes(const std::string& path, const uint8_t* data, size_t size) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

std::string readBytes(const std::string& path) {
    std::string bytes;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return bytes;
    char block[65536];
    size_t got;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0)
        bytes.append(block, got);
    std::fclose(file);
    return bytes;
}

irr::core::stringw wideText(const uint8_t* data, size_t size) {
    irr::core::stringw text;
    for (size_t i = 0; i < size; ++i) {
        wchar_t c = data[i];
        if (data[i] >= 0xF0 && i + 1 < size) {
            c = static_cast<wchar_t>(0x100 + ((data[i] & 0x0F) << 8 | data[i + 1]));
            ++i;
        }
        if (c != 0)
            text.append(c);
    }
    return text;
}

void require(bool holds, const char* property) {
    if (holds)
        return;
    std::fprintf(stderr, "property broken: %s\n", property);
    std::abort();
}

} // namespace fuzz
} // namespace sorn
