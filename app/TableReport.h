// torvaly --report FILE: what the table shows, written as one line each time it changes, for the
// real-window test and other tools that drive the program from outside (they click with the X
// server's events and read here where things are and what happened). Points are window pixels.
//
//   t=MS me=CHAIR running=0|1 clock=CHAIR:SECONDS|none counts=A,B,C hand=HEX,.. raised=HEX,..
//   turn=HEX,..|none panel=0|1 buttons=NAME:X:Y,.. cards=HEX@X:Y,..
//
// The first line names the renderer that draws the window (renderer=NAME, SDL's name).
// Cards are bytes in hexadecimal. `turn` is the play to beat with its jokers replaced, `buttons`
// the shown and enabled buttons with their centres (start, play, pass, hint, autoon, autooff,
// sort, last, details, changetable), `cards` each card of the local hand, left to right, with
// the point to click on it.
#pragma once

#include <cstdio>
#include <string>

class CGameClientDlg;

class CTableReport {
 public:
  // False when the file cannot be written.
  bool Open(const std::string& path);
  ~CTableReport();
  // Writes a line when the table shows something other than at the last call.
  void Update(const CGameClientDlg& dialog, uint64_t nowMs);

  // The line for the table as it is (without the time), for the tests.
  static std::string Describe(const CGameClientDlg& dialog);

 private:
  bool m_wroteRenderer = false;
  std::FILE* m_file = nullptr;
  std::string m_last;
};
