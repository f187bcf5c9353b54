#include "headless/ScenarioScript.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "cardcontrol/CardControl.h"
#include "headless/HeadlessClient.h"
#include "platform/win/Profile.h"
#include "protocol/Protocol.h"
#include "widgets/GameSetting.h"
#include "widgets/MyCButtonEx.h"
#include "widgets/ScoreView.h"

namespace headless {

namespace {

using Bytes = std::vector<BYTE>;

// ---- values
// ---------------------------------------------------------------------------------------

bool ParseNumber(const std::string& text, int64_t& out) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long long v = std::strtoll(text.c_str(), &end, 0);
  if (errno != 0 || end == text.c_str() || *end != '\0') return false;
  out = v;
  return true;
}

std::vector<std::string> Split(const std::string& text, char sep) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(text);
  while (std::getline(in, part, sep)) parts.push_back(part);
  return parts;
}

// A card: a byte ("0x4F", "79") or a name: rank 3..9, T (or 10), J, Q, K, A, 2 and a suit letter
// d, c, h, s for the colours 0x00, 0x10, 0x20, 0x30; "SJ" and "BJ" for the jokers.
bool ParseCard(const std::string& token, BYTE& card) {
  if (token.size() < 2) return false;
  if (token == "SJ") return card = CARD_SMALL_JOKER, true;
  if (token == "BJ") return card = CARD_BIG_JOKER, true;
  if (token.rfind("0x", 0) != 0) {
    static const char* const kRanks[] = {"A", "2", "3", "4", "5", "6", "7",
                                         "8", "9", "T", "J", "Q", "K"};
    const std::string rank = token.substr(0, token.size() - 1);
    const char* suits = "dchs";
    const char* at = std::strchr(suits, std::tolower(static_cast<unsigned char>(token.back())));
    int face = rank == "10" ? 10 : 0;
    for (int i = 0; i < 13; ++i) {
      if (rank == kRanks[i]) face = i + 1;
    }
    if (face != 0 && at != nullptr) {
      card = static_cast<BYTE>(((at - suits) << 4) | face);
      return true;
    }
  }
  int64_t v = 0;
  if (!ParseNumber(token, v) || v < 0 || v > 255) return false;
  card = static_cast<BYTE>(v);
  return true;
}

bool ParseCards(const std::string& text, Bytes& out) {
  out.clear();
  if (text == "none" || text == "-" || text.empty()) return true;
  for (const std::string& token : Split(text, ',')) {
    BYTE card = 0;
    if (!ParseCard(token, card)) return false;
    out.push_back(card);
  }
  return true;
}

bool ParseNumbers(const std::string& text, std::vector<int64_t>& out) {
  out.clear();
  for (const std::string& token : Split(text, ',')) {
    int64_t v = 0;
    if (!ParseNumber(token, v)) return false;
    out.push_back(v);
  }
  return true;
}

std::string CardsText(const BYTE* cards, size_t n) {
  std::string s;
  char buf[8];
  for (size_t i = 0; i < n; ++i) {
    std::snprintf(buf, sizeof(buf), "%s0x%02X", i ? "," : "", cards[i]);
    s += buf;
  }
  return n == 0 ? "none" : s;
}

std::string NumbersText(const BYTE* v, size_t n) {
  std::string s;
  for (size_t i = 0; i < n; ++i) s += (i ? "," : "") + std::to_string(v[i]);
  return s;
}

// ---- one line
// ----------------------------------------------------------------------------------------

struct tagLine {
  std::string command;
  std::vector<std::string> words;           // positional words
  std::map<std::string, std::string> args;  // key=value
  std::string rest;                         // the text after the command
};

tagLine ParseLine(const std::string& text) {
  tagLine line;
  std::istringstream in(text);
  in >> line.command;
  std::getline(in, line.rest);
  const size_t first = line.rest.find_first_not_of(' ');
  line.rest = first == std::string::npos ? "" : line.rest.substr(first);
  std::istringstream words(line.rest);
  std::string word;
  while (words >> word) {
    const size_t eq = word.find('=');
    if (eq != std::string::npos && eq > 0) {
      line.args[word.substr(0, eq)] = word.substr(eq + 1);
    } else {
      line.words.push_back(word);
    }
  }
  return line;
}

class CScript {
 public:
  CScript(const std::string& dataFolder, const std::string& name, tagScenarioResult& result,
          CGameClientApp* app)
      : m_dataFolder(dataFolder), m_name(name), m_result(result), m_client(app) {}

  void Run(std::istream& in) {
    std::string text;
    while (std::getline(in, text)) {
      ++m_lineNumber;
      const size_t hash = text.find('#');
      if (hash != std::string::npos) text.erase(hash);
      while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.pop_back();
      if (text.find_first_not_of(" \t") == std::string::npos) continue;
      m_line = ParseLine(text);
      m_used.clear();
      ++m_result.commands;
      Execute();
      for (const auto& [key, value] : m_line.args) {
        if (m_used.count(key) == 0) Fail("unknown field '" + key + "'");
      }
    }
  }

