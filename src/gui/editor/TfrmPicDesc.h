// The description editor: shows the pictures of the image table one at a
// time with their counters, file names and descriptions, lets the user
// write a description for each, rename picture files, and page through the
// pictures with two buttons or the PageUp and PageDown keys. It works on the
// main window's image table in place and keeps its own state (the shown
// picture, unsaved edits, a prepared rename) from one opening to the next.
#pragma once

#include <QWidget>
#include <memory>
#include <string>

#include "core/editor/PicDescState.h"
#include "core/folder/MainState.h"
#include "core/shell/EventGuard.h"

namespace Ui {
class TfrmPicDesc;
}
class QEventLoop;
class QKeyEvent;

class TfrmPicDesc : public QWidget {
  Q_OBJECT

 public:
  // Creates the window hidden, laid out for screen (designed at 96 pixels
  // per inch, text 13 pixels high). A parent makes it a window of its own
  // that stays in front of the parent.
  TfrmPicDesc(PicDescState& state, const ScreenMetrics& screen, MessageBoxes& messages,
              QWidget* parent = nullptr);
  ~TfrmPicDesc() override;

  // Opens the editor on the main window's state: modal for the whole
  // program, maximized, centred on the screen for when it is restored.
  // Returns when the window is closed.
  void ShowModal(MainState& main);

  // The main window's state the editor works on, without opening it; show()
  // then opens it without making it modal.
  void Bind(MainState& main) { Main = &main; }

  // The operations. They raise errors; the handlers below show them.
  void ShowPicture(int n);
  void NextPicture();
  void PreviousPicture();
  void ApplyPendingRename();
  void SaveDescriptions();

  // The event handlers. Each runs its body through the guard: an error is
  // shown in the error box and ends the handler, never the program.
  void FormShow();
  void FormKeyUp(int key);  // a Qt::Key released
  void memDescChange();
  void txtFileNameExit();
  void btnPgUpClick();
  void btnPgDnClick();
  void btnSaveClick();
  void btnExitClick();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void ApplyFonts(int pixelsPerInch);
  // A picture of the table is shown; false while the table is empty, when
  // none of the commands may touch the table or its file.
  bool HavePicture() const;
  void ClearDisplay();
  bool IsKeyReleaseForThisWindow(QObject* watched, const QKeyEvent& key) const;

  PicDescState& PicDesc;
  ScreenMetrics Screen;
  EventGuard Guard;
  std::unique_ptr<Ui::TfrmPicDesc> ui;
  MainState* Main = nullptr;
  QEventLoop* Loop = nullptr;  // the running modal loop of ShowModal
  // Installed on the application while the window is shown: the key
  // preview that hands PageUp and PageDown releases to FormKeyUp.
  std::unique_ptr<QObject> KeyPreview;
};
