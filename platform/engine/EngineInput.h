// The engine's input: SDL events turned into engine input events (hgeInputEvent), queued for
// Input_GetEvent, with the key and mouse-button states and the last mouse position.
//
// Keys become the Windows virtual-key codes the program compares with (HGEK_*); keys without
// one are ignored. A printable key carries its character (upper case with shift). The queue
// holds the newest 64 events: when it is full the oldest is dropped. Needs no SDL subsystem.
#pragma once

#include <SDL2/SDL.h>

#include "platform/engine/hge.h"

class CEngineInput {
 public:
  static constexpr int kQueueSize = 64;

  // Queues what the event means; true when it asks the program to stop (quit, window closed).
  bool Translate(const SDL_Event& event);
  // The oldest queued event; false when none is left.
  bool Next(hgeInputEvent* event);
  void GetMousePos(float* x, float* y) const;
  // Down state of a key or mouse button code (1..255).
  bool KeyState(int key) const { return key > 0 && key < 256 && m_keyDown[key]; }
  // Forgets the queued events (states and mouse position stay).
  void ClearQueue() { m_count = 0; }

  // The engine key code of an SDL key, 0 when it has none.
  static int MapKey(SDL_Keycode sym);

 private:
  void Push(const hgeInputEvent& event);

  hgeInputEvent m_queue[kQueueSize] = {};
  int m_head = 0;
  int m_count = 0;
  bool m_keyDown[256] = {};
  float m_mouseX = 0;
  float m_mouseY = 0;
};
