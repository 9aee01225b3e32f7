#pragma once
// The base class of owned components. A component created with an owner is
// destroyed by that owner when the owner itself is destroyed; without an
// owner, whoever created it destroys it. Components with an owner must be
// created with new, since the owner deletes them.
#include <cstddef>
#include <vector>

class TComponent {
public:
    explicit TComponent(TComponent* AOwner = nullptr);
    // Destroys the owned components, the last added first, then leaves the owner.
    virtual ~TComponent();
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const noexcept { return fOwner; }
    std::size_t ComponentCount() const noexcept { return fComponents.size(); }
    TComponent* Components(std::size_t Index) const { return fComponents.at(Index); }

private:
    void RemoveComponent(TComponent* AComponent) noexcept;

    TComponent* fOwner = nullptr;
    std::vector<TComponent*> fComponents;
};
