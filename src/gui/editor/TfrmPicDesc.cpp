#include "gui/editor/TfrmPicDesc.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSignalBlocker>
#include <functional>
#include <limits>
#include <utility>

#include "core/folder/DescriptionFile.h"
#include "core/pictures/Picture.h"
#include "core/platform/Errors.h"
#include "core/platform/FileSystem.h"
#include "core/platform/LocalText.h"
#include "gui/common/WindowScaling.h"
#include "gui/editor/TImage.h"
#include "gui/editor/TMemo.h"
#include "ui_TfrmPicDesc.h"

namespace {

// The window as designed: client area, place on the screen, fonts.
constexpr QSize DesignClientSize(741, 447);
constexpr QPoint DesignPosition(11, 137);
constexpr int WindowFontPixels = 10;
constexpr int ControlFontPixels = 13;
constexpr int ButtonFontPixels = 15;
constexpr int MaxDescriptionBytes = 255;

QString ButtonFamily() {
  return QStringLiteral("Signboard");
}

// Hands every event of the application to a function first: the window's
// key preview. Kept apart from the window's own eventFilter, which would
// otherwise see the events of its watched controls twice.
class ApplicationEventHook : public QObject {
 public:
  explicit ApplicationEventHook(std::function<void(QObject*, QEvent*)> hook)
      : Hook(std::move(hook)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    Hook(watched, event);
    return false;  // the event goes on to its receiver untouched
  }

 private:
  std::function<void(QObject*, QEvent*)> Hook;
};

}  // namespace

TfrmPicDesc::TfrmPicDesc(PicDescState& state, const ScreenMetrics& screen, MessageBoxes& messages,
                         QWidget* parent)
    : QWidget(parent, Qt::Window),
      PicDesc(state),
      Screen(screen),
      Guard(messages),
      ui(std::make_unique<Ui::TfrmPicDesc>()) {
  ui->setupUi(this);

  const WindowScaling scaling(MainDesignPixelsPerInch, MainDesignTextHeight, Screen.PixelsPerInch);
  ApplyFonts(Screen.PixelsPerInch);
  ScaleGeometry(
      {ui->img1, ui->Label2, ui->lblPicNo, ui->Label4, ui->lblPicTot, ui->txtFileName, ui->Label3,
       ui->txtDimens, ui->memDesc, ui->Label1, ui->bntSave, ui->btnPgUp, ui->btnPgDn, ui->btnExit},
      scaling);
  // The captions and the counters are not of fixed size: each grows to its
  // text, never below its designed width.
  for (QLabel* label : {ui->Label2, ui->lblPicNo, ui->Label4, ui->lblPicTot, ui->Label3}) {
    label->setMinimumWidth(label->width());
    SizeToText(label);
  }
  // Designed smaller than its controls (the window is normally shown
  // maximized): restored, it shows them all, the picture area included.
  resize(EnclosingClientSize(scaling.Size(DesignClientSize), *this));
  setMinimumSize(ControlsExtent(*this));
  move(DesignPosition);
  KeepFrameOnWholePixels(ui->memDesc);

  ui->img1->SetScreen(Screen);
  ui->memDesc->SetMaxBytes(MaxDescriptionBytes);
  ui->txtFileName->setMaxLength(std::numeric_limits<int>::max());
  // No button is the default: Enter in the name box does nothing.
  for (QPushButton* button : {ui->bntSave, ui->btnPgUp, ui->btnPgDn, ui->btnExit}) {
    button->setAutoDefault(false);
    button->setDefault(false);
  }
  ui->memDesc->setFocus();

  ui->txtFileName->installEventFilter(this);
  KeyPreview = std::make_unique<ApplicationEventHook>([this](QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyRelease) return;
    const auto& key = static_cast<const QKeyEvent&>(*event);
    if (IsKeyReleaseForThisWindow(watched, key)) FormKeyUp(key.key());
  });

  connect(ui->memDesc, &QPlainTextEdit::textChanged, this, [this] { memDescChange(); });
  connect(ui->bntSave, &QPushButton::clicked, this, [this] { btnSaveClick(); });
  connect(ui->btnPgUp, &QPushButton::clicked, this, [this] { btnPgUpClick(); });
  connect(ui->btnPgDn, &QPushButton::clicked, this, [this] { btnPgDnClick(); });
  connect(ui->btnExit, &QPushButton::clicked, this, [this] { btnExitClick(); });
}

TfrmPicDesc::~TfrmPicDesc() {
  if (qApp) qApp->removeEventFilter(KeyPreview.get());
}

