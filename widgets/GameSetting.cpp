#include "widgets/GameSetting.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "text/GuiFont.h"
#include "widgets/MyCButtonEx.h"

namespace {

constexpr int kBoxX = 30;
constexpr int kBoxY[CGameSetting::BOX_COUNT] = {67, 89, 111, 133, 155};
constexpr int kBoxSize = 16;
constexpr int kInitialSpacingItem = 2;
const gcn::Rectangle kSpacingField(95, 212, 60, 17);
// The bots' level: a row of its own between the boxes and the spacing, its field in the
// spacing's column and its label at the boxes' labels' left edge, in their cream.
const gcn::Rectangle kLevelField(95, 183, 60, 17);
constexpr int kLevelLabelX = 30;
const gcn::Color kLabelColor(0xF2, 0xE2, 0xB8);
// Until a background sets it, the window is just large enough for its controls.
constexpr int kDefaultWidth = 330;
constexpr int kDefaultHeight = 300;
// The controls in the colours of the window's art: cream fields, dark brown marks and text,
// a gold selection.
const gcn::Color kFieldColor(0xF6, 0xEC, 0xD2);
const gcn::Color kMarkColor(0x4A, 0x22, 0x0C);
const gcn::Color kFrameColor(0x8A, 0x5A, 0x2A);
const gcn::Color kSelectionColor(0xE8, 0xB8, 0x48);

void Paint(gcn::Widget& widget) {
  widget.setBaseColor(kFrameColor);
  widget.setBackgroundColor(kFieldColor);
  widget.setForegroundColor(kMarkColor);
  widget.setSelectionColor(kSelectionColor);
}

constexpr int kListed[DemoListModel::kCount] = {18, 19, 20, 21, 22, 23,
                                                24, 25, 26, 27, 28, CARD_SPACING_DEFAULT};

// A drop-down in the window's colours and font, `field` high at least as the font.
void PlaceDropDown(gcn::DropDown& dropDown, gcn::ListBox& list, gcn::ScrollArea& scroll,
                   gcn::Font* font, const gcn::Rectangle& field) {
  scroll.setHorizontalScrollPolicy(gcn::ScrollArea::SHOW_NEVER);
  scroll.setVerticalScrollPolicy(gcn::ScrollArea::SHOW_ALWAYS);
  // The open list is drawn by the list box and its scroll area, which take neither the font
  // nor the colours from the drop-down.
  for (gcn::Widget* part : {static_cast<gcn::Widget*>(&list), static_cast<gcn::Widget*>(&scroll)}) {
    part->setFont(font);
    Paint(*part);
  }
  dropDown.setFont(font);
  Paint(dropDown);
  // A font taller than the field makes the field taller about the same centre, so the text is
  // not cut off by its border.
  const int fieldHeight = std::max(field.height, font->getHeight() + 2);
  dropDown.setDimension(gcn::Rectangle(field.x, field.y - (fieldHeight - field.height) / 2,
                                       field.width, fieldHeight));
}

}  // namespace

std::string BotLevelListModel::getElementAt(int i) {
  static const char* const kNames[BOT_LEVEL_COUNT] = {"简单", "普通", "高手"};
  return i >= 0 && i < BOT_LEVEL_COUNT ? kNames[i] : "";
}

void DemoListModel::SetHeld(int spacing) {
  m_hasHeld = true;
  m_held = spacing;
  for (int listed : kListed) {
    if (listed == spacing) m_hasHeld = false;
  }
}

std::string DemoListModel::getElementAt(int i) {
  if (i >= 0 && i < kCount) return std::to_string(kListed[i]);
  if (i == kCount && m_hasHeld) return std::to_string(m_held);
  return "选择牌间距";
}

