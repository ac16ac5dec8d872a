#include "platform/Classes.h"

#include <algorithm>

TComponent::TComponent(TComponent* Owner) : Owner_(Owner) {
  if (Owner_) Owner_->Components_.push_back(this);
}

TComponent::~TComponent() {
  for (TComponent* c : Components_) c->Owner_ = nullptr;
  if (Owner_) {
    auto& list = Owner_->Components_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
}
