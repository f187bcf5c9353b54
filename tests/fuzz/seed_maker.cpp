// torvaly-fuzz-seeds DIR: writes the fuzz targets' seed inputs into DIR/<target>/: records
// from a real game between bots, packets of every kind, scripts that play whole games at a
// table, ini files shaped like the program's own, the program's formats, small PNG files of
// every colour type and a BMP and a JPEG file, waves of every encoding the mixer reads, the
// program's own resource files, scripts for both ends of the link (a real game's packets, a
// real game at the table end), and scripts for the client (real games with clicks, records and
// scenes changed). The committed corpora under tests/fuzz/corpus/
// were made with it (scripts/fuzz --seeds).
#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "fuzz_util.h"
#include "link/Packet.h"
#include "link/TableEnd.h"
#include "server/TableHost.h"

namespace {

using Bytes = std::vector<uint8_t>;

class SeedWriter {
 public:
  explicit SeedWriter(std::filesystem::path root) : m_root(std::move(root)) {}
  void Write(const std::string& target, const std::string& name, const Bytes& bytes) {
    const std::filesystem::path dir = m_root / target;
    std::filesystem::create_directories(dir);
    std::ofstream(dir / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ++m_count;
  }
  void Write(const std::string& target, const std::string& name, const std::string& text) {
    Write(target, name, Bytes(text.begin(), text.end()));
  }
  int Count() const { return m_count; }

 private:
  std::filesystem::path m_root;
  int m_count = 0;
};

size_t IndexOf(uint16_t value, const uint16_t* values, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (values[i] == value) return i;
  }
  return 0;
}

Bytes ProtocolInput(fuzz::ProtocolKind kind, uint8_t pick, uint8_t receiver, const uint8_t* data,
                    size_t size) {
  Bytes b = {static_cast<uint8_t>(kind), pick, receiver};
  b.insert(b.end(), data, data + size);
  return b;
}

// Records as a table sends them to bots playing one game: the first of each id (and of each
// kind of pass) per receiving chair, and the scenes of a chair before and during play.
class RecordCollector final : public ITableObserver {
 public:
  explicit RecordCollector(SeedWriter& out) : m_out(out) {}
  void SetHost(const CTableHost* host) { m_host = host; }

  void OnDelivered(uint16_t chair, uint16_t id, const uint8_t* data, size_t size) override {
    std::string name = "srv-" + std::to_string(id);
    if (id == SRV_PASS && size > 0) name += data[0] == 1 ? "-newturn" : "-plain";
    name += "-chair" + std::to_string(chair);
    if (!m_seen.emplace(name, true).second) return;
    const size_t pick = IndexOf(id, fuzz::kServerIds, std::size(fuzz::kServerIds));
    m_out.Write("protocol_fuzz", name,
                ProtocolInput(fuzz::kServerMessage, static_cast<uint8_t>(pick),
                              static_cast<uint8_t>(chair), data, size));
    if (id == SRV_PLAY && m_host != nullptr && !m_playingScene) {
      m_playingScene = true;
      WriteScene(chair, "scene-playing-chair" + std::to_string(chair));
    }
  }

  void WriteScene(uint16_t chair, const std::string& name) {
    uint8_t status = 0;
    uint8_t buffer[sizeof(tagScenePlaying)];
    size_t size = 0;
    if (!m_host->Table().BuildScene(chair, status, buffer, sizeof(buffer), size)) return;
    const uint8_t pick = status == STATUS_FREE ? 0 : status == STATUS_STARTED ? 1 : 2;
    m_out.Write("protocol_fuzz", name,
                ProtocolInput(fuzz::kScene, pick, static_cast<uint8_t>(chair), buffer, size));
  }

