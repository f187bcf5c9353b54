// Entering a table: the scenes of a free table and of a game in progress.
#include "client/GameClientDlg.h"

bool CGameClientDlg::OnSceneRestore(BYTE status, bool /*lookon*/, const void* data, WORD size) {
  if (data == nullptr && size != 0) return false;
  tagScene scene;
  return DecodeScene(status, static_cast<const uint8_t*>(data), size, GetMeChairID(), scene);
}
