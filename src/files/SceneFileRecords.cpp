#include "files/SceneFileRecords.h"

#include <algorithm>
#include <cstring>

namespace sorn {

namespace {

struct EntityText {
    const char* text; // after the '&'
    wchar_t character;
};
const EntityText kEntities[] = {{"amp;", L'&'}, {"lt;", L'<'}, {"gt;", L'>'}, {"quot;", L'"'}, {"apos;", L'\''}};

// Names and types as the engine keeps them: decoded, then each character cut
// to its low byte.
std::string narrowed(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    for (wchar_t c : text)
        out.push_back(static_cast<char>(static_cast<uint32_t>(c) & 0xFF));
    return out;
}

std::string engineText(const std::vector<uint32_t>& units) {
    // Most names hold no entity: each character cut to its low byte.
    if (std::find(units.begin(), units.end(), uint32_t{'&'}) == units.end()) {
        std::string out(units.size(), '\0');
        for (size_t i = 0; i < units.size(); ++i)
            out[i] = static_cast<char>(units[i] & 0xFF);
        return out;
    }
    bool cut = false;
    std::wstring decoded = decodeEntities(units.data(), units.size(), &cut);
    if (cut)
        decoded.pop_back();
    return narrowed(decoded);
}

static_assert(static_cast<int>(SceneElement::Dimension2d) - static_cast<int>(SceneElement::Int) ==
                  static_cast<int>(RecordedType::Dimension2d),
              "the attribute types follow each other in both lists");

bool typeOfElement(SceneElement kind, RecordedType& type) {
    if (kind < SceneElement::Int)
        return false;
    type = static_cast<RecordedType>(static_cast<int>(kind) - static_cast<int>(SceneElement::Int));
    return true;
}

size_t costOf(const RecordedEntry& entry) {
    return sizeof entry + entry.name.size() + entry.value.size() * sizeof(wchar_t);
}

bool isEmitterValue(const std::string& name) {
    return name == "Emitter" || name == "Direction" || name == "MinParticlesPerSecond" ||
           name == "MaxParticlesPerSecond";
}

bool holds(const std::vector<RecordedEntry>& entries, const std::string& name) {
    for (const RecordedEntry& entry : entries)
        if (entry.name == name)
            return true;
    return false;
}

} // namespace

// The engine replaces each entity in turn, copying the text between them;
// after the last one it copies the rest only when more than one character
// is left, so a single one is lost. A '&' that starts no entity is kept.
std::wstring decodeEntities(const uint32_t* units, size_t count, bool* cut) {
    std::wstring out;
    out.reserve(count);
    size_t rest = 0;   // the first unit not yet copied
    size_t i = 0;
    bool lostOne = false;
    while (i < count) {
        if (units[i] != '&' || i + 2 >= count) {
            ++i;
            continue;
        }
        const EntityText* found = nullptr;
        for (const EntityText& entity : kEntities) {
            const size_t length = std::strlen(entity.text);
            bool same = i + 1 + length <= count;
            for (size_t k = 0; same && k < length; ++k)
                same = units[i + 1 + k] == static_cast<unsigned char>(entity.text[k]);
            if (same) {
                found = &entity;
                break;
            }
        }
        if (!found) {
            ++i;
            continue;
        }
        for (; rest < i; ++rest)
            out.push_back(static_cast<wchar_t>(units[rest]));
        out.push_back(found->character);
        i += 1 + std::strlen(found->text);
        rest = i;
        lostOne = rest + 1 == count;
    }
    for (; rest < count; ++rest)
        out.push_back(static_cast<wchar_t>(units[rest]));
    if (cut)
        *cut = lostOne;
    return out;
}

SceneRecordsBuilder::SceneRecordsBuilder() {
    frames_.reserve(64);
}

bool SceneRecordsBuilder::spend(size_t bytes) {
    spent_ += bytes;
    if (spent_ > kMaxRecordedBytes)
        giveUp();
    return !records_.givenUp;
}

void SceneRecordsBuilder::giveUp() {
    if (records_.givenUp)
        return;
    records_ = SceneFileRecords();
    records_.givenUp = true;
    for (Frame& frame : frames_) {
        frame.kept = std::vector<RecordedEntry>();
        frame.userData = std::vector<uint32_t>();
    }
    blockEntries_ = std::vector<RecordedEntry>();
}

uint16_t SceneRecordsBuilder::typeIndex(const std::string& type) {
    for (size_t i = 0; i < records_.typeNames.size(); ++i)
        if (records_.typeNames[i] == type)
            return static_cast<uint16_t>(i);
    if (records_.typeNames.size() >= kMaxRecordedTypes) {
        giveUp();
        return 0;
    }
    records_.typeNames.push_back(type);
    return static_cast<uint16_t>(records_.typeNames.size() - 1);
}

void SceneRecordsBuilder::openNode(const std::vector<uint32_t>* type, bool scene) {
    Frame frame{0, Kind::Other, false, {}, {}};
    if (!sceneOpened_) {
        sceneOpened_ = true; // the scene's own element: the root node
    } else if (scene) {
        frame.sameNode = true;
    } else {
        // No type attribute reads as an empty type, which no factory makes.
        const std::string name = type ? engineText(*type) : std::string();
        frame.type = records_.givenUp ? 0 : typeIndex(name);
        frame.kind = name == "particleSystem" ? Kind::ParticleSystem
                     : name == "animatedMesh" ? Kind::AnimatedMesh
                     : name == "waterSurface" ? Kind::WaterSurface
                                              : Kind::Other;
    }
    frames_.push_back(std::move(frame));
}

void SceneRecordsBuilder::closeNode() {
    if (frames_.empty())
        return;
    Frame& frame = frames_.back();
    if (!records_.givenUp && !frame.sameNode) {
        if (frames_.size() == 1) {
            records_.sceneEntries = std::move(frame.kept);
            for (uint32_t block : frame.userData)
                records_.userData[block].owner = SceneFileRecords::kSceneOwner;
        } else if (records_.nodes.size() >= kMaxRecordedNodes) {
            giveUp();
        } else {
            size_t depth = 0;
            for (size_t i = 1; i < frames_.size(); ++i)
                depth += frames_[i].sameNode ? 0 : 1;
            const uint32_t index = static_cast<uint32_t>(records_.nodes.size());
            records_.nodes.push_back({frame.type, static_cast<uint16_t>(depth),
                                      static_cast<uint32_t>(records_.entries.size()),
                                      static_cast<uint32_t>(frame.kept.size())});
            for (RecordedEntry& entry : frame.kept)
                records_.entries.push_back(std::move(entry));
            for (uint32_t block : frame.userData)
                records_.userData[block].owner = index;
        }
    }
    frames_.pop_back();
}

// The node whose blocks are being read: a nested scene element reads into
// the node around it.
SceneRecordsBuilder::Frame& SceneRecordsBuilder::readingNode() {
    size_t i = frames_.size() - 1;
    while (i > 0 && frames_[i].sameNode)
        --i;
    return frames_[i];
}

void SceneRecordsBuilder::keepEntry(const Element& element) {
    if (records_.givenUp || !element.entryName || !element.entryValue || frames_.empty())
        return;
    RecordedType type;
    if (!typeOfElement(element.kind, type))
        return;
    // Only these entries are ever kept; the name of an entry of any other
    // type is not narrowed, the value of any other entry not decoded.
    const Kind kind = block_ == Block::UserDataAttributes ? Kind::Other : readingNode().kind;
    const bool text = type == RecordedType::String;
    if (!text && (kind == Kind::Other || kind == Kind::WaterSurface))
        return;
    std::string name = engineText(*element.entryName);
    const bool wanted = block_ == Block::UserDataAttributes ? text
                        : kind == Kind::ParticleSystem       ? true
                        : kind == Kind::AnimatedMesh         ? name == "Name" || name == "StartFrame" || name == "EndFrame"
                        : kind == Kind::WaterSurface         ? text && (name == "Name" || name == "Mesh")
                                                             : text && name == "Name";
    if (!wanted)
        return;
    bool cut = false;
    RecordedEntry entry{type, std::move(name),
                        decodeEntities(element.entryValue->data(), element.entryValue->size(), &cut)};
    if (block_ == Block::UserDataAttributes) {
        if (type != RecordedType::String || !cut || !spend(costOf(entry)))
            return;
        records_.cutStrings.push_back(std::move(entry));
        ++records_.userData.back().cutCount;
        return;
    }
    const Frame* target = &readingNode();
    bool keep = entry.name == "Name" && type == RecordedType::String && cut && !holds(blockEntries_, "Name");
    if (target->kind == Kind::ParticleSystem) {
        affectorsBegun_ = affectorsBegun_ || entry.name == "Affector";
        keep = keep || affectorsBegun_ || (isEmitterValue(entry.name) && !holds(blockEntries_, entry.name));
    } else if (target->kind == Kind::AnimatedMesh) {
        keep = keep || ((entry.name == "StartFrame" || entry.name == "EndFrame") && !holds(blockEntries_, entry.name));
    } else if (target->kind == Kind::WaterSurface) {
        keep = keep || (entry.name == "Mesh" && type == RecordedType::String && !holds(blockEntries_, "Mesh"));
    }
    if (keep && spend(costOf(entry)))
        blockEntries_.push_back(std::move(entry));
}

void SceneRecordsBuilder::readElementStart(const Element& element) {
    const SceneElement name = element.kind;
    switch (block_) {
    case Block::None:
        if (name == SceneElement::Node || name == SceneElement::Scene) {
            if (frames_.size() >= 0xFFFF)
                return giveUp();
            openNode(element.nodeType, name == SceneElement::Scene);
        } else if (frames_.empty()) {
            return;
        } else if (name == SceneElement::Attributes) {
            block_ = Block::NodeAttributes;
            blockEntries_.clear();
            affectorsBegun_ = false;
        } else if (name == SceneElement::Materials) {
            block_ = Block::Materials;
        } else if (name == SceneElement::Animators) {
            block_ = Block::Animators;
        } else if (name == SceneElement::UserData) {
            block_ = Block::UserData;
        }
        break;
    case Block::Materials:
    case Block::Animators:
    case Block::UserData:
        if (name != SceneElement::Attributes)
            break;
        outer_ = block_;
        if (block_ != Block::UserData) {
            block_ = Block::Other;
        } else if (!records_.givenUp) {
            if (records_.userData.size() >= kMaxRecordedUserData)
                return giveUp();
            block_ = Block::UserDataAttributes;
            readingNode().userData.push_back(static_cast<uint32_t>(records_.userData.size()));
            records_.userData.push_back({SceneFileRecords::kSceneOwner,
                                         static_cast<uint32_t>(records_.cutStrings.size()), 0});
        } else {
            block_ = Block::Other;
        }
        break;
    case Block::NodeAttributes:
    case Block::UserDataAttributes:
        keepEntry(element);
        break;
    case Block::Other:
        break;
    }
}

void SceneRecordsBuilder::elementEnded(SceneElement name) {
    switch (block_) {
    case Block::None:
        if (name == SceneElement::Node || name == SceneElement::Scene)
            closeNode();
        break;
    case Block::NodeAttributes:
        if (name != SceneElement::Attributes)
            break;
        block_ = Block::None;
        if (!records_.givenUp && !frames_.empty()) {
            // Each block sets every value of the node anew: the latest one counts.
            readingNode().kept = std::move(blockEntries_);
            blockEntries_ = std::vector<RecordedEntry>();
        }
        break;
    case Block::Materials:
        if (name == SceneElement::Materials)
            block_ = Block::None;
        break;
    case Block::Animators:
        if (name == SceneElement::Animators)
            block_ = Block::None;
        break;
    case Block::UserData:
        if (name == SceneElement::UserData)
            block_ = Block::None;
        break;
    case Block::UserDataAttributes:
    case Block::Other:
        if (name == SceneElement::Attributes)
            block_ = outer_;
        break;
    }
}

SceneFileRecords SceneRecordsBuilder::finish() {
    // The engine's reader ends every node still open when the text ends.
    while (!frames_.empty())
        closeNode();
    return std::move(records_);
}

} // namespace sorn
