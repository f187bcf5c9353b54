// VarnelAnimationCallBack: told by an Animation_Varnel, with the animation's id, when a run that
// does not loop comes to its end. Called synchronously from the animation's Update, before the
// animation writes its show flag, so the listener may still clear hide-on-end and keep the last
// frame on screen. The listener must not delete the animation that calls it.
#pragma once

class VarnelAnimationCallBack {
 public:
  virtual void OnAnimationFinished(int id) = 0;

 protected:
  // Listeners are never deleted through this interface.
  ~VarnelAnimationCallBack() = default;
};