 private:
  // ---- reporting ----
  void Fail(const std::string& what) {
    m_result.failures.push_back(m_name + ":" + std::to_string(m_lineNumber) + ": " + what);
  }
  void Check(bool ok, const std::string& what, const std::string& expected,
             const std::string& got) {
    ++m_result.checks;
    if (!ok) Fail(what + ": expected " + expected + ", got " + got);
  }

  // ---- arguments ----
  bool Has(const std::string& key) const { return m_line.args.count(key) != 0; }
  std::string Text(const std::string& key, const std::string& fallback = {}) {
    m_used.insert(key);
    auto it = m_line.args.find(key);
    return it == m_line.args.end() ? fallback : it->second;
  }
  int64_t Number(const std::string& key, int64_t fallback) {
    m_used.insert(key);
    auto it = m_line.args.find(key);
    if (it == m_line.args.end()) return fallback;
    int64_t v = 0;
    if (!ParseNumber(it->second, v)) Fail("'" + key + "' is not a number: " + it->second);
    return v;
  }
  Bytes Cards(const std::string& key) {
    m_used.insert(key);
    Bytes cards;
    auto it = m_line.args.find(key);
    if (it != m_line.args.end() && !ParseCards(it->second, cards)) Fail("bad cards: " + it->second);
    return cards;
  }
  // Three values, one per chair (or seat).
  template <typename T>
  void Three(const std::string& key, T (&out)[3]) {
    m_used.insert(key);
    auto it = m_line.args.find(key);
    if (it == m_line.args.end()) return;
    std::vector<int64_t> v;
    if (!ParseNumbers(it->second, v) || v.size() != 3) {
      Fail("'" + key + "' needs three numbers: " + it->second);
      return;
    }
    for (int i = 0; i < 3; ++i) out[i] = static_cast<T>(v[i]);
  }
  // Copies cards into a fixed array (at most its size) and gives their count.
  template <size_t N>
  BYTE Fill(const Bytes& cards, BYTE (&out)[N]) {
    std::memset(out, 0, N);
    const size_t n = std::min(cards.size(), N);
    if (n != 0) std::memcpy(out, cards.data(), n);
    return static_cast<BYTE>(cards.size());
  }

  bool Started() {
    if (!m_client.Running()) Fail("the client is not started ('start' first)");
    return m_client.Running();
  }

  // ---- commands ----
  void Execute() {
    const std::string& c = m_line.command;
    if (c == "profile") return DoProfile();
    if (c == "start") return DoStart();
    if (!Started()) return;
    if (c == "table") return DoTable();
    if (c == "self") return DoSelf();
    if (c == "server") return DoServer();
    if (c == "user" || c == "status") return DoUser(c == "status");
    if (c == "msg") return DoMessage();
    if (c == "scene") return DoScene();
    if (c == "wait") return DoWait();
    if (c == "frame") {
      const int64_t n = m_line.words.empty() ? 1 : std::atoll(m_line.words[0].c_str());
      for (int64_t i = 0; i < n; ++i) m_client.Frame();
      return;
    }
    if (c == "shot") {
      // One frame, drawn and saved as PNG: what a player would see now.
      m_client.Frame();
      if (m_line.words.empty() || !m_client.SavePicture(m_line.words[0])) Fail("no picture saved");
      return;
    }
    if (c == "click") return DoClick();
    if (c == "send") return DoSend();
    if (c == "raise") return DoRaise();
    if (c == "option" || c == "options") return DoOption();
    if (c == "sound") {
      m_client.Dialog().SwitchSound(!m_line.words.empty() && m_line.words[0] == "on");
      return;
    }
    if (c == "expect") return DoExpect();
    Fail("unknown command '" + c + "'");
  }

  void DoProfile() {
    const std::string path = CProfile::DefaultPath();
    for (const auto& [key, value] : m_line.args) {
      m_used.insert(key);
      WritePrivateProfileStringA("GameOption", key.c_str(), value.c_str(), path.c_str());
    }
  }

  void DoStart() {
    if (!m_client.Start(Text("data", m_dataFolder))) Fail("the client did not start");
  }

  void DoSelf() {
    m_client.Loopback().DeliverSelf(static_cast<WORD>(Number("chair", 1)), Number("lookon", 0) != 0,
                                    Number("allow", 0) != 0);
    m_client.Pump();
  }