void TfrmPicDesc::ApplyFonts(int pixelsPerInch) {
  const WindowScaling scaling(MainDesignPixelsPerInch, MainDesignTextHeight, pixelsPerInch);
  setFont(DesignFont(SansSerifFamily(), scaling.FontPixels(WindowFontPixels)));
  for (QWidget* control :
       {static_cast<QWidget*>(ui->Label1), static_cast<QWidget*>(ui->Label2),
        static_cast<QWidget*>(ui->Label3), static_cast<QWidget*>(ui->Label4),
        static_cast<QWidget*>(ui->lblPicNo), static_cast<QWidget*>(ui->lblPicTot),
        static_cast<QWidget*>(ui->txtFileName), static_cast<QWidget*>(ui->memDesc)})
    control->setFont(DesignFont(SansSerifFamily(), scaling.FontPixels(ControlFontPixels)));
  for (QPushButton* button : {ui->bntSave, ui->btnPgUp, ui->btnPgDn, ui->btnExit}) {
    button->setFont(DesignFont(ButtonFamily(), scaling.FontPixels(ButtonFontPixels)));
    QPalette blue = button->palette();
    blue.setColor(QPalette::ButtonText, QColor(0, 0, 255));
    button->setPalette(blue);
  }
}

void TfrmPicDesc::ShowModal(MainState& main) {
  Bind(main);
  if (isVisible()) {
    raise();
    activateWindow();
    return;
  }
  // Centred for when the user restores it from maximized.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
  }
  setWindowModality(Qt::ApplicationModal);
  QEventLoop loop;
  Loop = &loop;
  showMaximized();
  if (isVisible()) loop.exec(QEventLoop::DialogExec);
  Loop = nullptr;
}

bool TfrmPicDesc::HavePicture() const {
  return Main != nullptr && PicDesc.CurrentPicture >= 1 &&
         PicDesc.CurrentPicture <= Main->Table.PictureCount();
}

void TfrmPicDesc::ClearDisplay() {
  ui->lblPicNo->clear();
  ui->lblPicTot->clear();
  SizeToText(ui->lblPicNo);
  SizeToText(ui->lblPicTot);
  ui->txtFileName->clear();
  ui->img1->Clear();
  ui->img1->resize(0, 0);
  const QSignalBlocker quiet(ui->memDesc);
  ui->memDesc->clear();
}

// Shows picture n (from 1). A file that is no valid picture of its kind is
// shown as an empty picture area; any other load failure ends the display
// here: the counters and the name show picture n, the picture area and the
// memo still the picture shown before.
void TfrmPicDesc::ShowPicture(int n) {
  if (Main == nullptr || n < 1 || n > Main->Table.PictureCount()) return;
  const PictureEntry& entry = Main->Table.Entries[static_cast<std::size_t>(n - 1)];
  if (entry.Hidden != 0) return;

  ui->lblPicNo->setText(QString::number(n));
  ui->lblPicTot->setText(QString::number(Main->Table.PictureCount()));
  SizeToText(ui->lblPicNo);
  SizeToText(ui->lblPicTot);
  ui->txtFileName->setText(FromLocal(entry.NameText()));

  // img1 keeps its own copy of the file's bytes: a load that fails with
  // another error leaves it showing the previous picture. The error box
  // names the file.
  Picture picture;
  try {
    NamingPath(JoinPath(Main->PictureDirectory, entry.NameText()), [&] {
      picture.LoadFromFile(Main->PictureDirectory, entry.NameText(), Screen, Main->AllPictureKinds);
    });
  } catch (const EInvalidGraphic&) {
    picture.Clear();
  }
  const FittedSize fitted = FitPicture(picture.Width(), picture.Height());
  if (picture.HasImage())
    ui->img1->SetPicture(picture.Kind(), picture.Data(), QSize(picture.Width(), picture.Height()));
  else
    ui->img1->Clear();
  ui->img1->SetStretch(fitted.Stretch);
  ui->img1->resize(fitted.Width, fitted.Height);

  ui->txtDimens->setText(
      QStringLiteral("Dimensions: %1 X %2").arg(fitted.Width).arg(fitted.Height));
  ui->txtDimens->hide();

  // Showing a description is no edit of it: the memo's change signal is
  // held back, so only the user's typing marks the description as changed.
  const QSignalBlocker quiet(ui->memDesc);
  ui->memDesc->clear();
  ui->memDesc->SetStoredText(entry.DescriptionText());
}

void TfrmPicDesc::SaveDescriptions() {
  // Never from an empty table: the rewrite would erase the folder's file.
  if (!HavePicture()) return;
  NamingPath(Main->DescriptionFile, [&] {
    ::SaveDescriptions(Main->Table, Main->DescriptionFile, ui->memDesc->StoredText(),
                       PicDesc.CurrentPicture);
  });
  PicDesc.DescriptionsDirty = false;
}

void TfrmPicDesc::NextPicture() {
  if (!HavePicture()) return;
  if (PicDesc.DescriptionsDirty) SaveDescriptions();
  if (PicDesc.CurrentPicture < Main->Table.PictureCount()) {
    ++PicDesc.CurrentPicture;
    ShowPicture(PicDesc.CurrentPicture);
  } else {
    Guard.Boxes().ShowInformationDialog("We are at the last image");
  }
}

void TfrmPicDesc::PreviousPicture() {
  if (!HavePicture()) return;
  if (PicDesc.DescriptionsDirty) SaveDescriptions();
  if (PicDesc.CurrentPicture > 1) {
    --PicDesc.CurrentPicture;
    ShowPicture(PicDesc.CurrentPicture);
  } else {
    Guard.Boxes().ShowInformationDialog("We are at the first image");
  }
}

