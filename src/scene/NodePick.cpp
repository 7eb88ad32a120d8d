#include "scene/NodePick.h"

#include <cmath>
#include <limits>

#include "app/EditorState.h"

using namespace irr;

namespace sorn {

namespace {

constexpr f32 kNoHit = std::numeric_limits<f32>::infinity();

struct Ray {
    core::vector3df start;
    core::vector3df direction; // not necessarily of unit length
};

// Entry distance (in units of the direction's length) of the ray into the
// box, or kNoHit. A ray starting inside enters at 0.
f32 rayBoxDistance(const Ray& ray, const core::aabbox3df& box) {
    f32 nearest = 0.f, farthest = kNoHit;
    const f32 start[3] = {ray.start.X, ray.start.Y, ray.start.Z};
    const f32 dir[3] = {ray.direction.X, ray.direction.Y, ray.direction.Z};
    const f32 low[3] = {box.MinEdge.X, box.MinEdge.Y, box.MinEdge.Z};
    const f32 high[3] = {box.MaxEdge.X, box.MaxEdge.Y, box.MaxEdge.Z};
    for (int axis = 0; axis < 3; ++axis) {
        if (std::fabs(dir[axis]) < 1e-12f) {
            if (start[axis] < low[axis] || start[axis] > high[axis])
                return kNoHit;
            continue;
        }
        f32 t1 = (low[axis] - start[axis]) / dir[axis];
        f32 t2 = (high[axis] - start[axis]) / dir[axis];
        if (t1 > t2)
            std::swap(t1, t2);
        nearest = std::max(nearest, t1);
        farthest = std::min(farthest, t2);
        if (nearest > farthest)
            return kNoHit;
    }
    return nearest;
}

// Distance along the ray to the triangle (both faces), or kNoHit.
f32 rayTriangleDistance(const Ray& ray, const core::vector3df& a, const core::vector3df& b,
                        const core::vector3df& c) {
    const core::vector3df edge1 = b - a, edge2 = c - a;
    const core::vector3df p = ray.direction.crossProduct(edge2);
    const f32 det = edge1.dotProduct(p);
    if (std::fabs(det) < 1e-12f)
        return kNoHit;
    const f32 inverse = 1.f / det;
    const core::vector3df s = ray.start - a;
    const f32 u = s.dotProduct(p) * inverse;
    if (u < 0.f || u > 1.f)
        return kNoHit;
    const core::vector3df q = s.crossProduct(edge1);
    const f32 v = ray.direction.dotProduct(q) * inverse;
    if (v < 0.f || u + v > 1.f)
        return kNoHit;
    const f32 t = edge2.dotProduct(q) * inverse;
    return t >= 0.f ? t : kNoHit;
}

template <typename Index>
f32 nearestTriangle(const Ray& ray, const scene::IMeshBuffer* buffer, const Index* indices) {
    f32 best = kNoHit;
    const u32 count = buffer->getIndexCount();
    const u32 vertices = buffer->getVertexCount();
    for (u32 i = 0; i + 2 < count; i += 3) {
        const u32 i0 = indices[i], i1 = indices[i + 1], i2 = indices[i + 2];
        if (i0 >= vertices || i1 >= vertices || i2 >= vertices)
            continue;
        best = std::min(best, rayTriangleDistance(ray, buffer->getPosition(i0), buffer->getPosition(i1),
                                                  buffer->getPosition(i2)));
    }
    return best;
}

// The mesh a node draws, when it is one whose triangles can be asked.
scene::IMesh* meshOf(scene::ISceneNode* node) {
    switch (node->getType()) {
    case scene::ESNT_MESH:
    case scene::ESNT_CUBE:
    case scene::ESNT_SPHERE:
    case scene::ESNT_OCTREE:
    case scene::ESNT_WATER_SURFACE:
        return static_cast<scene::IMeshSceneNode*>(node)->getMesh();
    case scene::ESNT_ANIMATED_MESH: {
        auto* animated = static_cast<scene::IAnimatedMeshSceneNode*>(node);
        scene::IAnimatedMesh* mesh = animated->getMesh();
        return mesh ? mesh->getMesh(static_cast<s32>(animated->getFrameNr())) : nullptr;
    }
    default:
        return nullptr;
    }
}

// Distance along the local ray to the node: its triangles when it has any,
// else its bounding box.
f32 localHitDistance(scene::ISceneNode* node, const Ray& local) {
    const f32 boxDistance = rayBoxDistance(local, node->getBoundingBox());
    if (boxDistance == kNoHit)
        return kNoHit;
    scene::IMesh* mesh = meshOf(node);
    if (!mesh || mesh->getMeshBufferCount() == 0)
        return boxDistance;
    f32 best = kNoHit;
    bool anyTriangle = false;
    for (u32 b = 0; b < mesh->getMeshBufferCount(); ++b) {
        const scene::IMeshBuffer* buffer = mesh->getMeshBuffer(b);
        if (!buffer || buffer->getIndexCount() < 3)
            continue;
        anyTriangle = true;
        if (buffer->getIndexType() == video::EIT_16BIT)
            best = std::min(best, nearestTriangle(local, buffer, buffer->getIndices()));
        else
            best = std::min(best, nearestTriangle(local, buffer, reinterpret_cast<const u32*>(buffer->getIndices())));
    }
    return anyTriangle ? best : boxDistance;
}

bool neverPicked(scene::ISceneNode* node) {
    const scene::ESCENE_NODE_TYPE type = node->getType();
    return node->isDebugObject() || !node->isVisible() || type == scene::ESNT_CAMERA ||
           type == scene::ESNT_SKY_BOX || type == scene::ESNT_SKY_DOME;
}

struct PickSearch {
    Ray ray; // in the world, of unit length
    f32 bestDistance = kNoHit; // world units along the unit ray
    scene::ISceneNode* best = nullptr;