 private:
  SeedWriter& m_out;
  const CTableHost* m_host = nullptr;
  std::map<std::string, bool> m_seen;
  bool m_playingScene = false;
};

void ProtocolSeeds(SeedWriter& out) {
  tagHostConfig config;
  config.table.seed = 11;
  CTableHost host(config);
  RecordCollector collector(out);
  collector.SetHost(&host);
  host.SetObserver(&collector);
  for (uint16_t c = 0; c < SEAT_COUNT; ++c) host.SeatBot(c, "normal");
  collector.WriteScene(0, "scene-free-chair0");
  for (int i = 0; i < 100000 && host.Table().GamesPlayed() < 2; ++i) {
    if (!host.Step()) break;
  }

  // The server's own notices, which bots that never run out of time do not cause.
  tagSrvPassNotice notice{10, {5, 6, 5}, 1, 2};
  uint8_t buffer[sizeof(tagSrvPassNotice)];
  const size_t n = EncodeSrvPassNotice(notice, buffer, sizeof(buffer));
  out.Write("protocol_fuzz", "srv-109-chair0", ProtocolInput(fuzz::kServerMessage, 5, 0, buffer, n));
  tagSrvAutoPlay autoPlay{1, 1, 0};
  const size_t m = EncodeSrvAutoPlay(autoPlay, buffer, sizeof(buffer));
  out.Write("protocol_fuzz", "srv-116-chair0", ProtocolInput(fuzz::kServerMessage, 6, 0, buffer, m));

  auto client = [&](const std::string& name, uint16_t id, const Bytes& record) {
    const size_t pick = IndexOf(id, fuzz::kClientIds, std::size(fuzz::kClientIds));
    out.Write("protocol_fuzz", name,
              ProtocolInput(fuzz::kClientMessage, static_cast<uint8_t>(pick), 0, record.data(),
                            record.size()));
  };
  client("cli-play-pair", CLI_PLAY, {2, 0x05, 0x4E});
  client("cli-pass", CLI_PASS, {});
  client("cli-auto-play", CLI_AUTO_PLAY, {1, 0, 1, 0});
  client("cli-deal-done", CLI_DEAL_DONE, {});
  client("cli-change-table", CLI_CHANGE_TABLE, {2, 0});
}

// ---- Packets: [direction (0 to the client, 1 to the table)] then the packet.

void PacketSeeds(SeedWriter& out) {
  auto write = [&](const std::string& name, const tagPacket& packet, PacketDirection direction) {
    uint8_t wire[PACKET_MAX_SIZE];
    const size_t n = EncodePacket(packet, direction, wire, sizeof(wire));
    if (n == 0) return;
    Bytes b = {static_cast<uint8_t>(direction == PacketDirection::ToTable ? 1 : 0)};
    b.insert(b.end(), wire, wire + n);
    out.Write("packet_fuzz", name, b);
  };
  const auto toClient = PacketDirection::ToClient;
  const auto toTable = PacketDirection::ToTable;
  write("self", SelfPacket({1, 0, 1}), toClient);
  write("attribute", AttributePacket({7, 1, 0, SEAT_COUNT, 0, 0}), toClient);
  tagLinkUser user{};
  user.chair = 2;
  user.gender = 2;
  user.faceId = 5;
  user.userId = 1002;
  user.score = -1200;
  user.status = LINK_STATUS_READY;
  SetLinkUserName(user, "\xe7\x8e\xa9\xe5\xae\xb6 Lin");
  write("user-enter", UserPacket(SUB_USER_ENTER, user), toClient);
  write("user-leave", UserLeavePacket(0, false), toClient);
  tagSceneFree scene{};
  scene.turnTime = 15;
  scene.tableKind = SEAT_COUNT;
  uint8_t record[sizeof(tagSceneFree)];
  const size_t sceneSize = EncodeSceneFree(scene, record, sizeof(record));
  write("scene-free", ScenePacket(STATUS_FREE, false, record, sceneSize), toClient);
  tagSrvAutoPlay autoPlay{1, 1, 0};
  const size_t autoSize = EncodeSrvAutoPlay(autoPlay, record, sizeof(record));
  write("game-auto-play", GamePacket(SRV_AUTO_PLAY, record, autoSize), toClient);
  write("closed", FramePacket(SUB_CLOSED), toClient);
  const uint8_t play[] = {2, 0x05, 0x4E};
  write("game-play", GamePacket(CLI_PLAY, play, sizeof(play)), toTable);
  write("ready", FramePacket(SUB_USER_READY), toTable);
  write("change-table", ChangeTablePacket(3), toTable);
  write("rejoin", FramePacket(SUB_REJOIN), toTable);
}

// ---- Table scripts.

class Script {
 public:
  Script(uint16_t seed, uint8_t humans) {
    m_bytes = {static_cast<uint8_t>(seed), static_cast<uint8_t>(seed >> 8), 0, humans};
  }
  Script& Op(fuzz::TableOp op, uint16_t chair, std::initializer_list<uint8_t> operands = {}) {
    m_bytes.push_back(fuzz::TableOpByte(op, chair));
    m_bytes.insert(m_bytes.end(), operands);
    return *this;
  }
  Script& Repeat(int times, fuzz::TableOp op, uint16_t chair) {
    for (int i = 0; i < times; ++i) Op(op, chair);
    return *this;
  }
  Script& AllReady() {
    for (uint16_t c = 0; c < SEAT_COUNT; ++c) Op(fuzz::kOpReady, c);
    return *this;
  }
  const Bytes& Get() const { return m_bytes; }