CGameSetting::CGameSetting(CWnd* owner) : m_pOwner(owner) {
  setFrameSize(0);
  setPadding(0);
  setTitleBarHeight(0);
  setMovable(true);
  setSize(kDefaultWidth, kDefaultHeight);
  setVisible(false);

  const BYTE* values[BOX_COUNT] = {&m_cbMusic, &m_cbGameSound, &m_cbSeatOrder, &m_cbAllowLookon,
                                   &m_cbAnimation};
  for (int i = 0; i < BOX_COUNT; ++i) {
    m_pBoxes[i] = std::make_unique<gcn::CheckBox>();
    m_pBoxes[i]->setDimension(gcn::Rectangle(kBoxX, kBoxY[i], kBoxSize, kBoxSize));
    m_pBoxes[i]->setSelected(*values[i] != 0);
    Paint(*m_pBoxes[i]);
    m_pBoxes[i]->addActionListener(this);
    add(m_pBoxes[i].get());
  }

  m_pFont = std::make_unique<gcn::HGEImageFont>("宋体", 15, 1, 0, 1);
  m_pListModel = std::make_unique<DemoListModel>();
  m_pListBox = std::make_unique<gcn::ListBox>();
  m_pScrollArea = std::make_unique<gcn::ScrollArea>();
  m_pDropDown =
      std::make_unique<gcn::DropDown>(m_pListModel.get(), m_pScrollArea.get(), m_pListBox.get());
  PlaceDropDown(*m_pDropDown, *m_pListBox, *m_pScrollArea, m_pFont.get(), kSpacingField);
  m_pDropDown->setSelected(kInitialSpacingItem);
  m_pDropDown->addActionListener(this);
  add(m_pDropDown.get());

  m_pLevelModel = std::make_unique<BotLevelListModel>();
  m_pLevelListBox = std::make_unique<gcn::ListBox>();
  m_pLevelScrollArea = std::make_unique<gcn::ScrollArea>();
  m_pLevelDropDown = std::make_unique<gcn::DropDown>(m_pLevelModel.get(), m_pLevelScrollArea.get(),
                                                     m_pLevelListBox.get());
  PlaceDropDown(*m_pLevelDropDown, *m_pLevelListBox, *m_pLevelScrollArea, m_pFont.get(),
                kLevelField);
  // Its three levels always fit the open list: no scroll bar beside them.
  m_pLevelScrollArea->setVerticalScrollPolicy(gcn::ScrollArea::SHOW_AUTO);
  m_pLevelDropDown->setSelected(m_nBotLevel);
  m_pLevelDropDown->addActionListener(this);
  m_pLevelLabel = std::make_unique<gcn::Label>("机器人");
  m_pLevelLabel->setFont(m_pFont.get());
  m_pLevelLabel->setForegroundColor(kLabelColor);
  m_pLevelLabel->adjustSize();
  const gcn::Rectangle& level = m_pLevelDropDown->getDimension();
  m_pLevelLabel->setPosition(kLevelLabelX,
                             level.y + (level.height - m_pLevelLabel->getHeight()) / 2);
  add(m_pLevelLabel.get());
  add(m_pLevelDropDown.get());

  m_pCancel = std::make_unique<gcn::MyCButtonEx>("Torvaly\\gameOption\\buttonCancle.png");
  m_pCancel->setPosition(177, 250);
  m_pCancel->addActionListener(this);
  add(m_pCancel.get());
  m_pOk = std::make_unique<gcn::MyCButtonEx>("Torvaly\\gameOption\\buttonOk.png");
  m_pOk->setPosition(77, 250);
  m_pOk->addActionListener(this);
  add(m_pOk.get());
}

CGameSetting::~CGameSetting() {
  // The children leave the window before they go; the members then go in reverse order.
  clear();
  SetBackground(nullptr);
}

bool CGameSetting::LoadBackground(const std::string& path) {
  gcn::Image* image = nullptr;
  gcn::GuiGuard(__func__, [&] { image = gcn::Image::load(path, true); });
  if (image == nullptr) return false;
  SetBackground(image);
  m_pBackground.reset(image);
  setSize(image->getWidth(), image->getHeight());
  return true;
}

gcn::CheckBox* CGameSetting::GetCheckBox(int index) const {
  return index >= 0 && index < BOX_COUNT ? m_pBoxes[index].get() : nullptr;
}

