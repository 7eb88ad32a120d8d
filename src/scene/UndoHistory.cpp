#include "scene/UndoHistory.h"

#include "app/EditorState.h"
#include "app/NodeIndex.h"
#include "scene/GridCommands.h"
#include "scene/PlacedNodes.h"

using namespace irr;

namespace sorn {

UndoHistory undoHistory;

namespace {

// Restoring the grid goes through the same command as the scene tab.
void applyGrid(f32 size, f32 spacing) {
    if (editor.gridSize == size && editor.gridSpacing == spacing)
        return;
    editor.gridSize = size;
    editor.gridSpacing = spacing;
    setGridSizeAndSpacing(size, spacing);
}

class ValuesStep : public UndoStep {
public:
    ValuesStep(scene::ISceneNode* node, const SceneValues& before, const SceneValues& after)
        : node_(node), before_(before), after_(after),
          cost_(sizeof(*this) + before.node.memoryCost() + after.node.memoryCost()),
          kind_(kindOf(before, after)) {}
    void undo() override { apply(before_); }
    void redo() override { apply(after_); }
    std::size_t memoryCost() const override { return cost_; }
    scene::ISceneNode* node() const override { return node_.get(); }
    bool changesScene() const override { return node_ && before_.node != after_.node; }
    ChangeKind kind() const override { return kind_; }

private:
    // The lighting key flips the flag and the node's lighting together: it
    // names the step. Otherwise the node's change does, the grid last.
    static ChangeKind kindOf(const SceneValues& before, const SceneValues& after) {
        if (before.modelLighting != after.modelLighting)
            return ChangeKind::Lighting;
        if (before.node != after.node)
            return after.node.changeFrom(before.node);
        return ChangeKind::Grid;
    }

    void apply(const SceneValues& values) {
        if (node_)
            values.node.applyTo(node_.get());
        applyGrid(values.gridSize, values.gridSpacing);
        // The lighting key flips this flag: a lighting key pressed after an
        // undo must flip the node's lighting as restored, not the one undone.
        editor.modelLighting = values.modelLighting;
    }

    EngineRef<scene::ISceneNode> node_;
    SceneValues before_, after_;
    std::size_t cost_;
    ChangeKind kind_;
};

// A node in or out of the scene graph. The node and its parent are held for
// as long as the step may move them.
class PlacementStep : public UndoStep {
public:
    PlacementStep(scene::ISceneNode* node, scene::ISceneNode* parent, u32 position, bool inAfter,
                  ChangeKind kind)
        : node_(node), parent_(parent), position_(position), inAfter_(inAfter),
          cost_(sizeof(*this) + subtreeCost(node)), kind_(kind), namesKeptAt_(nameIndexGeneration()) {}
    // A subtree out of the scene may be freed with the step: its name entries
    // go first, so that no node made later at one of its addresses is taken
    // for it.
    ~PlacementStep() override {
        scene::ISceneNode* top = node_.get();
        while (top->getParent())
            top = top->getParent();
        if (!editor.sceneManager || top != editor.sceneManager->getRootSceneNode())
            forgetSubtreeNames(node_.get());
    }
    void undo() override { place(!inAfter_); }
    void redo() override { place(inAfter_); }
    // A node kept out of the scene costs its subtree, estimated per node when
    // the step is made (meshes and textures stay in the engine's caches).
    std::size_t memoryCost() const override { return cost_; }
    scene::ISceneNode* node() const override { return node_.get(); }
    ChangeKind kind() const override { return kind_; }
    bool placesNodesOnly() const override { return true; }

private:
    static std::size_t subtreeCost(scene::ISceneNode* node) {
        std::size_t cost = 512 + node->getMaterialCount() * sizeof(video::SMaterial);
        for (scene::ISceneNode* child : node->getChildren())
            cost += subtreeCost(child);
        return cost;
    }

    // The name index keeps the entries of a subtree taken out, so putting it
    // back needs no indexing unless the index started afresh meanwhile.
    void place(bool inScene) {
        if (inScene) {
            if (!node_->getParent() && parent_) {
                attachNode(node_.get(), parent_.get(), position_);
                notePlacedNode(node_.get(), nullptr, namesKeptAt_ == nameIndexGeneration());
            }
        } else if (scene::ISceneNode* parent = node_->getParent()) {
            position_ = detachNode(node_.get());
            namesKeptAt_ = nameIndexGeneration();
            notePlacedNode(node_.get(), parent);
        }
    }