  // The own chair and the usual company: "Me" there, "Alice" and then "Bob" in the others.
  void DoTable() {
    const WORD me = static_cast<WORD>(Number("chair", 1));
    if (me >= SEAT_COUNT) return Fail("no chair " + std::to_string(me));
    m_client.Loopback().DeliverSelf(me, false, false);
    const struct {
      const char* name;
      BYTE gender;
    } others[] = {{"Alice", GENDER_FEMALE}, {"Bob", GENDER_MALE}};
    for (WORD chair = 0, next = 0; chair < SEAT_COUNT; ++chair) {
      tagUserData user{};
      SetUserName(user, chair == me ? "Me" : others[next].name);
      user.cbGender = chair == me ? GENDER_MALE : others[next++].gender;
      user.wChairID = chair;
      user.cbUserStatus = US_SIT;
      m_client.Loopback().DeliverUserEnter(user, chair, false);
    }
    m_client.Pump();
  }

  void DoServer() {
    tagServerAttribute attribute{};
    attribute.wServerType = static_cast<WORD>(Number("type", 0));
    attribute.cbHideUserInfo = static_cast<BYTE>(Number("hide", 0));
    attribute.wChairCount = SEAT_COUNT;
    m_client.Loopback().DeliverServerAttribute(attribute);
    m_client.Pump();
  }

  void DoUser(bool statusOnly) {
    const WORD chair = static_cast<WORD>(Number("chair", 0));
    tagUserData user{};
    if (const tagUserData* known = m_client.Dialog().GetUserData(chair)) user = *known;
    if (Has("name") || !statusOnly)
      SetUserName(user, Text("name", "Player" + std::to_string(chair)).c_str());
    user.cbGender = static_cast<BYTE>(Number("gender", statusOnly ? user.cbGender : 1));
    user.wFaceID = static_cast<WORD>(Number("face", user.wFaceID));
    user.cbUserStatus =
        static_cast<BYTE>(Number("status", statusOnly ? user.cbUserStatus : US_SIT));
    user.lScore = Number("score", user.lScore);
    user.wTableID = static_cast<WORD>(Number("table", user.wTableID));
    user.wChairID = chair;
    const bool lookon = Number("lookon", 0) != 0;
    if (statusOnly) {
      m_client.Loopback().DeliverUserStatus(user, chair, lookon);
    } else {
      m_client.Loopback().DeliverUserEnter(user, chair, lookon);
    }
    m_client.Pump();
  }

  // The wire bytes of a record: the record as it lies in memory, `size` bytes of it (zeros past
  // its end).
  template <class T>
  static Bytes Wire(const T& record, size_t size = sizeof(T)) {
    Bytes bytes(size, 0);
    std::memcpy(bytes.data(), &record, std::min(size, sizeof(T)));
    return bytes;
  }

  bool BuildMessage(const std::string& kind, WORD& id, Bytes& bytes) {
    if (kind == "deal") {
      tagSrvDeal r{};
      r.bankerChair = static_cast<WORD>(Number("banker", 0));
      r.currentChair = static_cast<WORD>(Number("current", r.bankerChair));
      r.handCount = Fill(Cards("hand"), r.cardArea);
      r.handCount = static_cast<BYTE>(Number("count", r.handCount));
      std::memset(r.playing, 1, 3);
      Three("counts", r.cardCount);
      Three("playing", r.playing);
      id = SRV_DEAL;
      bytes = Wire(r);
    } else if (kind == "begin") {
      tagSrvPlayBegin r{};
      r.bankerChair = static_cast<WORD>(Number("banker", 0));
      r.currentChair = static_cast<WORD>(Number("current", r.bankerChair));
      r.handCount = Fill(Cards("hand"), r.hand);
      r.handCount = static_cast<BYTE>(Number("count", r.handCount));
      r.pileCount = static_cast<BYTE>(Number("pile", 38));
      Three("counts", r.cardCount);
      r.baseScore = Number("base", 1);
      std::memset(r.playing, 1, 3);
      Three("playing", r.playing);
      id = SRV_PLAY_BEGIN;
      bytes = Wire(r);
    } else if (kind == "play") {
      tagSrvPlay r{};
      r.outChair = static_cast<WORD>(Number("out", 0));
      r.currentChair = static_cast<WORD>(Number("current", (r.outChair + 1) % 3));
      const Bytes cards = Cards("cards");
      r.count = Fill(cards, r.cards);
      r.count = static_cast<BYTE>(Number("count", r.count));
      Fill(Has("resolved") ? Cards("resolved") : cards, r.resolved);
      Three("counts", r.cardCount);
      id = SRV_PLAY;
      bytes = Wire(r, SRV_PLAY_HEAD_SIZE + r.count);
      // The wire carries no pad of its own at 36 + count: whatever lay there is a pad byte.
      bytes[SRV_PLAY_HEAD_SIZE + r.count - 1] = 0;
    } else if (kind == "pass") {
      tagSrvPass r{};
      r.newTurn = static_cast<BYTE>(Number("new", 0));
      r.singleJokerRule = static_cast<BYTE>(Number("rule", 0));
      r.passChair = static_cast<WORD>(Number("passer", 0));
      r.currentChair = static_cast<WORD>(Number("current", (r.passChair + 1) % 3));
      Three("counts", r.cardCount);
      Fill(Cards("hand"), r.hand);
      r.pileCount = static_cast<BYTE>(Number("pile", 0));
      id = SRV_PASS;
      bytes = Wire(r);
    } else if (kind == "result") {
      tagSrvResult r{};
      r.bombCount = static_cast<WORD>(Number("bombs", 0));
      r.spring = static_cast<WORD>(Number("spring", 0));
      r.reverseSpring = static_cast<WORD>(Number("reverse", 0));
      r.haoSpring = static_cast<WORD>(Number("hao", 0));
      r.rocketCount = static_cast<WORD>(Number("rockets", 0));
      r.multiple = static_cast<WORD>(Number("multiple", 1));
      r.personalMultiple[0] = r.personalMultiple[1] = r.personalMultiple[2] = 1;
      Three("personal", r.personalMultiple);
      Three("scores", r.score);
      Three("left", r.leftCount);
      Fill(Cards("leftcards"), r.leftCards);
      std::memset(r.playing, 1, 3);
      Three("playing", r.playing);
      id = SRV_RESULT;
      bytes = Wire(r);
    } else if (kind == "notice") {
      tagSrvPassNotice r{};
      r.pileCount = static_cast<BYTE>(Number("pile", 0));
      Three("counts", r.cardCount);
      r.passChair = static_cast<WORD>(Number("passer", 0));
      r.currentChair = static_cast<WORD>(Number("current", (r.passChair + 1) % 3));
      id = SRV_PASS_NOTICE;
      bytes = Wire(r);
    } else if (kind == "auto") {
      tagSrvAutoPlay r{};
      r.chair = static_cast<WORD>(Number("chair", 0));
      r.autoPlay = static_cast<BYTE>(Number("on", 1));
      r.quiet = static_cast<BYTE>(Number("quiet", 0));
      id = SRV_AUTO_PLAY;
      bytes = Wire(r);
    } else {
      Fail("unknown message '" + kind + "'");
      return false;
    }
    return true;
  }

