#include "sim/drives/mechanism.h"

#include "platform/clock.h"

namespace sim {

Mechanism::Mechanism(bool mediumInTray) : mediumInTray_(mediumInTray) {}

void Mechanism::powerOn() {
  spinningUp_ = false;
  if (!trayOpen_ && mediumInTray_) spinUp();
}

bool Mechanism::settle() {
  if (!spinningUp_) return false;
  // Unsigned difference, so that the tick count wrapping at 2^32 does not stall a spin-up.
  std::uint32_t elapsed = platform::clock().tickCount() - spinUpStart_;
  if (elapsed < kBecomingReadyMs) return false;
  spinningUp_ = false;
  return true;
}

Readiness Mechanism::readiness() const {
  if (trayOpen_) return Readiness::TrayOpen;
  if (!mediumInTray_) return Readiness::NoMedium;
  return spinningUp_ ? Readiness::BecomingReady : Readiness::Ready;
}

bool Mechanism::eject() {
  if (removalPrevented_) return false;
  trayOpen_ = true;
  spinningUp_ = false;
  return true;
}

void Mechanism::load() {
  if (!trayOpen_) return;
  trayOpen_ = false;
  if (mediumInTray_) spinUp();
}

void Mechanism::preventRemoval(bool prevent) { removalPrevented_ = prevent; }

bool Mechanism::removalPrevented() const { return removalPrevented_; }

void Mechanism::spinUp() {
  spinningUp_ = true;
  spinUpStart_ = platform::clock().tickCount();
}

}  // namespace sim
