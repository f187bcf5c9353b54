#include "client/GameClientApp.h"

#include <new>

#include "client/GameClientDlg.h"

CBrisvaneDlg* CGameClientApp::CreateGameDialog() { return new (std::nothrow) CGameClientDlg(); }