  bool BuildScene(const std::string& kind, BYTE& status, Bytes& bytes) {
    if (kind == "free") {
      tagSceneFree r{};
      r.score = static_cast<int32_t>(Number("score", 0));
      r.turnTime = static_cast<WORD>(Number("turntime", 15));
      r.tableKind = static_cast<WORD>(Number("kind", 3));
      status = STATUS_FREE;
      bytes = Wire(r);
    } else if (kind == "playing") {
      tagScenePlaying r{};
      r.bankerChair = static_cast<WORD>(Number("banker", 0));
      r.multiple = static_cast<WORD>(Number("multiple", 1));
      r.score = static_cast<int32_t>(Number("score", 0));
      r.turnTime = static_cast<WORD>(Number("turntime", 15));
      r.bankerMark = static_cast<BYTE>(Number("mark", 1));
      r.lastPlayChair = static_cast<WORD>(Number("last", NO_CHAIR));
      r.currentChair = static_cast<WORD>(Number("current", NO_CHAIR));
      Fill(Cards("hand"), r.hand);
      Three("counts", r.cardCount);
      const Bytes turn = Cards("turn");
      r.turnCount = Fill(turn, r.turnCards);
      Fill(Has("resolved") ? Cards("resolved") : turn, r.turnResolved);
      Three("auto", r.autoPlay);
      r.pileCount = static_cast<BYTE>(Number("pile", 0));
      Three("expiries", r.clockExpiries);
      r.baseScore = Number("base", 1);
      std::memset(r.playing, 1, 3);
      Three("playing", r.playing);
      r.changeTable = static_cast<BYTE>(Number("change", 0));
      status = STATUS_PLAYING;
      bytes = Wire(r);
    } else {
      Fail("unknown scene '" + kind + "'");
      return false;
    }
    return true;
  }

  void DoMessage() {
    if (m_line.words.empty()) return Fail("msg needs a kind");
    WORD id = 0;
    Bytes bytes;
    if (!BuildMessage(m_line.words[0], id, bytes)) return;
    m_accepted =
        m_client.Dialog().OnServerMessage(id, bytes.data(), static_cast<WORD>(bytes.size()));
    m_client.Pump();
  }

  void DoScene() {
    if (m_line.words.empty()) return Fail("scene needs a kind");
    BYTE status = 0;
    Bytes bytes;
    if (!BuildScene(m_line.words[0], status, bytes)) return;
    m_accepted = m_client.Dialog().OnSceneRestore(status, false, bytes.data(),
                                                  static_cast<WORD>(bytes.size()));
    m_client.Pump();
  }