 private:
  Bytes m_bytes;
};

void TableSeeds(SeedWriter& out) {
  // Nobody acts: the server plays every turn when the clock runs out, a whole game.
  out.Write("table_fuzz", "server-plays-a-game",
            Script(1, 0).AllReady().Repeat(160, fuzz::kOpNextEvent, 0).Get());

  // People at every chair: deal done, then each in turn tries its lowest card or passes.
  Script people(2, 7);
  people.AllReady();
  for (uint16_t c = 0; c < SEAT_COUNT; ++c) people.Op(fuzz::kOpDealDone, c);
  for (int round = 0; round < 30; ++round) {
    for (uint16_t c = 0; c < SEAT_COUNT; ++c) {
      people.Op(fuzz::kOpPlay, c, {1, 0}).Op(fuzz::kOpPass, c);
    }
    people.Op(fuzz::kOpWait, 0, {0x90, 0x01});  // 4 s: past the pause after a trick
  }
  out.Write("table_fuzz", "people-play-lowest", people.Get());

  // A player leaves, the server plays for it, it comes back and takes over again; after the
  // game everybody readies and a chair is taken anew.
  Script back(3, 7);
  back.AllReady();
  for (uint16_t c = 0; c < SEAT_COUNT; ++c) back.Op(fuzz::kOpDealDone, c);
  back.Op(fuzz::kOpLeave, 1).Repeat(6, fuzz::kOpNextEvent, 0).Op(fuzz::kOpReturn, 1);
  back.Op(fuzz::kOpAutoPlay, 1, {0}).Op(fuzz::kOpPlay, 1, {2, 0, 1});
  back.Op(fuzz::kOpRaw, 2, {CLI_PLAY, 2, 1, 0x4E}).Repeat(120, fuzz::kOpNextEvent, 0);
  back.Op(fuzz::kOpLeave, 2).Op(fuzz::kOpSit, 2, {1}).AllReady().Repeat(8, fuzz::kOpNextEvent, 0);
  out.Write("table_fuzz", "leave-return-again", back.Get());
}

// ---- Ini files.

void IniSeeds(SeedWriter& out) {
  out.Write("ini_fuzz", "coordinates",
            "; table layout\r\n[GAME_COORDINATE]\r\nBgX=0\r\nBgY=0\r\nRightPlayerBgX=1100\r\n"
            "MePlayerX = 640 \r\nLeftPlayerNameY=abc\r\nBeishuNumX=0x1F\r\nBtReadyY=-35\r\n");
  out.Write("ini_fuzz", "resources",
            "[Resource]\nm_ImageViewBack=Torvaly\\image\\back.png\nm_sndBomb=\"Torvaly\\sound\\"
            "bomb.wav\"\nm_ImageBuchu='x'\n[resource]\nLater=merged\n");
  out.Write("ini_fuzz", "profile", "[GameOption]\nCardSpace=29\nGameSound=1\nDeasilOrder=-1\n");
  out.Write("ini_fuzz", "odd",
            "loose=1\n[ab]\nx=1\n[c]\n=nameless\n[def]\nk=<<<END\nline\nEND\nk=second\n"
            "  spaced key  =  v  \n# hash comment\n[AB]\nz=3\n[]\nq=\n");
}

// ---- Formats: [capacity][format][0][argument text, 4 bytes per wide character].

void FormatSeeds(SeedWriter& out) {
  const struct {
    const char* name;
    uint8_t capacity;
    const char* format;
  } formats[] = {
      {"gold", 255, "%I64u"},          {"signed-gold", 255, "%I64d"},
      {"name", 255, "%s"},             {"utf8-name", 255, "%S"},
      {"score-line", 40, "%-8s %5d %+.2f"}, {"star-width", 255, "[%*d|%-*.*s]"},
      {"chars", 255, "%c%C%lc%hc"},    {"hex", 255, "%#x %o %X %#o"},
      {"percent", 3, "100%%"},         {"long-double", 255, "%Lf %e %g %a"},
      {"sizes", 255, "%zu %lld %hhd %hd %jd %td %I32u %Iu"},
      {"narrow-precision", 255, "%.3hs|%ls|%ws"},
      {"refused", 255, "%n"},          {"cut", 4, "%d%d%d"},
  };
  const char32_t text[] = U"Torvaly \u73a9\u5bb6 42";
  for (const auto& f : formats) {
    Bytes b = {static_cast<uint8_t>(f.capacity - 1)};
    b.insert(b.end(), f.format, f.format + std::strlen(f.format));
    b.push_back(0);
    for (char32_t ch : text) {
      if (ch == 0) break;
      for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(ch >> (8 * i)));
    }
    out.Write("wide_format_fuzz", f.name, b);
  }
}

