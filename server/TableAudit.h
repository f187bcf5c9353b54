// Checks a table against its own messages, after every message it sends: the record decodes
// for its receiver, the 54 cards are all there exactly once (hands, pile, played cards), each
// chair's view built only from its own messages equals the table (the played cards included),
// and a scene built at that moment rebuilds the same view. Self-play hands it what the host
// delivers; a bare table can send to it directly (it is a sink: CTableAudit audit; CTable
// table(audit, config); audit.Watch(table);).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "server/ChairView.h"
#include "server/Table.h"

class CTableAudit final : public ITableSink {
 public:
  CTableAudit() = default;
  explicit CTableAudit(const CTable& table) { Watch(table); }
  // The table to check; messages before it is known are not checked.
  void Watch(const CTable& table) { m_table = &table; }

  void OnTableMessage(uint16_t chair, uint16_t id, const uint8_t* data, size_t size) override {
    OnMessage(chair, id, data, size);
  }

  // One message as the table sent it to `chair`.
  void OnMessage(uint16_t chair, uint16_t id, const uint8_t* data, size_t size);
  // The chair's client restores from this scene (a returning player): its view starts again
  // from the scene and must equal the table.
  void OnScene(uint16_t chair, uint8_t status, const uint8_t* data, size_t size);
  // The cards alone, at any moment (also between messages).
  void CheckCards();

  uint64_t Messages() const { return m_messages; }
  uint64_t Violations() const { return m_violations; }
  const std::string& FirstViolation() const { return m_firstViolation; }

 private:
  void Violation(const std::string& what);
  void CheckView(const CChairView& view, const std::string& who);
  void CheckScene(uint16_t chair, const CChairView& live);

  const CTable* m_table = nullptr;
  CChairView m_views[SEAT_COUNT] = {CChairView(0), CChairView(1), CChairView(2)};
  bool m_restored[SEAT_COUNT] = {};  // rebuilt from a scene since the last deal
  uint64_t m_messages = 0;
  uint64_t m_violations = 0;
  std::string m_firstViolation;
};