BYTE* CGameSetting::ValueOf(int box) {
  switch (box) {
    case BOX_MUSIC:
      return &m_cbMusic;
    case BOX_GAME_SOUND:
      return &m_cbGameSound;
    case BOX_SEAT_ORDER:
      return &m_cbSeatOrder;
    case BOX_ALLOW_LOOKON:
      return &m_cbAllowLookon;
    case BOX_ANIMATION:
      return &m_cbAnimation;
    default:
      return nullptr;
  }
}

void CGameSetting::RefreshControls() {
  for (int i = 0; i < BOX_COUNT; ++i) m_pBoxes[i]->setSelected(*ValueOf(i) != 0);
  // The held spacing is always an item: a listed one, or the extra one after them.
  m_pListModel->SetHeld(m_nCardSpacing);
  int item = 0;
  for (int i = 0; i < m_pListModel->getNumberOfElements(); ++i) {
    if (std::atoi(m_pListModel->getElementAt(i).c_str()) == m_nCardSpacing) {
      item = i;
      break;
    }
  }
  m_pDropDown->setSelected(item);
  m_pLevelDropDown->setSelected(m_nBotLevel);
}

void CGameSetting::Post(UINT message, WPARAM wParam, LPARAM lParam) {
  if (m_pOwner != nullptr) m_pOwner->PostMessage(message, wParam, lParam);
}

void CGameSetting::ApplyOptions() {
  Post(MSG_OPTION_CARD_SPACING, MSG_OPTION_CARD_SPACING, m_nCardSpacing);
  Post(MSG_OPTION_MUSIC, MSG_OPTION_MUSIC, m_cbMusic);
  Post(MSG_OPTION_GAME_SOUND, MSG_OPTION_GAME_SOUND, m_cbGameSound);
  Post(MSG_OPTION_ANIMATION, MSG_OPTION_ANIMATION, m_cbAnimation);
  Post(MSG_OPTION_SEAT_ORDER, MSG_OPTION_SEAT_ORDER, m_cbSeatOrder);
  Post(MSG_OPTION_ALLOW_LOOKON, MSG_OPTION_ALLOW_LOOKON, m_cbAllowLookon);
  Post(MSG_OPTION_BOT_LEVEL, MSG_OPTION_BOT_LEVEL, m_nBotLevel);
  Post(MSG_OPTION_CONFIRM, MSG_OPTION_CONFIRM, 0);
}

void CGameSetting::action(const gcn::ActionEvent& event) {
  gcn::Widget* source = event.getSource();
  if (source == m_pDropDown.get()) {
    m_nCardSpacing = std::atoi(m_pListModel->getElementAt(m_pDropDown->getSelected()).c_str());
    return;
  }
  if (source == m_pLevelDropDown.get()) {
    SetBotLevel(m_pLevelDropDown->getSelected());
    return;
  }
  for (int i = 0; i < BOX_COUNT; ++i) {
    if (source == m_pBoxes[i].get()) {
      *ValueOf(i) = m_pBoxes[i]->isSelected() ? 1 : 0;
      return;
    }
  }
  if (source == m_pOk.get()) {
    ApplyOptions();
  } else if (source == m_pCancel.get()) {
    Post(MSG_OPTION_CLOSE, MSG_OPTION_CLOSE, 0);
  }
}

void CGameSetting::mousePressed(gcn::MouseEvent& mouseEvent) {
  gcn::Window::mousePressed(mouseEvent);
  // Any point of the background holds the window, not only a title bar.
  if (mouseEvent.getSource() == this) mMoved = isMovable();
}

void CGameSetting::mouseDragged(gcn::MouseEvent& mouseEvent) {
  gcn::Window::mouseDragged(mouseEvent);
  gcn::Widget* parent = getParent();
  if (parent == nullptr) return;
  const gcn::Rectangle area = parent->getChildrenArea();
  int x = getX();
  int y = getY();
  if (x > area.width - getWidth()) x = area.width - getWidth();
  if (y > area.height - getHeight()) y = area.height - getHeight();
  if (x < 0) x = 0;
  if (y < 0) y = 0;
  if (x != getX() || y != getY()) setPosition(x, y);
}
