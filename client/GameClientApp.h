// CGameClientApp: the program's application object on the lobby frame. Its frame slot
// CreateGameDialog hands the frame a new CGameClientDlg. The program has one instance (see
// client/TheApp.cpp); tests make their own, one at a time.
#pragma once

#include "platform/frame/BrisvaneApp.h"

class CGameClientApp : public CBrisvaneApp {
 public:
  CGameClientApp() = default;
  ~CGameClientApp() override = default;

  CBrisvaneDlg* CreateGameDialog() override;
};
