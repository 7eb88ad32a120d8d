// The runtime folder the build assembles beside the executable: every file the
// editor names is there and readable by the engine, both language files give
// a text for every key, in characters the editor's font can draw and sized to
// the controls that show them, and config.xml starts the editor in English.
#include <gtest/gtest.h>
#include <irrlicht.h>

#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/DataLocation.h"
#include "app/Translate.h"
#include "support/EditorFixture.h"
#include "support/NullDevice.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Table = std::map<std::wstring, std::wstring>;

const std::string kRuntime = SORN_RUNTIME_DIR;
const std::string kSource = SORN_SOURCE_DIR;

// The keys the editor looks up in its language table.
const char* const kLanguageKeys[] = {
    "menu_file", "menu_view", "menu_scene", "menu_camera", "menu_options", "menu_help",
    "menu_create_new_scene", "menu_open_scene", "menu_save", "menu_quit", "menu_window",
    "menu_toolbox", "menu_scenebox", "menu_sky_box_visible", "menu_grid_visible",
    "menu_toggle_model_debug", "menu_toggle_model_debug_off",
    "menu_toggle_model_debug_bouding_box", "menu_toggle_model_debug_normals",
    "menu_toggle_model_debug_skeleton", "menu_toggle_model_debug_wire_overlay",
    "menu_toggle_model_debug_half_transparent", "menu_toggle_model_debug_buffers_bouding_boxes",
    "menu_toggle_model_debug_set_model_archive", "menu_scene_add", "menu_scene_add_3dmodel",
    "menu_scene_add_3danimatedmodel", "menu_scene_add_plane", "menu_scene_add_cube",
    "menu_scene_add_sphere", "menu_scene_add_cylinder", "menu_scene_add_cone",
    "menu_scene_add_light", "menu_scene_add_particle", "menu_scene_add_skybox",
    "menu_scene_add_skydome", "menu_scene_add_terrain", "menu_scene_add_text",
    "menu_scene_add_volume_light", "menu_scene_add_water_surface", "menu_camera_maya1",
    "menu_camera_maya2", "menu_camera_fps", "menu_options_settings", "menu_help_help",
    "menu_help_about", "bar_image_btn_open_scenebox", "bar_image_btn_open_toolbox",
    "bar_image_btn_camera_zero", "bar_image_btn_open_help",
    "window_settings_caption", "window_settings_save_box_caption",
    "window_settings_save_box_message", "about_text", "action_ok", "action_cancel",
    "window_scenebox_caption", "window_scenebox_tab", "window_scenebox_scene",
    "window_toolbox_caption", "window_toolbox_tab_object", "window_toolbox_tab_material",
    "window_toolbox_tab_texture", "window_toolbox_tab_flags", "window_toolbox_tab_text",
    "window_toolbox_tab_terrain", "window_toolbox_tab_scene", "window_toolbox_tab_volume_light",
    "window_toolbox_tab_particle", "window_toolbox_tab_emitter", "window_toolbox_tab_light",
    "window_toolbox_edit_position", "window_toolbox_edit_rotation", "window_toolbox_edit_scale",
    "window_toolbox_edit_colour", "window_toolbox_edit_material", "window_toolbox_edit_edit",
    "node_material_solid", "node_material_transparent", "node_material_reflection",
    "light_type_point", "light_type_spot", "light_type_directional", "action_update",
    "action_set", "action_default", "action_load",
    "file_open_dialog_open_scene", "file_open_dialog_add_model", "file_open_dialog_open_img",
    "file_open_dialog_open_skybox", "window_save_caption", "action_save",
    "window_settings_next_start", "window_settings_save_failed_caption",
    "window_settings_save_failed_message", "window_settings_error_read_only",
    "window_settings_error_disk_full", "window_settings_error_missing_folder",
    "window_settings_error_not_a_file", "window_settings_error_other",
    "file_refused_caption", "file_refused_text", "file_refused_crashed", "file_refused_too_large",
    "file_refused_too_long", "file_refused_unreadable", "file_refused_not_checked",
    "open_failed_caption", "open_failed_unreadable", "open_failed_too_large",
    "open_failed_not_a_scene", "open_failed_too_deep", "open_failed_out_of_bounds",
    // Undo, redo and the unsaved-changes question.
    "menu_scene_undo", "menu_scene_redo", "action_discard", "window_unsaved_caption",
    "window_unsaved_text",
    // Playing animation; the files a scene names that are missing.
    "menu_play_animation", "menu_stop_animation", "missing_files_caption", "missing_files_text",
    "missing_files_more",
    // Named undo steps: the menu's and the status line's captions, each step's name.
    "menu_scene_undo_step", "menu_scene_redo_step", "status_undone", "status_redone",
    "undo_step_move", "undo_step_turn", "undo_step_scale", "undo_step_delete", "undo_step_add",
    "undo_step_duplicate", "undo_step_material", "undo_step_texture", "undo_step_flags",
    "undo_step_light", "undo_step_emitter", "undo_step_volume_light", "undo_step_text",
    "undo_step_animation_speed", "undo_step_sky", "undo_step_grid", "undo_step_debug_drawing",
    "undo_step_lighting",
    "menu_scene_copy", "menu_scene_cut", "menu_scene_paste", "status_paste_no_scene",
    "status_paste_refused",
    // Renaming and arranging nodes: the steps, the name row, the scene box's filter.
    "undo_step_rename", "undo_step_reparent", "window_toolbox_edit_name", "window_scenebox_filter",
    "undo_step_cut", "undo_step_paste",
    // Viewing: snapping and framing the selection.
    "menu_view_snap", "menu_view_frame_selection", "bar_image_btn_snap",
    // Saving to the scene's file, Save as, the recent scenes.
    "menu_save_as", "menu_recent", "menu_recent_none", "window_save_failed_caption",
    "window_save_failed_text", "window_replace_caption", "window_replace_text", "action_replace",
    "window_recent_missing_caption", "window_recent_missing_text",
    "menu_scene_duplicate", "menu_scene_delete",
    // Editing everything a node holds: the tabs and their undo steps.
    "window_toolbox_tab_attributes", "window_toolbox_tab_animators", "window_toolbox_tab_custom",
    "undo_step_attributes", "undo_step_animator", "undo_step_custom_property",
    // Files dropped on the window: what a drop left out or lost.
    "status_drop_failed", "status_drop_too_many", "status_drop_one_scene", "status_drop_not_files",
    // Why a file was not opened, sky box sets, the help page without a browser.
    "open_failed_missing", "open_failed_not_a_file", "open_failed_no_access", "open_failed_no_loader",
    "open_failed_nothing_loaded", "open_failed_not_an_archive", "message_skybox_caption",
    "message_skybox_no_set", "message_skybox_faces_missing", "message_skybox_what_a_set_is",
    "message_help_caption", "message_help_no_browser",
    // The file dialog: its filter choices and message lines.
    "file_dialog_kind_openable", "file_dialog_kind_scene", "file_dialog_kind_model", "file_dialog_kind_image",
    "file_dialog_kind_skybox", "file_dialog_kind_archive", "file_dialog_kind_all", "file_dialog_show_hidden",
    "file_dialog_not_found", "file_dialog_unreadable_folder",
    // The window shown while long work runs, and a cancelled check.
    "progress_caption", "progress_opening", "progress_saving", "progress_checking", "progress_bytes",
    "progress_nodes", "progress_files", "progress_cancelled_caption", "progress_cancelled_text",
    // The attribute panel's read-only rows; colour swatches and their dialog.
    "attributes_read_only", "colour_dialog_title", "colour_swatch_tip",
    // The animators tab: its buttons and why an animator was left as it was.
    "animators_add", "animators_remove", "animators_caption", "animators_refused_unsafe",
    "animators_refused_not_copyable",
    // The custom properties tab.
    "custom_properties_add", "custom_properties_remove", "custom_properties_name", "custom_properties_type",
    "custom_properties_value", "custom_properties_name_empty", "custom_properties_name_taken",
    "custom_properties_name_characters", "custom_properties_value_unreadable",
};

