#include "tray/interval_timer.h"

#include <gtest/gtest.h>

#include <memory>

#include "tray/tray_fixture.h"

namespace velotune {
namespace {

using test::Pump;
using test::PumpFor;
using test::PumpUntil;

class IntervalTimerTest : public testing::Test {
 protected:
  void SetUp() override {
    test::TestApplication();
    // Every timer of an earlier test is gone, and the shared window with it.
    ASSERT_EQ(ui::MessageWindow::Instance(), nullptr);
  }
  static int Running() { return TIntervalTimer::RunningCount(); }
  static LRESULT SendTimer(UINT_PTR id) {
    return SendMessageA(ui::MessageWindow::Instance()->Handle(), WM_TIMER, id, 0);
  }
};

TEST_F(IntervalTimerTest, OneSharedWindowLivesFromTheFirstTimerToTheLast) {
  auto first = std::make_unique<TIntervalTimer>();
  ui::MessageWindow* shared = ui::MessageWindow::Instance();
  ASSERT_NE(shared, nullptr);
  const HWND window = shared->Handle();
  EXPECT_TRUE(IsWindow(window));
  EXPECT_EQ(first->Window(), window);
  auto second = std::make_unique<TIntervalTimer>(50);
  EXPECT_EQ(ui::MessageWindow::Instance(), shared);
  EXPECT_EQ(second->Window(), window);
  EXPECT_EQ(first->Interval(), 1000u);
  EXPECT_EQ(second->Interval(), 50u);
  EXPECT_NE(first->Identity(), second->Identity());
  EXPECT_TRUE(shared->Claimed(WM_TIMER, first->Identity()));
  first.reset();
  EXPECT_EQ(ui::MessageWindow::Instance(), shared);
  EXPECT_TRUE(IsWindow(window));
  second.reset();
  EXPECT_EQ(ui::MessageWindow::Instance(), nullptr);
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(IntervalTimerTest, StartAndStopKeepTheRunningCount) {
  TIntervalTimer a(0), b(40);
  EXPECT_FALSE(a.Start()) << "interval 0 never starts";
  EXPECT_FALSE(a.Enabled());
  EXPECT_EQ(Running(), 0);

  EXPECT_TRUE(b.Start());
  EXPECT_TRUE(b.Enabled());
  EXPECT_EQ(Running(), 1);
  EXPECT_TRUE(b.Start()) << "a running timer restarts";
  EXPECT_EQ(Running(), 1);

  a.SetInterval(40);
  EXPECT_FALSE(a.Enabled()) << "a new interval does not start a disabled timer";
  a.SetEnabled(true);
  EXPECT_TRUE(a.Enabled());
  EXPECT_EQ(Running(), 2);

  EXPECT_TRUE(b.Stop(false));
  EXPECT_TRUE(b.Enabled()) << "stopping without disabling keeps the flag";
  EXPECT_EQ(Running(), 1);
  EXPECT_FALSE(b.Stop(true)) << "no system timer left to kill";
  EXPECT_FALSE(b.Enabled());
  EXPECT_EQ(Running(), 1);

  a.SetEnabled(false);
  EXPECT_FALSE(a.Enabled());
  EXPECT_EQ(Running(), 0);
  EXPECT_FALSE(a.Stop());
  EXPECT_EQ(Running(), 0) << "never below zero";
}

TEST_F(IntervalTimerTest, RealTimerMessagesRunTheHandlerUntilStopped) {
  TIntervalTimer timer(20);
  int ticks = 0;
  TIntervalTimer* sender = nullptr;
  timer.SetOnTimer([&](TIntervalTimer& t) {
    ++ticks;
    sender = &t;
  });
  ASSERT_TRUE(timer.Start());
  EXPECT_TRUE(PumpUntil([&] { return ticks >= 3; }, 3000));
  EXPECT_EQ(sender, &timer);
  timer.Stop();
  const int stoppedAt = ticks;
  PumpFor(120);
  EXPECT_EQ(ticks, stoppedAt);
}

TEST_F(IntervalTimerTest, AutoDisableRunsOnceAndStops) {
  TIntervalTimer timer(20);
  timer.SetAutoDisable(true);
  int ticks = 0;
  bool enabledInHandler = true;
  timer.SetOnTimer([&](TIntervalTimer& t) {
    ++ticks;
    enabledInHandler = t.Enabled();
  });
  ASSERT_TRUE(timer.Start());
  EXPECT_TRUE(PumpUntil([&] { return ticks >= 1; }, 3000));
  PumpFor(120);
  EXPECT_EQ(ticks, 1);
  EXPECT_FALSE(enabledInHandler) << "disabled before its handler runs";
  EXPECT_FALSE(timer.Enabled());
  EXPECT_EQ(Running(), 0);
}

TEST_F(IntervalTimerTest, ZeroIntervalOrNoHandlerStopsButStaysEnabled) {
  TIntervalTimer timer(20);
  int ticks = 0;
  timer.SetOnTimer([&](TIntervalTimer&) { ++ticks; });
  ASSERT_TRUE(timer.Start());

  timer.SetInterval(0);
  EXPECT_TRUE(timer.Enabled());
  EXPECT_EQ(Running(), 0);
  Pump();
  const int afterZero = ticks;
  PumpFor(100);
  EXPECT_EQ(ticks, afterZero);

  timer.SetInterval(25);  // enabled, so it runs again
  EXPECT_EQ(Running(), 1);
  EXPECT_TRUE(PumpUntil([&] { return ticks > afterZero; }, 3000));

  timer.SetOnTimer(nullptr);
  EXPECT_TRUE(timer.Enabled());
  EXPECT_EQ(Running(), 0);
}

TEST_F(IntervalTimerTest, TheWindowFindsTimersByIdentityOnly) {
  auto timer = std::make_unique<TIntervalTimer>(5000);
  TIntervalTimer other(5000);
  int ticks = 0, otherTicks = 0;
  timer->SetOnTimer([&](TIntervalTimer&) { ++ticks; });
  other.SetOnTimer([&](TIntervalTimer&) { ++otherTicks; });
  SendTimer(timer->Identity());
  EXPECT_EQ(ticks, 1);
  EXPECT_EQ(otherTicks, 0);
  SendTimer(12345);  // nobody's
  const UINT_PTR gone = timer->Identity();
  timer.reset();
  SendTimer(gone);  // a late message for a freed timer
  EXPECT_EQ(ticks, 1);
  EXPECT_EQ(otherTicks, 0);
  // Auto-disable applies to a sent message as well.
  other.SetAutoDisable(true);
  ASSERT_TRUE(other.Start());
  SendTimer(other.Identity());
  EXPECT_EQ(otherTicks, 1);
  EXPECT_FALSE(other.Enabled());
}

TEST_F(IntervalTimerTest, AHandlerMayFreeItsOwnTimer) {
  auto timer = std::make_unique<TIntervalTimer>(20);
  bool ran = false;
  timer->SetOnTimer([&](TIntervalTimer&) {
    ran = true;
    timer.reset();
  });
  ASSERT_TRUE(timer->Start());
  EXPECT_TRUE(PumpUntil([&] { return ran; }, 3000));
  EXPECT_EQ(timer, nullptr);
  EXPECT_EQ(ui::MessageWindow::Instance(), nullptr);
}

}  // namespace
}  // namespace velotune
