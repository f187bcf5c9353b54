// torvaly-fuzz-seeds DIR: writes into DIR/protocol_fuzz/ the seed inputs that come from running
// the program: the records a table sends to bots through two real games (the first of each id,
// and of each kind of pass, per receiving chair) and the scenes of a chair before and during
// play. They change when the records do; `scripts/fuzz --seeds` writes them into the committed
// corpus. The other seeds (the server's notices and the client messages, scripts of the table,
// the link and the client, packets, ini and resource files, formats, images, waves, fonts) are
// small files kept in their corpora as they are.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <set>
#include <string>

#include "fuzz_util.h"
#include "server/TableHost.h"

namespace {

// Writes one input of protocol_fuzz: [kind][pick][receiver] then the record.
class CRecordWriter final : public ITableObserver {
 public:
  explicit CRecordWriter(const std::filesystem::path& dir) : m_dir(dir / "protocol_fuzz") {
    std::filesystem::create_directories(m_dir);
  }
  void Write(const std::string& name, fuzz::ProtocolKind kind, size_t pick, uint16_t chair,
             const uint8_t* data, size_t size) {
    const uint8_t head[3] = {kind, static_cast<uint8_t>(pick), static_cast<uint8_t>(chair)};
    std::ofstream file(m_dir / name, std::ios::binary);
    file.write(reinterpret_cast<const char*>(head), 3);
    file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    ++count;
  }
  void WriteScene(uint16_t chair, const char* when) {
    uint8_t status = 0, buffer[sizeof(tagScenePlaying)];
    size_t size = 0;
    if (!host->Table().BuildScene(chair, status, buffer, sizeof(buffer), size)) return;
    const size_t pick = std::find(std::begin(fuzz::kStatuses), std::end(fuzz::kStatuses), status) -
                        std::begin(fuzz::kStatuses);
    Write(std::string("scene-") + when + "-chair" + std::to_string(chair), fuzz::kScene, pick,
          chair, buffer, size);
  }
  void OnDelivered(uint16_t chair, uint16_t id, const uint8_t* data, size_t size) override {
    std::string name = "srv-" + std::to_string(id);
    if (id == SRV_PASS && size > 0) name += data[0] == 1 ? "-newturn" : "-plain";
    name += "-chair" + std::to_string(chair);
    if (!m_seen.insert(name).second) return;
    const size_t pick = std::find(std::begin(fuzz::kServerIds), std::end(fuzz::kServerIds), id) -
                        std::begin(fuzz::kServerIds);
    Write(name, fuzz::kServerMessage, pick, chair, data, size);
    if (id == SRV_PLAY && !m_playingScene) {
      m_playingScene = true;
      WriteScene(chair, "playing");
    }
  }

  const CTableHost* host = nullptr;
  int count = 0;

 private:
  std::filesystem::path m_dir;
  std::set<std::string> m_seen;
  bool m_playingScene = false;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: torvaly-fuzz-seeds DIR\n";
    return 2;
  }
  tagHostConfig config;
  config.table.seed = 11;
  CTableHost host(config);
  CRecordWriter writer(argv[1]);
  writer.host = &host;
  host.SetObserver(&writer);
  for (uint16_t c = 0; c < SEAT_COUNT; ++c) host.SeatBot(c, "normal");
  writer.WriteScene(0, "free");
  for (int i = 0; i < 100000 && host.Table().GamesPlayed() < 2 && host.Step(); ++i) {
  }
  std::cout << writer.count << " seed inputs written to " << argv[1] << "\n";
  return 0;
}
