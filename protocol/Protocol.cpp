#include "protocol/Protocol.h"

#include <cstring>

namespace {

// Each count fits a hand, and all of them with the pile fit the deck (so the pile does too).
bool CountsFit(const uint8_t (&counts)[SEAT_COUNT], unsigned pile) {
  unsigned total = pile;
  for (uint8_t count : counts) {
    if (count > MAX_CARDS) return false;
    total += count;
  }
  return total <= DECK_SIZE;
}

bool CardsValid(const uint8_t* cards, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (!IsValidCard(cards[i])) return false;
  }
  return true;
}

// ----- The checks each record must pass, shared by decoders and encoders.

bool Check(const tagSrvDeal& r) {
  return IsChair(r.bankerChair) && IsChairOrNone(r.currentChair) && r.handCount <= MAX_CARDS &&
         CardsValid(r.cardArea, r.handCount) && CountsFit(r.cardCount, 0);
}

bool Check(const tagSrvPlayBegin& r) {
  return IsChair(r.bankerChair) && IsChair(r.currentChair) && r.handCount <= MAX_CARDS &&
         CardsValid(r.hand, r.handCount) && CountsFit(r.cardCount, r.pileCount);
}

bool Check(const tagSrvPlay& r) {
  return r.count >= 1 && r.count <= MAX_CARDS && IsChair(r.outChair) &&
         IsChairOrNone(r.currentChair) && CountsFit(r.cardCount, 0) &&
         CardsValid(r.cards, r.count) && CardsValid(r.resolved, r.count);
}

// The hand and the pile mean something only at a new turn, and only then is the receiver needed.
bool Check(const tagSrvPass& r, uint16_t receiverChair) {
  if (!IsChair(r.passChair) || !IsChair(r.currentChair) || !CountsFit(r.cardCount, 0)) {
    return false;
  }
  if (r.newTurn != 1) return true;
  return IsChair(receiverChair) && CountsFit(r.cardCount, r.pileCount) &&
         CardsValid(r.hand, r.cardCount[receiverChair]);
}

bool Check(const tagSrvResult& r) {
  if (!CountsFit(r.leftCount, 0)) return false;
  return CardsValid(r.leftCards, size_t{r.leftCount[0]} + r.leftCount[1] + r.leftCount[2]);
}

bool Check(const tagSrvPassNotice& r) {
  return IsChair(r.passChair) && IsChair(r.currentChair) && CountsFit(r.cardCount, r.pileCount);
}

bool Check(const tagSrvAutoPlay& r) { return IsChair(r.chair); }

bool Check(const tagSceneFree&) { return true; }

bool Check(const tagScenePlaying& r, uint16_t receiverChair) {
  return IsChair(receiverChair) && IsChair(r.bankerChair) && IsChairOrNone(r.lastPlayChair) &&
         IsChairOrNone(r.currentChair) && CountsFit(r.cardCount, r.pileCount) &&
         CardsValid(r.hand, r.cardCount[receiverChair]) && r.turnCount <= MAX_CARDS &&
         CardsValid(r.turnCards, r.turnCount) && CardsValid(r.turnResolved, r.turnCount);
}

bool Check(const tagCliPlay& r) {
  return r.count >= 1 && r.count <= MAX_CARDS && CardsValid(r.cards, r.count);
}

bool Check(const tagCliAutoPlay& r) { return IsChair(r.chair); }

bool Check(const tagCliChangeTable& r) { return IsChair(r.chair); }

// ----- Fixed-size records: the wire bytes are the record's bytes.

template <class T, class Valid>
bool DecodeFixed(const uint8_t* data, size_t size, T& out, Valid valid) {
  if (data == nullptr || size != sizeof(T)) return false;
  T record;
  std::memcpy(&record, data, sizeof(T));
  if (!valid(record)) return false;
  out = record;
  return true;
}

template <class T, class Valid>
size_t EncodeFixed(const T& in, uint8_t* buffer, size_t capacity, Valid valid) {
  if (buffer == nullptr || capacity < sizeof(T) || !valid(in)) return 0;
  std::memcpy(buffer, &in, sizeof(T));
  return sizeof(T);
}

auto Plain = [](const auto& record) { return Check(record); };

}  // namespace

