#include "platform/handles.h"

#include <gtest/gtest.h>

#include "platform/clock.h"
#include "platform/test_host.h"

namespace platform {
namespace {

class Handles : public ::testing::Test {
 protected:
  Handles() {
    bus.devices = {{{0, 0, 1, 0}, 5, 'D'}, {{1, 0, 0, 0}, 5, 'E'}};
    machine.scsiBus = &bus;
  }
  VirtualClock time;
  ScopedClock scopedClock{time};
  testing::FakeBus bus;
  testing::FakeHost machine;
  ScopedHost scopedHost{machine};
};

TEST_F(Handles, AManualResetEventStaysSetUntilReset) {
  ScopedHandle event(CreateEvent(nullptr, TRUE, FALSE, nullptr));
  ASSERT_TRUE(event);
  EXPECT_TRUE(SetEvent(event.get()));
  EXPECT_EQ(WaitForSingleObject(event.get(), 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(event.get(), 0), WAIT_OBJECT_0);
  EXPECT_TRUE(ResetEvent(event.get()));
  EXPECT_EQ(WaitForSingleObject(event.get(), 0), WAIT_TIMEOUT);
}

TEST_F(Handles, AnAutoResetEventIsConsumedByOneWait) {
  ScopedHandle event(CreateEvent(nullptr, FALSE, TRUE, nullptr));
  EXPECT_EQ(WaitForSingleObject(event.get(), 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(event.get(), 0), WAIT_TIMEOUT);
}

TEST_F(Handles, WaitingOnAnUnsetEventTakesItsTimeOutAtOnce) {
  ScopedHandle event(CreateEvent(nullptr, TRUE, FALSE, nullptr));
  std::uint32_t start = time.tickCount();
  EXPECT_EQ(WaitForSingleObject(event.get(), 5000), WAIT_TIMEOUT);
  EXPECT_EQ(time.tickCount() - start, 5000u);
  EXPECT_EQ(WaitForSingleObject(event.get(), INFINITE), WAIT_TIMEOUT);
  EXPECT_EQ(time.tickCount() - start, 5000u);
}

TEST_F(Handles, OpensOnlyDrivePathsOfDrivesOnTheBus) {
  for (const char* path : {"\\\\.\\D:", "\\\\.\\d:", "\\\\.\\E:"}) {
    ScopedHandle device(CreateFile(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, 0));
    EXPECT_TRUE(device) << path;
  }
  for (const char* path : {"\\\\.\\F:", "\\\\.\\A:", "\\\\.\\D", "\\\\.\\D:\\", "\\\\?\\D:", "D:", "\\\\.\\CdRom0", ""}) {
    SetLastError(0);
    EXPECT_EQ(CreateFile(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, 0), INVALID_HANDLE_VALUE)
        << path;
    EXPECT_EQ(GetLastError(), DWORD{ERROR_FILE_NOT_FOUND}) << path;
  }
  EXPECT_EQ(CreateFile(nullptr, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, 0), INVALID_HANDLE_VALUE);
  machine.scsiBus = nullptr;
  EXPECT_EQ(CreateFile("\\\\.\\D:", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, 0), INVALID_HANDLE_VALUE);
}

TEST_F(Handles, ADeviceHandleKnowsItsLetterAndAccess) {
  ScopedHandle both(CreateFile("\\\\.\\e:", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, 0));
  ScopedHandle readOnly(CreateFile("\\\\.\\D:", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, 0));
  ScopedHandle query(CreateFile("\\\\.\\D:", 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, 0));
  ScopedHandle event(CreateEvent(nullptr, TRUE, FALSE, nullptr));
  EXPECT_EQ(deviceLetter(both.get()), 'E');
  EXPECT_TRUE(deviceWritable(both.get()));
  EXPECT_EQ(deviceLetter(readOnly.get()), 'D');
  EXPECT_FALSE(deviceWritable(readOnly.get()));
  EXPECT_FALSE(deviceWritable(query.get()));
  EXPECT_FALSE(deviceLetter(event.get()));
  EXPECT_FALSE(SetEvent(both.get()));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_HANDLE});
}

TEST_F(Handles, AClosedOrUnknownHandleIsRefusedEverywhere) {
  HANDLE event = CreateEvent(nullptr, TRUE, TRUE, nullptr);
  HANDLE device = CreateFile("\\\\.\\D:", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, 0);
  EXPECT_TRUE(CloseHandle(event));
  EXPECT_TRUE(CloseHandle(device));
  for (HANDLE bad : {event, device, HANDLE{0}, INVALID_HANDLE_VALUE, HANDLE{12345}}) {
    SetLastError(0);
    EXPECT_FALSE(CloseHandle(bad));
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_HANDLE});
    EXPECT_FALSE(SetEvent(bad));
    EXPECT_FALSE(ResetEvent(bad));
    EXPECT_EQ(WaitForSingleObject(bad, 0), WAIT_FAILED);
    EXPECT_FALSE(deviceLetter(bad));
  }
  ScopedHandle fresh(CreateEvent(nullptr, TRUE, TRUE, nullptr));
  EXPECT_NE(fresh.get(), event);  // handles are not reused
}

TEST(ErrorMode, GivesBackThePreviousMode) {
  UINT original = SetErrorMode(SEM_FAILCRITICALERRORS);
  EXPECT_EQ(SetErrorMode(0), SEM_FAILCRITICALERRORS);
  EXPECT_EQ(SetErrorMode(original), 0u);
}

}  // namespace
}  // namespace platform