    void visit(scene::ISceneNode* node, const core::matrix4& parentWorld) {
        if (neverPicked(node))
            return; // with everything under it
        const core::matrix4 world = parentWorld * node->getRelativeTransformation();
        test(node, world);
        for (scene::ISceneNode* child : node->getChildren())
            visit(child, world);
    }

    void test(scene::ISceneNode* node, const core::matrix4& world) {
        // A cheap look at the box in the world first: most nodes end here.
        core::aabbox3df worldBox = node->getBoundingBox();
        world.transformBoxEx(worldBox);
        const f32 boxDistance = rayBoxDistance(ray, worldBox);
        if (boxDistance == kNoHit || boxDistance > bestDistance)
            return;
        core::matrix4 inverse;
        if (!world.getInverse(inverse))
            return; // flattened to nothing: nothing to click on
        Ray local;
        inverse.transformVect(local.start, ray.start);
        core::vector3df end;
        inverse.transformVect(end, ray.start + ray.direction);
        local.direction = end - local.start;
        const f32 t = localHitDistance(node, local);
        if (t == kNoHit)
            return;
        // The local parameter is the world one: the ray was mapped point for point.
        if (t < bestDistance) {
            bestDistance = t;
            best = node;
        }
    }
};

} // namespace

scene::ISceneNode* pickNodeOnRay(const core::line3df& ray) {
    if (!editor.sceneManager)
        return nullptr;
    PickSearch search;
    search.ray.start = ray.start;
    search.ray.direction = ray.getVector();
    if (search.ray.direction.getLengthSQ() == 0.f)
        return nullptr;
    search.ray.direction.normalize();
    scene::ISceneNode* root = editor.sceneManager->getRootSceneNode();
    for (scene::ISceneNode* child : root->getChildren())
        search.visit(child, root->getRelativeTransformation());
    return search.best;
}

scene::ISceneNode* pickNodeAt(s32 x, s32 y) {
    if (!editor.sceneManager)
        return nullptr;
    scene::ICameraSceneNode* camera = editor.sceneManager->getActiveCamera();
    scene::ISceneCollisionManager* collisions = editor.sceneManager->getSceneCollisionManager();
    if (!camera || !collisions)
        return nullptr;
    return pickNodeOnRay(collisions->getRayFromScreenCoordinates(core::position2di(x, y), camera));
}

} // namespace sorn
