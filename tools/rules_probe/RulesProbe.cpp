#include "tools/rules_probe/RulesProbe.h"

#include <cstdint>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string_view>

#include "rules/GameLogic.h"

namespace {

using Json = nlohmann::json;
using Ordered = nlohmann::ordered_json;

// Lists are passed to the rules with their real length (up to 255, the width of a count) so
// that the refusal of over-long lists can be probed; the buffers are sized for that.
constexpr size_t kMaxList = 255;

struct CardList {
  uint8_t cards[kMaxList] = {};
  uint8_t count = 0;
};

// Reads args[name] as a list of card bytes; false with `error` set when it is not one.
bool ReadList(const Json& args, const char* name, CardList& list, std::string& error) {
  const auto it = args.find(name);
  if (it == args.end() || !it->is_array()) {
    error = std::string("args.") + name + " must be an array of card bytes";
    return false;
  }
  if (it->size() > kMaxList) {
    error = std::string("args.") + name + " holds more than 255 cards";
    return false;
  }
  list.count = 0;
  for (const Json& v : *it) {
    if (!v.is_number_integer() || v.get<int64_t>() < 0 || v.get<int64_t>() > 255) {
      error = std::string("args.") + name + " holds a value that is not a byte";
      return false;
    }
    list.cards[list.count++] = static_cast<uint8_t>(v.get<int64_t>());
  }
  return true;
}

Ordered ToJson(const uint8_t cards[], size_t count) {
  Ordered a = Ordered::array();
  for (size_t i = 0; i < count; ++i) a.push_back(cards[i]);
  return a;
}

Ordered Error(const std::string& message) {
  Ordered o;
  o["error"] = message;
  return o;
}

Ordered Handle(const Json& request) {
  if (!request.is_object()) return Error("a request must be a JSON object");
  const auto op = request.find("op");
  if (op == request.end() || !op->is_string()) return Error("op must be a string");

  uint8_t rule = 0;
  if (const auto r = request.find("joker_rule"); r != request.end()) {
    if (!r->is_number_integer() || r->get<int64_t>() < 0 || r->get<int64_t>() > 255) {
      return Error("joker_rule must be 0 or 1");
    }
    rule = static_cast<uint8_t>(r->get<int64_t>());
  }
  static const Json kNoArgs = Json::object();
  const auto argsIt = request.find("args");
  if (argsIt != request.end() && !argsIt->is_object()) return Error("args must be an object");
  const Json& args = argsIt == request.end() ? kNoArgs : *argsIt;

  CGameLogic logic;
  logic.SetSingleJokerRule(rule);

  Ordered out;
  if (const auto id = request.find("id"); id != request.end()) out["id"] = *id;
  const std::string name = op->get<std::string>();
  out["op"] = name;

  std::string error;
  CardList a, b;
  if (name == "classify") {
    if (!ReadList(args, "cards", a, error)) return Error(error);
    out["type"] = logic.ClassifyPlay(a.cards, a.count);
  } else if (name == "canbeat") {
    if (!ReadList(args, "first", a, error) || !ReadList(args, "next", b, error)) {
      return Error(error);
    }
    out["beats"] = logic.CanBeat(a.cards, b.cards, a.count, b.count);
  } else if (name == "resolve") {
    if (!ReadList(args, "cards", a, error) || !ReadList(args, "turn", b, error)) {
      return Error(error);
    }
    CardList resolved = a;  // what stays when nothing is written
    out["ok"] = logic.ResolveJokers(a.cards, a.count, resolved.cards, b.cards, b.count);
    out["cards"] = ToJson(resolved.cards, a.count);
  } else if (name == "sort") {
    if (!ReadList(args, "cards", a, error)) return Error(error);
    const auto mode = args.find("mode");
    if (mode != args.end() &&
        (!mode->is_number_integer() || mode->get<int64_t>() < 0 || mode->get<int64_t>() > 255)) {
      return Error("args.mode must be 0 or 1");
    }
    const uint8_t m = mode == args.end() ? SORT_BY_RANK : static_cast<uint8_t>(mode->get<int64_t>());
    logic.SortCards(a.cards, a.count, m);
    out["cards"] = ToJson(a.cards, a.count);
  } else if (name == "remove") {
    if (!ReadList(args, "remove", a, error) || !ReadList(args, "hand", b, error)) {
      return Error(error);
    }
    const bool ok = logic.RemoveCard(a.cards, a.count, b.cards, b.count);
    out["ok"] = ok;
    out["hand"] = ToJson(b.cards, ok ? b.count - a.count : b.count);
  } else if (name == "list") {
    if (!ReadList(args, "hand", a, error) || !ReadList(args, "turn", b, error)) {
      return Error(error);
    }
    tagPlayCandidate scratch{};
    out["ok"] = logic.ListAnswers(a.cards, a.count, b.cards, b.count, scratch);
    Ordered candidates = Ordered::array();
    for (size_t i = 0; i < logic.GetAnswerCount(); ++i) {
      const tagPlayCandidate& c = logic.GetAnswer(i);
      candidates.push_back(ToJson(c.cards, c.count <= MAX_CARDS ? c.count : MAX_CARDS));
    }
    out["candidates"] = candidates;
  } else if (name == "find") {
    if (!ReadList(args, "hand", a, error) || !ReadList(args, "turn", b, error)) {
      return Error(error);
    }
    tagPlayCandidate found{};
    const bool ok = logic.FindAnswer(a.cards, a.count, b.cards, b.count, found);
    out["ok"] = ok;
    out["cards"] = ok ? ToJson(found.cards, found.count <= MAX_CARDS ? found.count : MAX_CARDS)
                      : Ordered::array();
  } else {
    return Error("unknown op: " + name);
  }
  return out;
}

// Known answers shown by --self-check: each request with the answer the rules must give.
struct KnownAnswer {
  const char* what;
  const char* request;
  const char* answer;
};

constexpr KnownAnswer kKnownAnswers[] = {
    {"big + small joker is the rocket", R"({"op":"classify","args":{"cards":[79,78]}})",
     R"({"op":"classify","type":9})"},
    {"the same jokers unsorted read as a pair", R"({"op":"classify","args":{"cards":[78,79]}})",
     R"({"op":"classify","type":2})"},
    {"Q-K-A is a straight", R"({"op":"classify","args":{"cards":[1,13,12]}})",
     R"({"op":"classify","type":3})"},
    {"K-A-2 is no play", R"({"op":"classify","args":{"cards":[2,1,13]}})",
     R"({"op":"classify","type":0})"},
    {"a lone joker is a single only under the single-joker rule",
     R"({"op":"classify","args":{"cards":[78]},"joker_rule":1})", R"({"op":"classify","type":1})"},
    {"sorting: jokers, 2s, As, then down to 3",
     R"({"op":"sort","args":{"cards":[3,78,33,1,79,50],"mode":0}})",
     R"({"op":"sort","cards":[79,78,50,33,1,3]})"},
    {"a single must be exactly one step higher", R"({"op":"canbeat","args":{"first":[5],"next":[7]}})",
     R"({"op":"canbeat","beats":false})"},
    {"a 2 beats any lower single", R"({"op":"canbeat","args":{"first":[3],"next":[2]}})",
     R"({"op":"canbeat","beats":true})"},
    {"natural 8-8 beats joker + 8", R"({"op":"canbeat","args":{"first":[78,8],"next":[40,24]}})",
     R"({"op":"canbeat","beats":true})"},
    {"joker + 4 + 5 after 3-4-5: the joker becomes 6",
     R"({"op":"resolve","args":{"cards":[78,5,4],"turn":[5,4,3]}})",
     R"({"op":"resolve","ok":true,"cards":[6,5,4]})"},
    {"both jokers with 6, 5 lead as 8-7-6-5",
     R"({"op":"resolve","args":{"cards":[79,78,6,5],"turn":[]}})",
     R"({"op":"resolve","ok":true,"cards":[8,7,6,5]})"},
    {"removal takes one copy per requested card",
     R"({"id":1,"op":"remove","args":{"remove":[5],"hand":[5,5,7]}})",
     R"({"id":1,"op":"remove","ok":true,"hand":[5,7]})"},
    {"hints after a single 9: each 10, then the joker bomb",
     R"({"op":"list","args":{"hand":[78,58,42,5],"turn":[9]}})",
     R"({"op":"list","ok":true,"candidates":[[58],[42],[42,58,78]]})"},
    {"the natural pair of 8s answers joker + 8",
     R"({"op":"find","args":{"hand":[56,24,5],"turn":[78,8]}})",
     R"({"op":"find","ok":true,"cards":[24,56]})"},
    {"a list longer than 27 cards is no play",
     R"({"op":"classify","args":{"cards":[3,3,3,3,3,3,3,3,3,3,3,3,3,3,3,3,3,3,3,3,3,3,3,3,3,3,3,3]}})",
     R"({"op":"classify","type":0})"},
};

}  // namespace

std::string HandleProbeLine(const std::string& line) {
  if (line.find_first_not_of(" \t\r") == std::string::npos) return {};
  try {
    const Json request = Json::parse(line, nullptr, /*allow_exceptions=*/false);
    if (request.is_discarded()) return Error("not a JSON line").dump();
    return Handle(request).dump();
  } catch (const Json::exception& e) {  // a value of an unexpected kind deep inside
    return Error(e.what()).dump();
  }
}

int RunProbeSelfCheck(std::ostream& out) {
  int mismatches = 0;
  out << "torvaly-rules self-check: known answers of the card rules\n";
  for (const KnownAnswer& k : kKnownAnswers) {
    const std::string got = HandleProbeLine(k.request);
    const bool ok = got == k.answer;
    if (!ok) ++mismatches;
    out << (ok ? "  ok    " : "  FAIL  ") << k.what << "\n        " << k.request << "\n     -> "
        << got << '\n';
    if (!ok) out << "  want  " << k.answer << '\n';
  }
  out << (mismatches == 0 ? "all known answers agree\n" : "some answers disagree\n");
  return mismatches;
}