std::wstring widen(const char* text) {
    return std::wstring(text, text + std::char_traits<char>::length(text));
}

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// UTF-8 bytes of a text of the Basic Multilingual Plane.
std::string toUtf8(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) {
        const unsigned u = static_cast<unsigned>(c);
        if (u < 0x80) {
            out += static_cast<char>(u);
        } else if (u < 0x800) {
            out += static_cast<char>(0xC0 | (u >> 6));
            out += static_cast<char>(0x80 | (u & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (u >> 12));
            out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return out;
}

std::vector<std::wstring> splitLines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    std::wstring::size_type start = 0;
    for (;;) {
        const auto end = text.find(L'\n', start);
        lines.push_back(text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start));
        if (end == std::wstring::npos)
            return lines;
        start = end + 1;
    }
}

// A null-driver engine device for the file system, XML reader, image loaders
// and the bitmap font.
class NullDevice {
public:
    NullDevice() : device_(irr::createDevice(irr::video::EDT_NULL)) {}
    ~NullDevice() {
        if (device_)
            device_->drop();
    }
    NullDevice(const NullDevice&) = delete;
    NullDevice& operator=(const NullDevice&) = delete;
    irr::IrrlichtDevice* operator->() const { return device_; }
    explicit operator bool() const { return device_ != nullptr; }

private:
    irr::IrrlichtDevice* device_;
};

