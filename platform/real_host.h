#pragma once
// The PC the programs really run on, with the optical drives the user names in
// QUILLON_REAL_DRIVES ("D=/dev/sr0,E=/dev/sg1") reached through SG_IO. Both Windows
// transports (ASPI and SPTI) lead to them. There is no CD-recorder manager, and no restart is
// ever carried out: a request for one is reported on standard error.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/host.h"
#include "platform/sgio_bus.h"

namespace platform {

inline constexpr const char* kRealDrivesVariable = "QUILLON_REAL_DRIVES";

class RealHost final : public Host {
 public:
  RealHost(std::vector<RealDrive> drives, SgIoCalls calls);

  std::optional<VersionInfo> version() const override { return VersionInfo{}; }
  bool isAdministrator() const override;
  bool libraryInstalled(std::string_view name) const override;
  ScsiBus* bus() override { return &bus_; }
  std::optional<std::string> stateFolder() const override { return std::nullopt; }
  void requestRestart(DWORD flags) override;

 private:
  SgIoBus bus_;
};

}  // namespace platform