// ---- PNG files, written by hand so that every colour type and depth is there.

uint32_t Crc32(const uint8_t* p, size_t n, uint32_t crc = 0) {
  crc = ~crc;
  for (size_t i = 0; i < n; ++i) {
    crc ^= p[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

void Be32(Bytes& b, uint32_t v) {
  for (int i = 3; i >= 0; --i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void Chunk(Bytes& png, const char* type, const Bytes& data) {
  Be32(png, static_cast<uint32_t>(data.size()));
  const size_t start = png.size();
  png.insert(png.end(), type, type + 4);
  png.insert(png.end(), data.begin(), data.end());
  Be32(png, Crc32(png.data() + start, png.size() - start));
}

// Rows of raw bytes (each with filter 0), stored uncompressed in one zlib block.
Bytes Png(uint32_t w, uint32_t h, uint8_t depth, uint8_t colourType, const Bytes& rows,
          const Bytes& palette = {}, const Bytes& transparency = {}) {
  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes ihdr;
  Be32(ihdr, w);
  Be32(ihdr, h);
  ihdr.insert(ihdr.end(), {depth, colourType, 0, 0, 0});
  Chunk(png, "IHDR", ihdr);
  if (!palette.empty()) Chunk(png, "PLTE", palette);
  if (!transparency.empty()) Chunk(png, "tRNS", transparency);
  Bytes z = {0x78, 0x01, 0x01, static_cast<uint8_t>(rows.size()),
             static_cast<uint8_t>(rows.size() >> 8), static_cast<uint8_t>(~rows.size()),
             static_cast<uint8_t>(~rows.size() >> 8)};
  z.insert(z.end(), rows.begin(), rows.end());
  uint32_t a = 1, b = 0;
  for (uint8_t byte : rows) a = (a + byte) % 65521, b = (b + a) % 65521;
  Be32(z, b << 16 | a);
  Chunk(png, "IDAT", z);
  Chunk(png, "IEND", {});
  return png;
}

void ImageSeeds(SeedWriter& out) {
  out.Write("image_fuzz", "rgba-1x1", Png(1, 1, 8, 6, {0, 255, 0, 0, 128}));
  out.Write("image_fuzz", "rgb-3x2", Png(3, 2, 8, 2, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 9, 8, 7, 6, 5, 4, 3, 2, 1}));
  out.Write("image_fuzz", "gray-2x2", Png(2, 2, 8, 0, {0, 0, 255, 1, 128, 64}));
  out.Write("image_fuzz", "gray-alpha-2x1", Png(2, 1, 8, 4, {0, 10, 20, 30, 40}));
  out.Write("image_fuzz", "palette-3x2", Png(3, 2, 2, 3, {0, 0b00011000, 0, 0b11100100},
                                        {255, 0, 0, 0, 255, 0, 0, 0, 255, 9, 9, 9}, {0, 128}));
  out.Write("image_fuzz", "rgba16-1x1", Png(1, 1, 16, 6, {0, 1, 2, 3, 4, 5, 6, 7, 8}));
  out.Write("image_fuzz", "gray1-9x1", Png(9, 1, 1, 0, {0, 0b10101010, 0b10000000}));

  // The two other formats the engine reads, as SDL writes them.
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, 3, 2, 32, SDL_PIXELFORMAT_ARGB8888);
  if (s == nullptr) return;
  SDL_FillRect(s, nullptr, 0xFF2080C0u);
  auto save = [&](const char* name, auto write) {
    Bytes bytes(4096);
    SDL_RWops* rw = SDL_RWFromMem(bytes.data(), static_cast<int>(bytes.size()));
    if (rw != nullptr && write(rw) == 0) {
      bytes.resize(static_cast<size_t>(SDL_RWtell(rw)));
      out.Write("image_fuzz", name, bytes);
    }
    if (rw != nullptr) SDL_RWclose(rw);
  };
  save("bmp-3x2", [&](SDL_RWops* rw) { return SDL_SaveBMP_RW(s, rw, 0); });
  save("jpeg-3x2", [&](SDL_RWops* rw) { return IMG_SaveJPG_RW(s, rw, 0, 50); });
  SDL_FreeSurface(s);
}

// ---- Waves: small files of each encoding the mixer decodes, and chunks around them.

void Put16(Bytes& b, uint16_t v) { b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)}); }
void Put32(Bytes& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}
void PutChunk(Bytes& b, const char* id, const Bytes& body) {
  b.insert(b.end(), id, id + 4);
  Put32(b, static_cast<uint32_t>(body.size()));
  b.insert(b.end(), body.begin(), body.end());
  if (body.size() & 1) b.push_back(0);
}
// A format chunk: code, channels, rate, block size, bits, then any extension.
Bytes WaveFormat(uint16_t code, uint16_t channels, uint32_t rate, uint16_t block, uint16_t bits,
                 const Bytes& extension = {}) {
  Bytes f;
  Put16(f, code), Put16(f, channels), Put32(f, rate), Put32(f, rate * block), Put16(f, block);
  Put16(f, bits);
  if (!extension.empty()) {
    Put16(f, static_cast<uint16_t>(extension.size()));
    f.insert(f.end(), extension.begin(), extension.end());
  }
  return f;
}
Bytes WaveFile(const Bytes& format, const Bytes& data, const Bytes& before = {}) {
  Bytes body = {'W', 'A', 'V', 'E'};
  body.insert(body.end(), before.begin(), before.end());
  PutChunk(body, "fmt ", format);
  PutChunk(body, "data", data);
  Bytes file = {'R', 'I', 'F', 'F'};
  Put32(file, static_cast<uint32_t>(body.size()));
  file.insert(file.end(), body.begin(), body.end());
  return file;
}
// A short wave of samples between -amplitude and amplitude, `bytes` bytes each, little-endian.
Bytes Tone(size_t frames, uint16_t channels, int bytes, bool unsignedBytes = false) {
  Bytes d;
  for (size_t i = 0; i < frames * channels; ++i) {
    const int v = static_cast<int>((i * 7919) % 200) - 100;
    if (bytes == 1) {
      d.push_back(static_cast<uint8_t>(unsignedBytes ? 128 + v : v));
    } else {
      const int32_t wide = v << (8 * bytes - 8);
      for (int k = 0; k < bytes; ++k) d.push_back(static_cast<uint8_t>(wide >> (8 * k)));
    }
  }
  return d;
}