bool DecodeSrvDeal(const uint8_t* data, size_t size, tagSrvDeal& out) {
  return DecodeFixed(data, size, out, Plain);
}
bool DecodeSrvPlayBegin(const uint8_t* data, size_t size, tagSrvPlayBegin& out) {
  return DecodeFixed(data, size, out, Plain);
}
bool DecodeSrvPass(const uint8_t* data, size_t size, uint16_t receiverChair, tagSrvPass& out) {
  return DecodeFixed(data, size, out, [&](const tagSrvPass& r) { return Check(r, receiverChair); });
}
bool DecodeSrvResult(const uint8_t* data, size_t size, tagSrvResult& out) {
  return DecodeFixed(data, size, out, Plain);
}
bool DecodeSrvPassNotice(const uint8_t* data, size_t size, tagSrvPassNotice& out) {
  return DecodeFixed(data, size, out, Plain);
}
bool DecodeSrvAutoPlay(const uint8_t* data, size_t size, tagSrvAutoPlay& out) {
  return DecodeFixed(data, size, out, Plain);
}
bool DecodeSceneFree(const uint8_t* data, size_t size, tagSceneFree& out) {
  return DecodeFixed(data, size, out, Plain);
}
bool DecodeScenePlaying(const uint8_t* data, size_t size, uint16_t receiverChair,
                        tagScenePlaying& out) {
  return DecodeFixed(data, size, out,
                     [&](const tagScenePlaying& r) { return Check(r, receiverChair); });
}
bool DecodeCliAutoPlay(const uint8_t* data, size_t size, tagCliAutoPlay& out) {
  return DecodeFixed(data, size, out, Plain);
}
bool DecodeCliChangeTable(const uint8_t* data, size_t size, tagCliChangeTable& out) {
  return DecodeFixed(data, size, out, Plain);
}

// 36 + count record bytes, then one pad byte that is not kept.
bool DecodeSrvPlay(const uint8_t* data, size_t size, tagSrvPlay& out) {
  if (data == nullptr || size < SRV_PLAY_HEAD_SIZE || size != SRV_PLAY_HEAD_SIZE + data[0]) {
    return false;
  }
  if (size > sizeof(tagSrvPlay)) return false;  // a count above 27
  tagSrvPlay record{};
  std::memcpy(&record, data, size - 1);
  if (!Check(record)) return false;
  out = record;
  return true;
}

bool DecodeCliPlay(const uint8_t* data, size_t size, tagCliPlay& out) {
  if (data == nullptr || size < 1 || size != size_t{1} + data[0] || size > sizeof(tagCliPlay)) {
    return false;
  }
  tagCliPlay record{};
  std::memcpy(&record, data, size);
  if (!Check(record)) return false;
  out = record;
  return true;
}

size_t EncodeSrvDeal(const tagSrvDeal& in, uint8_t* buffer, size_t capacity) {
  return EncodeFixed(in, buffer, capacity, Plain);
}
size_t EncodeSrvPlayBegin(const tagSrvPlayBegin& in, uint8_t* buffer, size_t capacity) {
  return EncodeFixed(in, buffer, capacity, Plain);
}
size_t EncodeSrvPass(const tagSrvPass& in, uint16_t receiverChair, uint8_t* buffer,
                     size_t capacity) {
  return EncodeFixed(in, buffer, capacity,
                     [&](const tagSrvPass& r) { return Check(r, receiverChair); });
}
size_t EncodeSrvResult(const tagSrvResult& in, uint8_t* buffer, size_t capacity) {
  return EncodeFixed(in, buffer, capacity, Plain);
}
size_t EncodeSrvPassNotice(const tagSrvPassNotice& in, uint8_t* buffer, size_t capacity) {
  return EncodeFixed(in, buffer, capacity, Plain);
}
size_t EncodeSrvAutoPlay(const tagSrvAutoPlay& in, uint8_t* buffer, size_t capacity) {
  return EncodeFixed(in, buffer, capacity, Plain);
}
size_t EncodeSceneFree(const tagSceneFree& in, uint8_t* buffer, size_t capacity) {
  return EncodeFixed(in, buffer, capacity, Plain);
}
size_t EncodeScenePlaying(const tagScenePlaying& in, uint16_t receiverChair, uint8_t* buffer,
                          size_t capacity) {
  return EncodeFixed(in, buffer, capacity,
                     [&](const tagScenePlaying& r) { return Check(r, receiverChair); });
}
size_t EncodeCliAutoPlay(const tagCliAutoPlay& in, uint8_t* buffer, size_t capacity) {
  return EncodeFixed(in, buffer, capacity, Plain);
}
size_t EncodeCliChangeTable(const tagCliChangeTable& in, uint8_t* buffer, size_t capacity) {
  return EncodeFixed(in, buffer, capacity, Plain);
}

size_t EncodeSrvPlay(const tagSrvPlay& in, uint8_t* buffer, size_t capacity) {
  if (buffer == nullptr || !Check(in)) return 0;
  const size_t size = SRV_PLAY_HEAD_SIZE + in.count;
  if (capacity < size) return 0;
  std::memcpy(buffer, &in, size - 1);
  buffer[size - 1] = 0;
  return size;
}

size_t EncodeCliPlay(const tagCliPlay& in, uint8_t* buffer, size_t capacity) {
  if (buffer == nullptr || !Check(in)) return 0;
  const size_t size = size_t{1} + in.count;
  if (capacity < size) return 0;
  std::memcpy(buffer, &in, size);
  return size;
}

// ----- Entries by id or status.

