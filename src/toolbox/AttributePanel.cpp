#include "toolbox/AttributePanel.h"

#include <cstring>
#include <string>
#include <vector>

#include "app/EditorState.h"
#include "app/EngineRef.h"
#include "app/FileDialog.h"
#include "app/GuiIds.h"
#include "app/TextConvert.h"
#include "app/Translate.h"
#include "files/UserTexture.h"
#include "scene/NodeUserData.h"
#include "toolbox/AttributeText.h"
#include "toolbox/ColourSwatch.h"
#include "toolbox/ColourText.h"
#include "toolbox/DialogOwners.h"
#include "toolbox/ToolBoxRows.h"

using namespace irr;

namespace sorn {

namespace {

constexpr s32 kRowHeight = 24;
constexpr s32 kBoxHeight = 20;
constexpr s32 kScrollBarWidth = 16;
constexpr s32 kButtonWidth = 18;
constexpr s32 kGap = 2;

// A row: its attribute, its editor, its label and editing elements (boxes
// first, then a swatch or a browse button) and where it sits unscrolled.
struct Row {
    u32 index = 0;
    AttributeEditor editor = AttributeEditor::ReadOnly;
    s32 top = 0;
    gui::IGUIElement* label = nullptr;
    std::vector<gui::IGUIElement*> parts;
    // The texts the boxes were given: Enter on an untouched row is no edit.
    std::vector<core::stringw> shown;
};

u32 boxCount(AttributeEditor editor) {
    switch (editor) {
    case AttributeEditor::Vector3:
        return 3;
    case AttributeEditor::Vector2:
    case AttributeEditor::Position2:
    case AttributeEditor::Size2:
        return 2;
    case AttributeEditor::Check:
    case AttributeEditor::Choice:
        return 0;
    default:
        return 1;
    }
}

bool hasButton(AttributeEditor editor) {
    return editor == AttributeEditor::Colour || editor == AttributeEditor::Texture;
}

std::vector<core::stringw> shownTexts(io::IAttributes* set, u32 index, AttributeEditor editor) {
    const s32 i = static_cast<s32>(index);
    switch (editor) {
    case AttributeEditor::Integer:
        return {core::stringw(set->getAttributeAsInt(i))};
    case AttributeEditor::Number:
        return {formatFloat(set->getAttributeAsFloat(i))};
    case AttributeEditor::Vector3: {
        const core::vector3df v = set->getAttributeAsVector3d(i);
        return {formatFloat(v.X), formatFloat(v.Y), formatFloat(v.Z)};
    }
    case AttributeEditor::Vector2: {
        const core::vector2df v = set->getAttributeAsVector2d(i);
        return {formatFloat(v.X), formatFloat(v.Y)};
    }
    case AttributeEditor::Position2: {
        const core::position2di p = set->getAttributeAsPosition2d(i);
        return {core::stringw(p.X), core::stringw(p.Y)};
    }
    case AttributeEditor::Size2: {
        const core::dimension2du d = set->getAttributeAsDimension2d(i);
        return {core::stringw(d.Width), core::stringw(d.Height)};
    }
    case AttributeEditor::Colour:
        if (set->getAttributeType(i) == io::EAT_COLORF)
            return {formatColourText(set->getAttributeAsColorf(i))};
        return {formatColourText(set->getAttributeAsColor(i))};
    case AttributeEditor::Texture:
        return {widePath(set->getAttributeAsString(i).c_str())};
    case AttributeEditor::ReadOnly:
        if (set->getAttributeType(i) == io::EAT_STRINGWARRAY) {
            // The engine writes no text for a text array: its items, joined.
            const core::array<core::stringw> items = set->getAttributeAsArray(i);
            core::stringw joined;
            for (u32 k = 0; k < items.size(); ++k) {
                if (k)
                    joined += L"; ";
                joined += items[k];
            }
            return {joined};
        }
        return {attributeText(set, i)};
    case AttributeEditor::Check:
    case AttributeEditor::Choice:
        return {};
    default:
        return {attributeText(set, i)};
    }
}

class AttributePanel : public gui::IGUIElement {
public:
    AttributePanel(gui::IGUIEnvironment* env, gui::IGUIElement* parent, const core::rect<s32>& area,
                   io::IAttributes* shown, s32 firstId, s32 lastId, AttributeEdited onEdit)
        : gui::IGUIElement(gui::EGUIET_ELEMENT, env, parent, ids::AttributesPanel, area),
          shown_(EngineRef<io::IAttributes>::adopt(shown)), nextId_(firstId), lastId_(lastId),
          onEdit_(std::move(onEdit)) {
        build();
    }