// Reads a language file the way the editor does: entries inside a "lang"
// section as empty "string" elements with "name" and "value", or "string"
// elements with "name" whose character data is the text; a closing tag ends
// the section. False when the engine cannot open the file.
bool readLanguageFile(irr::IrrlichtDevice* device, const std::string& path, Table& table) {
    irr::io::IXMLReader* reader = device->getFileSystem()->createXMLReader(path.c_str());
    if (!reader)
        return false;
    std::wstring section;
    while (reader->read()) {
        switch (reader->getNodeType()) {
        case irr::io::EXN_ELEMENT_END:
            section.clear();
            break;
        case irr::io::EXN_TEXT: {
            const std::wstring name = reader->getAttributeValueSafe(L"name");
            if (!name.empty())
                table[name] = reader->getNodeData();
            break;
        }
        case irr::io::EXN_ELEMENT: {
            const std::wstring element = reader->getNodeName();
            if (section.empty() && element == L"lang") {
                section = element;
            } else if (section == L"lang" && element == L"string") {
                const std::wstring name = reader->getAttributeValueSafe(L"name");
                if (!name.empty())
                    table[name] = reader->getAttributeValueSafe(L"value");
            }
            break;
        }
        default:
            break;
        }
    }
    reader->drop();
    return true;
}

// Reads the "setting" entries of the "prog" section of a settings file.
bool readSettingsFile(irr::IrrlichtDevice* device, const std::string& path, Table& settings) {
    irr::io::IXMLReader* reader = device->getFileSystem()->createXMLReader(path.c_str());
    if (!reader)
        return false;
    std::wstring section;
    while (reader->read()) {
        if (reader->getNodeType() == irr::io::EXN_ELEMENT_END) {
            section.clear();
        } else if (reader->getNodeType() == irr::io::EXN_ELEMENT) {
            const std::wstring element = reader->getNodeName();
            if (section.empty() && element == L"prog") {
                section = element;
            } else if (section == L"prog" && element == L"setting") {
                const std::wstring name = reader->getAttributeValueSafe(L"name");
                if (!name.empty())
                    settings[name] = reader->getAttributeValueSafe(L"value");
            }
        }
    }
    reader->drop();
    return true;
}

