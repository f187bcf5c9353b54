// gcn::MyCButtonEx: the image button of the table and of the options window. A Guichan button
// (its mouse, key and focus behaviour unchanged: the action event goes to the listeners when
// the mouse is released over the pressed button) whose whole look is one image of four equally
// wide state pictures side by side: 0 normal, 1 pressed, 2 mouse over, 3 disabled
// (gcn::StateButton, platform/gui/StateButton.h).
//
// The button owns its image. A button made from an image is sized (image width / 4, image
// height); one without image (or whose file did not load) is 0 x 0 and draws nothing until an
// owner sets an image or a size. A button resized by its owner stretches its state picture over
// its whole area. The caption, if any, is drawn over the picture in the text colour with the
// widget's font, one pixel down and right while pressed.
#pragma once

#include <memory>
#include <string>

#include "platform/gui/StateButton.h"

namespace gcn {

class MyCButtonEx : public StateButton {
 public:
  MyCButtonEx();
  explicit MyCButtonEx(const std::string& imagePath);  // loaded with Image::load(path, true)
  explicit MyCButtonEx(Image* image);                  // adopted
  ~MyCButtonEx() override;

  // Both delete the current image, take the new one and resize to (width / 4, height);
  // without an image the button becomes 0 x 0.
  void setImage(const std::string& imagePath);
  void setImage(Image* image);
  Image* getImage() const { return mImage.get(); }

  void setTextColor(const Color& color) { mTextColor = color; }
  const Color& getTextColor() const { return mTextColor; }

  void SetVisible(bool visible) { setVisible(visible); }
  void SetEnable(bool enable) { setEnabled(enable); }

  void draw(Graphics* graphics) override;

 private:
  static Image* LoadImage(const std::string& path);
  void adoptImage(Image* image);

  std::unique_ptr<Image> mImage;
  Color mTextColor;
};

}  // namespace gcn
