// VarnelMoveSpriteInterface: told by a moving sprite's motion law, with the law's id, when its
// path ends. Called synchronously from the sprite's Update (inside the manager's Update). The
// listener must not delete the sprite that calls it.
#pragma once

class VarnelMoveSpriteInterface {
 public:
  virtual void OnMoveFinished(int id) = 0;

 protected:
  // Listeners are never deleted through this interface.
  ~VarnelMoveSpriteInterface() = default;
};
