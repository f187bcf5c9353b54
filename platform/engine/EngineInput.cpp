#include "platform/engine/EngineInput.h"

namespace {

int MapModifiers(Uint16 mod) {
  int flags = 0;
  if (mod & KMOD_SHIFT) flags |= HGEINP_SHIFT;
  if (mod & KMOD_CTRL) flags |= HGEINP_CTRL;
  if (mod & KMOD_ALT) flags |= HGEINP_ALT;
  return flags;
}

}  // namespace

int CEngineInput::MapKey(SDL_Keycode sym) {
  if (sym >= SDLK_a && sym <= SDLK_z) return HGEK_A + (sym - SDLK_a);
  if (sym >= SDLK_0 && sym <= SDLK_9) return HGEK_0 + (sym - SDLK_0);
  if (sym >= SDLK_F1 && sym <= SDLK_F12) return HGEK_F1 + (sym - SDLK_F1);
  switch (sym) {
    case SDLK_ESCAPE:
      return HGEK_ESCAPE;
    case SDLK_RETURN:
      return HGEK_ENTER;
    case SDLK_KP_ENTER:
      return HGEK_ENTER;
    case SDLK_SPACE:
      return HGEK_SPACE;
    case SDLK_BACKSPACE:
      return HGEK_BACKSPACE;
    case SDLK_TAB:
      return HGEK_TAB;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
      return HGEK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL:
      return HGEK_CTRL;
    case SDLK_LALT:
    case SDLK_RALT:
      return HGEK_ALT;
    case SDLK_PAUSE:
      return HGEK_PAUSE;
    case SDLK_PAGEUP:
      return HGEK_PGUP;
    case SDLK_PAGEDOWN:
      return HGEK_PGDN;
    case SDLK_END:
      return HGEK_END;
    case SDLK_HOME:
      return HGEK_HOME;
    case SDLK_LEFT:
      return HGEK_LEFT;
    case SDLK_UP:
      return HGEK_UP;
    case SDLK_RIGHT:
      return HGEK_RIGHT;
    case SDLK_DOWN:
      return HGEK_DOWN;
    case SDLK_INSERT:
      return HGEK_INSERT;
    case SDLK_DELETE:
      return HGEK_DELETE;
    default:
      return 0;
  }
}

bool CEngineInput::Next(hgeInputEvent* event) {
  if (m_count == 0) return false;
  if (event) *event = m_queue[m_head];
  m_head = (m_head + 1) % kQueueSize;
  --m_count;
  return true;
}

void CEngineInput::GetMousePos(float* x, float* y) const {
  if (x) *x = m_mouseX;
  if (y) *y = m_mouseY;
}

void CEngineInput::Push(const hgeInputEvent& event) {
  if (m_count == kQueueSize) {  // full: the oldest event is dropped
    m_head = (m_head + 1) % kQueueSize;
    --m_count;
  }
  m_queue[(m_head + m_count) % kQueueSize] = event;
  ++m_count;
}

bool CEngineInput::Translate(const SDL_Event& e) {
  hgeInputEvent in{};
  in.x = m_mouseX;
  in.y = m_mouseY;
  switch (e.type) {
    case SDL_QUIT:
      return true;
    case SDL_WINDOWEVENT:
      return e.window.event == SDL_WINDOWEVENT_CLOSE;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      in.key = MapKey(e.key.keysym.sym);
      if (in.key == 0) return false;
      in.type = e.type == SDL_KEYDOWN ? INPUT_KEYDOWN : INPUT_KEYUP;
      in.flags = MapModifiers(e.key.keysym.mod) | (e.key.repeat ? HGEINP_REPEAT : 0);
      const SDL_Keycode sym = e.key.keysym.sym;
      if (sym >= 32 && sym < 127) {
        in.chr = static_cast<int>(sym);
        if ((in.flags & HGEINP_SHIFT) && sym >= 'a' && sym <= 'z') in.chr -= 32;
      }
      if (in.key < 256) m_keyDown[in.key] = in.type == INPUT_KEYDOWN;
      Push(in);
      return false;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      m_mouseX = in.x = static_cast<float>(e.button.x);
      m_mouseY = in.y = static_cast<float>(e.button.y);
      in.key = e.button.button == SDL_BUTTON_LEFT    ? HGEK_LBUTTON
               : e.button.button == SDL_BUTTON_RIGHT ? HGEK_RBUTTON
                                                     : HGEK_MBUTTON;
      in.type = e.type == SDL_MOUSEBUTTONDOWN ? INPUT_MBUTTONDOWN : INPUT_MBUTTONUP;
      in.flags = MapModifiers(static_cast<Uint16>(SDL_GetModState()));
      m_keyDown[in.key] = in.type == INPUT_MBUTTONDOWN;
      Push(in);
      return false;
    }
    case SDL_MOUSEMOTION:
      m_mouseX = in.x = static_cast<float>(e.motion.x);
      m_mouseY = in.y = static_cast<float>(e.motion.y);
      in.type = INPUT_MOUSEMOVE;
      Push(in);
      return false;
    case SDL_MOUSEWHEEL:
      in.type = INPUT_MOUSEWHEEL;
      in.wheel = e.wheel.y;
      Push(in);
      return false;
    default:
      return false;
  }
}
