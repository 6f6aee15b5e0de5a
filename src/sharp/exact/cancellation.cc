#include "sharp/exact/cancellation.h"

namespace unionbound::sharp {
namespace {

thread_local Cancellation* current = nullptr;

}  // namespace

bool Cancellation::Requested() {
  if (requested_.load()) return true;
  if (!asked_) return false;
  std::lock_guard<std::mutex> lock(mutex_);
  if (!requested_.load() && asked_()) requested_.store(true);
  return requested_.load();
}

Cancellation* CurrentCancellation() { return current; }

CancellationScope::CancellationScope(Cancellation* cancellation)
    : saved_(current) {
  current = cancellation;
}

CancellationScope::~CancellationScope() { current = saved_; }

void PollCancellation() {
  if (current != nullptr && current->Requested()) throw Cancelled();
}

void ThrowIfCancelled() {
  if (current != nullptr && current->WasRequested()) throw Cancelled();
}

}  // namespace unionbound::sharp
