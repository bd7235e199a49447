#include "monitor/alarm_player.h"

#include <gtest/gtest.h>

#include "platform/executable_dir.h"
#include "platform/fake/fakes.h"

namespace jinro {
namespace {

using fake::FakeSoundDevice;

class AlarmPlayerTest : public ::testing::Test {
 protected:
  AlarmPlayerTest() : c(fakes.ports()), player(c) {
    const char* files[] = {"monst01.wav", "bird.wav", "se-037.wav", "se-037.wav", "tamhe06.mid", "tam-g09.mid",
                           "tam-g09.mid", "tam-g09.mid", "tamhe06.mid", "tam-g07.mid", "bin100818210142001.wav"};
    for (int i = 0; i < kAlarmKindCount; ++i) c.settings.alarms[i].soundPath = files[i];
    for (const char* f : files) {
      std::string name = f;
      sound().fileTypes[dir + name] = name.ends_with(".mid") ? "Sequencer" : "WaveAudio";
    }
  }
  FakeSoundDevice& sound() { return fakes.sound; }
  const AlarmChannel& channel(AlarmKind k) { return c.alarmChannels[index(k)]; }
  std::vector<std::string> ops() {
    std::vector<std::string> out;
    for (const auto& call : sound().calls) out.push_back(call.op + ":" + std::to_string(call.id));
    return out;
  }

