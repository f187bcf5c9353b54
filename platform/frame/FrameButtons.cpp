#include "platform/frame/FrameButtons.h"

#include <algorithm>
#include <cmath>

#include "platform/frame/BrisvaneDlg.h"

namespace {

constexpr float kDesignWidth = 1280.0f;
constexpr float kDesignHeight = 720.0f;

std::unique_ptr<gcn::Image> LoadPicture(const char* path) {
  gcn::Image* image = nullptr;
  gcn::GuiGuard(__func__, [&] { image = gcn::Image::load(path, true); });
  return std::unique_ptr<gcn::Image>(image);
}

}  // namespace

// A round icon: the state's picture and nothing else (no caption, no frame, no focus).
class CFrameButtons::CIcon : public gcn::StateButton {
 public:
  CIcon() {
    setFrameSize(0);
    setFocusable(false);
  }
  void draw(gcn::Graphics* graphics) override { drawState(graphics, m_pPicture); }
  void SetPicture(const gcn::Image* picture) { m_pPicture = picture; }

 private:
  const gcn::Image* m_pPicture = nullptr;
};

CFrameButtons::CFrameButtons(gcn::Container& container, CBrisvaneDlg& dialog)
    : m_container(container), m_dialog(dialog) {
  m_pOptionsPicture = LoadPicture("Torvaly\\frame\\options.png");
  m_pSoundOnPicture = LoadPicture("Torvaly\\frame\\sound_on.png");
  m_pSoundOffPicture = LoadPicture("Torvaly\\frame\\sound_off.png");
  m_pOptions = std::make_unique<CIcon>();
  m_pOptions->SetPicture(m_pOptionsPicture.get());
  m_pOptions->setVisible(m_pOptionsPicture != nullptr);
  m_pSound = std::make_unique<CIcon>();
  m_pSound->setVisible(m_pSoundOnPicture != nullptr && m_pSoundOffPicture != nullptr);
  Refresh();
  for (CIcon* icon : {m_pOptions.get(), m_pSound.get()}) {
    icon->addActionListener(this);
    gcn::GuiGuard(__func__, [&] { m_container.add(icon); });
  }
}

CFrameButtons::~CFrameButtons() {
  for (CIcon* icon : {m_pOptions.get(), m_pSound.get()}) {
    if (icon->getParent() == &m_container) m_container.remove(icon);
  }
}

void CFrameButtons::Place(int width, int height) {
  // The table's letterbox: one scale, the content centred.
  const float s = std::clamp(std::min(static_cast<float>(width) / kDesignWidth,
                                      static_cast<float>(height) / kDesignHeight),
                             0.0f, 64.0f);
  const float offsetX = std::abs(static_cast<float>(width) - std::trunc(s * kDesignWidth)) / 2;
  const float offsetY = std::abs(static_cast<float>(height) - std::trunc(s * kDesignHeight)) / 2;
  const int size = static_cast<int>(ICON_SIZE * s);
  const int y = static_cast<int>(ICONS_Y * s + offsetY);
  m_pOptions->setDimension(
      gcn::Rectangle(static_cast<int>(OPTIONS_X * s + offsetX), y, size, size));
  m_pSound->setDimension(gcn::Rectangle(static_cast<int>(SOUND_X * s + offsetX), y, size, size));
}

void CFrameButtons::Refresh() {
  m_pSound->SetPicture(m_dialog.IsSoundSwitchedOn() ? m_pSoundOnPicture.get()
                                                    : m_pSoundOffPicture.get());
}

bool CFrameButtons::Covers(int x, int y) const {
  for (const CIcon* icon : {m_pOptions.get(), m_pSound.get()}) {
    if (icon->isVisible() && icon->getDimension().isPointInRect(x, y)) return true;
  }
  return false;
}

gcn::StateButton* CFrameButtons::OptionsButton() const { return m_pOptions.get(); }

gcn::StateButton* CFrameButtons::SoundButton() const { return m_pSound.get(); }

void CFrameButtons::action(const gcn::ActionEvent& event) {
  if (event.getSource() == m_pOptions.get()) m_dialog.ShowGameOptions();
  if (event.getSource() == m_pSound.get()) {
    m_dialog.SwitchSound(!m_dialog.IsSoundSwitchedOn());
    Refresh();
  }
}
