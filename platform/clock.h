#pragma once
// Tick count, sleep and time of day, as the programs of the suite ask Windows for them.
// The process has one active clock: the real one unless a virtual clock is installed
// (tests and automatic runs), in which sleeping advances time at once.

#include <cstdint>

namespace platform {

struct TimeOfDay {
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since start, wrapping at 2^32 as GetTickCount does.
  virtual std::uint32_t tickCount() = 0;
  virtual void sleep(std::uint32_t milliseconds) = 0;
  virtual TimeOfDay localTime() = 0;
};

class RealClock final : public Clock {
 public:
  std::uint32_t tickCount() override;
  void sleep(std::uint32_t milliseconds) override;
  TimeOfDay localTime() override;
};

class VirtualClock final : public Clock {
 public:
  explicit VirtualClock(TimeOfDay start = {}, std::uint64_t startTicks = 0);
  std::uint32_t tickCount() override;
  void sleep(std::uint32_t milliseconds) override;
  TimeOfDay localTime() override;
  void advance(std::uint64_t milliseconds);

 private:
  std::uint64_t startOfDayMs_;
  std::uint64_t elapsedMs_ = 0;
  std::uint64_t startTicks_;
};

// The clock that the program uses now.
Clock& clock();

// Makes `replacement` the active clock for the lifetime of this object.
class ScopedClock {
 public:
  explicit ScopedClock(Clock& replacement);
  ~ScopedClock();
  ScopedClock(const ScopedClock&) = delete;
  ScopedClock& operator=(const ScopedClock&) = delete;

 private:
  Clock* previous_;
};

}  // namespace platform