  void DoWait() {
    int64_t ms = 0;
    if (m_line.words.empty() || !ParseNumber(m_line.words[0], ms) || ms < 0)
      return Fail("wait needs milliseconds");
    m_client.Advance(static_cast<uint64_t>(ms), static_cast<uint64_t>(Number("step", 10)));
  }

  // A person's click: only on a button that is shown and enabled, with the message the view
  // sends for it.
  void DoClick() {
    if (m_line.words.empty()) return Fail("click needs a button");
    const std::string& name = m_line.words[0];
    if (name == "right") {
      m_client.Click(name);
      return;
    }
    gcn::MyCButtonEx* button = m_client.Button(name);
    if (button == nullptr) return Fail("no button '" + name + "'");
    ++m_result.checks;
    if (!m_client.Click(name)) {
      return Fail("button '" + name + "' cannot be clicked (" +
                  (button->isVisible() ? "disabled" : "hidden") + ")");
    }
  }

  void DoSend() {
    if (m_line.words.empty()) return Fail("send needs a message number");
    int64_t message = 0;
    ParseNumber(m_line.words[0], message);
    int64_t w = 0;
    int64_t l = 0;
    if (m_line.words.size() > 1) ParseNumber(m_line.words[1], w);
    if (m_line.words.size() > 2) ParseNumber(m_line.words[2], l);
    m_client.Dialog().SendMessage(static_cast<UINT>(message), static_cast<WPARAM>(w),
                                  static_cast<LPARAM>(l));
    m_client.Pump();
  }

  // Raises exactly these cards of the local hand, as a sweep would, and tells the dialog.
  void DoRaise() {
    Bytes cards;
    if (!ParseCards(m_line.rest, cards)) return Fail("bad cards: " + m_line.rest);
    if (!m_client.Raise(cards.data(), cards.size())) return Fail("no local hand control");
  }

  // The options window: "options" opens it; "option NAME=VALUE" posts one value the way its OK
  // button does; "option confirm" / "option cancel".
  void DoOption() {
    CGameClientDlg& dlg = m_client.Dialog();
    if (m_line.command == "options") {
      dlg.ShowGameOptions();
      return;
    }
    static const std::map<std::string, UINT> kMessages = {
        {"spacing", MSG_OPTION_CARD_SPACING}, {"music", MSG_OPTION_MUSIC},
        {"sound", MSG_OPTION_GAME_SOUND},     {"animation", MSG_OPTION_ANIMATION},
        {"order", MSG_OPTION_SEAT_ORDER},     {"lookon", MSG_OPTION_ALLOW_LOOKON},
        {"bots", MSG_OPTION_BOT_LEVEL}};
    for (const std::string& word : m_line.words) {
      if (word == "confirm")
        dlg.PostMessage(MSG_OPTION_CONFIRM, MSG_OPTION_CONFIRM, 0);
      else if (word == "cancel")
        dlg.PostMessage(MSG_OPTION_CLOSE, MSG_OPTION_CLOSE, 0);
      else
        Fail("unknown option word '" + word + "'");
    }
    for (const auto& [key, value] : m_line.args) {
      auto it = kMessages.find(key);
      if (it == kMessages.end()) continue;
      dlg.PostMessage(it->second, it->second, static_cast<LPARAM>(Number(key, 0)));
    }
    m_client.Pump();
  }

