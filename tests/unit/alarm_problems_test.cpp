#include "monitor/alarm_problems.h"

#include <gtest/gtest.h>

#include "app/client_controller.h"
#include "platform/executable_dir.h"
#include "platform/fake/fakes.h"

namespace jinro {
namespace {

// 警報音を鳴らせません（
const std::string kLead = "\x8Cx\x95\xF1\x89\xB9\x82\xF0\x96\xC2\x82\xE7\x82\xB9\x82\xDC\x82\xB9\x82\xF1\x81i";

TEST(AlarmProblems, KeepsTheReasonPerKindWithTheSettingsPath) {
  AlarmProblems p;
  const std::string sjisName = "\x96\xE9.wav";  // 夜.wav
  // The device names the file by the path it was given; the settings' bytes
  // are shown instead, other bytes that are not printable ASCII as '?'.
  EXPECT_TRUE(p.record(AlarmKind::night, sjisName, "/opt/j/" + sjisName, false,
                       "/opt/j/" + sjisName + ": the WAV file is truncated\x1b\xe3\x81\x82"));
  ASSERT_TRUE(p.problem(AlarmKind::night));
  EXPECT_EQ(p.problem(AlarmKind::night)->reason, sjisName + ": the WAV file is truncated????");
  EXPECT_EQ(p.statusText(), kLead + std::string(alarmDisplayName(AlarmKind::night)) + "\x81j: " + sjisName +
                                ": the WAV file is truncated????");

  // The same failure again is no news; a second kind becomes the one shown.
  EXPECT_FALSE(p.record(AlarmKind::night, sjisName, "/opt/j/" + sjisName, false,
                        "/opt/j/" + sjisName + ": the WAV file is truncated\x1b\xe3\x81\x82"));
  EXPECT_TRUE(p.record(AlarmKind::jinro, "w.mid", "/opt/j/w.mid", false, "/opt/j/w.mid is a WAV file"));
  EXPECT_EQ(p.count(), 2);
  EXPECT_NE(p.statusText().find("w.mid is a WAV file \x82\xD9\x82\xA9 1 \x8C\x8F"), std::string::npos);

  // Fixed (or no sound asked for): gone, and the other one is shown again.
  EXPECT_TRUE(p.record(AlarmKind::jinro, "w.mid", "/opt/j/w.mid", true, ""));
  EXPECT_NE(p.statusText().find("truncated"), std::string::npos);
  EXPECT_TRUE(p.record(AlarmKind::night, "", "", false, "no sound file is set"));
  EXPECT_EQ(p.count(), 0);
  EXPECT_EQ(p.statusText(), "");
  EXPECT_FALSE(p.record(AlarmKind::night, "", "", false, "no sound file is set"));
}

TEST(AlarmProblems, LongReasonsAreCut) {
  AlarmProblems p;
  p.record(AlarmKind::kodo, "k.wav", "/x/k.wav", false, std::string(100000, 'a'));
  EXPECT_LE(p.problem(AlarmKind::kodo)->reason.size(), 400u);
}

class ReasonDevice : public fake::FakeSoundDevice {
 public:
  std::string reason;
  std::string lastError() const override { return reason; }
};

class StatusWindow : public fake::FakeMainWindow {
 public:
  std::vector<std::string> statusLines;
  void showStatusText(std::string_view t) override { statusLines.emplace_back(t); }
};

TEST(AlarmProblems, ReportAfterOpenTellsTheWindowOnlyOfChanges) {
  ReasonDevice sound;
  StatusWindow shell;
  Ports ports;
  ports.sound = &sound;
  ports.shell = &shell;
  ClientController c(ports);
  c.settings.alarm(AlarmKind::tohyo).soundPath = "vote.wav";
  const std::string full = executableDirectory() + "vote.wav";
  sound.reason = "cannot open " + full + ": No such file or directory";

  reportAlarmOpen(c, AlarmKind::tohyo, full, 0);
  reportAlarmOpen(c, AlarmKind::tohyo, full, 0);
  ASSERT_EQ(shell.statusLines.size(), 1u);
  EXPECT_NE(shell.statusLines[0].find("cannot open vote.wav: No such file"), std::string::npos);
  reportAlarmOpen(c, AlarmKind::tohyo, full, 7);
  ASSERT_EQ(shell.statusLines.size(), 2u);
  EXPECT_EQ(shell.statusLines[1], "");
}

}  // namespace
}  // namespace jinro
