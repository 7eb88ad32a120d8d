// The owner of engine references: how many references each way of holding
// an object leaves, and that the last holder frees it.
#include <gtest/gtest.h>
#include <irrlicht.h>

#include <utility>
#include <vector>

#include "app/EngineRef.h"

namespace sorn {
namespace {

// Counts the references as the engine does and notes its own end.
class Probe : public irr::IReferenceCounted {
public:
    explicit Probe(bool* freed) : freed_(freed) {}
    ~Probe() override { *freed_ = true; }

private:
    bool* freed_;
};

TEST(EngineRefTest, CopiesGrabMovesPassOnAndTheLastHolderFrees) {
    bool freed = false;
    auto* probe = new Probe(&freed); // one reference, the creator's
    {
        const EngineRef<Probe> held(probe); // a get call's object: held takes its own
        EXPECT_EQ(probe->getReferenceCount(), 2);
        probe->drop(); // the creator lets go; held keeps it
        EngineRef<Probe> copy = held;
        EXPECT_EQ(probe->getReferenceCount(), 2);
        EngineRef<Probe> moved = std::move(copy);
        EXPECT_EQ(probe->getReferenceCount(), 2) << "a move took a reference";
        EXPECT_FALSE(copy);
        EXPECT_EQ(moved.get(), probe);
        EXPECT_TRUE(moved == held);
        std::vector<EngineRef<Probe>> many(3, held);
        EXPECT_EQ(probe->getReferenceCount(), 5);
        many.clear();
        moved.reset();
        EXPECT_EQ(probe->getReferenceCount(), 1);
        EXPECT_FALSE(freed);
    }
    EXPECT_TRUE(freed);
}

TEST(EngineRefTest, AdoptTakesOverACreatedObjectsReference) {
    bool freed = false;
    {
        auto created = EngineRef<Probe>::adopt(new Probe(&freed));
        EXPECT_EQ(created->getReferenceCount(), 1);
    }
    EXPECT_TRUE(freed) << "the created object's reference was never given back";
}

TEST(EngineRefTest, AssignmentLetsGoOfTheOldObjectAndSurvivesSelfAssignment) {
    bool firstFreed = false, secondFreed = false;
    auto first = EngineRef<Probe>::adopt(new Probe(&firstFreed));
    auto second = EngineRef<Probe>::adopt(new Probe(&secondFreed));
    EngineRef<Probe>& alias = first;
    first = alias; // held only here: must not be freed on the way
    EXPECT_FALSE(firstFreed);
    EXPECT_EQ(first->getReferenceCount(), 1);
    first = second;
    EXPECT_TRUE(firstFreed);
    EXPECT_EQ(second->getReferenceCount(), 2);
    second = nullptr;
    first = std::move(second);
    EXPECT_TRUE(secondFreed);
    EXPECT_FALSE(first);
}

} // namespace
} // namespace sorn
