#include "tray/tray_icon.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tray/tray_fixture.h"

namespace velotune {
namespace {

using test::IconInShell;
using test::Pump;
using test::SendTray;
using test::TipAllZero;
using test::TipOf;

using TrayIconTest = test::TrayTest;

TEST_F(TrayIconTest, EveryShellCallCarriesTheRecordOfThisIcon) {
  TTrayIcon icon(nullptr, "Record");
  HICON picture = test::LoadTrayIconResource();
  ASSERT_NE(picture, nullptr);
  icon.SetIcon(picture);
  DestroyIcon(picture);
  icon.SetHint("Velotune");
  icon.SetIconVisible(true);
  icon.Loaded();
  icon.SetIconVisible(false);
  ASSERT_EQ(shell.Messages(), (std::vector<DWORD>{NIM_MODIFY, NIM_MODIFY, NIM_ADD, NIM_MODIFY,
                                                  NIM_ADD, NIM_SETVERSION, NIM_DELETE}));
  for (const auto& call : shell.Calls()) {
    SCOPED_TRACE(call.message);
    EXPECT_EQ(call.data.cbSize, 504u);
    EXPECT_EQ(call.data.hWnd, ui::MessageWindow::Instance()->Handle());
    EXPECT_EQ(call.data.uID, icon.Identity());
    EXPECT_EQ(call.data.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(call.data.uCallbackMessage, 0x800u);
    EXPECT_EQ(call.data.hIcon, icon.Icon());
    EXPECT_EQ(call.data.uVersion, 0u);
  }
  EXPECT_EQ(TipOf(shell.Calls().front().data), "") << "set before the hint";
  EXPECT_EQ(TipOf(shell.Calls().back().data), "Velotune");
}

TEST_F(TrayIconTest, TheShellsTrayShowsTheProgramsIconUntilItIsRemoved) {
  test::ProgramTray program;
  program.Start();
  const HICON picture = program.tray->Icon();
  EXPECT_TRUE(test::PumpUntil([&] { return test::TrayShows(picture); }, 3000));
  if (HWND trayWindow = FindWindowA(test::kWineTrayClass, nullptr))
    test::SaveScreenshot(*test::CaptureClient(trayWindow), "tray_icon_shown");
  program.tray->RemoveIcon();
  EXPECT_TRUE(test::PumpUntil([&] { return !test::TrayShows(picture); }, 3000));
}

TEST_F(TrayIconTest, TheShellAnswersComeBackFromAddRemoveAndUpdate) {
  TTrayIcon icon(nullptr, "Answers");
  EXPECT_FALSE(icon.UpdateIcon()) << "nothing to update yet";
  EXPECT_FALSE(icon.RemoveIcon());
  EXPECT_TRUE(icon.AddIcon());
  EXPECT_TRUE(icon.IconVisible());
  EXPECT_TRUE(IconInShell(icon));
  EXPECT_FALSE(icon.AddIcon()) << "already there";
  EXPECT_TRUE(icon.UpdateIcon());
  EXPECT_TRUE(icon.RemoveIcon());
  EXPECT_FALSE(icon.IconVisible());
  EXPECT_FALSE(IconInShell(icon));
  icon.SetIconVisible(true);
  EXPECT_TRUE(IconInShell(icon));
  icon.SetIconVisible(false);
  EXPECT_FALSE(IconInShell(icon));
}

TEST_F(TrayIconTest, TheTipIsTheHintCutTo127CharactersOrEmpty) {
  std::string long200;
  for (int i = 0; i < 200; ++i) long200 += static_cast<char>('A' + i % 26);
  struct Case {
    std::string hint;
    bool showHint;
    std::string tip;
  };
  const Case cases[] = {
      {"Velotune", true, "Velotune"},
      {long200, true, long200.substr(0, 127)},
      {long200.substr(0, 127), true, long200.substr(0, 127)},
      {long200.substr(0, 128), true, long200.substr(0, 127)},
      {"Velotune", false, ""},
      {long200, false, ""},
      {"", true, ""},
  };
  TTrayIcon icon(nullptr, "Tips");
  ASSERT_TRUE(icon.AddIcon());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.hint.substr(0, 20) + (c.showHint ? " shown" : " hidden"));
    // Start from the longest tip so that nothing of it may linger.
    icon.SetShowHint(true);
    icon.SetHint(long200);
    shell.Clear();
    icon.SetShowHint(c.showHint);
    icon.SetHint(c.hint);
    const auto updates = shell.Of(NIM_MODIFY);
    ASSERT_EQ(updates.size(), 2u) << "each setter updates the icon";
    const NOTIFYICONDATAA& data = updates.back().data;
    EXPECT_TRUE(updates.back().result);
    EXPECT_EQ(TipOf(data), c.tip);
    EXPECT_EQ(data.szTip[127], 0);
    if (c.tip.empty()) {
      EXPECT_TRUE(TipAllZero(data));
    }
    EXPECT_EQ(icon.Hint(), c.hint);
    EXPECT_EQ(icon.ShowHint(), c.showHint);
  }
}

TEST_F(TrayIconTest, TheIconIsAnOwnCopyAndMayBeEmpty) {
  TTrayIcon icon(nullptr, "Copy");
  HICON picture = test::LoadTrayIconResource();
  ASSERT_NE(picture, nullptr);
  icon.SetIcon(picture);
  ASSERT_NE(icon.Icon(), nullptr);
  EXPECT_NE(icon.Icon(), picture);
  // Same picture, pixel for pixel, and it outlives the original.
  std::vector<COLORREF> original;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) original.push_back(test::IconPixel(picture, x, y));
  DestroyIcon(picture);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      ASSERT_EQ(test::IconPixel(icon.Icon(), x, y), original[y * 16 + x]);
  ASSERT_TRUE(icon.AddIcon());
  EXPECT_EQ(shell.Of(NIM_ADD).back().data.hIcon, icon.Icon());