// Each wave twice: the file as it stands, and its format chunk and data to be framed again.
class CWaveWriter {
 public:
  explicit CWaveWriter(SeedWriter& out) : m_out(out) {}
  void Write(const char* name, const Bytes& format, const Bytes& data, const Bytes& before = {}) {
    Bytes file = {0};
    const Bytes whole = WaveFile(format, data, before);
    file.insert(file.end(), whole.begin(), whole.end());
    m_out.Write("wav_fuzz", name, file);
    Bytes framed = {fuzz::kWaveFramed, static_cast<uint8_t>(format.size())};
    framed.insert(framed.end(), format.begin(), format.end());
    framed.insert(framed.end(), data.begin(), data.end());
    m_out.Write("wav_fuzz", std::string(name) + "-framed", framed);
  }

 private:
  SeedWriter& m_out;
};

void WaveSeeds(SeedWriter& seeds) {
  CWaveWriter out(seeds);
  out.Write("u8-mono-8k", WaveFormat(1, 1, 8000, 1, 8), Tone(120, 1, 1, true));
  out.Write("s16-stereo-22k", WaveFormat(1, 2, 22050, 4, 16), Tone(60, 2, 2));
  out.Write("s24-mono-48k", WaveFormat(1, 1, 48000, 3, 24), Tone(50, 1, 3));
  out.Write("s32-mono-32k", WaveFormat(1, 1, 32000, 4, 32), Tone(40, 1, 4));
  Bytes floats;
  for (int i = 0; i < 40; ++i) {
    float f = static_cast<float>(i % 9) / 10.0f - 0.4f;
    uint32_t bits = 0;
    std::memcpy(&bits, &f, sizeof(bits));
    Put32(floats, bits);
  }
  out.Write("float-mono-44k", WaveFormat(3, 1, 44100, 4, 32), floats);
  out.Write("alaw-mono-8k", WaveFormat(6, 1, 8000, 1, 8), Tone(80, 1, 1));
  out.Write("mulaw-mono-8k", WaveFormat(7, 1, 8000, 1, 8), Tone(80, 1, 1));
  // IMA ADPCM: blocks of 256 bytes, a 4-byte header (sample, step index, 0), 505 frames each.
  Bytes ima = {0x10, 0x00, 20, 0};
  for (size_t i = ima.size(); i < 256; ++i) ima.push_back(static_cast<uint8_t>(i * 37));
  Bytes imaExtension;
  Put16(imaExtension, 505);
  out.Write("ima-adpcm-mono-8k", WaveFormat(0x11, 1, 8000, 256, 4, imaExtension), ima);
  // MS ADPCM: 256-byte blocks, a 7-byte header (predictor, delta, two samples), 500 frames each,
  // with the seven standard coefficient pairs.
  Bytes ms = {0, 0x10, 0x00, 0x20, 0x00, 0x10, 0x00};
  for (size_t i = ms.size(); i < 256; ++i) ms.push_back(static_cast<uint8_t>(i * 53));
  Bytes msExtension;
  Put16(msExtension, 500), Put16(msExtension, 7);
  const int16_t coefficients[7][2] = {{256, 0},  {512, -256}, {0, 0},    {192, 64},
                                      {240, 0}, {460, -208}, {392, -232}};
  for (const auto& pair : coefficients) {
    Put16(msExtension, static_cast<uint16_t>(pair[0]));
    Put16(msExtension, static_cast<uint16_t>(pair[1]));
  }
  out.Write("ms-adpcm-mono-8k", WaveFormat(2, 1, 8000, 256, 4, msExtension), ms);
  // Extensible PCM, and chunks the loader steps over (an odd one with its pad byte).
  Bytes extensible;
  Put16(extensible, 16), Put32(extensible, 0x4);  // valid bits, the channel mask
  const uint8_t pcmGuid[16] = {1, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
  extensible.insert(extensible.end(), pcmGuid, pcmGuid + 16);
  out.Write("extensible-s16-16k", WaveFormat(0xFFFE, 1, 16000, 2, 16, extensible), Tone(50, 1, 2));
  Bytes before;
  PutChunk(before, "LIST", {'I', 'N', 'F', 'O', 'x'});
  PutChunk(before, "fact", {100, 0, 0, 0});
  out.Write("chunks-before-s16", WaveFormat(1, 1, 11025, 2, 16), Tone(40, 1, 2), before);
}

// ---- Resource files: the program's own two, and one of edge cases in both sections.

void ResourceSeeds(SeedWriter& out) {
  for (const char* name : {"qzt.ini", "ResourcePath.ini"}) {
    std::ifstream in(std::filesystem::path(TORVALY_SOURCE_DIR) / "assets" / "Torvaly" / name,
                     std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    if (!text.empty()) out.Write("resource_config_fuzz", name, text);
  }
  out.Write("resource_config_fuzz", "edges",
            "[game_coordinate]\r\nBgX=  -12px\r\nBgY=+7\r\nRightPlayerBgY=2147483647\r\n"
            "MePlayerX=2147483648\r\nBtReadyY=-2147483649\r\nLeftX=0x1F\r\nTopY=\t 99999999999999"
            "999999\r\nEmpty=\r\n[Resource]\r\nm_ImageViewBack=Torvaly\\image\\back.png\r\n"
            "M_SNDBOMB=\"quoted\"\r\nm_pPokerMiddle=" + std::string(300, 'p') + "\r\n");
}

// ---- Link scripts: a real game's packets to the client end; a real game at the table end.

class CPacketLog final : public IPacketSink {
 public:
  void SendPacket(const uint8_t* data, size_t size) override { packets.emplace_back(data, data + size); }
  std::vector<Bytes> packets;
};

void LinkSeeds(SeedWriter& out) {
  using namespace fuzz;
  const tagLobbyUser users[SEAT_COUNT] = {
      {"Alice", 2, 1, 10000}, {"\xe7\x8e\xa9\xe5\xae\xb6", 1, 2, 0}, {"Chen", 1, 3, 10000}};
  tagHostConfig config;
  config.table.seed = 31;
  config.botDelayMinMs = 300;
  config.botDelayMaxMs = 1500;
  CTableHost host(config);
  host.SeatBot(0, "easy");
  host.SeatBot(2, "easy");
  CPacketLog log;
  CTableEnd end(host, 1, users, log);
  uint64_t now = 1000;
  end.Connect(now);
  uint8_t wire[PACKET_MAX_SIZE];
  const size_t ready = EncodePacket(FramePacket(SUB_USER_READY), PacketDirection::ToTable, wire,
                                    sizeof(wire));
  end.Receive(wire, ready, now);
  for (int i = 0; i < 400 && end.NextEvent() != LINK_NEVER; ++i) {
    now = std::max(now, end.NextEvent());
    end.Advance(now);
  }
  // The client end hears the game, polled after every few packets, answering now and then.
  Bytes client = {0};
  for (size_t i = 0; i < log.packets.size(); ++i) {
    const Bytes& p = log.packets[i];
    client.push_back(kLinkArrive);
    Put16(client, static_cast<uint16_t>(p.size()));
    client.insert(client.end(), p.begin(), p.end());
    if (i % 4 == 3) client.insert(client.end(), {kLinkPoll, 40});
    if (i % 16 == 15) client.insert(client.end(), {kLinkSend, 0, 1, 0});  // a pass
  }
  client.insert(client.end(), {kLinkPoll, 0, kLinkSend, 1, 0, kLinkSend, 2, 1, 0});
  out.Write("link_fuzz", "client-real-game", client);
  // The same packets with the transport dropped halfway.
  Bytes dropped(client.begin(), client.begin() + static_cast<long>(client.size() / 2));
  dropped.insert(dropped.end(), {kLinkDrop, kLinkPoll, 0, kLinkSend, 0, 1, 0});
  out.Write("link_fuzz", "client-dropped", dropped);

  // The table end: the player readies and lets the clock play, goes and comes back, rejoins.
  Bytes table = {static_cast<uint8_t>(1 | 1 << 1), 31, 0, LinkOpByte(kLinkFrame, 0)};
  for (int i = 0; i < 60; ++i) table.push_back(LinkOpByte(kLinkTime));
  table.insert(table.end(), {kLinkGame, 1, 0});  // a pass
  table.insert(table.end(), {kLinkGame, 2, 4, 1, 0, 1, 0});  // auto-play on
  for (int i = 0; i < 40; ++i) table.push_back(LinkOpByte(kLinkTime));
  table.insert(table.end(), {kLinkComeGo, LinkOpByte(kLinkTime, 1), 0xD0, 0x07, kLinkComeGo});
  for (int i = 0; i < 200; ++i) table.push_back(LinkOpByte(kLinkTime));
  table.insert(table.end(), {LinkOpByte(kLinkFrame, 1), LinkOpByte(kLinkFrame, 2),
                             LinkOpByte(kLinkFrame, 0)});
  for (int i = 0; i < 20; ++i) table.push_back(LinkOpByte(kLinkTime));
  out.Write("link_fuzz", "table-real-game", table);
  Bytes raw = {static_cast<uint8_t>(1 | 2 << 1), 5, 0, kLinkPacket};
  const size_t play = EncodePacket(GamePacket(CLI_PLAY, nullptr, 0), PacketDirection::ToTable, wire,
                                   sizeof(wire));
  Put16(raw, static_cast<uint16_t>(play));
  raw.insert(raw.end(), wire, wire + play);
  raw.insert(raw.end(), {kLinkPacket, 6, 0, 6, 0, 1, 0, 99, 0});  // an unknown frame command
  out.Write("link_fuzz", "table-raw-packets", raw);
}

// ---- Client scripts: an opening, then operations (fuzz_util.h).

class ClientScript {
 public:
  ClientScript(uint8_t opening, uint16_t seed) {
    m_bytes = {opening, static_cast<uint8_t>(seed), static_cast<uint8_t>(seed >> 8)};
  }
  ClientScript& Op(fuzz::ClientOp op, uint8_t operand = 0, std::initializer_list<uint8_t> bytes = {}) {
    m_bytes.push_back(fuzz::ClientOpByte(op, operand));
    m_bytes.insert(m_bytes.end(), bytes);
    return *this;
  }
  ClientScript& Click(const char* name) {
    const auto& names = fuzz::kClientButtons;
    for (uint8_t i = 0; i < std::size(names); ++i) {
      if (std::strcmp(names[i], name) == 0) return Op(fuzz::kClientClick, i);
    }
    return *this;
  }
  ClientScript& Wait(uint16_t ms) {
    return Op(fuzz::kClientWait, 0, {static_cast<uint8_t>(ms), static_cast<uint8_t>(ms >> 8)});
  }
  ClientScript& Table(int times) {
    for (int i = 0; i < times; ++i) Op(fuzz::kClientTable);
    return *this;
  }
  // A user event: kind 0 enter, 1 leave, 2 status, 3 score; the name padded to its 32 bytes.
  ClientScript& User(uint8_t kind, uint8_t chair, uint8_t gender, uint8_t status,
                     const std::string& name) {
    Op(fuzz::kClientUser, static_cast<uint8_t>(kind * 3 + chair));
    if (kind == 1) return *this;
    m_bytes.insert(m_bytes.end(), {gender, 7, 0, status});
    std::string padded = name.substr(0, 32);
    padded.resize(32, '\0');
    m_bytes.insert(m_bytes.end(), padded.begin(), padded.end());
    return *this;
  }
  ClientScript& Byte(uint8_t b) {
    m_bytes.push_back(b);
    return *this;
  }
  const Bytes& Get() const { return m_bytes; }

 private:
  Bytes m_bytes;
};

void ClientSeeds(SeedWriter& out) {
  using namespace fuzz;
  // A whole game from the free table: the client readies, the server plays every turn.
  for (uint8_t chair = 0; chair < SEAT_COUNT; ++chair) {
    out.Write("client_fuzz", "free-start-game-chair" + std::to_string(chair),
              ClientScript(static_cast<uint8_t>(kOpenFree << 2 | chair), 11 + chair)
                  .Click("start")
                  .Table(70)
                  .Wait(3000)
                  .Click("start")
                  .Get());
  }
  // The deal watched: its animation, then play, the clocks running out.
  out.Write("client_fuzz", "deal-watching",
            ClientScript(kOpenDeal << 2 | 1 | kOpenWatching | kOpenAllowWatchers, 5)
                .Wait(200)
                .Wait(900)
                .Table(40)
                .Get());
  // The player's own moves: hint and play, or pass, turn after turn.
  ClientScript own(kOpenBegin << 2 | 2, 7);
  for (int turn = 0; turn < 30; ++turn) {
    own.Click("hint").Click("play").Click("pass").Table(1).Wait(3100);
  }
  out.Write("client_fuzz", "begin-hint-play", own.Get());
  // A game under way: raised cards, the right button, sorting, the last trick, auto-play.
  out.Write("client_fuzz", "playing-scene-actions",
            ClientScript(kOpenPlaying << 2 | 0, 9)
                .Byte(10)
                .Op(kClientRaise, 0, {0x03, 0, 0, 0})
                .Click("right")
                .Click("sort")
                .Click("last")
                .Wait(3500)
                .Click("autoon")
                .Wait(20000)
                .Click("autooff")
                .Table(30)
                .Click("details")
                .Get());
  // Records and scenes with bytes changed, unknown ids, users with odd names.
  ClientScript odd(kOpenBegin << 2 | 1, 3);
  for (uint8_t pick = 0; pick < std::size(kServerIds); ++pick) {
    odd.Op(kClientMutate, 0, {pick, 1, 0, 0xFF});
  }
  odd.Op(kClientRecord, 0, {kPickKnown + 5, 4, 1, 2, 3, 4});  // 101
  odd.Op(kClientRecord, 0, {2, 36});                            // a play too short
  odd.Op(kClientScene, 0, {2, 2, 97, 27, 100, 28});             // counts past the hand
  odd.Op(kClientScene, 0, {1, 0});
  odd.Op(kClientScene, 0, {kPickKnown + 11, 0});                // status 101 - 90 + ... raw
  odd.User(0, 0, 2, 3, "\xe7\x8e\xa9\xff cut");
  odd.User(1, 2, 0, 0, "");
  odd.User(2, 1, 9, 200, std::string(32, 'x'));
  odd.User(3, 0, 1, 2, "Alice");
  odd.Table(20);
  out.Write("client_fuzz", "records-changed", odd.Get());
  // A match server: no start button, the scene's own clock.
  out.Write("client_fuzz", "match-server",
            ClientScript(kOpenBegin << 2 | 0 | kOpenMatchServer, 21).Table(30).Get());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: torvaly-fuzz-seeds DIR\n";
    return 2;
  }
  SeedWriter out(argv[1]);
  ProtocolSeeds(out);
  PacketSeeds(out);
  TableSeeds(out);
  IniSeeds(out);
  FormatSeeds(out);
  ImageSeeds(out);
  WaveSeeds(out);
  ResourceSeeds(out);
  LinkSeeds(out);
  ClientSeeds(out);
  std::cout << out.Count() << " seed inputs written to " << argv[1] << "\n";
  return 0;
}