// ---------------------------------------------------------------- files ---

struct RuntimeFile {
    const char* path;
    irr::u32 width;  // for images with a fixed size (buttons show a 16 x 16 area); 0: any
    irr::u32 height;
    bool image;
};

const RuntimeFile kRuntimeFiles[] = {
    {"media/fonthaettenschweiler.bmp", 0, 0, true},
    {"media/terrain-heightmap.bmp", 0, 0, true},
    {"media/format-justify-fill.png", 16, 16, true},
    {"media/document-properties.png", 16, 16, true},
    {"media/view-refresh.png", 16, 16, true},
    {"media/help-browser.png", 16, 16, true},
    {"media/list-add.png", 16, 16, true},
    {"media/list-arrow.png", 16, 16, true},
    {"media/list-remove.png", 16, 16, true},
    {"media/folder.png", 16, 16, true},
    {"media/snap.png", 16, 16, true},
    {"media/sorn.png", 0, 0, true},
    {"media/default_skybox.jpg", 0, 0, true},
    {"media/default_skydome.jpg", 0, 0, true},
    {"lang/en.xml", 0, 0, false},
    {"lang/fr.xml", 0, 0, false},
    {"doc/en.html", 0, 0, false},
    {"doc/fr.html", 0, 0, false},
    {"config.xml", 0, 0, false},
};

class RuntimeFileTest : public ::testing::TestWithParam<RuntimeFile> {};

TEST_P(RuntimeFileTest, IsInTheRuntimeFolderAndReadable) {
    const RuntimeFile& file = GetParam();
    const std::string path = kRuntime + "/" + file.path;
    ASSERT_TRUE(fs::is_regular_file(path)) << path;
    EXPECT_GT(fs::file_size(path), 0u) << path;
    if (!file.image)
        return;

    NullDevice device;
    ASSERT_TRUE(device);
    irr::video::IImage* image = device->getVideoDriver()->createImageFromFile(path.c_str());
    ASSERT_NE(image, nullptr) << "the engine cannot decode " << path;
    const irr::core::dimension2du size = image->getDimension();
    image->drop();
    EXPECT_GT(size.Width, 0u);
    EXPECT_GT(size.Height, 0u);
    if (file.width) {
        EXPECT_EQ(size.Width, file.width) << path;
        EXPECT_EQ(size.Height, file.height) << path;
    }
}

