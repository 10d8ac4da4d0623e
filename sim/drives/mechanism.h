#pragma once
// The tray, the disc in it and its spin-up, timed on platform::clock() so that a virtual
// clock makes a drive ready as soon as the caller has waited long enough.

#include <cstdint>

namespace sim {

enum class Readiness { Ready, BecomingReady, NoMedium, TrayOpen };

// Long enough that the programs' wait-for-ready loops are exercised, short enough for a CD.
inline constexpr std::uint32_t kBecomingReadyMs = 5000;

class Mechanism {
 public:
  explicit Mechanism(bool mediumInTray);

  // A disc in the closed tray spins up anew.
  void powerOn();
  // Catches up with the clock; true exactly once, when a disc has just become ready.
  bool settle();
  Readiness readiness() const;

  // False, with nothing moved, while removal is prevented.
  bool eject();
  void load();
  void preventRemoval(bool prevent);
  bool removalPrevented() const;

 private:
  void spinUp();

  bool trayOpen_ = false;
  bool mediumInTray_;
  bool removalPrevented_ = false;
  bool spinningUp_ = false;
  std::uint32_t spinUpStart_ = 0;
};

}  // namespace sim
