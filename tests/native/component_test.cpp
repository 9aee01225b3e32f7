#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Component.h"

namespace {

// Records its destruction by name into a shared log.
class TLoggingComponent : public TComponent {
public:
    TLoggingComponent(TComponent* AOwner, std::string name, std::vector<std::string>& log)
        : TComponent(AOwner), fName(std::move(name)), fLog(log) {}
    ~TLoggingComponent() override { fLog.push_back(fName); }

private:
    std::string fName;
    std::vector<std::string>& fLog;
};

TEST(Component, OwnerDestroysWhatItOwnsLastAddedFirst) {
    std::vector<std::string> log;
    auto owner = std::make_unique<TLoggingComponent>(nullptr, "owner", log);
    auto* first = new TLoggingComponent(owner.get(), "first", log);
    auto* second = new TLoggingComponent(owner.get(), "second", log);
    auto* grandchild = new TLoggingComponent(first, "grandchild", log);
    EXPECT_EQ(owner->ComponentCount(), 2u);
    EXPECT_EQ(owner->Components(0), first);
    EXPECT_EQ(second->Owner(), owner.get());
    EXPECT_EQ(grandchild->Owner(), first);

    owner.reset();
    EXPECT_EQ(log, (std::vector<std::string>{"owner", "second", "first", "grandchild"}));
}

TEST(Component, DestroyingAnOwnedComponentTakesItFromItsOwner) {
    std::vector<std::string> log;
    {
        TLoggingComponent owner(nullptr, "owner", log);
        auto* child = new TLoggingComponent(&owner, "child", log);
        auto* other = new TLoggingComponent(&owner, "other", log);
        delete child;
        EXPECT_EQ(owner.ComponentCount(), 1u);
        EXPECT_EQ(owner.Components(0), other);
    }
    // The owner destroyed only what it still owned: no second destruction of "child".
    EXPECT_EQ(log, (std::vector<std::string>{"child", "owner", "other"}));
}

TEST(Component, WithoutOwnerItsUserDestroysIt) {
    std::vector<std::string> log;
    auto lone = std::make_unique<TLoggingComponent>(nullptr, "lone", log);
    EXPECT_EQ(lone->Owner(), nullptr);
    EXPECT_EQ(lone->ComponentCount(), 0u);
    lone.reset();
    EXPECT_EQ(log, std::vector<std::string>{"lone"});
}

}  // namespace