INSTANTIATE_TEST_SUITE_P(EveryNamedFile, RuntimeFileTest, ::testing::ValuesIn(kRuntimeFiles),
                         [](const ::testing::TestParamInfo<RuntimeFile>& info) {
                             std::string name = info.param.path;
                             for (char& c : name)
                                 if (!isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

TEST(RuntimeMedia, SkyTexturesHavePowerOfTwoSides) {
    NullDevice device;
    ASSERT_TRUE(device);
    for (const char* name : {"default_skybox.jpg", "default_skydome.jpg"}) {
        const std::string path = kRuntime + "/media/" + name;
        irr::video::IImage* image = device->getVideoDriver()->createImageFromFile(path.c_str());
        ASSERT_NE(image, nullptr) << path;
        const irr::core::dimension2du size = image->getDimension();
        image->drop();
        EXPECT_EQ(size.Width & (size.Width - 1), 0u) << path << " width " << size.Width;
        EXPECT_EQ(size.Height & (size.Height - 1), 0u) << path << " height " << size.Height;
    }
}

// The About window is 500 x 500; its logo sits at (320, 250) above the OK
// button at y = 470, and uses the image's alpha channel.
TEST(RuntimeMedia, AboutLogoFitsItsCornerAndHasAlpha) {
    NullDevice device;
    ASSERT_TRUE(device);
    const std::string path = kRuntime + "/media/sorn.png";
    irr::video::IImage* image = device->getVideoDriver()->createImageFromFile(path.c_str());
    ASSERT_NE(image, nullptr);
    const irr::core::dimension2du size = image->getDimension();
    const irr::video::ECOLOR_FORMAT format = image->getColorFormat();
    const irr::u32 cornerAlpha = image->getPixel(0, 0).getAlpha();
    image->drop();
    EXPECT_LE(320u + size.Width, 495u);
    EXPECT_LE(250u + size.Height, 465u);
    EXPECT_EQ(format, irr::video::ECF_A8R8G8B8);
    EXPECT_EQ(cornerAlpha, 0u) << "the logo's corners should be transparent";
}

// ------------------------------------------------------- language files ---

class LanguageFileTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        ASSERT_TRUE(device);
        path = kRuntime + "/lang/" + GetParam() + ".xml";
        ASSERT_TRUE(readLanguageFile(operator->(), path, table)) << path;
        font = device->getGUIEnvironment()->getFont(
            (kRuntime + "/media/fonthaettenschweiler.bmp").c_str());
        ASSERT_NE(font, nullptr);
        ASSERT_EQ(font->getType(), irr::gui::EGFT_BITMAP);
    }
    irr::IrrlichtDevice* operator->() { return device.operator->(); }

    std::wstring text(const char* key) {
        const auto it = table.find(widen(key));
        return it == table.end() ? std::wstring() : it->second;
    }
    irr::u32 width(const std::wstring& line) { return font->getDimension(line.c_str()).Width; }

    NullDevice device;
    std::string path;
    Table table;
    irr::gui::IGUIFont* font = nullptr;
};

TEST_P(LanguageFileTest, DefinesEveryKeyWithAText) {
    for (const char* key : kLanguageKeys) {
        const std::wstring value = text(key);
        EXPECT_NE(value.find_first_not_of(L" \t\r\n"), std::wstring::npos)
            << path << ": no text for \"" << key << "\"";
    }
    EXPECT_EQ(std::size(kLanguageKeys), 230u);
}

TEST_P(LanguageFileTest, DefinesNoUnknownKey) {
    std::map<std::wstring, bool> known;
    for (const char* key : kLanguageKeys)
        known[widen(key)] = true;
    for (const auto& entry : table)
        EXPECT_TRUE(known.count(entry.first)) << path << ": unknown key " << toUtf8(entry.first);
    EXPECT_EQ(table.size(), known.size());
}

// Characters the editor's bitmap font lacks would be drawn as blanks; a
// UTF-8 file read byte by byte would show pairs such as U+00C3 U+00A9.
TEST_P(LanguageFileTest, TextsUseOnlyCharactersOfTheEditorFont) {
    auto* bitmapFont = static_cast<irr::gui::IGUIFontBitmap*>(font);
    const wchar_t missing[] = {L'\u4e00', 0};
    const irr::u32 missingSprite = bitmapFont->getSpriteNoFromChar(missing);
    for (const auto& entry : table) {
        const std::wstring& value = entry.second;
        for (std::wstring::size_type i = 0; i < value.size(); ++i) {
            const wchar_t c = value[i];
            if (c == L'\n' || c == L' ')
                continue;
            const wchar_t one[] = {c, 0};
            EXPECT_TRUE(c > 0x20 && c <= 0xFF && !(c >= 0x7F && c < 0xA0))
                << toUtf8(entry.first) << ": U+" << std::hex << static_cast<unsigned>(c)
                << " is outside Latin-1";
            EXPECT_NE(bitmapFont->getSpriteNoFromChar(one), missingSprite)
                << toUtf8(entry.first) << ": no glyph for U+" << std::hex << static_cast<unsigned>(c);
            if (c == 0xC3 && i + 1 < value.size()) {
                EXPECT_FALSE(value[i + 1] >= 0x80 && value[i + 1] <= 0xBF)
                    << toUtf8(entry.first) << ": UTF-8 read as single bytes";
            }
        }
    }
}

// A file holding accented text must be UTF-16 with a byte-order mark: the
// engine's reader would split UTF-8 sequences into single characters.
TEST_P(LanguageFileTest, EncodingIsOneTheEngineDecodes) {
    const std::string bytes = readBytes(path);
    ASSERT_FALSE(bytes.empty());
    const bool utf16le = bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
                         static_cast<unsigned char>(bytes[1]) == 0xFE;
    if (utf16le)
        return;
    for (unsigned char c : bytes)
        ASSERT_LT(c, 0x80u) << path << " holds non-ASCII bytes but is not UTF-16LE with a BOM";
}

// Captions shown in fixed-size controls (widths in pixels from the window
// layouts) must fit, or the engine clips them.
TEST_P(LanguageFileTest, CaptionsFitTheirControls) {
    const struct {
        const char* key;
        irr::u32 maxWidth;
    } captions[] = {
        {"action_ok", 75 - 4},          // settings window button
        {"action_cancel", 75 - 4},      // settings window button
        {"action_save", 80 - 4},        // save window button
        {"action_update", 60 - 4},      // tool box buttons
        {"action_load", 60 - 4},        // sky box rows
        {"action_set", 69 - 4},         // flags tab
        {"action_default", 69 - 4},     // flags tab
        {"window_toolbox_edit_position", 50},  // group headers
        {"window_toolbox_edit_rotation", 50},
        {"window_toolbox_edit_scale", 50},
        {"window_toolbox_edit_colour", 50},
        {"window_toolbox_edit_material", 50},
        {"window_toolbox_edit_edit", 50},
        {"node_material_solid", 110 - 22},  // material combo box, less its arrow
        {"node_material_transparent", 110 - 22},
        {"node_material_reflection", 110 - 22},
        {"light_type_point", 160 - 22},     // light combo box
        {"light_type_spot", 160 - 22},
        {"light_type_directional", 160 - 22},
    };
    for (const auto& caption : captions)
        EXPECT_LE(width(text(caption.key)), caption.maxWidth)
            << path << ": \"" << toUtf8(text(caption.key)) << "\" (" << caption.key << ")";
}

// The About text stands at (20, 30) to (480, 500) without word wrap; the logo
// covers x >= 320 from y = 250 down, and the OK button starts at y = 470.
TEST_P(LanguageFileTest, AboutTextIsMultiLineAndClearOfTheLogo) {
    const std::vector<std::wstring> lines = splitLines(text("about_text"));
    ASSERT_GE(lines.size(), 5u) << "expected a multi-line About text";
    const irr::u32 lineHeight = font->getDimension(L"A").Height + font->getKerningHeight();
    irr::u32 top = 30;
    for (const std::wstring& line : lines) {
        const irr::u32 lineWidth = width(line);
        EXPECT_LE(20 + lineWidth, 480u) << toUtf8(line);
        if (top + lineHeight > 250) {
            EXPECT_LE(20 + lineWidth, 318u) << "runs under the logo: " << toUtf8(line);
        }
        top += lineHeight;
    }
    EXPECT_LE(top, 468u) << "the About text runs into the OK button";
}

// The help page names the menus and their entries as the editor shows them.
TEST_P(LanguageFileTest, HelpPageUsesTheMenuCaptions) {
    const std::string page = readBytes(kRuntime + "/doc/" + GetParam() + ".html");
    ASSERT_FALSE(page.empty());
    EXPECT_NE(page.find("<meta charset=\"utf-8\">"), std::string::npos);
    for (const char* key : {"menu_file", "menu_view", "menu_scene", "menu_camera", "menu_options",
                            "menu_help", "menu_create_new_scene", "menu_open_scene", "menu_save",
                            "menu_quit", "menu_sky_box_visible", "menu_grid_visible",
                            "menu_toggle_model_debug", "menu_camera_maya1", "menu_camera_maya2",
                            "menu_camera_fps", "menu_options_settings", "menu_help_help"}) {
        EXPECT_NE(page.find(toUtf8(text(key))), std::string::npos)
            << GetParam() << ".html does not mention \"" << toUtf8(text(key)) << "\" (" << key << ")";
    }
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, LanguageFileTest, ::testing::Values("en", "fr"));

TEST(FrenchLanguageFile, AccentedLettersComeOutAsSingleCharacters) {
    NullDevice device;
    ASSERT_TRUE(device);
    Table french;
    ASSERT_TRUE(readLanguageFile(device.operator->(), kRuntime + "/lang/fr.xml", french));
    EXPECT_NE(french[L"menu_scene"].find(L'\u00e8'), std::wstring::npos);   // e grave
    EXPECT_NE(french[L"about_text"].find(L'\u00e9'), std::wstring::npos);   // e acute
    EXPECT_EQ(french[L"window_toolbox_tab_emitter"].substr(0, 1), L"\u00c9");
    EXPECT_EQ(french[L"menu_help_about"].substr(0, 1), L"\u00c0");
    EXPECT_NE(french[L"menu_toolbox"].find(L'\u00ee'), std::wstring::npos);  // i circumflex
}

// The editor's own loader, started from the runtime folder, sees the same
// texts: no key falls back to the missing-text marker.
class EditorLanguageLoadTest : public sorn::test::NullDeviceTest {};

TEST_F(EditorLanguageLoadTest, EveryKeyTranslatesInBothLanguages) {
    sorn::editor.appDirectory = irr::core::stringw(kRuntime.c_str());
    for (const char* code : {"en", "fr"}) {
        Table direct;
        ASSERT_TRUE(readLanguageFile(sorn::editor.device, kRuntime + "/lang/" + code + ".xml", direct));
        sorn::loadLanguage(irr::core::stringw(code));
        for (const char* key : kLanguageKeys) {
            const irr::core::stringw text = sorn::translate(irr::core::stringw(key));
            EXPECT_NE(text, irr::core::stringw(L"___")) << code << ": " << key;
            EXPECT_EQ(std::wstring(text.c_str()), direct[widen(key)]) << code << ": " << key;
        }
    }
}

// -------------------------------------------------------------- config ---

TEST(ConfigTemplate, StartsInEnglishWithBothLanguageSettings) {
    NullDevice device;
    ASSERT_TRUE(device);
    Table settings;
    ASSERT_TRUE(readSettingsFile(device.operator->(), kSource + "/data/config.xml", settings));
    EXPECT_EQ(settings[L"language"], L"en");
    EXPECT_EQ(settings[L"langage"], L"en");
}

TEST(RuntimeConfig, HoldsEnglishForBothLanguageSettings) {
    NullDevice device;
    ASSERT_TRUE(device);
    Table settings;
    ASSERT_TRUE(readSettingsFile(device.operator->(), kRuntime + "/config.xml", settings));
    const char* hint = " (a changed runtime config.xml is kept by the build: delete it and rebuild "
                       "to install the template again)";
    EXPECT_EQ(settings[L"language"], L"en") << hint;
    EXPECT_EQ(settings[L"langage"], L"en") << hint;
}

// Runs "cmake -D... -P script" and returns its exit status.
int runCmakeScript(const std::string& script, const std::vector<std::string>& definitions) {
    std::vector<std::string> args = {"cmake"};
    args.insert(args.end(), definitions.begin(), definitions.end());
    args.push_back("-P");
    args.push_back(script);
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, "cmake", nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

// The build installs config.xml only when it is absent, so the settings a
// user saved in the runtime folder survive every rebuild.
TEST(RuntimeConfig, BuildStepKeepsAnExistingFileAndInstallsAMissingOne) {
    char pattern[] = "/tmp/sorn-runtime-config-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string folder = pattern;
    const std::string script = kSource + "/cmake/InstallIfAbsent.cmake";
    const std::string templatePath = kSource + "/data/config.xml";
    const std::string dest = folder + "/runtime/config.xml";
    const std::vector<std::string> definitions = {"-DSOURCE=" + templatePath, "-DDEST=" + dest};

    EXPECT_EQ(runCmakeScript(script, definitions), 0);
    EXPECT_EQ(readBytes(dest), readBytes(templatePath));

    const std::string userSettings = "<config><prog><setting name=\"langage\" value=\"fr\"/></prog></config>";
    std::ofstream(dest, std::ios::binary | std::ios::trunc) << userSettings;
    EXPECT_EQ(runCmakeScript(script, definitions), 0);
    EXPECT_EQ(readBytes(dest), userSettings);

    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

// ------------------------------------------------------ data location ---

// Program, start folder, $XDG_CONFIG_HOME, $HOME (null: unset), then the
// data folder, defaults and settings expected; "@" is the test's folder.
struct LocationCase {
    const char *name, *program, *start, *configHome, *home, *data, *defaults, *settings;
};

const char* const kShared = "@/prefix/share/sorn-editor";
const LocationCase kLocationCases[] = {
    {"RuntimeFolder", "runtime/sorn-editor", "work", "/x", "/h", "@/work", "", "@/work/config.xml"},
    {"RuntimeStartedElsewhere", "runtime/sorn-editor", "empty", 0, "/h", "@/runtime", "", "@/runtime/config.xml"},
    {"UnknownProgram", "", "work", "/x", "/h", "@/work", "", "@/work/config.xml"},
    {"NoShareBesideBin", "loose/bin/sorn-editor", "empty", "/x", "/h", "@/empty", "", "@/empty/config.xml"},
    {"MediaBesideProgramWins", "both/bin/sorn-editor", "work", "/x", "/h", "@/work", "", "@/work/config.xml"},
    {"Installed", "prefix/bin/sorn-editor", "work", "/x/c", "/h", kShared, "config.xml", "/x/c/sorn-editor/config.xml"},
    {"UnsetConfigHome", "prefix/bin/sorn-editor", "empty", 0, "/h", kShared, "config.xml", "/h/.config/sorn-editor/config.xml"},
    {"EmptyConfigHome", "prefix/bin/sorn-editor", "work", "", "/h", kShared, "config.xml", "/h/.config/sorn-editor/config.xml"},
    {"RelativeConfigHome", "prefix/bin/sorn-editor", "work", "c", "/h", kShared, "config.xml", "/h/.config/sorn-editor/config.xml"},
    {"NoHomeAtAll", "prefix/bin/sorn-editor", "work", 0, "", kShared, "config.xml", ""},
};

class DataLocationTest : public ::testing::TestWithParam<LocationCase> {};

TEST_P(DataLocationTest, ChoosesDataAndSettingsFiles) {
    const LocationCase& c = GetParam();
    sorn::test::TempDir dir;
    for (const char* folder : {"runtime/media", "work/media", "empty", "loose/bin", "both/bin/media",
                               "both/share/sorn-editor/media", "prefix/bin", "prefix/share/sorn-editor/media"})
        fs::create_directories(dir.file(folder));
    const auto at = [&](std::string path) { return path[0] == '@' ? dir.path() + path.substr(1) : path; };
    const sorn::DataLocation location = sorn::chooseDataLocation(
        {*c.program ? dir.file(c.program) : "", dir.file(c.start), c.configHome, c.home});
    EXPECT_EQ(location.dataDirectory, at(c.data));
    EXPECT_EQ(location.defaultsFile, *c.defaults ? at(c.data) + "/" + c.defaults : "");
    EXPECT_EQ(location.settingsFile, *c.settings ? at(c.settings) : "");
    EXPECT_EQ(location.installed, *c.defaults != 0);
}

INSTANTIATE_TEST_SUITE_P(RuntimeAndInstalled, DataLocationTest, ::testing::ValuesIn(kLocationCases),
                         [](const ::testing::TestParamInfo<LocationCase>& info) { return std::string(info.param.name); });

} // namespace
