#include "platform/frame/BrisvaneView2D.h"

#include <algorithm>

#include "platform/frame/BrisvaneDlg.h"
#include "platform/frame/FrameButtons.h"

namespace {

// The widget container at the top of the tree, which can draw the children after a given one.
class CGuiTop : public gcn::Container {
 public:
  // The children after `layer`, each as the container draws it (frame, then the widget, each
  // clipped to its area).
  void DrawAfter(gcn::Graphics* graphics, const gcn::Widget* layer) {
    auto it = std::find(mWidgets.begin(), mWidgets.end(), layer);
    if (it == mWidgets.end()) return;
    graphics->pushClipArea(getChildrenArea());
    for (++it; it != mWidgets.end(); ++it) {
      gcn::Widget* widget = *it;
      if (!widget->isVisible()) continue;
      if (const int frame = static_cast<int>(widget->getFrameSize()); frame > 0) {
        gcn::Rectangle area = widget->getDimension();
        area.x -= frame;
        area.y -= frame;
        area.width += 2 * frame;
        area.height += 2 * frame;
        graphics->pushClipArea(area);
        widget->drawFrame(graphics);
        graphics->popClipArea();
      }
      graphics->pushClipArea(widget->getDimension());
      widget->draw(graphics);
      graphics->popClipArea();
    }
    graphics->popClipArea();
  }
};

}  // namespace

CBrisvaneView2D::CBrisvaneView2D() : m_pHge(hgeCreate(HGE_VERSION)) {}

CBrisvaneView2D::~CBrisvaneView2D() {
  // The widget tree goes before the engine reference; the derived view has already deleted
  // its own widgets.
  OnDestroy();
  m_pHge->Release();
}

int CBrisvaneView2D::OnCreate() {
  gcn::SDL2ImageLoader::Install();
  const bool ok = gcn::GuiGuard(__func__, [&] {
    m_pGuiGraphics = std::make_unique<gcn::SDL2Graphics>();
    m_pGuiInput = std::make_unique<gcn::SDL2Input>();
    m_pGuiContainer = std::make_unique<CGuiTop>();
    m_pGuiContainer->setOpaque(false);
    m_pGuiContainer->setDimension(gcn::Rectangle(0, 0, m_pHge->System_GetStateInt(HGE_SCREENWIDTH),
                                                 m_pHge->System_GetStateInt(HGE_SCREENHEIGHT)));
    m_pGui = std::make_unique<gcn::Gui>();
    m_pGui->setGraphics(m_pGuiGraphics.get());
    m_pGui->setInput(m_pGuiInput.get());
    m_pGui->setTop(m_pGuiContainer.get());
  });
  if (ok && m_pFrameDlg != nullptr)
    m_pFrameButtons = std::make_unique<CFrameButtons>(*m_pGuiContainer, *m_pFrameDlg);
  return ok ? 0 : -1;
}

void CBrisvaneView2D::OnDestroy() {
  m_pFrameButtons.reset();
  if (m_pGui) m_pGui->setTop(nullptr);
  m_pGui.reset();
  m_pGuiContainer.reset();
  m_pGuiInput.reset();
  m_pGuiGraphics.reset();
}

const tagUserData* CBrisvaneView2D::GetUserInfo(WORD viewSeat) const {
  if (m_pFrameDlg == nullptr || viewSeat >= FRAME_CHAIR_COUNT) return nullptr;
  return m_pFrameDlg->GetUserData(m_pFrameDlg->SwitchChairID(viewSeat));
}

WORD CBrisvaneView2D::GetUserTimer(WORD viewSeat) const {
  if (m_pFrameDlg == nullptr || viewSeat >= FRAME_CHAIR_COUNT) return 0;
  return m_pFrameDlg->GetGameTimerSeconds(m_pFrameDlg->SwitchChairID(viewSeat));
}

void CBrisvaneView2D::UpdateGameView(const RECT* /*rect*/) { ++m_redrawRequests; }

void CBrisvaneView2D::DrawMatchScrollMessage() {}

void CBrisvaneView2D::PlaceFrameButtons(int width, int height) {
  if (m_pFrameButtons) m_pFrameButtons->Place(width, height);
}

bool CBrisvaneView2D::DrawGui() {
  if (!m_pGui) return false;
  return gcn::GuiGuard(__func__, [&] { m_pGui->draw(); });
}

bool CBrisvaneView2D::DrawGuiAbove(const gcn::Widget* layer, const gcn::Rectangle& area) {
  if (!m_pGui || !m_pGuiGraphics || !m_pGuiContainer || !m_pGuiContainer->isVisible()) return false;
  return gcn::GuiGuard(__func__, [&] {
    m_pGuiGraphics->setDamage(&area);
    m_pGuiGraphics->_beginDraw();
    m_pGuiGraphics->pushClipArea(m_pGuiContainer->getDimension());
    static_cast<CGuiTop*>(m_pGuiContainer.get())->DrawAfter(m_pGuiGraphics.get(), layer);
    m_pGuiGraphics->popClipArea();
    m_pGuiGraphics->_endDraw();
    m_pGuiGraphics->setDamage(nullptr);
  });
}

bool CBrisvaneView2D::GuiLogic() {
  if (!m_pGui) return false;
  // The container covers the screen, so widgets anywhere on it get the mouse.
  const int w = m_pHge->System_GetStateInt(HGE_SCREENWIDTH);
  const int h = m_pHge->System_GetStateInt(HGE_SCREENHEIGHT);
  return gcn::GuiGuard(__func__, [&] {
    if (m_pGuiContainer->getWidth() != w || m_pGuiContainer->getHeight() != h)
      m_pGuiContainer->setSize(w, h);
    m_pGui->logic();
  });
}
