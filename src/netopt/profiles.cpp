#include "netopt/profiles.h"

#include <array>

#include "platform/original_values.h"

namespace velotune {
namespace {

constexpr std::string_view kNetTrans = "System\\CurrentControlSet\\Services\\Class\\NetTrans";
constexpr std::string_view kMstcp = "System\\CurrentControlSet\\Services\\VxD\\MSTCP";
constexpr std::string_view kTcpip = "System\\CurrentControlSet\\Services\\Tcpip\\Parameters";
// The same key; this form opens it only before an "MTU" write.
constexpr std::string_view kTcpipSlash = "System\\CurrentControlSet\\Services\\Tcpip\\Parameters\\";

constexpr ProfileStep Open(std::string_view path) { return {StepKind::OpenKey, path, {}, {}, 0}; }
constexpr ProfileStep Text(std::string_view name, std::string_view text) {
  return {StepKind::WriteString, {}, name, text, 0};
}
constexpr ProfileStep Number(std::string_view name, int32_t value) {
  return {StepKind::WriteNumber, {}, name, {}, value};
}

constexpr std::array kDialup = {
    Open(kNetTrans),   Text("MaxMTU", "576"), Text("MaxMSS", "536"),
    Open(kTcpipSlash), Number("MTU", 576),
};

constexpr std::array kBroadband = {
    Open(kMstcp),
    Text("DefaultTTL", "128"),
    Text("DefaultRcvWindow", "32767"),
    Text("PMTUBlackHoleDetect", "0"),
    Text("PMTUDiscovery", "1"),
    Text("SackOpts", "1"),
    Number("Tcp1323Opts", 1),
    Open(kTcpip),
    Number("DefaultTTL", 128),
    Number("EnablePMTUBHDetect", 0),
    Number("EnablePMTUDiscovery", 1),
    Number("GlobalMaxTcpWindowSize", 32767),
    Number("TcpMaxDupAcks", 2),
    Number("SackOpts", 1),
    Number("Tcp1323Opts", 1),
    Number("TcpWindowSize", 32767),
    Open(kTcpipSlash),
    Number("MTU", 1500),
};

// Profiles 3 and 4 differ only in the receive window.
constexpr std::array<ProfileStep, 15> LanSteps(std::string_view windowText, int32_t window) {
  return {
      Open(kMstcp),
      Text("DefaultTTL", "64"),
      Text("DefaultRcvWindow", windowText),
      Text("PMTUBlackHoleDetect", "0"),
      Text("PMTUDiscovery", "1"),
      Text("SackOpts", "1"),
      Number("Tcp1323Opts", 1),
      Open(kTcpip),
      Number("TcpWindowSize", window),
      Number("DefaultTTL", 64),
      Number("EnablePMTUBHDetect", 0),
      Number("EnablePMTUDiscovery", 1),
      Number("Tcp1323Opts", 1),
      Number("TcpMaxDupAcks", 3),
      Number("SackOpts", 1),
  };
}

constexpr auto kLan = LanSteps("256960", 256960);
constexpr auto kCorporate = LanSteps("255552", 255552);

constexpr std::array<ConnectionProfile, kProfileCount + 1> kProfiles = {{
    {0, "", "", 0, {}},
    {1, "Internet Dialup", "For the systems which connected with Interned via Modem or ISDN.", 20,
     kDialup},
    {2, "ADSL, DSL, Cable Modem",
     "For the systems which connected directly to the Internet. Permanent connections, cable "
     "modem or DSL.",
     5, kBroadband},
    {3, "Home, Office LAN", "Small networks contains of less than 50 workstations.", 6, kLan},
    {4, "T1, Satellite or Corporate LAN",
     "For the great networks containing from 50-2000 workstations which include routers.", 6,
     kCorporate},
}};

}  // namespace

const ConnectionProfile& LookupProfile(int number) {
  return (number >= 1 && number <= kProfileCount) ? kProfiles[number] : kProfiles[0];
}

bool ProfileHeld(int number) {
  UniqueKey key;
  for (const ProfileStep& step : LookupProfile(number).steps) {
    const std::string name(step.name);
    switch (step.kind) {
      case StepKind::OpenKey:
        key = OpenKeyForRead(HKEY_LOCAL_MACHINE, std::string(step.keyPath));
        break;
      case StepKind::WriteString:
        // A stored text never holds a NUL, so the default never matches.
        if (ReadText(key, name, std::string(1, '\0')) != step.text) return false;
        break;
      case StepKind::WriteNumber:
        if (ReadNumber(key, name, step.number ^ 1) != step.number) return false;
        break;
    }
  }
  return true;
}

bool ProfileWriter::Perform(const ProfileStep& step) {
  switch (step.kind) {
    case StepKind::OpenKey:
      currentPath_ = step.keyPath;
      current_ = OpenOrCreateKey(HKEY_LOCAL_MACHINE, currentPath_);
      return static_cast<bool>(current_);
    case StepKind::WriteString:
      return WriteText(current_, std::string(step.name), std::string(step.text));
    case StepKind::WriteNumber:
      return WriteNumber(current_, std::string(step.name), step.number);
  }
  return false;
}

bool ProfileWriter::PerformRecorded(const ProfileStep& step) {
  if (step.kind == StepKind::OpenKey) {
    if (!RecordKeysToCreate(HKEY_LOCAL_MACHINE, std::string(step.keyPath))) {
      current_.reset();
      return false;
    }
  } else if (!current_ ||
             !RecordOriginalValue(HKEY_LOCAL_MACHINE, currentPath_, std::string(step.name))) {
    return false;
  }
  return Perform(step);
}

}  // namespace velotune