  // ---- expectations ----
  void DoExpect() {
    if (m_line.words.empty()) return Fail("expect what?");
    const std::string what = m_line.words[0];
    const std::string arg = m_line.words.size() > 1 ? m_line.words[1] : "";
    CGameClientDlg& dlg = m_client.Dialog();
    CGameClientView& view = m_client.View();
    const tagClientState& s = dlg.GetState();

    if (what == "accepted" || what == "refused") {
      Check(m_accepted == (what == "accepted"), "the last record", what,
            m_accepted ? "accepted" : "refused");
    } else if (what == "sent") {
      ExpectSent(arg);
    } else if (what == "hand") {
      Bytes cards;
      if (!ParseCards(arg, cards)) return Fail("bad cards " + arg);
      Check(cards.size() == s.handCount && std::equal(cards.begin(), cards.end(), s.hand),
            "the hand", CardsText(cards.data(), cards.size()), CardsText(s.hand, s.handCount));
    } else if (what == "counts") {
      Check(NumbersText(s.cardCount, 3) == arg, "the card counts by chair", arg,
            NumbersText(s.cardCount, 3));
    } else if (what == "drawn") {
      Check(NumbersText(view.m_cbCardCount, 3) == arg, "the drawn counts by seat", arg,
            NumbersText(view.m_cbCardCount, 3));
    } else if (what == "marks") {
      ExpectMarks();
    } else if (what == "button") {
      ExpectButton();
    } else if (what == "multiple") {
      const std::string got =
          std::to_string(s.multiple) + " (view " + std::to_string(view.m_wBeiShu) + ")";
      Check(got == arg + " (view " + arg + ")", "the multiple", arg, got);
    } else if (what == "deck") {
      Check(std::to_string(view.m_cbLeftCardCount) == arg, "the deck count", arg,
            std::to_string(view.m_cbLeftCardCount));
    } else if (what == "turn") {
      Bytes cards;
      if (!ParseCards(arg, cards)) return Fail("bad cards " + arg);
      Check(cards.size() == s.turnCount && std::equal(cards.begin(), cards.end(), s.turnCards),
            "the turn", CardsText(cards.data(), cards.size()), CardsText(s.turnCards, s.turnCount));
      if (Has("type")) {
        Check(Number("type", 0) == s.turnType, "the turn type", Text("type"),
              std::to_string(s.turnType));
      }
    } else if (what == "clock") {
      ExpectClock(arg);
    } else if (what == "sounds") {
      std::string got;
      for (const std::string& name : m_client.SoundNames()) got += (got.empty() ? "" : ",") + name;
      if (got.empty()) got = "none";
      Check(got == arg, "the sounds played", arg, got);
      m_client.ClearSounds();
    } else if (what == "timer") {
      int64_t id = 0;
      ParseNumber(arg, id);
      const std::string want = m_line.words.size() > 2 ? m_line.words[2] : "on";
      const bool on = dlg.IsTimerRunning(static_cast<UINT_PTR>(id));
      Check(on == (want == "on"), "timer " + arg, want, on ? "on" : "off");
    } else if (what == "autoplay") {
      Check(s.autoPlay == (arg == "on"), "auto-play", arg, s.autoPlay ? "on" : "off");
    } else if (what == "out" || what == "seathand") {
      ExpectControl(what == "out");
    } else if (what == "profile") {
      const std::string path = CProfile::DefaultPath();
      for (const auto& [key, value] : m_line.args) {
        m_used.insert(key);
        char buf[64] = {};
        GetPrivateProfileStringA("GameOption", key.c_str(), "(none)", buf, sizeof(buf),
                                 path.c_str());
        Check(value == buf, "profile " + key, value, buf);
      }
    } else if (what == "option") {
      const tagGameOptions& o = dlg.GetOptions();
      const std::map<std::string, int64_t> values = {
          {"spacing", o.cardSpace},         {"sound", o.gameSound}, {"lookon", o.allowLookon},
          {"order", o.deasilOrder},         {"music", o.gameMusic}, {"animation", o.gameAnimation},
          {"switch", dlg.GetSoundSwitch()}, {"bots", o.botLevel}};
      for (const auto& [key, value] : m_line.args) {
        auto it = values.find(key);
        if (it == values.end()) continue;
        Check(Number(key, 0) == it->second, "option " + key, Text(key), std::to_string(it->second));
      }
    } else if (what == "closed" || what == "open") {
      Check(m_client.Closed() == (what == "closed"), "the window", what,
            m_client.Closed() ? "closed" : "open");
    } else if (what == "panel") {
      const bool shown = view.m_pScoreView && view.m_pScoreView->IsShow();
      Check(shown == (arg == "shown"), "the end panel", arg, shown ? "shown" : "hidden");
      for (WORD seat = 0; seat < 3; ++seat) {
        const std::string key = "seat" + std::to_string(seat);
        if (!Has(key) || !view.m_pScoreView) continue;
        const tagScoreEntry* e = view.m_pScoreView->GetEntry(seat);
        const std::string got = std::string(e->szName) + "," + std::to_string(e->lScore) + "," +
                                std::to_string(e->wPersonalMultiple) + "," +
                                std::to_string(e->cbCardsLeft);
        Check(got == Text(key), "end panel " + key, Text(key), got);
      }
    } else if (what == "notice") {
      const std::string want =
          m_line.rest.substr(std::min(m_line.rest.size(), std::string("notice ").size()));
      Check(dlg.GetLastNotice() == want, "the last notice", want, dlg.GetLastNotice());
    } else if (what == "banker") {
      const std::string got =
          view.m_wBankerChair == VIEW_NO_CHAIR ? "none" : std::to_string(view.m_wBankerChair);
      Check(got == arg, "the banker seat", arg, got);
    } else if (what == "running") {
      Check(std::to_string(view.m_cbGameRunning) == arg, "the game-running flag", arg,
            std::to_string(view.m_cbGameRunning));
    } else if (what == "state") {
      ExpectState();
    } else {
      Fail("unknown expectation '" + what + "'");
    }
  }