    bool OnEvent(const SEvent& event) override;
    s32 rowId(const c8* name) const {
        for (const Row& row : rows_)
            if (std::strcmp(shown_->getAttributeName(static_cast<s32>(row.index)), name) == 0)
                return row.parts.empty() ? -1 : row.parts[0]->getID();
        return -1;
    }

private:
    void build();
    bool addRow(u32 index, s32 width);
    void scrollTo(s32 offset);
    Row* rowOf(const gui::IGUIElement* element);
    void commit(Row& row, gui::IGUIElement* caller);
    bool readRow(const Row& row, io::IAttributes* edited);
    bool readTexture(const Row& row, io::IAttributes* edited);
    void openTextureDialog(Row& row);

    EngineRef<io::IAttributes> shown_;
    s32 nextId_;
    s32 lastId_;
    AttributeEdited onEdit_;
    std::vector<Row> rows_;
    gui::IGUIScrollBar* scrollBar_ = nullptr;
    s32 contentHeight_ = 0;
    // The row whose browse button opened the file dialog.
    u32 textureIndex_ = 0;
    bool textureOpen_ = false;
};

void AttributePanel::build() {
    const s32 count = static_cast<s32>(shown_->getAttributeCount());
    const s32 height = RelativeRect.getHeight();
    const bool scrolls = count * kRowHeight > height;
    const s32 width = RelativeRect.getWidth() - (scrolls ? kScrollBarWidth + kGap : 0);
    rows_.reserve(static_cast<size_t>(count));
    for (s32 i = 0; i < count; ++i)
        if (!addRow(static_cast<u32>(i), width))
            break; // ids ran out
    contentHeight_ = static_cast<s32>(rows_.size()) * kRowHeight;
    if (contentHeight_ > height) {
        const s32 left = RelativeRect.getWidth() - kScrollBarWidth;
        scrollBar_ = Environment->addScrollBar(false, core::rect<s32>(left, 0, left + kScrollBarWidth, height), this);
        scrollBar_->setMax(contentHeight_ - height);
        scrollBar_->setSmallStep(kRowHeight);
        scrollBar_->setLargeStep(height);
    }
    scrollTo(0);
}

bool AttributePanel::addRow(u32 index, s32 width) {
    Row row;
    row.index = index;
    row.editor = attributeEditorFor(shown_->getAttributeType(static_cast<s32>(index)));
    const u32 boxes = boxCount(row.editor);
    const s32 idsNeeded = static_cast<s32>(boxes + (hasButton(row.editor) || !boxes ? 1 : 0));
    if (nextId_ + idsNeeded - 1 > lastId_)
        return false;
    row.top = static_cast<s32>(rows_.size()) * kRowHeight;

    const s32 i = static_cast<s32>(index);
    const core::stringw name = widenBytes(shown_->getAttributeName(i));
    const s32 labelRight = width * 2 / 5;
    gui::IGUIStaticText* label =
        Environment->addStaticText(name.c_str(), core::rect<s32>(0, 3, labelRight, kBoxHeight), false, false, this);
    label->setToolTipText((name + L" (" + shown_->getAttributeTypeString(i) + L")").c_str());
    row.label = label;

    const s32 left = labelRight + kGap;
    const s32 right = width - (hasButton(row.editor) ? kButtonWidth + kGap : 0);
    const auto box = [&](s32 from, s32 to) { return core::rect<s32>(from, 0, to, kBoxHeight); };
    switch (row.editor) {
    case AttributeEditor::Check: {
        gui::IGUICheckBox* check = Environment->addCheckBox(shown_->getAttributeAsBool(i), box(left, width), this,
                                                            nextId_++);
        row.parts.push_back(check);
        break;
    }
    case AttributeEditor::Choice: {
        gui::IGUIComboBox* combo = Environment->addComboBox(box(left, width), this, nextId_++);
        core::array<core::stringc> literals;
        shown_->getAttributeEnumerationLiteralsOfEnumeration(i, literals);
        const core::stringc value = shown_->getAttributeAsEnumeration(i);
        for (u32 k = 0; k < literals.size(); ++k) {
            combo->addItem(widenBytes(literals[k].c_str()).c_str());
            if (literals[k] == value)
                combo->setSelected(static_cast<s32>(k));
        }
        row.parts.push_back(combo);
        break;
    }
    default: {
        row.shown = shownTexts(shown_.get(), index, row.editor);
        const s32 span = (right - left + kGap) / static_cast<s32>(boxes);
        for (u32 k = 0; k < boxes; ++k) {
            const s32 from = left + static_cast<s32>(k) * span;
            gui::IGUIEditBox* edit = Environment->addEditBox(row.shown[k].c_str(), box(from, from + span - kGap), true,
                                                             this, nextId_++);
            if (row.editor == AttributeEditor::ReadOnly) {
                edit->setEnabled(false);
                edit->setToolTipText(translate(L"attributes_read_only").c_str());
            }
            row.parts.push_back(edit);
        }
        if (row.editor == AttributeEditor::Colour) {
            gui::IGUIElement* edit = row.parts[0];
            const u32 rowIndex = index;
            row.parts.push_back(addColourSwatch(this, box(right + kGap, width), nextId_++, edit,
                                                [this, rowIndex, edit](video::SColor colour) {
                                                    edit->setText(formatColourText(colour).c_str());
                                                    if (rowIndex < rows_.size())
                                                        commit(rows_[rowIndex], edit);
                                                }));
        } else if (row.editor == AttributeEditor::Texture) {
            row.parts.push_back(addBrowseButton(this, box(right + kGap, width), nextId_++));
        }
        break;
    }
    }
    rows_.push_back(std::move(row));
    return true;
}

// Rows move up by offset; those not wholly inside the panel are hidden (the
// engine has no scrolled pane).
void AttributePanel::scrollTo(s32 offset) {
    const s32 height = RelativeRect.getHeight();
    for (Row& row : rows_) {
        const s32 y = row.top - offset;
        const bool inside = y >= 0 && y + kBoxHeight <= height;
        row.label->setRelativePosition(core::position2di(row.label->getRelativePosition().UpperLeftCorner.X, y + 3));
        row.label->setVisible(inside);
        for (gui::IGUIElement* part : row.parts) {
            part->setRelativePosition(core::position2di(part->getRelativePosition().UpperLeftCorner.X, y));
            part->setVisible(inside);
        }
    }
}

Row* AttributePanel::rowOf(const gui::IGUIElement* element) {
    for (Row& row : rows_)
        for (gui::IGUIElement* part : row.parts)
            if (part == element)
                return &row;
    return nullptr;
}

bool AttributePanel::readTexture(const Row& row, io::IAttributes* edited) {
    const s32 i = static_cast<s32>(row.index);
    const core::stringw path = row.parts[0]->getText();
    if (path.empty()) {
        edited->setAttribute(i, static_cast<video::ITexture*>(nullptr), io::path());
        return true;
    }
    // Through the editor's checks, never the engine's loader directly.
    const std::string bytes = narrowPath(path.c_str());
    video::ITexture* texture = loadUserTexture(bytes);
    if (!texture)
        return false;
    edited->setAttribute(i, texture, io::path(bytes.c_str()));
    return true;
}

bool AttributePanel::readRow(const Row& row, io::IAttributes* edited) {
    const s32 i = static_cast<s32>(row.index);
    const auto text = [&](u32 k) { return row.parts[k]->getText(); };
    switch (row.editor) {
    case AttributeEditor::Check:
        edited->setAttribute(i, static_cast<gui::IGUICheckBox*>(row.parts[0])->isChecked());
        return true;
    case AttributeEditor::Choice: {
        core::array<core::stringc> literals;
        edited->getAttributeEnumerationLiteralsOfEnumeration(i, literals);
        const s32 chosen = static_cast<gui::IGUIComboBox*>(row.parts[0])->getSelected();
        if (chosen < 0 || static_cast<u32>(chosen) >= literals.size())
            return false;
        edited->setAttribute(i, literals[static_cast<u32>(chosen)].c_str());
        return true;
    }
    case AttributeEditor::Integer: {
        s32 value = 0;
        if (!readIntegerText(text(0), value))
            return false;
        edited->setAttribute(i, value);
        return true;
    }
    case AttributeEditor::Number: {
        f32 value = 0.f;
        if (!readFloatText(text(0), value))
            return false;
        edited->setAttribute(i, value);
        return true;
    }
    case AttributeEditor::Vector3: {
        // A box that does not read keeps its component.
        core::vector3df v = edited->getAttributeAsVector3d(i);
        // Every box is read, also after one that does not.
        const int read = readFloatText(text(0), v.X) + readFloatText(text(1), v.Y) + readFloatText(text(2), v.Z);
        const bool any = read > 0;
        edited->setAttribute(i, v);
        return any;
    }
    case AttributeEditor::Vector2: {
        core::vector2df v = edited->getAttributeAsVector2d(i);
        const int read = readFloatText(text(0), v.X) + readFloatText(text(1), v.Y);
        const bool any = read > 0;
        edited->setAttribute(i, v);
        return any;
    }
    case AttributeEditor::Position2: {
        core::position2di p = edited->getAttributeAsPosition2d(i);
        const int read = readIntegerText(text(0), p.X) + readIntegerText(text(1), p.Y);
        const bool any = read > 0;
        edited->setAttribute(i, p);
        return any;
    }
    case AttributeEditor::Size2: {
        core::dimension2du d = edited->getAttributeAsDimension2d(i);
        s32 w = 0, h = 0;
        bool any = false;
        if (readIntegerText(text(0), w) && w >= 0) {
            d.Width = static_cast<u32>(w);
            any = true;
        }
        if (readIntegerText(text(1), h) && h >= 0) {
            d.Height = static_cast<u32>(h);
            any = true;
        }
        edited->setAttribute(i, d);
        return any;
    }
    case AttributeEditor::Colour: {
        video::SColor colour;
        if (!readColourText(text(0), colour))
            return false;
        if (edited->getAttributeType(i) == io::EAT_COLORF)
            edited->setAttribute(i, colourToFloat(colour));
        else
            edited->setAttribute(i, colour);
        return true;
    }
    case AttributeEditor::Texture:
        return readTexture(row, edited);
    case AttributeEditor::Text:
    case AttributeEditor::EngineText:
        setAttributeText(edited, i, text(0));
        return true;
    case AttributeEditor::ReadOnly:
        return false;
    }
    return false;
}

void AttributePanel::commit(Row& row, gui::IGUIElement* caller) {
    // Enter on boxes showing what they were given is no edit.
    bool typed = row.shown.empty();
    for (size_t k = 0; k < row.shown.size(); ++k)
        typed = typed || row.shown[k] != row.parts[k]->getText();
    if (!typed)
        return;
    const s32 i = static_cast<s32>(row.index);
    EngineRef<io::IAttributes> edited = EngineRef<io::IAttributes>::adopt(copyAttributes(shown_.get()));
    const bool read = edited && readRow(row, edited.get());
    if (!read || attributeText(edited.get(), i) == attributeText(shown_.get(), i)) {
        // Text that does not read (or reads as the value in force) shows
        // the value in force again.
        for (size_t k = 0; k < row.shown.size(); ++k)
            row.parts[k]->setText(row.shown[k].c_str());
        return;
    }
    // The panel shows the edited set from now on: it stays right when the
    // owner does not rebuild it.
    shown_ = edited;
    row.shown = shownTexts(shown_.get(), row.index, row.editor);
    for (size_t k = 0; k < row.shown.size(); ++k)
        row.parts[k]->setText(row.shown[k].c_str());
    // The owner usually rebuilds the panel inside the caller's own event.
    holdEditedElement(caller);
    if (!onEdit_)
        return;
    // The owner may remove this panel: everything it needs is held here.
    grab();
    AttributeEdited onEdit = onEdit_;
    onEdit(edited.get(), row.index);
    drop();
}

void AttributePanel::openTextureDialog(Row& row) {
    FileDialog* dialog =
        openEditorFileDialog(ids::DialogAttributeTexture, translate(L"file_open_dialog_open_img").c_str());
    if (!dialog)
        return;
    textureIndex_ = row.index;
    textureOpen_ = true;
    passDialogReportsTo(dialog, this);
}

bool AttributePanel::OnEvent(const SEvent& event) {
    if (event.EventType == EET_MOUSE_INPUT_EVENT && event.MouseInput.Event == EMIE_MOUSE_WHEEL && scrollBar_) {
        scrollBar_->setPos(scrollBar_->getPos() - static_cast<s32>(event.MouseInput.Wheel) * kRowHeight);
        scrollTo(scrollBar_->getPos());
        return true;
    }
    if (event.EventType != EET_GUI_EVENT)
        return gui::IGUIElement::OnEvent(event);
    gui::IGUIElement* caller = event.GUIEvent.Caller;
    switch (event.GUIEvent.EventType) {
    case gui::EGET_SCROLL_BAR_CHANGED:
        if (caller != scrollBar_ || !scrollBar_)
            break;
        scrollTo(scrollBar_->getPos());
        return true;
    case gui::EGET_EDITBOX_ENTER:
    case gui::EGET_CHECKBOX_CHANGED:
    case gui::EGET_COMBO_BOX_CHANGED:
        if (Row* row = rowOf(caller)) {
            commit(*row, caller);
            return true;
        }
        break;
    case gui::EGET_BUTTON_CLICKED:
        if (Row* row = rowOf(caller)) {
            if (row->editor == AttributeEditor::Texture)
                openTextureDialog(*row);
            return true;
        }
        break;
    case gui::EGET_FILE_SELECTED:
    case gui::EGET_FILE_CHOOSE_DIALOG_CANCELLED:
        if (caller && caller->getID() == ids::DialogAttributeTexture) {
            const bool chosen = event.GUIEvent.EventType == gui::EGET_FILE_SELECTED && textureOpen_;
            textureOpen_ = false;
            if (chosen && textureIndex_ < rows_.size()) {
                Row& row = rows_[textureIndex_];
                row.parts[0]->setText(static_cast<gui::IGUIFileOpenDialog*>(caller)->getFileName());
                commit(row, row.parts[0]);
            }
            return true;
        }
        break;
    default:
        break;
    }
    return gui::IGUIElement::OnEvent(event);
}

} // namespace

AttributeEditor attributeEditorFor(io::E_ATTRIBUTE_TYPE type) {
    switch (type) {
    case io::EAT_BOOL:
        return AttributeEditor::Check;
    case io::EAT_INT:
        return AttributeEditor::Integer;
    case io::EAT_FLOAT:
        return AttributeEditor::Number;
    case io::EAT_STRING:
        return AttributeEditor::Text;
    case io::EAT_ENUM:
        return AttributeEditor::Choice;
    case io::EAT_VECTOR3D:
        return AttributeEditor::Vector3;
    case io::EAT_VECTOR2D:
        return AttributeEditor::Vector2;
    case io::EAT_POSITION2D:
        return AttributeEditor::Position2;
    case io::EAT_DIMENSION2D:
        return AttributeEditor::Size2;
    case io::EAT_COLOR:
    case io::EAT_COLORF:
        return AttributeEditor::Colour;
    case io::EAT_TEXTURE:
        return AttributeEditor::Texture;
    // The engine writes no text for a text array and an address for a
    // pointer: neither reads back.
    case io::EAT_STRINGWARRAY:
    case io::EAT_USER_POINTER:
    case io::EAT_UNKNOWN:
    case io::EAT_COUNT:
        return AttributeEditor::ReadOnly;
    default:
        return AttributeEditor::EngineText;
    }
}

s32 attributeRowId(gui::IGUIElement* panel, const char* name) {
    auto* shown = dynamic_cast<AttributePanel*>(panel);
    return shown && name ? shown->rowId(name) : -1;
}

gui::IGUIElement* addAttributePanel(gui::IGUIElement* parent, const core::rect<s32>& area,
                                    io::IAttributes* attributes, s32 firstId, s32 lastId, AttributeEdited onEdit) {
    if (!editor.device || !parent || !attributes)
        return nullptr;
    io::IAttributes* copy = copyAttributes(attributes);
    if (!copy)
        return nullptr;
    auto* panel = new AttributePanel(editor.device->getGUIEnvironment(), parent, area, copy, firstId, lastId,
                                     std::move(onEdit));
    panel->drop(); // the parent holds it
    return panel;
}

} // namespace sorn
