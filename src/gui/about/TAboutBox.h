// The About box: the program's picture, name, version and support contacts.
// Modeless; closing it only hides it, and it keeps its place and its
// version text for the next showing.
#pragma once

#include <QDialog>
#include <memory>
#include <string>

#include "core/pictures/PictureKind.h"

namespace Ui {
class TAboutBox;
}
class QLabel;
class QPushButton;

class TAboutBox : public QDialog {
  Q_OBJECT

 public:
  // Lays the box out for the screen (designed at 120 pixels per inch with
  // text 16 pixels high). Created hidden.
  explicit TAboutBox(const ScreenMetrics& screen, QWidget* parent = nullptr);
  ~TAboutBox() override;

  // The caption of the label `Version`; the label takes the width of its text.
  void SetVersionText(const std::string& text);

  // Shows the box without making it modal, or brings it to the front when
  // it is open. The first showing centres it on the screen; later ones
  // show it where it was last.
  void ShowModeless();
  // The same with a new caption for `Version`, as the main window's About
  // button shows it.
  void ShowModeless(const std::string& versionText) {
    SetVersionText(versionText);
    ShowModeless();
  }

  // OKButton (also Enter): closes the box.
  void OKButtonClick();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::unique_ptr<Ui::TAboutBox> ui;
  bool Placed = false;
};