  // expect sent NAME [fields]: the oldest message sent and not yet checked; "none": nothing left.
  void ExpectSent(const std::string& name) {
    const auto& sent = m_client.Loopback().Sent();
    if (name == "none") {
      std::string got;
      for (size_t i = m_sentChecked; i < sent.size(); ++i) got += Describe(sent[i]) + " ";
      Check(m_sentChecked == sent.size(), "messages sent", "none", got);
      m_sentChecked = sent.size();
      return;
    }
    if (m_sentChecked >= sent.size()) {
      for (const auto& [key, value] : m_line.args) m_used.insert(key);
      Check(false, "messages sent", name, "none");
      return;
    }
    const CLoopbackLink::tagSent& m = sent[m_sentChecked++];
    std::string want = name;
    if (name == "play") {
      Bytes cards = Cards("cards");
      want += " " + CardsText(cards.data(), cards.size());
    } else if (name == "auto") {
      want += " " + std::to_string(Number("chair", 0)) + "," + std::to_string(Number("on", 0)) +
              "," + std::to_string(Number("quiet", 0));
    } else if (name == "changetable") {
      want += " " + std::to_string(Number("chair", 0));
    } else if (name == "movetable") {
      want += " " + std::to_string(Number("table", 0));
    }
    Check(Describe(m) == want, "message sent", want, Describe(m));
  }

  static std::string Describe(const CLoopbackLink::tagSent& m) {
    if (m.kind == CLoopbackLink::SentKind::UserReady) return "ready";
    if (m.kind == CLoopbackLink::SentKind::ChangeTable) return "movetable " + std::to_string(m.id);
    tagClientMessage c;
    if (!DecodeClientMessage(m.id, m.data.data(), m.data.size(), c))
      return "malformed " + std::to_string(m.id);
    switch (m.id) {
      case CLI_PLAY:
        return "play " + CardsText(c.play.cards, c.play.count);
      case CLI_PASS:
        return "pass";
      case CLI_AUTO_PLAY:
        return "auto " + std::to_string(c.autoPlay.chair) + "," +
               std::to_string(c.autoPlay.autoPlay) + "," + std::to_string(c.autoPlay.quiet);
      case CLI_DEAL_DONE:
        return "dealdone";
      case CLI_CHANGE_TABLE:
        return "changetable " + std::to_string(c.changeTable.chair);
      default:
        return "message " + std::to_string(m.id);
    }
  }

  void ExpectMarks() {
    CGameClientView& view = m_client.View();
    const std::pair<const char*, const BYTE*> kinds[] = {{"pass", view.m_cbPassFlag},
                                                         {"alarm", view.m_cbAlarmFlag},
                                                         {"auto", view.m_cbAutoPlayFlag}};
    for (const auto& [key, flags] : kinds) {
      if (!Has(key)) continue;
      Check(NumbersText(flags, 3) == Text(key), std::string(key) + " marks by seat", Text(key),
            NumbersText(flags, 3));
    }
  }

  // expect button NAME STATE... [NAME STATE...]: shown, hidden, enabled, disabled.
  void ExpectButton() {
    std::string name;
    gcn::MyCButtonEx* button = nullptr;
    for (size_t i = 1; i < m_line.words.size(); ++i) {
      const std::string& want = m_line.words[i];
      if (want == "shown" || want == "hidden") {
        if (button == nullptr) return Fail("a state without a button");
        Check(button->isVisible() == (want == "shown"), "button " + name, want,
              button->isVisible() ? "shown" : "hidden");
      } else if (want == "enabled" || want == "disabled") {
        if (button == nullptr) return Fail("a state without a button");
        const bool enabled = CHeadlessClient::OwnEnabled(button);
        Check(enabled == (want == "enabled"), "button " + name, want,
              enabled ? "enabled" : "disabled");
      } else if ((button = m_client.Button(name = want)) == nullptr) {
        return Fail("no button '" + want + "'");
      }
    }
  }

  // expect clock chair=C seconds=S | expect clock none
  void ExpectClock(const std::string& arg) {
    CGameClientDlg& dlg = m_client.Dialog();
    std::string got;
    for (WORD c = 0; c < 3; ++c) {
      if (dlg.GetGameTimerSeconds(c) != 0)
        got += (got.empty() ? "" : " ") + std::string("chair=") + std::to_string(c) +
               " seconds=" + std::to_string(dlg.GetGameTimerSeconds(c));
    }
    if (got.empty()) got = "none";
    const std::string want = arg == "none" ? "none"
                                           : "chair=" + std::to_string(Number("chair", 0)) +
                                                 " seconds=" + std::to_string(Number("seconds", 0));
    Check(got == want, "the clocks", want, got);
  }

