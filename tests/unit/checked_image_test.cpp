// The image a check hands back: what the editor makes of it is exactly what
// the engine's own decode of the file gives, and a file that does not hold
// what a check writes gives nothing at all.
#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include <irrlicht.h>

#include "files/check/CheckedImage.h"
#include "files/check/FileCheck.h"
#include "files/check/FileCheckProtocol.h"
#include "support/EditorFixture.h"
#include "support/NullDevice.h"
#include "support/TestImages.h"

using namespace irr;

namespace {

// A fresh in-memory file, as the check server makes for each image check
// (sealable), or one that takes no seal.
sorn::OwnedDescriptor freshFile(bool sealable = true) {
    return sorn::OwnedDescriptor(
        memfd_create("checked-image-test", MFD_CLOEXEC | (sealable ? MFD_ALLOW_SEALING : 0u)));
}

// The image useCheckedImage hands over, copied out of the call; null when it
// gives none.
video::IImage* usedImage(int fd, video::IVideoDriver* driver) {
    video::IImage* copy = nullptr;
    const bool used = sorn::useCheckedImage(fd, driver, [&](video::IImage* image) {
        copy = driver->createImage(image->getColorFormat(), image->getDimension());
        image->copyTo(copy);
    });
    EXPECT_EQ(used, copy != nullptr);
    return copy;
}

std::string fileBytes(int fd) {
    std::string bytes(static_cast<size_t>(lseek(fd, 0, SEEK_END)), '\0');
    EXPECT_EQ(pread(fd, &bytes[0], bytes.size(), 0), static_cast<ssize_t>(bytes.size()));
    return bytes;
}

void replaceBytes(int fd, const std::string& bytes) {
    ASSERT_EQ(ftruncate(fd, 0), 0);
    ASSERT_EQ(pwrite(fd, bytes.data(), bytes.size(), 0), static_cast<ssize_t>(bytes.size()));
}

bool samePixels(video::IImage* a, video::IImage* b) {
    if (!a || !b || a->getColorFormat() != b->getColorFormat() || a->getDimension() != b->getDimension() ||
        a->getPitch() != b->getPitch())
        return false;
    const bool same = std::memcmp(a->lock(), b->lock(), a->getPitch() * a->getDimension().Height) == 0;
    a->unlock();
    b->unlock();
    return same;
}

class CheckedImageTest : public sorn::test::NullDeviceTest {
protected:
    void SetUp() override {
        NullDeviceTest::SetUp();
        sorn::editor.device->getLogger()->setLogLevel(ELL_NONE);
        driver = sorn::editor.device->getVideoDriver();
    }

    // An image of the format with a pattern in every byte.
    video::IImage* patterned(video::ECOLOR_FORMAT format, u32 width, u32 height) {
        video::IImage* image = driver->createImage(format, core::dimension2du(width, height));
        u8* bytes = static_cast<u8*>(image->lock());
        for (u32 i = 0; i < image->getPitch() * height; ++i)
            bytes[i] = static_cast<u8>(i * 7 + 3);
        image->unlock();
        return image;
    }