  icon.SetIcon(nullptr);
  EXPECT_EQ(icon.Icon(), nullptr);
  const auto last = shell.Calls().back();
  EXPECT_EQ(last.message, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_EQ(last.data.hIcon, nullptr);
  EXPECT_TRUE(last.result) << "an empty icon is shown with handle 0";
}

TEST_F(TrayIconTest, LoadedAddsOrRemovesAndSetsTheBehaviourVersion) {
  struct Case {
    bool visible;
    int version;
    DWORD addOrRemove;
    UINT versionField;
  };
  for (const Case c : {Case{true, 0, NIM_ADD, 0}, Case{false, 0, NIM_DELETE, 0},
                       Case{true, 1, NIM_ADD, NOTIFYICON_VERSION}}) {
    SCOPED_TRACE(testing::Message() << c.visible << " " << c.version);
    TTrayIcon icon(nullptr, "Loading");
    icon.SetBehaviourVersion(c.version);
    if (c.visible) icon.SetIconVisible(true);
    shell.Clear();
    icon.Loaded();
    EXPECT_EQ(shell.Messages(), (std::vector<DWORD>{NIM_MODIFY, c.addOrRemove, NIM_SETVERSION}));
    EXPECT_EQ(shell.Calls().back().data.uVersion, c.versionField);
    EXPECT_EQ(IconInShell(icon), c.visible);
  }
}

TEST_F(TrayIconTest, TwoIconsHaveTheirOwnIdentityAndMessages) {
  auto first = std::make_unique<TTrayIcon>(nullptr, "First");
  auto second = std::make_unique<TTrayIcon>(nullptr, "Second");
  ui::MessageWindow* shared = ui::MessageWindow::Instance();
  ASSERT_NE(shared, nullptr);
  const HWND window = shared->Handle();
  EXPECT_TRUE(IsWindow(window));
  EXPECT_EQ(first->NotifyData().hWnd, window);
  EXPECT_EQ(second->NotifyData().hWnd, window);
  const UINT firstId = first->Identity(), secondId = second->Identity();
  EXPECT_NE(firstId, 0u);
  EXPECT_NE(firstId, secondId);
  EXPECT_TRUE(shared->Claimed(WM_TRAYNOTIFY, firstId));
  EXPECT_TRUE(shared->Claimed(WM_TRAYNOTIFY, secondId));

  // Both live in the shell at once, told apart by their number.
  EXPECT_TRUE(first->AddIcon());
  EXPECT_TRUE(second->AddIcon());
  EXPECT_TRUE(IconInShell(window, firstId));
  EXPECT_TRUE(IconInShell(window, secondId));

  int firstClicks = 0, secondClicks = 0;
  first->OnClick = [&](TTrayIcon& sender) {
    EXPECT_EQ(&sender, first.get());
    ++firstClicks;
  };
  second->OnClick = [&](TTrayIcon&) { ++secondClicks; };
  auto click = [&](UINT id) {
    SendMessageA(window, WM_TRAYNOTIFY, id, WM_LBUTTONDOWN);
    SendMessageA(window, WM_TRAYNOTIFY, id, WM_LBUTTONUP);
  };
  click(firstId);
  EXPECT_EQ(firstClicks, 1);
  EXPECT_EQ(secondClicks, 0);
  click(secondId);
  EXPECT_EQ(secondClicks, 1);
  click(secondId + 1000);  // nobody's
  EXPECT_EQ(firstClicks + secondClicks, 2);

  // Freeing one icon takes it out of the shell and out of the table.
  first.reset();
  EXPECT_FALSE(IconInShell(window, firstId));
  EXPECT_TRUE(IconInShell(window, secondId));
  EXPECT_FALSE(shared->Claimed(WM_TRAYNOTIFY, firstId));
  click(firstId);
  EXPECT_EQ(secondClicks, 1);
  click(secondId);
  EXPECT_EQ(secondClicks, 2);

  // The window goes with the last icon.
  second.reset();
  EXPECT_EQ(ui::MessageWindow::Instance(), nullptr);
  EXPECT_FALSE(IsWindow(window));
  // A new icon gets a number never used before.
  TTrayIcon third(nullptr, "Third");
  EXPECT_NE(third.Identity(), firstId);
  EXPECT_NE(third.Identity(), secondId);
}

// Icons and timers share one hidden window; a message reaches only the part
// that claimed both its number and its identity.
TEST_F(TrayIconTest, IconsAndTimersShareOneWindowEachMessageToItsOwn) {
  auto timer = std::make_unique<TIntervalTimer>(5000);
  auto icon = std::make_unique<TTrayIcon>(nullptr, "Shared");
  const HWND window = timer->Window();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(icon->NotifyData().hWnd, window);
  int ticks = 0;
  timer->SetOnTimer([&](TIntervalTimer&) { ++ticks; });
  test::EventLog log;
  log.Attach(*icon, false);

  // Each one's identity under the other's message: nobody's.
  SendMessageA(window, WM_TIMER, icon->Identity(), WM_LBUTTONDOWN);
  SendMessageA(window, WM_TRAYNOTIFY, timer->Identity(), WM_LBUTTONDOWN);
  EXPECT_EQ(ticks, 0);
  EXPECT_TRUE(log.events.empty());
  SendMessageA(window, WM_TIMER, timer->Identity(), 0);
  SendTray(*icon, WM_LBUTTONDOWN);
  EXPECT_EQ(ticks, 1);
  ASSERT_EQ(log.events.size(), 1u);

  // Either keeps the window for the other, and a newcomer joins the same one.
  icon.reset();
  EXPECT_TRUE(IsWindow(window));
  SendMessageA(window, WM_TIMER, timer->Identity(), 0);
  EXPECT_EQ(ticks, 2);
  auto again = std::make_unique<TTrayIcon>(nullptr, "Again");
  EXPECT_EQ(again->NotifyData().hWnd, window);
  timer.reset();
  EXPECT_TRUE(IsWindow(window));
  again.reset();
  EXPECT_EQ(ui::MessageWindow::Instance(), nullptr);
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(TrayIconTest, TheMessageWindowNeitherClosesNorHoldsUpALogOff) {
  TTrayIcon icon(nullptr, "Handler");
  int clicks = 0;
  icon.OnClick = [&](TTrayIcon&) { ++clicks; };
  const HWND window = icon.NotifyData().hWnd;
  for (UINT msg :
       {WM_DESTROY, WM_CLOSE, WM_QUERYENDSESSION, WM_QUIT, WM_ENDSESSION, WM_NCDESTROY}) {
    SCOPED_TRACE(msg);
    EXPECT_EQ(SendMessageA(window, msg, 0, 0), 1);
    EXPECT_TRUE(IsWindow(window));
  }
  // Everything else has the default answer.
  EXPECT_EQ(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0), 0);
  SendTray(icon, WM_LBUTTONDOWN);
  SendTray(icon, WM_LBUTTONUP);
  EXPECT_EQ(clicks, 1) << "still at work";
}

// --- the task bar restart ---------------------------------------------------

long fakeVersion = 0;
long FakeVersion() { return fakeVersion; }

class TaskbarRestartTest : public test::TrayTest {
 protected:
  void TearDown() override {
    RegisterTaskbarCreatedMessage();  // the real common controls again
    TrayTest::TearDown();
  }
  const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
};

// The version is read from the resource in one pass over the file; it must be
// the one the version functions give.
TEST(ComCtl32Version, IsTheFileVersionTheVersionFunctionsRead) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA("comctl32.dll", &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> block(size);
  ASSERT_TRUE(GetFileVersionInfoA("comctl32.dll", 0, size, block.data()));
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&info), &length));
  EXPECT_EQ(ComCtl32FileVersion(), static_cast<long>(info->dwFileVersionMS));
}