  // expect out seat=S CARDS | expect seathand seat=S [count=N] [face=0|1] [cards=...]
  void ExpectControl(bool out) {
    CGameClientView& view = m_client.View();
    const WORD seat = static_cast<WORD>(Number("seat", LOCAL_SEAT));
    const CardControl* c =
        seat < 3 ? (out ? view.m_pOutCard[seat] : view.m_pHandCard[seat]).get() : nullptr;
    if (c == nullptr) return Fail("no card control at that seat");
    Bytes got;
    for (DWORD i = 0; i < c->GetCardCount(); ++i) got.push_back(c->GetItem(i)->bCardData);
    const std::string name =
        std::string(out ? "out" : "hand") + " control of seat " + std::to_string(seat);
    if (m_line.words.size() > 1 || Has("cards")) {
      Bytes want;
      if (!ParseCards(Has("cards") ? Text("cards") : m_line.words[1], want))
        return Fail("bad cards");
      Check(want == got, name, CardsText(want.data(), want.size()),
            CardsText(got.data(), got.size()));
    }
    if (Has("count")) {
      Check(Number("count", 0) == static_cast<int64_t>(got.size()), name + " count", Text("count"),
            std::to_string(got.size()));
    }
    if (Has("face")) {
      Check((Number("face", 0) != 0) == c->IsFaceUp(), name + " faces", Text("face"),
            c->IsFaceUp() ? "1" : "0");
    }
    if (Has("raised")) {
      Bytes raised(MAX_CARDS);
      raised.resize(c->GetRaisedCards(raised.data(), MAX_CARDS));
      Bytes want;
      ParseCards(Text("raised"), want);
      Check(want == raised, name + " raised cards", CardsText(want.data(), want.size()),
            CardsText(raised.data(), raised.size()));
    }
  }

  // expect state FIELD=VALUE ...: a few dialog fields by name.
  void ExpectState() {
    const tagClientState& s = m_client.Dialog().GetState();
    const std::map<std::string, int64_t> values = {
        {"hint", s.hintIndex},
        {"banker", s.banker},
        {"turntime", s.turnTime},
        {"newturn", s.newTurnChair},
        {"sortmode", s.sortMode},
        {"lastturn", s.lastTurnShown},
        {"change", s.changeTable},
        {"dealt", s.dealt},
        {"lefttodeal", s.leftToDeal},
        {"spring", s.spring},
        {"bombs", s.bombCount},
        {"rockets", s.rocketCount},
        {"pending", s.pendingCount},
        {"turntype", s.turnType},
        {"rule", m_client.Dialog().GetGameLogic().GetSingleJokerRule()}};
    for (const auto& [key, value] : m_line.args) {
      auto it = values.find(key);
      if (it == values.end()) {
        if (key.rfind("expiries", 0) == 0) {
          m_used.insert(key);
          Check(NumbersText(s.clockExpiries, 3) == value, "clock expiries", value,
                NumbersText(s.clockExpiries, 3));
        } else if (key == "playing") {
          m_used.insert(key);
          Check(NumbersText(s.playing, 3) == value, "playing flags", value,
                NumbersText(s.playing, 3));
        }
        continue;
      }
      Check(Number(key, 0) == it->second, "state " + key, value, std::to_string(it->second));
    }
  }

  std::string m_dataFolder;
  std::string m_name;
  tagScenarioResult& m_result;
  CHeadlessClient m_client;
  tagLine m_line;
  std::set<std::string> m_used;
  size_t m_lineNumber = 0;
  bool m_accepted = false;
  size_t m_sentChecked = 0;
};

}  // namespace

CScenarioRunner::CScenarioRunner(std::string dataFolder, CGameClientApp* app)
    : m_dataFolder(std::move(dataFolder)), m_app(app) {}

tagScenarioResult CScenarioRunner::RunFile(const std::string& path) {
  std::ifstream in(path);
  if (!in) {
    tagScenarioResult result;
    result.failures.push_back(path + ": cannot be read");
    return result;
  }
  std::ostringstream text;
  text << in.rdbuf();
  const size_t slash = path.find_last_of('/');
  return RunText(text.str(), slash == std::string::npos ? path : path.substr(slash + 1));
}

tagScenarioResult CScenarioRunner::RunText(const std::string& text, const std::string& name) {
  tagScenarioResult result;
  const CTemporaryProfile profile;
  if (!profile.Ok()) {
    result.failures.push_back(name + ": no temporary folder for the profile");
    return result;
  }
  std::istringstream in(text);
  CScript script(m_dataFolder, name, result, m_app);
  script.Run(in);
  return result;
}

int RunScriptFiles(const std::vector<std::string>& files, const std::string& dataFolder,
                   CGameClientApp* app) {
  CScenarioRunner runner(dataFolder, app);
  int failed = 0;
  for (const std::string& file : files) {
    const tagScenarioResult result = runner.RunFile(file);
    std::printf("%s %s: %zu commands, %zu checks\n", result.Passed() ? "PASS" : "FAIL",
                file.c_str(), result.commands, result.checks);
    for (const std::string& failure : result.failures) std::printf("  %s\n", failure.c_str());
    if (!result.Passed()) ++failed;
  }
  return failed == 0 ? 0 : 1;
}

}  // namespace headless
