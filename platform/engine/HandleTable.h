// The engine's handle table: items addressed by 32-bit handles (generation << 16) | (slot + 1).
// 0 is never a handle. A slot keeps a generation that changes each time it is used again, so a
// freed handle never reaches the item made later in the same slot. At most 0xFFFF items live at
// once; Add answers 0 beyond that.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

template <class T>
class CHandleTable {
 public:
  static constexpr size_t kMaxItems = 0xFFFF;

  // The handle of the stored copy of `item`, or 0 when the table is full.
  uint32_t Add(const T& item) {
    size_t index = m_firstFree;
    while (index < m_slots.size() && m_slots[index].used) ++index;
    if (index >= kMaxItems) return 0;
    m_firstFree = index + 1;
    if (index == m_slots.size()) m_slots.push_back(Slot{});
    Slot& slot = m_slots[index];
    slot.used = true;
    slot.gen = static_cast<uint16_t>(slot.gen == 0xFFFF ? 1 : slot.gen + 1);
    slot.item = item;
    return HandleOf(index);
  }

  // The item of a live handle; null for 0, freed and made-up handles.
  T* Get(uint32_t handle) {
    const uint32_t index = handle & 0xFFFF;
    if (index == 0 || index > m_slots.size()) return nullptr;
    Slot& slot = m_slots[index - 1];
    if (!slot.used || slot.gen != (handle >> 16)) return nullptr;
    return &slot.item;
  }

  // Frees the slot of a live handle (the item is reset to T{}); anything else is ignored.
  void Remove(uint32_t handle) {
    if (Get(handle) == nullptr) return;
    Slot& slot = m_slots[(handle & 0xFFFF) - 1];
    slot.used = false;
    slot.item = T{};
    if ((handle & 0xFFFF) - 1 < m_firstFree) m_firstFree = (handle & 0xFFFF) - 1;
  }

  // The live handles, in slot order. A copy, so that the caller may remove them as it goes.
  std::vector<uint32_t> Handles() const {
    std::vector<uint32_t> handles;
    for (size_t i = 0; i < m_slots.size(); ++i) {
      if (m_slots[i].used) handles.push_back(HandleOf(i));
    }
    return handles;
  }

 private:
  struct Slot {
    bool used = false;
    uint16_t gen = 0;
    T item{};
  };

  uint32_t HandleOf(size_t index) const {
    return (static_cast<uint32_t>(m_slots[index].gen) << 16) | static_cast<uint32_t>(index + 1);
  }

  std::vector<Slot> m_slots;
  size_t m_firstFree = 0;  // no slot below this one is free: the lowest free slot is used first
};
