// The program's one application object. Linked into the game program only (target
// torvaly_client_app); AfxGetApp() returns it, and main() runs it with AfxGetApp()->Run.
#include "client/GameClientApp.h"

CGameClientApp theApp;
