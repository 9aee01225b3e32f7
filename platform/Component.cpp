#include "Component.h"

#include <algorithm>

TComponent::TComponent(TComponent* AOwner) {
    if (AOwner) {
        AOwner->fComponents.push_back(this);
        fOwner = AOwner;
    }
}

TComponent::~TComponent() {
    // Each owned component takes itself out of the list while it is destroyed.
    while (!fComponents.empty()) delete fComponents.back();
    if (fOwner) fOwner->RemoveComponent(this);
}

void TComponent::RemoveComponent(TComponent* AComponent) noexcept {
    auto found = std::find(fComponents.rbegin(), fComponents.rend(), AComponent);
    if (found != fComponents.rend()) fComponents.erase(std::next(found).base());
}
