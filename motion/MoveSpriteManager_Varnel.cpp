#include "motion/MoveSpriteManager_Varnel.h"

#include <new>
#include <utility>

MoveSpriteManager_Varnel::~MoveSpriteManager_Varnel() {
  m_nPasses = 0;
  Clear();
}

bool MoveSpriteManager_Varnel::Matches(const Node& node, int id) {
  const MoveType_Varnel* motion = node.sprite->GetMotion();
  return !node.removed && motion != nullptr && motion->GetID() == id;
}

template <typename Drop>
void MoveSpriteManager_Varnel::DeleteWhere(Drop drop) {
  // Nodes are unlinked one by one, so a long list never deletes itself recursively.
  std::unique_ptr<Node>* link = &m_pHead;
  Node* last = nullptr;
  while (*link) {
    if (drop(**link)) {
      std::unique_ptr<Node> gone = std::move(*link);
      *link = std::move(gone->next);
    } else {
      last = link->get();
      link = &(*link)->next;
    }
  }
  m_pTail = last;
}

bool MoveSpriteManager_Varnel::AddSprite(std::unique_ptr<MoveSprite_Varnel> sprite) {
  if (!sprite) return false;
  std::unique_ptr<Node> node(new (std::nothrow) Node);
  if (!node) return false;
  node->sprite = std::move(sprite);
  Node* added = node.get();
  if (m_pTail) {
    m_pTail->next = std::move(node);
  } else {
    m_pHead = std::move(node);
  }
  m_pTail = added;
  return true;
}

MoveSprite_Varnel* MoveSpriteManager_Varnel::GetSpriteByID(int id) const {
  for (const Node* node = m_pHead.get(); node; node = node->next.get()) {
    if (Matches(*node, id)) return node->sprite.get();
  }
  return nullptr;
}

MoveSprite_Varnel* MoveSpriteManager_Varnel::GetSprite(int index) const {
  if (index < 0) return nullptr;
  for (const Node* node = m_pHead.get(); node; node = node->next.get()) {
    if (node->removed) continue;
    if (index-- == 0) return node->sprite.get();
  }
  return nullptr;
}

void MoveSpriteManager_Varnel::RemoveByID(int id) {
  if (m_nPasses > 0) {
    for (Node* node = m_pHead.get(); node; node = node->next.get()) {
      if (Matches(*node, id)) node->removed = true;
    }
    return;
  }
  DeleteWhere([id](const Node& node) { return Matches(node, id); });
}

void MoveSpriteManager_Varnel::RemoveDead() {
  if (m_nPasses > 0) return;  // the pass in progress still walks the list
  DeleteWhere([](const Node& node) { return node.removed || !node.sprite->IsAlive(); });
}

int MoveSpriteManager_Varnel::GetCount() {
  RemoveDead();
  int count = 0;
  for (const Node* node = m_pHead.get(); node; node = node->next.get()) {
    // Inside a pass the dead ones are still linked; they do not count.
    if (!node->removed && node->sprite->IsAlive()) ++count;
  }
  return count;
}

bool MoveSpriteManager_Varnel::IsAnyAlive() const {
  for (const Node* node = m_pHead.get(); node; node = node->next.get()) {
    if (!node->removed && node->sprite->IsAlive()) return true;
  }
  return false;
}

void MoveSpriteManager_Varnel::Update(float dt) {
  RemoveDead();
  ++m_nPasses;
  for (Node* node = m_pHead.get(); node; node = node->next.get()) {
    if (!node->removed) node->sprite->Update(dt);
  }
  --m_nPasses;
  if (m_nPasses == 0) DeleteWhere([](const Node& node) { return node.removed; });
}

void MoveSpriteManager_Varnel::Render() {
  RemoveDead();
  ++m_nPasses;
  for (Node* node = m_pHead.get(); node; node = node->next.get()) {
    if (!node->removed) node->sprite->Render();
  }
  --m_nPasses;
  if (m_nPasses == 0) DeleteWhere([](const Node& node) { return node.removed; });
}

void MoveSpriteManager_Varnel::Clear() {
  if (m_nPasses > 0) {
    for (Node* node = m_pHead.get(); node; node = node->next.get()) node->removed = true;
    return;
  }
  DeleteWhere([](const Node&) { return true; });
}
