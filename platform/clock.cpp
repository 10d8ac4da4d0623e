#include "platform/clock.h"

#include <chrono>
#include <ctime>
#include <thread>

namespace platform {
namespace {

constexpr std::uint64_t kMsPerDay = 24ull * 60 * 60 * 1000;

RealClock& realClock() {
  static RealClock instance;
  return instance;
}

Clock*& activeClock() {
  static Clock* active = &realClock();
  return active;
}

}  // namespace

std::uint32_t RealClock::tickCount() {
  using namespace std::chrono;
  auto since = steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(duration_cast<milliseconds>(since).count());
}

void RealClock::sleep(std::uint32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

TimeOfDay RealClock::localTime() {
  using namespace std::chrono;
  auto now = system_clock::now();
  std::time_t seconds = system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&seconds, &local);
  auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
  return {local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(ms)};
}

VirtualClock::VirtualClock(TimeOfDay start, std::uint64_t startTicks)
    : startOfDayMs_(((start.hour * 60ull + start.minute) * 60 + start.second) * 1000 + start.millisecond),
      startTicks_(startTicks) {}

std::uint32_t VirtualClock::tickCount() { return static_cast<std::uint32_t>(startTicks_ + elapsedMs_); }

void VirtualClock::sleep(std::uint32_t milliseconds) { advance(milliseconds); }

void VirtualClock::advance(std::uint64_t milliseconds) { elapsedMs_ += milliseconds; }

TimeOfDay VirtualClock::localTime() {
  std::uint64_t ms = (startOfDayMs_ + elapsedMs_) % kMsPerDay;
  return {static_cast<int>(ms / 3600000), static_cast<int>(ms / 60000 % 60),
          static_cast<int>(ms / 1000 % 60), static_cast<int>(ms % 1000)};
}

Clock& clock() { return *activeClock(); }

ScopedClock::ScopedClock(Clock& replacement) : previous_(activeClock()) { activeClock() = &replacement; }

ScopedClock::~ScopedClock() { activeClock() = previous_; }

}  // namespace platform
