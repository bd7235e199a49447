#pragma once
// The village's game: villagers, roles, days and nights, speeches, votes and
// the end of the game. Texts are UTF-8; pages convert them when they go out.
// Not thread-safe: the Village that owns it serialises every call.
#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <string_view>
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
};

// Everything that happened on one day (day 0 is the day before the game).
struct DayRecord {
  std::vector<Speech> speeches;  // the living, oldest first
  std::vector<Speech> ghosts;  // the dead
  std::vector<std::string> notices;  // announcements of the game master
  std::map<int, std::string> secrets;  // per villager: what only they learn (a seer's result)
};

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

  bool say(int no, std::string_view text);
  bool vote(int no, int target);
  bool act(int no, int target);

  Phase phase() const { return phase_; }
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
};

}  // namespace village