// Carries out the rename that leaving the name box prepared, once. A name
// that is not a plain name of the folder, an existing name (in any letter
// case) or a vanished file is reported; the command that called this goes
// on either way.
void TfrmPicDesc::ApplyPendingRename() {
  if (Main == nullptr) {
    PicDesc.RenamePending = false;
    return;
  }
  const RenameOutcome outcome = ::ApplyPendingRename(PicDesc, Main->Table, Main->PictureDirectory);
  if (outcome.Result == RenameOutcome::Renamed) {
    ui->txtFileName->setText(FromLocal(PicDesc.RenameToName));
    // The main window's file list still holds the old name.
    Main->PictureRenamed = true;
  } else if (outcome.Result == RenameOutcome::Failed) {
    Guard.Boxes().ShowPlainMessage(outcome.Message);
    ui->txtFileName->setFocus(Qt::OtherFocusReason);
  }
}

void TfrmPicDesc::FormShow() {
  Guard.Run([&] {
    if (Main == nullptr || Main->Table.PictureCount() == 0) {
      ClearDisplay();
      return;
    }
    PicDesc.CurrentPicture = 1;
    ShowPicture(1);
  });
}

void TfrmPicDesc::FormKeyUp(int key) {
  Guard.Run([&] {
    if (key == Qt::Key_PageUp) {
      ApplyPendingRename();
      PreviousPicture();
    } else if (key == Qt::Key_PageDown) {
      ApplyPendingRename();
      NextPicture();
    }
  });
}

void TfrmPicDesc::memDescChange() {
  Guard.Run([&] {
    if (HavePicture()) PicDesc.DescriptionsDirty = true;
  });
}

void TfrmPicDesc::txtFileNameExit() {
  Guard.Run([&] {
    PicDesc.RenamePending = false;
    if (!HavePicture()) return;
    const PictureEntry& entry =
        Main->Table.Entries[static_cast<std::size_t>(PicDesc.CurrentPicture - 1)];
    PrepareRename(PicDesc, Main->PictureDirectory, entry.NameText(),
                  ToLocal(ui->txtFileName->text()));
  });
}

void TfrmPicDesc::btnPgUpClick() {
  Guard.Run([&] {
    ApplyPendingRename();
    PreviousPicture();
  });
}

void TfrmPicDesc::btnPgDnClick() {
  Guard.Run([&] {
    ApplyPendingRename();
    NextPicture();
  });
}

void TfrmPicDesc::btnSaveClick() {
  Guard.Run([&] {
    ApplyPendingRename();
    SaveDescriptions();
  });
}

void TfrmPicDesc::btnExitClick() {
  Guard.Run([&] {
    ApplyPendingRename();
    if (PicDesc.DescriptionsDirty) SaveDescriptions();
    close();
  });
}

// The key preview: a PageUp or PageDown release reaches the window's key
// handler first, whichever control has the focus. A key event is delivered
// to the focused control (the window when none has the focus) and then,
// when ignored, to its parents: only that first delivery counts, so a
// release moves one picture. The releases of a held key's repetition do not
// count either.
bool TfrmPicDesc::IsKeyReleaseForThisWindow(QObject* watched, const QKeyEvent& key) const {
  if (key.key() != Qt::Key_PageUp && key.key() != Qt::Key_PageDown) return false;
  if (key.isAutoRepeat() || !isVisible()) return false;
  const QWidget* target = focusWidget() != nullptr ? focusWidget() : this;
  return watched == target;
}

// Leaving the name box for another control of the window prepares a rename;
// the window losing the focus to another window (a message box, another
// program) or to a pop-up menu does not.
bool TfrmPicDesc::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ui->txtFileName && event->type() == QEvent::FocusOut) {
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) txtFileNameExit();
  }
  return QWidget::eventFilter(watched, event);
}

void TfrmPicDesc::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // The focused control shows its focus from the start, not only after a
  // Tab (showing a window clears the mark that lets the style draw it).
  setAttribute(Qt::WA_KeyboardFocusChange);
  if (event->spontaneous()) return;  // restored from minimized: no new opening
  qApp->installEventFilter(KeyPreview.get());
  FormShow();
  // Every opening starts in the description box, where the user writes: the
  // control that had the focus when the window closed (Exit, the name box)
  // would otherwise take the first keys. The name box already shows picture
  // 1's name, so leaving it prepares no rename.
  ui->memDesc->setFocus(Qt::OtherFocusReason);
}

void TfrmPicDesc::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  if (event->spontaneous()) return;  // minimized
  qApp->removeEventFilter(KeyPreview.get());
  if (Loop) Loop->quit();
}

// Closing by the window's own close command keeps nothing of the session
// that was not saved: the memo's unsaved text is lost, and with it the mark
// that it changed, and a prepared rename is dropped, so that it can never be
// carried out later on whatever picture is shown then. Exit has applied and
// saved both before it closes.
void TfrmPicDesc::closeEvent(QCloseEvent* event) {
  PicDesc.RenamePending = false;
  PicDesc.DescriptionsDirty = false;
  QWidget::closeEvent(event);
}
