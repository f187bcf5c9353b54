#include "platform/frame/FrameButtons.h"

#include <functional>
#include <utility>

#include "platform/frame/BrisvaneDlg.h"
#include "platform/frame/Letterbox.h"

namespace {

std::unique_ptr<gcn::Image> LoadPicture(const char* path) {
  gcn::Image* image = nullptr;
  gcn::GuiGuard(__func__, [&] { image = gcn::Image::load(path, true); });
  return std::unique_ptr<gcn::Image>(image);
}

}  // namespace

// A round icon: the state's picture and nothing else (no caption, no frame, no focus). The
// picture is asked for at each drawing, so the speaker always shows the switch as it is, however
// it was switched (the icon, F3, the options window).
class CFrameButtons::CIcon : public gcn::StateButton {
 public:
  explicit CIcon(std::function<const gcn::Image*()> picture) : m_picture(std::move(picture)) {
    setFrameSize(0);
    setFocusable(false);
  }
  void draw(gcn::Graphics* graphics) override { drawState(graphics, m_picture()); }

 private:
  std::function<const gcn::Image*()> m_picture;
};

CFrameButtons::CFrameButtons(gcn::Container& container, CBrisvaneDlg& dialog)
    : m_container(container), m_dialog(dialog) {
  m_pOptionsPicture = LoadPicture("Torvaly\\frame\\options.png");
  m_pSoundOnPicture = LoadPicture("Torvaly\\frame\\sound_on.png");
  m_pSoundOffPicture = LoadPicture("Torvaly\\frame\\sound_off.png");
  m_pOptions = std::make_unique<CIcon>([this] { return m_pOptionsPicture.get(); });
  m_pOptions->setVisible(m_pOptionsPicture != nullptr);
  m_pSound = std::make_unique<CIcon>([this] {
    return m_dialog.IsSoundSwitchedOn() ? m_pSoundOnPicture.get() : m_pSoundOffPicture.get();
  });
  m_pSound->setVisible(m_pSoundOnPicture != nullptr && m_pSoundOffPicture != nullptr);
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
  const tagLetterbox fit = FitTable(width, height);
  const float s = fit.scale;
  const int size = static_cast<int>(ICON_SIZE * s);
  const int y = static_cast<int>(ICONS_Y * s + fit.offsetY);
  m_pOptions->setDimension(
      gcn::Rectangle(static_cast<int>(OPTIONS_X * s + fit.offsetX), y, size, size));
  m_pSound->setDimension(
      gcn::Rectangle(static_cast<int>(SOUND_X * s + fit.offsetX), y, size, size));
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
  }
}
