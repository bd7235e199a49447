#include "game.h"

#include <algorithm>

namespace village {
namespace {

const char* const kNames[] = {
    "アキラ", "ユキ",   "ハルト", "サクラ",   "ケンジ", "ミドリ", "タロウ", "ハナコ", "ジロウ",   "カエデ",
    "ソウタ", "リン",   "ダイチ", "村長さん", "ナナミ", "ユウト", "ツバサ", "ミサキ", "レン",     "コハル",
    "ゲン",   "シズカ", "マコト", "アオイ",   "ヒカル", "スミレ", "トオル", "ヨシエ", "パン屋さん", "イサム",
};
const char* const kColors[] = {"#ff0000", "#0066ff", "#00aa00", "#ff9900", "#cc00cc", "#009999",
                               "#996633", "#ff6699", "#6666ff", "#99cc00", "#ff3300", "#3399ff"};

const char* const kGreetings[] = {
    "こんばんは。よろしくお願いします。",
    "はじめまして、村に越してきました。",
    "よろしく。今夜は冷えますね。",
    "どうも。人狼の噂は本当なのでしょうか。",
};
const char* const kDayLines[] = {
    "おはようございます。昨夜は何か物音がしませんでしたか？",
    "占い師の方がいたら名乗り出てください。",
    "落ち着いて話し合いましょう。",
    "{name}の発言が少し気になります。",
    "{name}は村人だと思う。昨日の様子が自然だった。",
    "今日は誰に投票するか、早めに決めませんか。",
    "私は村人です。信じてください。",
    "{name}が怪しい。ずっと黙っているよね。",
    "霊能の結果を待ちたいところです。",
    "人狼は二人いるはずです。",
};

template <size_t N>
size_t count(const char* const (&)[N]) {
  return N;
}

bool isLiving(const Villager& v) { return v.alive; }

constexpr size_t kMaxSpeechesPerDay = 5000;

}  // namespace

const char* roleName(Role r) {
  switch (r) {
    case Role::Wolf: return "人狼";
    case Role::Seer: return "占い師";
    case Role::Medium: return "霊能者";
    case Role::Hunter: return "狩人";
    case Role::Madman: return "狂人";
    case Role::Fox: return "妖狐";
    case Role::Cat: return "猫又";
    case Role::Villager: break;
  }
  return "村人";
}

const char* phaseName(Phase p) {
  switch (p) {
    case Phase::Day: return "day";
    case Phase::Vote: return "vote";
    case Phase::Night: return "night";
    case Phase::Over: return "over";
    case Phase::Lobby: break;
  }
  return "lobby";
}

const char* winnerName(Winner w) {
  switch (w) {
    case Winner::Village: return "village";
    case Winner::Wolves: return "wolves";
    case Winner::Fox: return "fox";
    case Winner::Cat: return "cat";
    case Winner::Draw: return "draw";
    case Winner::None: break;
  }
  return "none";
}

bool hasNightAction(Role r) { return r == Role::Wolf || r == Role::Seer || r == Role::Hunter; }

Game::Game(GameConfig config) : config_(config), rng_(config.seed) {
  config_.capacity = std::clamp(config_.capacity, 1, 30);
  days_.emplace_back();
}

int Game::living() const {
  return static_cast<int>(std::count_if(villagers_.begin(), villagers_.end(), isLiving));
}

const Villager* Game::find(int no) const {
  if (no < 1 || no > static_cast<int>(villagers_.size())) return nullptr;
  return &villagers_[static_cast<size_t>(no - 1)];
}

Villager* Game::findMutable(int no) { return const_cast<Villager*>(find(no)); }

const Villager* Game::login(int no, std::string_view pass) const {
  const Villager* v = find(no);
  return v && v->human && v->pass == pass ? v : nullptr;
}

const DayRecord& Game::record(int day) const {
  return days_[static_cast<size_t>(std::clamp(day, 0, lastRecordedDay()))];
}

int Game::votedFor(int no) const {
  auto it = votes_.find(no);
  return it == votes_.end() ? 0 : it->second;
}

int Game::actedOn(int no) const {
  auto it = actions_.find(no);
  return it == actions_.end() ? 0 : it->second;
}

int Game::join(std::string name, std::string pass, bool human, Role wish) {
  if (phase_ != Phase::Lobby || static_cast<int>(villagers_.size()) >= config_.capacity) return 0;
  Villager v;
  v.no = static_cast<int>(villagers_.size()) + 1;
  if (name.empty()) {
    for (size_t i = 0; i < count(kNames); ++i) {
      std::string candidate = kNames[(static_cast<size_t>(v.no) - 1 + i) % count(kNames)];
      bool used = std::any_of(villagers_.begin(), villagers_.end(),
                              [&](const Villager& o) { return o.name == candidate; });
      if (!used) {
        name = candidate;
        break;
      }
    }
  }
  v.name = std::move(name);
  v.color = kColors[static_cast<size_t>(v.no - 1) % count(kColors)];
  v.human = human;
  v.pass = std::move(pass);
  v.role = wish;
  villagers_.push_back(std::move(v));
  days_[0].events.push_back({EventKind::Arrival, villagers_.back().no});
  if (!human) addSpeech(days_[0], {villagers_.back().no, kGreetings[rng_() % count(kGreetings)]});
  return villagers_.back().no;
}

void Game::start() {
  if (phase_ != Phase::Lobby) return;
  int n = static_cast<int>(villagers_.size());
  std::vector<Role> pool;
  if (config_.rules == Rules::NightFirst) {
    dealNightFirst(pool, n);
  } else {
    int wolves = n <= 5 ? 1 : n <= 11 ? 2 : 3;
    for (int i = 0; i < wolves; ++i) pool.push_back(Role::Wolf);
    if (n >= 4) pool.push_back(Role::Seer);
    if (n >= 7) pool.push_back(Role::Medium);
    if (n >= 8) pool.push_back(Role::Hunter);
    if (n >= 9) pool.push_back(Role::Madman);
    if (n >= 12) pool.push_back(Role::Fox);
    if (n >= 14) pool.push_back(Role::Cat);
  }
  while (static_cast<int>(pool.size()) < n) pool.push_back(Role::Villager);
  pool.resize(static_cast<size_t>(n));
  // Humans keep the role they were given when they joined.
  for (const Villager& v : villagers_) {
    if (!v.human) continue;
    auto it = std::find(pool.begin(), pool.end(), v.role);
    if (it == pool.end()) it = std::find(pool.begin(), pool.end(), Role::Villager);
    if (it == pool.end()) it = pool.end() - 1;
    pool.erase(it);
  }
  std::shuffle(pool.begin(), pool.end(), rng_);
  size_t next = 0;
  for (Villager& v : villagers_)
    if (!v.human) v.role = pool[next++];
  day_ = 1;
  days_.emplace_back();
  today().notices.push_back("村人の中に人狼が紛れ込んでいるという噂が広まった。");
  if (config_.rules == Rules::NightFirst) {
    phase_ = Phase::Night;
    today().events.push_back({EventKind::NightFalls});
    return;
  }
  phase_ = Phase::Day;
  simulatedSpeeches(2);
}

void Game::dealNightFirst(std::vector<Role>& pool, int n) const {
  // Two wolves and a seer, then a medium, a madman and a hunter as the
  // village grows, a third wolf and a fox in a large one.
  int wolves = n >= 16 ? 3 : 2;
  for (int i = 0; i < wolves; ++i) pool.push_back(Role::Wolf);
  pool.push_back(Role::Seer);
  if (n >= 9) pool.push_back(Role::Medium);
  if (n >= 10) pool.push_back(Role::Madman);
  if (n >= 11) pool.push_back(Role::Hunter);
  if (n >= 15) pool.push_back(Role::Fox);
}

void Game::addSpeech(DayRecord& d, Speech s) {
  d.events.push_back({EventKind::Speech, s.speaker, d.speeches.size()});
  d.speeches.push_back(std::move(s));
}

int Game::pickRandom(const std::vector<int>& from) {
  if (from.empty()) return 0;
  return from[rng_() % from.size()];
}

std::vector<int> Game::livingWhere(bool (*pred)(const Villager&)) const {
  std::vector<int> out;
  for (const Villager& v : villagers_)
    if (v.alive && pred(v)) out.push_back(v.no);
  return out;
}

void Game::simulatedSpeeches(int n) {
  if (today().speeches.size() >= kMaxSpeechesPerDay) return;
  std::vector<int> speakers = livingWhere([](const Villager& v) { return !v.human; });
  std::vector<int> everyone = livingWhere(isLiving);
  for (int i = 0; i < n && !speakers.empty(); ++i) {
    int who = pickRandom(speakers);
    std::string line = kDayLines[rng_() % count(kDayLines)];
    size_t at = line.find("{name}");
    if (at != std::string::npos) {
      int about = pickRandom(everyone);
      if (about == who) about = everyone.front() == who ? everyone.back() : everyone.front();
      line.replace(at, 6, find(about)->name);
    }
    addSpeech(today(), {who, std::move(line)});
  }
}

void Game::chatter() {
  if (today().speeches.size() >= kMaxSpeechesPerDay) return;
  if (phase_ == Phase::Lobby) {
    std::vector<int> speakers = livingWhere([](const Villager& v) { return !v.human; });
    if (!speakers.empty()) addSpeech(today(), {pickRandom(speakers), kGreetings[rng_() % count(kGreetings)]});
  } else if (phase_ == Phase::Day || (phase_ == Phase::Vote && config_.rules == Rules::Standard)) {
    simulatedSpeeches(1);
  }
}

bool Game::say(int no, std::string_view text, int emphasis) {
  const Villager* v = find(no);
  if (!v || text.empty()) return false;
  DayRecord& d = today();
  bool living = v->alive || phase_ == Phase::Over;
  auto& list = living ? d.speeches : d.ghosts;
  // A day holds a bounded number of speeches, so that no client can grow a
  // page without end.
  if (list.size() >= kMaxSpeechesPerDay) return false;
  if (living)
    addSpeech(d, {no, std::string(text), emphasis});
  else
    list.push_back({no, std::string(text), emphasis});
  return true;
}

bool Game::keepSilent(int no) {
  const Villager* v = find(no);
  if (phase_ != Phase::Day || !v || !v->alive || !silent_.insert(no).second) return false;
  bool logged = std::any_of(today().events.begin(), today().events.end(),
                            [](const Event& e) { return e.kind == EventKind::Silence; });
  if (!logged && static_cast<int>(silent_.size()) * 2 > living()) today().events.push_back({EventKind::Silence});
  return true;
}

bool Game::vote(int no, int target) {
  const Villager* v = find(no);
  const Villager* t = find(target);
  bool open = phase_ == Phase::Vote || (phase_ == Phase::Day && config_.rules == Rules::NightFirst);
  if (!open || !v || !t || !v->alive || !t->alive || no == target) return false;
  votes_[no] = target;
  return true;
}

bool Game::act(int no, int target) {
  const Villager* v = find(no);
  const Villager* t = find(target);
  if (phase_ != Phase::Night || !v || !t || !v->alive || !t->alive || no == target) return false;
  if (!hasNightAction(v->role)) return false;
  if (v->role == Role::Wolf && t->role == Role::Wolf) return false;
  if (v->role == Role::Hunter && !huntersGuardTonight()) return false;
  actions_[no] = target;
  return true;
}

void Game::advance() {
  switch (phase_) {
    case Phase::Lobby:
      if (static_cast<int>(villagers_.size()) < config_.capacity)
        join("", "", false);
      else
        start();
      break;
    case Phase::Day:
      simulatedSpeeches(3);
      phase_ = Phase::Vote;
      break;
    case Phase::Vote:
      execute();
      if (phase_ != Phase::Over) nightFalls();
      break;
    case Phase::Night:
      if (config_.rules == Rules::NightFirst && !dawn_)
        dawn_ = true;
      else
        dayBreaks();
      break;
    case Phase::Over:
      break;
  }
}

void Game::kill(Villager& v) { v.alive = false; }

void Game::end(Winner w) {
  winner_ = w;
  phase_ = Phase::Over;
  dawn_ = false;
  today().events.push_back({EventKind::Victory});
  votes_.clear();
  actions_.clear();
}

void Game::execute() {
  bool forced = config_.forcedWinner != Winner::None && ++executions_ >= config_.forcedAtExecution;
  if (forced && config_.rules == Rules::Standard) {
    end(config_.forcedWinner);
    return;
  }
  Event table{EventKind::VoteTable};
  std::map<int, int> tally;
  for (const Villager& v : villagers_) {
    if (!v.alive) continue;
    int target = votedFor(v.no);
    if (target == 0 && !v.human) {
      std::vector<int> options;
      for (const Villager& o : villagers_)
        if (o.alive && o.no != v.no && !(v.role == Role::Wolf && o.role == Role::Wolf) && !spared(o))
          options.push_back(o.no);
      target = pickRandom(options);
    }
    const Villager* t = find(target);
    bool counted = t && t->alive && !(config_.protectHumans && t->human);
    if (counted) ++tally[target];
    table.ballots.emplace_back(v.no, target);
  }
  today().events.push_back(std::move(table));
  if (forced) {
    end(config_.forcedWinner);
    return;
  }
  int best = 0;
  std::vector<int> top;
  for (auto [no, n] : tally) {
    if (n > best) {
      best = n;
      top.clear();
    }
    if (n == best) top.push_back(no);
  }
  int chosen = pickRandom(top);
  if (Villager* v = findMutable(chosen)) {
    kill(*v);
    today().notices.push_back(v->name + "は村人達の手により処刑された。");
    if (v->role == Role::Cat) {
      std::vector<int> others = livingWhere([](const Villager& o) { return !o.human; });
      if (Villager* w = findMutable(pickRandom(others))) {
        kill(*w);
        today().notices.push_back(w->name + "は猫又の呪いで命を落とした。");
      }
    }
  }
  // The deciding vote is told by the vote table and the end alone.
  if (!checkEnd() && chosen) today().events.push_back({EventKind::Executed, chosen});
}

void Game::nightFalls() {
  phase_ = Phase::Night;
  votes_.clear();
  actions_.clear();
  silent_.clear();
  today().events.push_back({EventKind::NightFalls});
  today().notices.push_back("夜になった。村人達は家に鍵をかけ、息をひそめている。");
}

void Game::dayBreaks() {
  int attack = 0;
  int guard = 0;
  for (const Villager& v : villagers_) {
    if (!v.alive || !v.human) continue;
    int target = actedOn(v.no);
    if (v.role == Role::Wolf && target) attack = target;
    if (v.role == Role::Hunter && target) guard = target;
  }
  bool protect = config_.protectHumans;
  std::vector<int> prey;
  for (const Villager& v : villagers_)
    if (v.alive && v.role != Role::Wolf && !(protect && v.human)) prey.push_back(v.no);
  bool wolvesAlive = !livingWhere([](const Villager& v) { return v.role == Role::Wolf; }).empty();
  if (!attack && wolvesAlive) attack = pickRandom(prey);
  if (!guard && huntersGuardTonight()) {
    std::vector<int> hunters = livingWhere([](const Villager& v) { return v.role == Role::Hunter && !v.human; });
    if (!hunters.empty()) guard = pickRandom(prey);
  }
  int nextDay = day_ + 1;
  std::vector<std::string> notices;
  std::map<int, std::string> secrets;
  std::map<int, int> divined;
  // The seers' findings; a divined fox dies.
  for (const Villager& v : villagers_) {
    if (!v.alive || v.role != Role::Seer) continue;
    int target = actedOn(v.no);
    if (!target) {
      std::vector<int> others;
      for (const Villager& o : villagers_)
        if (o.alive && o.no != v.no) others.push_back(o.no);
      target = pickRandom(others);
    }
    if (Villager* t = findMutable(target)) {
      divined[v.no] = t->no;
      secrets[v.no] = t->name + (t->role == Role::Wolf ? "は人狼のようだ。" : "は人間のようだ。");
      if (t->role == Role::Fox && t->alive) {
        kill(*t);
        today().events.push_back({EventKind::Killed, t->no});
        notices.push_back(t->name + "は朝になっても姿を見せなかった。");
      }
    }
  }
  Villager* victim = findMutable(attack);
  if (victim && victim->alive && attack != guard && victim->role != Role::Fox) {
    kill(*victim);
    today().events.push_back({EventKind::Killed, victim->no});
    notices.push_back("朝日が昇り、" + victim->name + "の無残な姿が発見された。");
    if (victim->role == Role::Cat) {
      if (Villager* w = findMutable(pickRandom(livingWhere([](const Villager& v) { return v.role == Role::Wolf; })))) {
        kill(*w);
        notices.push_back(w->name + "も猫又の呪いで命を落とした。");
      }
    }
  } else {
    notices.push_back("朝日が昇り、平和な朝を迎えた。");
  }
  actions_.clear();
  dawn_ = false;
  day_ = nextDay;
  days_.emplace_back();
  today().notices = std::move(notices);
  today().secrets = std::move(secrets);
  today().divined = std::move(divined);
  phase_ = Phase::Day;
  if (checkEnd()) return;
  today().events.push_back({EventKind::Morning});
  if (day_ > config_.lastDay) {
    end(Winner::Draw);
    return;
  }
  simulatedSpeeches(2);
}

bool Game::checkEnd() {
  if (phase_ == Phase::Over) return true;
  if (config_.forcedWinner != Winner::None) return false;
  int wolves = 0, others = 0;
  bool fox = false;
  for (const Villager& v : villagers_) {
    if (!v.alive) continue;
    if (v.role == Role::Wolf) ++wolves;
    else if (v.role == Role::Fox) fox = true;
    else ++others;
  }
  Winner w = Winner::None;
  if (wolves == 0 && others == 0 && !fox) w = Winner::Draw;
  else if (wolves == 0) w = fox ? Winner::Fox : Winner::Village;
  else if (wolves >= others) w = fox ? Winner::Fox : Winner::Wolves;
  if (w == Winner::None) return false;
  end(w);
  return true;
}

}  // namespace village