    EngineRef<scene::ISceneNode> node_;
    EngineRef<scene::ISceneNode> parent_;
    u32 position_;
    bool inAfter_;
    std::size_t cost_;
    ChangeKind kind_;
    // The name index's generation when the step last took the node out.
    unsigned namesKeptAt_;
};

class GroupStep : public UndoStep {
public:
    explicit GroupStep(std::vector<std::unique_ptr<UndoStep>> steps) : steps_(std::move(steps)) {
        cost_ = sizeof(*this);
        for (const auto& step : steps_)
            cost_ += step->memoryCost();
    }
    ~GroupStep() override {
        while (!steps_.empty())
            steps_.pop_back();
    }
    void undo() override {
        for (auto step = steps_.rbegin(); step != steps_.rend(); ++step)
            (*step)->undo();
    }
    void redo() override {
        for (auto& step : steps_)
            step->redo();
    }
    std::size_t memoryCost() const override { return cost_; }
    scene::ISceneNode* node() const override { return steps_.empty() ? nullptr : steps_.front()->node(); }
    ChangeKind kind() const override { return steps_.empty() ? ChangeKind::Add : steps_.front()->kind(); }
    bool changesScene() const override {
        for (const auto& step : steps_)
            if (step->changesScene())
                return true;
        return false;
    }
    bool placesNodesOnly() const override {
        for (const auto& step : steps_)
            if (!step->placesNodesOnly())
                return false;
        return !steps_.empty();
    }

private:
    std::vector<std::unique_ptr<UndoStep>> steps_;
    std::size_t cost_;
};

} // namespace

std::unique_ptr<UndoStep> makeGroupStep(std::vector<std::unique_ptr<UndoStep>> steps) {
    return std::make_unique<GroupStep>(std::move(steps));
}

std::unique_ptr<UndoStep> makeValuesStep(scene::ISceneNode* node, const SceneValues& before,
                                         const SceneValues& after) {
    return std::make_unique<ValuesStep>(node, before, after);
}

std::unique_ptr<UndoStep> makeAddStep(scene::ISceneNode* node, ChangeKind kind) {
    scene::ISceneNode* parent = node->getParent();
    u32 position = 0;
    if (parent)
        for (scene::ISceneNode* child : parent->getChildren()) {
            if (child == node)
                break;
            ++position;
        }
    return std::make_unique<PlacementStep>(node, parent, position, true, kind);
}

std::unique_ptr<UndoStep> makeRemoveStep(scene::ISceneNode* node, scene::ISceneNode* parent, u32 position,
                                         ChangeKind kind) {
    return std::make_unique<PlacementStep>(node, parent, position, false, kind);
}

u32 detachNode(scene::ISceneNode* node) {
    scene::ISceneNode* parent = node->getParent();
    u32 position = 0;
    if (!parent)
        return position;
    for (scene::ISceneNode* child : parent->getChildren()) {
        if (child == node)
            break;
        ++position;
    }
    node->grab();
    node->remove();
    node->drop();
    return position;
}

void attachNode(scene::ISceneNode* node, scene::ISceneNode* parent, u32 position) {
    // The engine only appends children: the siblings that belong after the
    // node are taken out and appended again behind it.
    std::vector<scene::ISceneNode*> later;
    u32 index = 0;
    for (scene::ISceneNode* child : parent->getChildren()) {
        if (index++ >= position)
            later.push_back(child);
    }
    for (scene::ISceneNode* sibling : later) {
        sibling->grab();
        parent->removeChild(sibling);
    }
    parent->addChild(node);
    for (scene::ISceneNode* sibling : later) {
        parent->addChild(sibling);
        sibling->drop();
    }
}

UndoHistory::~UndoHistory() { clear(); }

void UndoHistory::push(std::unique_ptr<UndoStep> step) {
    // Undone steps between here and the saved state that changed no scene
    // leave it where it is: the scene here is the saved one.
    if (savedPosition_ > static_cast<long>(position_))
        savedPosition_ = anySceneChange(position_, static_cast<std::size_t>(savedPosition_))
                             ? -1
                             : static_cast<long>(position_);
    while (steps_.size() > position_) {
        bytes_ -= steps_.back()->memoryCost();
        steps_.pop_back();
    }
    bytes_ += step->memoryCost();
    steps_.push_back(std::move(step));
    ++position_;
    while (steps_.size() > 1 && (steps_.size() > MaxSteps || bytes_ > MaxBytes))
        dropOldest();
}

void UndoHistory::dropOldest() {
    // A saved state before the oldest step is still there after it when
    // that step changed nothing a save writes.
    const bool savedBeforeKept = savedPosition_ == 0 && !steps_.front()->changesScene();
    bytes_ -= steps_.front()->memoryCost();
    steps_.erase(steps_.begin());
    --position_;
    savedPosition_ = savedPosition_ > 0 ? savedPosition_ - 1 : savedBeforeKept ? 0 : -1;
}

bool UndoHistory::undo() {
    if (!canUndo())
        return false;
    steps_[--position_]->undo();
    return true;
}

bool UndoHistory::redo() {
    if (!canRedo())
        return false;
    steps_[position_++]->redo();
    return true;
}

void UndoHistory::clear() {
    // Newest first: a step may hold the parent that an older step's node
    // hangs under.
    while (!steps_.empty())
        steps_.pop_back();
    position_ = 0;
    bytes_ = 0;
    savedPosition_ = 0;
    ++generation_;
}

void UndoHistory::markSaved() { savedPosition_ = static_cast<long>(position_); }

bool UndoHistory::anySceneChange(std::size_t from, std::size_t to) const {
    for (std::size_t i = from; i < to && i < steps_.size(); ++i)
        if (steps_[i]->changesScene())
            return true;
    return false;
}

bool UndoHistory::hasUnsavedChanges() const {
    if (savedPosition_ < 0)
        return true;
    const std::size_t saved = static_cast<std::size_t>(savedPosition_);
    return saved < position_ ? anySceneChange(saved, position_) : anySceneChange(position_, saved);
}

} // namespace sorn
