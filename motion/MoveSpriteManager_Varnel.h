// MoveSpriteManager_Varnel: the live moving sprites in a singly linked list, oldest first. The
// manager owns its sprites and their nodes. Dead sprites (law ended with remove-on-arrive) are
// deleted lazily, at the start of the next Update, Render or GetCount.
//
// A listener called from inside Update may add sprites (they join the tail and take part in
// the same pass) and may remove or clear them: removal during a pass only unlinks the sprites
// from the pass, and they are deleted once the pass is over. A listener still must not delete
// a sprite itself.
#pragma once

#include <memory>

#include "motion/MoveSprite_Varnel.h"

class MoveSpriteManager_Varnel {
 public:
  MoveSpriteManager_Varnel() = default;
  virtual ~MoveSpriteManager_Varnel();

  MoveSpriteManager_Varnel(const MoveSpriteManager_Varnel&) = delete;
  MoveSpriteManager_Varnel& operator=(const MoveSpriteManager_Varnel&) = delete;

  // Appends the sprite at the tail and takes it; false for a null sprite (or no memory for the
  // node, in which case the sprite is deleted).
  bool AddSprite(std::unique_ptr<MoveSprite_Varnel> sprite);
  // The first sprite whose law has this id; null if none (sprites without a law never match).
  MoveSprite_Varnel* GetSpriteByID(int id) const;
  // The index-th sprite from the head (0-based); null out of range.
  MoveSprite_Varnel* GetSprite(int index) const;
  // Deletes every sprite whose law has this id.
  void RemoveByID(int id);
  // Deletes every sprite that is not alive, keeping the order of the rest.
  void RemoveDead();
  // Deletes the dead sprites, then the number left.
  int GetCount();
  bool IsAnyAlive() const;
  void Update(float dt);
  void Render();
  // Deletes every sprite.
  void Clear();

 private:
  struct Node {
    std::unique_ptr<MoveSprite_Varnel> sprite;
    std::unique_ptr<Node> next;
    bool removed = false;  // taken out during a pass; deleted when the pass is over
  };
  static bool Matches(const Node& node, int id);
  // Unlinks and deletes the nodes for which drop(node) holds.
  template <typename Drop>
  void DeleteWhere(Drop drop);

  std::unique_ptr<Node> m_pHead;
  Node* m_pTail = nullptr;
  int m_nPasses = 0;  // Update or Render passes running (listeners are called inside them)
};
