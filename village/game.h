#pragma once
// The village's game: villagers, roles, days and nights, speeches, votes and
// the end of the game. Texts are UTF-8; pages convert them when they go out.
// Not thread-safe: the Village that owns it serialises every call.
#include <cstdint>
#include <map>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace village {

enum class Role { Villager, Wolf, Seer, Medium, Hunter, Madman, Fox, Cat };
enum class Phase { Lobby, Day, Vote, Night, Over };
enum class Winner { None, Village, Wolves, Fox, Cat, Draw };

const char* roleName(Role r);  // 村人, 人狼, ...
const char* phaseName(Phase p);  // lobby, day, vote, night, over
const char* winnerName(Winner w);  // none, village, wolves, fox, cat, draw
bool hasNightAction(Role r);

struct Villager {
  int no = 0;  // the villager's number (番地), from 1
  std::string name;
  std::string color;  // "#rrggbb" of the name's mark
  Role role = Role::Villager;
  bool alive = true;
  bool human = false;  // a player over HTTP rather than a simulated one
  std::string pass;
};

struct Speech {
  int speaker = 0;
  std::string text;
  int emphasis = 0;  // +1 said strongly, -1 weakly, 0 plainly
};

// What happened, in the order it happened, for pages that tell the day as
// one log (speeches among arrivals, votes, deaths and the turns of the day).
enum class EventKind { Arrival, Speech, VoteTable, Executed, NightFalls, Killed, Morning, Silence, Victory };

struct Event {
  Event(EventKind k = EventKind::Speech, int w = 0, size_t s = 0) : kind(k), who(w), speech(s) {}
  EventKind kind = EventKind::Speech;
  int who = 0;  // the arrival, the speaker, the executed or the killed
  size_t speech = 0;  // Speech: its index in the day's speeches
  std::vector<std::pair<int, int>> ballots;  // VoteTable: voter, target; target 0 for none
};

// Everything that happened on one day (day 0 is the day before the game).
struct DayRecord {
  std::vector<Speech> speeches;  // the living, oldest first
  std::vector<Speech> ghosts;  // the dead
  std::vector<std::string> notices;  // announcements of the game master
  std::map<int, std::string> secrets;  // per villager: what only they learn (a seer's result)
  std::vector<Event> events;  // everything above that the living saw, oldest first
  std::map<int, int> divined;  // seer: the villager divined the night before
};

// How a game runs. Standard: it begins on day 1 and a night is one step.
// NightFirst: it begins at night 1 (the wolves attack before anyone has
// spoken), each night ends with a dawn step at which the night's actions are
// due, votes are taken all day, and no one speaks once the sun sets.
enum class Rules { Standard, NightFirst };

struct GameConfig {
  int capacity = 8;
  int villageNo = 123;
  uint32_t seed = 1;
  // When set, the first execution ends the game with this winner.
  Winner forcedWinner = Winner::None;
  // A game still undecided when this day would begin ends in a draw.
  int lastDay = 7;
  // The human players are never executed or attacked, so a test or a demo
  // can watch the whole game.
  bool protectHumans = true;
  Rules rules = Rules::Standard;
  // The forced winner takes the game at this execution; the earlier ones
  // are ordinary.
  int forcedAtExecution = 1;
};

class Game {
 public:
  explicit Game(GameConfig config);

  // Registration, only in the lobby while there is room. Returns the new
  // villager's number, or 0.
  int join(std::string name, std::string pass, bool human, Role wish = Role::Villager);
  // Deals the roles and begins day 1. Humans who asked for a role get it.
  void start();
  // One step of the game: a villager joins (lobby), the lobby's full village
  // starts, discussion turns to vote, the vote executes and night falls, the
  // night's attack and day break. Villagers speak on the way.
  void advance();
  // One line of small talk from a simulated villager (lobby and daytime).
  void chatter();

  bool say(int no, std::string_view text, int emphasis = 0);
  // A villager keeps silent for the rest of the day; once more than half of
  // the living do, an hour passes in silence.
  bool keepSilent(int no);
  bool isSilent(int no) const { return silent_.count(no) > 0; }
  bool vote(int no, int target);
  bool act(int no, int target);

  Phase phase() const { return phase_; }
  // At night: the dawn step has come and the night's actions are due.
  bool dawn() const { return dawn_; }
  Rules rules() const { return config_.rules; }
  int day() const { return day_; }
  Winner winner() const { return winner_; }
  int capacity() const { return config_.capacity; }
  int villageNo() const { return config_.villageNo; }
  int living() const;
  const std::vector<Villager>& villagers() const { return villagers_; }
  const Villager* find(int no) const;
  const Villager* login(int no, std::string_view pass) const;
  const DayRecord& record(int day) const;
  int lastRecordedDay() const { return static_cast<int>(days_.size()) - 1; }
  // The target a villager chose this phase, 0 for none.
  int votedFor(int no) const;
  int actedOn(int no) const;

 private:
  Villager* findMutable(int no);
  int pickRandom(const std::vector<int>& from);
  std::vector<int> livingWhere(bool (*pred)(const Villager&)) const;
  void simulatedSpeeches(int count);
  void execute();
  void nightFalls();
  void dayBreaks();
  bool checkEnd();
  void end(Winner w);
  void kill(Villager& v);
  void addSpeech(DayRecord& d, Speech s);
  // A hunter guards from the first night on; under NightFirst rules from
  // the second, since the first comes before anyone could judge.
  // A protected human, whom the simulated villagers leave out of their
  // votes under NightFirst rules, so that the vote table shows the votes
  // that counted. (The standard game keeps its choices as they always were.)
  bool spared(const Villager& v) const {
    return config_.rules == Rules::NightFirst && config_.protectHumans && v.human;
  }
  bool huntersGuardTonight() const { return config_.rules == Rules::Standard || day_ >= 2; }
  void dealNightFirst(std::vector<Role>& pool, int n) const;
  DayRecord& today() { return days_.back(); }

  GameConfig config_;
  std::mt19937 rng_;
  Phase phase_ = Phase::Lobby;
  int day_ = 0;
  Winner winner_ = Winner::None;
  std::vector<Villager> villagers_;
  std::vector<DayRecord> days_;
  std::map<int, int> votes_;
  std::map<int, int> actions_;
  std::set<int> silent_;
  bool dawn_ = false;
  int executions_ = 0;
};

}  // namespace village