TEST_F(TaskbarRestartTest, OnlyCommonControls471OrNewerRegisterTheMessage) {
  EXPECT_GE(ComCtl32FileVersion(), 0x00040047) << "Wine's comctl32 can be read";
  struct Case {
    long version;
    bool registers;
  };
  for (const Case c : {Case{-1, false}, Case{0x00040000, false}, Case{0x00040046, false},
                       Case{0x00040047, true}, Case{0x00050051, true}, Case{0x00060000, true}}) {
    SCOPED_TRACE(c.version);
    fakeVersion = c.version;
    const UINT answer = RegisterTaskbarCreatedMessage(FakeVersion);
    EXPECT_EQ(answer, c.registers ? taskbarCreated : 0u);
    EXPECT_EQ(TaskbarCreatedMessage(), answer);
  }
  EXPECT_EQ(RegisterTaskbarCreatedMessage(), taskbarCreated);
}

TEST_F(TaskbarRestartTest, TheIconComesBackWithTheSameTipAndMenu) {
  test::ProgramTray program;
  program.Start();
  TTrayIcon& tray = *program.tray;
  ASSERT_TRUE(IconInShell(tray));
  const HICON picture = tray.Icon();

  // The shell lost its icons; Wine's does not broadcast, so we post the news.
  test::DropFromShell(tray);
  ASSERT_FALSE(IconInShell(tray));
  EXPECT_TRUE(test::PumpUntil([&] { return !test::TrayShows(picture); }, 3000));
  shell.Clear();
  PostMessageA(app->Handle(), taskbarCreated, 0, 0);
  Pump();
  const auto adds = shell.Of(NIM_ADD);
  ASSERT_EQ(adds.size(), 1u);
  EXPECT_TRUE(adds[0].result);
  EXPECT_EQ(TipOf(adds[0].data), "Velotune");
  EXPECT_EQ(adds[0].data.hIcon, picture);
  EXPECT_TRUE(IconInShell(tray));
  EXPECT_TRUE(test::PumpUntil([&] { return test::TrayShows(picture); }, 3000));
  // Same menu as before.
  SendTray(tray, WM_RBUTTONDOWN);
  EXPECT_EQ(program.menu->popups, 1);
  EXPECT_TRUE(program.menu->sawMenuWindow);

  // A hidden icon stays hidden.
  tray.SetIconVisible(false);
  shell.Clear();
  PostMessageA(app->Handle(), taskbarCreated, 0, 0);
  Pump();
  EXPECT_TRUE(shell.Of(NIM_ADD).empty());
  EXPECT_FALSE(IconInShell(tray));
}

TEST_F(TaskbarRestartTest, CommonControls470NeverPutTheIconBack) {
  fakeVersion = 0x00040046;
  ASSERT_EQ(RegisterTaskbarCreatedMessage(FakeVersion), 0u);
  TTrayIcon icon(nullptr, "Old");
  ASSERT_TRUE(icon.AddIcon());
  test::DropFromShell(icon);
  shell.Clear();
  PostMessageA(app->Handle(), taskbarCreated, 0, 0);
  Pump();
  EXPECT_TRUE(shell.Of(NIM_ADD).empty());
  EXPECT_FALSE(IconInShell(icon));
}

}  // namespace
}  // namespace velotune
