// The progress window to a screen reader: title, detail, gauge and
// percentage as elements of its panel, announced as a run changes them.
#include <oleacc.h>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "progress/prg_wnd.h"
#include "support/keys.h"
#include "support/ui_fixture.h"

namespace velotune {
namespace {

using test::Accessible;

std::vector<std::pair<DWORD, LONG>> heard;

void CALLBACK Listen(HWINEVENTHOOK, DWORD event, HWND, LONG object, LONG child, DWORD, DWORD) {
  if (object == OBJID_CLIENT) heard.emplace_back(event, child);
}

TEST(PrgWndAccessTest, DetailPercentageAndGaugeAreExposedAndAnnounced) {
  test::TestApplication();
  TPrgWnd window;
  window.ShowInFront();
  const HWND panel = window.PicturePanel1().Handle();
  Accessible a(panel);
  ASSERT_NE(a.object, nullptr);
  ASSERT_EQ(a.Children(), 4);
  // Title, detail, gauge, percentage: in the order of the layout.
  EXPECT_EQ(a.Name(1), "Network Optimization");
  EXPECT_EQ(a.Name(2), "Internet Dialup");
  EXPECT_EQ(a.Role(2), ROLE_SYSTEM_STATICTEXT);
  EXPECT_EQ(a.Role(3), ROLE_SYSTEM_PROGRESSBAR);
  EXPECT_EQ(a.Name(3), "Network Optimization");  // the gauge is named after its run
  EXPECT_EQ(a.Value(3), "0%");
  EXPECT_EQ(a.Name(4), "Completed 0%");

  heard.clear();
  HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_VALUECHANGE, nullptr,
                                       Listen, GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
  ASSERT_NE(hook, nullptr);
  window.ShowDetail("Home, Office LAN");
  window.SetProgress(40);
  window.SetProgress(40);  // no change, nothing to tell
  window.ShowStatus("Completed: 40%");
  test::Pump();
  UnhookWinEvent(hook);
  EXPECT_EQ(heard, (std::vector<std::pair<DWORD, LONG>>{{EVENT_OBJECT_NAMECHANGE, 2},
                                                        {EVENT_OBJECT_VALUECHANGE, 3},
                                                        {EVENT_OBJECT_NAMECHANGE, 4}}));
  EXPECT_EQ(a.Name(2), "Home, Office LAN");
  EXPECT_EQ(a.Value(3), "40%");
  EXPECT_EQ(a.Name(4), "Completed: 40%");
  window.SetTitle("Tracks Eraser");
  EXPECT_EQ(a.Name(1), "Tracks Eraser");
  EXPECT_EQ(a.Name(3), "Tracks Eraser");
  window.Hide();
}

}  // namespace
}  // namespace velotune
