// A link sink that passes everything on to the frame's sink it was last polled for: the
// headless drivers' taps on the client's link derive from it and override what they also watch.
#pragma once

#include "platform/frame/TableLink.h"

namespace headless {

class CLinkRelay : public ILinkSink {
 public:
  void OnLinkSelf(WORD chair, bool lookon, bool allow) override {
    m_sink->OnLinkSelf(chair, lookon, allow);
  }
  void OnLinkServerAttribute(const tagServerAttribute& attribute) override {
    m_sink->OnLinkServerAttribute(attribute);
  }
  void OnLinkUserEnter(const tagUserData& user, WORD chair, bool lookon) override {
    m_sink->OnLinkUserEnter(user, chair, lookon);
  }
  void OnLinkUserLeave(WORD chair, bool lookon) override { m_sink->OnLinkUserLeave(chair, lookon); }
  void OnLinkUserScore(const tagUserData& user, WORD chair, bool lookon) override {
    m_sink->OnLinkUserScore(user, chair, lookon);
  }
  void OnLinkUserStatus(const tagUserData& user, WORD chair, bool lookon) override {
    m_sink->OnLinkUserStatus(user, chair, lookon);
  }
  void OnLinkScene(BYTE status, bool lookon, const void* data, WORD size) override {
    m_sink->OnLinkScene(status, lookon, data, size);
  }
  void OnLinkGameMessage(WORD id, const void* data, WORD size) override {
    m_sink->OnLinkGameMessage(id, data, size);
  }
  void OnLinkClosed() override { m_sink->OnLinkClosed(); }

 protected:
  ILinkSink* m_sink = nullptr;  // the frame's, set at each Poll
};

}  // namespace headless