  std::string dir = executableDirectory();
  fake::FakePlatform fakes;
  ClientController c;
  AlarmPlayer player;
};

using Ops = std::vector<std::string>;

TEST_F(AlarmPlayerTest, NewAlarmStopsAndClosesTheOldOneBeforeOpening) {
  c.settings.alarm(AlarmKind::tohyo).loop = 1;
  player.playAlarm(AlarmKind::tohyo);
  EXPECT_EQ(c.currentAlarm, 50029);
  EXPECT_EQ(channel(AlarmKind::tohyo).deviceId, 1u);
  EXPECT_EQ(channel(AlarmKind::tohyo).deviceType, "WaveAudio");
  EXPECT_EQ(channel(AlarmKind::tohyo).elementName, "se-037.wav");  // as in the settings
  EXPECT_EQ(sound().calls[0].detail, "WaveAudio:" + dir + "se-037.wav");

  sound().calls.clear();
  player.playAlarm(AlarmKind::jinro);
  EXPECT_EQ(ops(), (Ops{"stop:1", "close:1", "open:2", "seek:2", "play:2"}));
  EXPECT_EQ(sound().calls[2].detail, "Sequencer:" + dir + "tam-g09.mid");
  EXPECT_EQ(channel(AlarmKind::tohyo).deviceId, 0u);
  EXPECT_TRUE(channel(AlarmKind::tohyo).elementName.empty());
  EXPECT_EQ(channel(AlarmKind::jinro).deviceId, 2u);
  EXPECT_EQ(c.currentAlarm, 50024);
  EXPECT_EQ(sound().openDevices.size(), 1u);
}

TEST_F(AlarmPlayerTest, OnlyLoopFlagOneRepeatsOnASuccessfulNotice) {
  for (int loop : {1, 0, 2}) {
    SCOPED_TRACE(loop);
    c.settings.alarm(AlarmKind::kodo).loop = loop;
    player.playAlarm(AlarmKind::kodo);
    const uint32_t id = channel(AlarmKind::kodo).deviceId;
    ASSERT_NE(id, 0u);
    EXPECT_EQ(sound().calls.back().op, loop == 1 ? "playNotify" : "play");

    sound().calls.clear();
    EXPECT_TRUE(player.handleCompletion(MCI_NOTIFY_SUCCESSFUL, id));  // consumed either way
    if (loop == 1) {
      EXPECT_EQ(ops(), (Ops{"seek:" + std::to_string(id), "playNotify:" + std::to_string(id)}));
    } else {
      EXPECT_TRUE(sound().calls.empty());
    }
  }
}

TEST_F(AlarmPlayerTest, LoopFlagIsReadAgainAtEachNotice) {
  c.settings.alarm(AlarmKind::night).loop = 1;
  player.playAlarm(AlarmKind::night);
  const uint32_t id = channel(AlarmKind::night).deviceId;
  c.settings.alarm(AlarmKind::night).loop = 0;  // sound settings applied meanwhile
  sound().calls.clear();
  EXPECT_TRUE(player.handleCompletion(MCI_NOTIFY_SUCCESSFUL, id));
  EXPECT_TRUE(sound().calls.empty());
}

TEST_F(AlarmPlayerTest, StoppedAbortedAndUnknownNoticesAndSoundOffAreIgnored) {
  c.settings.alarm(AlarmKind::tohyo).loop = 1;
  player.playAlarm(AlarmKind::tohyo);
  const uint32_t id = channel(AlarmKind::tohyo).deviceId;
  sound().calls.clear();
  EXPECT_FALSE(player.handleCompletion(MCI_NOTIFY_ABORTED, id));
  EXPECT_FALSE(player.handleCompletion(MCI_NOTIFY_SUPERSEDED, id));
  EXPECT_FALSE(player.handleCompletion(MCI_NOTIFY_SUCCESSFUL, id + 40));
  EXPECT_FALSE(player.handleCompletion(MCI_NOTIFY_SUCCESSFUL, 0));  // closed channels hold 0
  c.soundOn = 0;
  EXPECT_FALSE(player.handleCompletion(MCI_NOTIFY_SUCCESSFUL, id));
  c.soundOn = 2;  // a flag counts only when exactly 1
  EXPECT_FALSE(player.handleCompletion(MCI_NOTIFY_SUCCESSFUL, id));
  EXPECT_TRUE(sound().calls.empty());

  // Sound off: the capacity alarm still starts, with notice, but is not repeated.
  c.soundOn = 0;
  player.playAlarm(AlarmKind::full_alarm);
  EXPECT_EQ(sound().calls.back().op, "playNotify");
  sound().calls.clear();
  EXPECT_FALSE(player.handleCompletion(MCI_NOTIFY_SUCCESSFUL, c.capacityAlarmDevice));
  EXPECT_TRUE(sound().calls.empty());
}

TEST_F(AlarmPlayerTest, CapacityAlarmAlwaysRepeatsAndStopsAlone) {
  c.settings.alarm(AlarmKind::full_alarm).loop = 0;  // the arming switch, not a repeat flag
  player.playAlarm(AlarmKind::full_alarm);
  const uint32_t id = c.capacityAlarmDevice;
  ASSERT_NE(id, 0u);
  EXPECT_EQ(channel(AlarmKind::full_alarm).deviceId, id);
  EXPECT_EQ(sound().calls.back().op, "playNotify");
  sound().calls.clear();
  EXPECT_TRUE(player.handleCompletion(MCI_NOTIFY_SUCCESSFUL, id));
  EXPECT_EQ(ops(), (Ops{"seek:" + std::to_string(id), "playNotify:" + std::to_string(id)}));

  sound().calls.clear();
  player.stopCapacityAlarm();
  EXPECT_EQ(ops(), (Ops{"stop:" + std::to_string(id), "close:" + std::to_string(id)}));
  EXPECT_EQ(c.capacityAlarmDevice, 0u);
  EXPECT_EQ(c.currentAlarm, 50033);  // so the same full village does not sound again
  EXPECT_EQ(channel(AlarmKind::full_alarm).deviceId, id);  // kept until stopAllAlarms

  sound().calls.clear();
  player.stopCapacityAlarm();
  EXPECT_TRUE(sound().calls.empty());

  player.stopAllAlarms();
  EXPECT_EQ(channel(AlarmKind::full_alarm).deviceId, 0u);
  EXPECT_EQ(c.currentAlarm, 50033);  // stopAllAlarms leaves it to the callers
}

TEST_F(AlarmPlayerTest, StopCapacityAlarmLeavesOtherAlarmsSounding) {
  c.settings.alarm(AlarmKind::tohyo).loop = 1;
  player.playAlarm(AlarmKind::tohyo);
  sound().calls.clear();
  player.stopCapacityAlarm();
  EXPECT_TRUE(sound().calls.empty());
  EXPECT_EQ(sound().openDevices.size(), 1u);
}

TEST_F(AlarmPlayerTest, StopAllAlarmsGoesInChannelOrder) {
  // Only one device is ever open through playAlarm; give every channel one
  // by hand to see the order.
  for (int i = 0; i < kAlarmKindCount; ++i) c.alarmChannels[i].deviceId = 100 + i;
  c.capacityAlarmDevice = 100 + index(AlarmKind::full_alarm);
  player.stopAllAlarms();
  Ops expected;
  for (AlarmKind k : kChannelOrder) {
    expected.push_back("stop:" + std::to_string(100 + index(k)));
    expected.push_back("close:" + std::to_string(100 + index(k)));
  }
  EXPECT_EQ(ops(), expected);
  for (const auto& ch : c.alarmChannels) EXPECT_EQ(ch.deviceId, 0u);
  EXPECT_EQ(c.capacityAlarmDevice, 0u);
}

TEST_F(AlarmPlayerTest, NoticeMatchesTheFirstChannelInOrder) {
  // The capacity channel is matched last: a stale id left in it after
  // stopCapacityAlarm never shadows a live channel with the same id.
  c.alarmChannels[index(AlarmKind::full_alarm)].deviceId = 7;
  c.alarmChannels[index(AlarmKind::daytime)].deviceId = 7;
  c.settings.alarm(AlarmKind::daytime).loop = 0;
  EXPECT_TRUE(player.handleCompletion(MCI_NOTIFY_SUCCESSFUL, 7));
  EXPECT_TRUE(sound().calls.empty());
}

TEST_F(AlarmPlayerTest, WrongTypeFileGivesIdZeroYetBecomesTheCurrentAlarm) {
  c.settings.alarm(AlarmKind::sonmin).soundPath = "bird.wav";  // a WAV on the sequencer
  c.settings.alarm(AlarmKind::sonmin).loop = 1;
  player.playAlarm(AlarmKind::sonmin);
  EXPECT_EQ(ops(), (Ops{"open:0"}));
  EXPECT_EQ(sound().calls[0].detail, "Sequencer:" + dir + "bird.wav");
  EXPECT_EQ(channel(AlarmKind::sonmin).deviceId, 0u);
  EXPECT_EQ(channel(AlarmKind::sonmin).deviceType, "Sequencer");
  EXPECT_EQ(channel(AlarmKind::sonmin).elementName, "bird.wav");
  EXPECT_EQ(c.currentAlarm, 50026);

  // A missing file on the capacity alarm: nothing to stop later.
  sound().acceptUnknownFiles = false;
  c.settings.alarm(AlarmKind::full_alarm).soundPath = "/nowhere/siren.wav";
  player.playAlarm(AlarmKind::full_alarm);
  EXPECT_EQ(sound().calls.back().detail, "WaveAudio:/nowhere/siren.wav");  // absolute path unchanged
  EXPECT_EQ(c.capacityAlarmDevice, 0u);
  EXPECT_EQ(c.currentAlarm, 50033);
}

TEST_F(AlarmPlayerTest, LateNoticeForAClosedIdFollowsTheDeviceThatNowHoldsIt) {
  c.settings.alarm(AlarmKind::tohyo).loop = 1;
  player.playAlarm(AlarmKind::tohyo);
  const uint32_t id = channel(AlarmKind::tohyo).deviceId;

  // The vote alarm is closed; its id is given to the night alarm's device.
  sound().nextId = id;
  c.settings.alarm(AlarmKind::night).loop = 0;
  player.playAlarm(AlarmKind::night);
  ASSERT_EQ(channel(AlarmKind::night).deviceId, id);

  // The vote alarm's notice, already on its way, now names the night device:
  // the night alarm's rule (play once) applies.
  sound().calls.clear();
  EXPECT_TRUE(player.handleCompletion(MCI_NOTIFY_SUCCESSFUL, id));
  EXPECT_TRUE(sound().calls.empty());

  // With the night alarm repeating, the same notice restarts it.
  c.settings.alarm(AlarmKind::night).loop = 1;
  EXPECT_TRUE(player.handleCompletion(MCI_NOTIFY_SUCCESSFUL, id));
  EXPECT_EQ(ops(), (Ops{"seek:" + std::to_string(id), "playNotify:" + std::to_string(id)}));

  // A notice for an id no channel holds any more is not consumed.
  player.stopAllAlarms();
  EXPECT_FALSE(player.handleCompletion(MCI_NOTIFY_SUCCESSFUL, id));
}

TEST_F(AlarmPlayerTest, NoticesThroughTheDeviceHandlerDriveTheRepeatChain) {
  // Wired as the main window does: the device's notices go to the player.
  sound().setNoticeHandler([this](uint32_t code, uint32_t id) { player.handleCompletion(code, id); });
  c.settings.alarm(AlarmKind::hikiwake).loop = 1;
  player.playAlarm(AlarmKind::hikiwake);
  const uint32_t id = channel(AlarmKind::hikiwake).deviceId;
  for (int i = 0; i < 3; ++i) sound().fireNotice(MCI_NOTIFY_SUCCESSFUL, id);
  EXPECT_EQ(sound().count("playNotify"), 4u);
  player.stopAllAlarms();
  sound().fireNotice(MCI_NOTIFY_ABORTED, id);
  EXPECT_EQ(sound().count("playNotify"), 4u);
}

}  // namespace
}  // namespace jinro