    video::IVideoDriver* driver = nullptr;
};

TEST_F(CheckedImageTest, EveryFormatTheLoadersMakeComesBackPixelForPixel) {
    const struct {
        video::ECOLOR_FORMAT format;
        u32 width, height;
    } cases[] = {
        {video::ECF_A1R5G5B5, 3, 5}, {video::ECF_R5G6B5, 1, 1}, {video::ECF_R8G8B8, 7, 3}, {video::ECF_A8R8G8B8, 16, 9},
        // Written through the check's staging copy, the last after a larger
        // one there; then one larger than that copy, written as it is.
        {video::ECF_R8G8B8, 512, 512}, {video::ECF_A1R5G5B5, 9, 2}, {video::ECF_A8R8G8B8, 1024, 600}};
    for (const auto& each : cases) {
        SCOPED_TRACE(each.format);
        video::IImage* image = patterned(each.format, each.width, each.height);
        // Read back, used mapped (a file that takes a seal) and used as read.
        for (bool sealable : {true, false}) {
            sorn::OwnedDescriptor file = freshFile(sealable);
            ASSERT_TRUE(sorn::writeCheckedImage(file.get(), image));
            for (video::IImage* back : {sorn::readCheckedImage(file.get(), driver), usedImage(file.get(), driver)}) {
                EXPECT_TRUE(samePixels(image, back)) << (sealable ? "sealable" : "not sealable");
                if (back)
                    back->drop();
            }
        }
        image->drop();
    }
}

// A mapped image's file is sealed against shrinking before it is mapped: the
// check that wrote it may still hold it, and cutting it short under the
// mapping would fault in the editor.
TEST_F(CheckedImageTest, AMappedImagesFileCanNoLongerBeCutShort) {
    video::IImage* image = patterned(video::ECF_A8R8G8B8, 64, 64);
    for (bool sealable : {true, false}) {
        SCOPED_TRACE(sealable ? "sealable" : "not sealable");
        sorn::OwnedDescriptor file = freshFile(sealable);
        ASSERT_TRUE(sorn::writeCheckedImage(file.get(), image));
        size_t uses = 0;
        EXPECT_TRUE(sorn::useCheckedImage(file.get(), driver, [&](video::IImage* used) {
            ++uses;
            EXPECT_TRUE(samePixels(image, used));
        }));
        EXPECT_EQ(uses, 1u);
        EXPECT_EQ(ftruncate(file.get(), 0) == 0, !sealable);
    }
    image->drop();
}

// Whatever the check wrote, the editor takes nothing that is not exactly a
// header it understands and the bytes it announces.
TEST_F(CheckedImageTest, AnythingButWhatACheckWritesGivesNoImage) {
    video::IImage* image = patterned(video::ECF_R8G8B8, 4, 4);
    sorn::OwnedDescriptor file = freshFile();
    ASSERT_TRUE(sorn::writeCheckedImage(file.get(), image));
    image->drop();
    const std::string good = fileBytes(file.get());
    auto withField = [&](size_t offset, std::uint32_t value) {
        std::string bytes = good;
        std::memcpy(&bytes[offset], &value, sizeof value);
        return bytes;
    };
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"header cut short", good.substr(0, 10)},
        {"another magic", "XRNI" + good.substr(4)},
        {"a float format", withField(4, video::ECF_A32B32G32R32F)},
        {"a format past the last", withField(4, 1000)},
        {"no width", withField(8, 0)},
        {"no height", withField(12, 0)},
        {"a pixel short", good.substr(0, good.size() - 3)},
        {"a byte more", good + "x"},
        {"more pixels than bytes", withField(12, 5)},
        {"a side past the largest", withField(8, 70000)},
        {"sizes whose product wraps", withField(12, 0x80000000u)},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.what);
        replaceBytes(file.get(), each.bytes);
        video::IImage* back = sorn::readCheckedImage(file.get(), driver);
        EXPECT_EQ(back, nullptr);
        if (back)
            back->drop();
        EXPECT_FALSE(sorn::useCheckedImage(file.get(), driver, [](video::IImage*) { ADD_FAILURE() << "used"; }));
    }
    replaceBytes(file.get(), good);
    video::IImage* back = sorn::readCheckedImage(file.get(), driver);
    EXPECT_NE(back, nullptr) << "the good bytes read back once more";
    if (back)
        back->drop();
}

// The check's load writes the image the engine's own decode of the file gives.
TEST_F(CheckedImageTest, TheCheckHandsBackWhatTheEngineDecodes) {
    sorn::test::TempDir dir;
    std::vector<std::string> files = {std::string(SORN_IRRLICHT_MEDIA) + "/wall.jpg"};
    for (const char* name : {"one.png", "one.bmp", "one.tga", "one.jpg"}) {
        ASSERT_TRUE(sorn::test::writeTestImage(dir.file(name)));
        files.push_back(dir.file(name));
    }
    for (const std::string& path : files) {
        SCOPED_TRACE(path);
        sorn::OwnedDescriptor file = freshFile();
        IrrlichtDevice* check = sorn::createCheckDevice();
        ASSERT_EQ(sorn::loadUntrustedFile(check, sorn::UntrustedKind::Image, path, {}, file.get()),
                  sorn::filecheck::kLoaded);
        check->drop();
        video::IImage* handedBack = sorn::readCheckedImage(file.get(), driver);
        video::IImage* decoded = driver->createImageFromFile(path.c_str());
        EXPECT_TRUE(samePixels(handedBack, decoded));
        for (video::IImage* image : {handedBack, decoded})
            if (image)
                image->drop();
    }
}

} // namespace