bool DecodeServerMessage(uint16_t id, const uint8_t* data, size_t size, uint16_t receiverChair,
                         tagServerMessage& out) {
  tagServerMessage message{};
  message.id = id;
  bool ok = false;
  switch (id) {
    case SRV_DEAL:
      ok = DecodeSrvDeal(data, size, message.deal);
      break;
    case SRV_PLAY_BEGIN:
      ok = DecodeSrvPlayBegin(data, size, message.playBegin);
      break;
    case SRV_PLAY:
      ok = DecodeSrvPlay(data, size, message.play);
      break;
    case SRV_PASS:
      ok = DecodeSrvPass(data, size, receiverChair, message.pass);
      break;
    case SRV_RESULT:
      ok = DecodeSrvResult(data, size, message.result);
      break;
    case SRV_PASS_NOTICE:
      ok = DecodeSrvPassNotice(data, size, message.passNotice);
      break;
    case SRV_AUTO_PLAY:
      ok = DecodeSrvAutoPlay(data, size, message.autoPlay);
      break;
    default:
      break;
  }
  if (ok) out = message;
  return ok;
}

bool DecodeScene(uint8_t status, const uint8_t* data, size_t size, uint16_t receiverChair,
                 tagScene& out) {
  tagScene scene{};
  scene.status = status;
  bool ok = false;
  switch (status) {
    case STATUS_FREE:
      ok = DecodeSceneFree(data, size, scene.freeTable);
      break;
    case STATUS_STARTED:
      ok = true;
      break;
    case STATUS_PLAYING:
      ok = DecodeScenePlaying(data, size, receiverChair, scene.playing);
      break;
    default:
      break;
  }
  if (ok) out = scene;
  return ok;
}

bool DecodeClientMessage(uint16_t id, const uint8_t* data, size_t size, tagClientMessage& out) {
  tagClientMessage message{};
  message.id = id;
  bool ok = false;
  switch (id) {
    case CLI_PLAY:
      ok = DecodeCliPlay(data, size, message.play);
      break;
    case CLI_PASS:
    case CLI_DEAL_DONE:
      ok = size == 0;
      break;
    case CLI_AUTO_PLAY:
      ok = DecodeCliAutoPlay(data, size, message.autoPlay);
      break;
    case CLI_CHANGE_TABLE:
      ok = DecodeCliChangeTable(data, size, message.changeTable);
      break;
    default:
      break;
  }
  if (ok) out = message;
  return ok;
}

bool EncodeServerMessage(const tagServerMessage& in, uint16_t receiverChair, uint8_t* buffer,
                         size_t capacity, size_t& written) {
  size_t n = 0;
  switch (in.id) {
    case SRV_DEAL:
      n = EncodeSrvDeal(in.deal, buffer, capacity);
      break;
    case SRV_PLAY_BEGIN:
      n = EncodeSrvPlayBegin(in.playBegin, buffer, capacity);
      break;
    case SRV_PLAY:
      n = EncodeSrvPlay(in.play, buffer, capacity);
      break;
    case SRV_PASS:
      n = EncodeSrvPass(in.pass, receiverChair, buffer, capacity);
      break;
    case SRV_RESULT:
      n = EncodeSrvResult(in.result, buffer, capacity);
      break;
    case SRV_PASS_NOTICE:
      n = EncodeSrvPassNotice(in.passNotice, buffer, capacity);
      break;
    case SRV_AUTO_PLAY:
      n = EncodeSrvAutoPlay(in.autoPlay, buffer, capacity);
      break;
    default:
      break;
  }
  if (n == 0) return false;
  written = n;
  return true;
}

bool EncodeScene(const tagScene& in, uint16_t receiverChair, uint8_t* buffer, size_t capacity,
                 size_t& written) {
  size_t n = 0;
  switch (in.status) {
    case STATUS_FREE:
      n = EncodeSceneFree(in.freeTable, buffer, capacity);
      break;
    case STATUS_STARTED:
      written = 0;
      return true;
    case STATUS_PLAYING:
      n = EncodeScenePlaying(in.playing, receiverChair, buffer, capacity);
      break;
    default:
      break;
  }
  if (n == 0) return false;
  written = n;
  return true;
}

bool EncodeClientMessage(const tagClientMessage& in, uint8_t* buffer, size_t capacity,
                         size_t& written) {
  size_t n = 0;
  switch (in.id) {
    case CLI_PLAY:
      n = EncodeCliPlay(in.play, buffer, capacity);
      break;
    case CLI_PASS:
    case CLI_DEAL_DONE:
      written = 0;
      return true;
    case CLI_AUTO_PLAY:
      n = EncodeCliAutoPlay(in.autoPlay, buffer, capacity);
      break;
    case CLI_CHANGE_TABLE:
      n = EncodeCliChangeTable(in.changeTable, buffer, capacity);
      break;
    default:
      break;
  }
  if (n == 0) return false;
  written = n;
  return true;
}
