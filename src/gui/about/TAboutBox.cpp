#include "gui/about/TAboutBox.h"

#include <qdrawutil.h>
#include <QEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

#include "core/platform/LocalText.h"
#include "gui/about/AboutPicture.h"
#include "gui/common/WindowScaling.h"
#include "ui_TAboutBox.h"

namespace {
constexpr int WindowFontPixels = 14;
constexpr int ProductNameFontPixels = 27;
constexpr QSize DesignClientSize(514, 324);
}  // namespace

TAboutBox::TAboutBox(const ScreenMetrics& screen, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TAboutBox>()) {
  ui->setupUi(this);
  // A dialog border: fixed size, no minimise or maximise box.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

  const WindowScaling scaling(AboutDesignPixelsPerInch, AboutDesignTextHeight,
                              screen.PixelsPerInch);
  setFont(DesignFont(SansSerifFamily(), scaling.FontPixels(WindowFontPixels)));
  ui->ProductName->setFont(DesignFont(ComicFamily(), scaling.FontPixels(ProductNameFontPixels)));
  QPalette blue = ui->ProductName->palette();
  blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
  ui->ProductName->setPalette(blue);

  ScaleGeometry({ui->Panel1, ui->ProgramIcon, ui->ProductName, ui->Version, ui->Label1, ui->Label2,
                 ui->Label3, ui->OKButton},
                scaling);
  setFixedSize(scaling.Size(DesignClientSize));

  // The panel in the window's colour, its bevels painted over it.
  QPalette panel = ui->Panel1->palette();
  panel.setColor(QPalette::Window, panel.color(QPalette::Base));
  ui->Panel1->setPalette(panel);
  ui->Panel1->setAutoFillBackground(true);
  ui->Panel1->installEventFilter(this);

  ui->ProgramIcon->setPixmap(QPixmap::fromImage(AboutPicture()));
  SetVersionText("Version");

  ui->OKButton->setDefault(true);
  ui->OKButton->setFocus();
  connect(ui->OKButton, &QPushButton::clicked, this, [this] { OKButtonClick(); });
}

TAboutBox::~TAboutBox() = default;

void TAboutBox::SetVersionText(const std::string& text) {
  ui->Version->setText(FromLocal(text));
  ui->Version->resize(ui->Version->sizeHint());
}

void TAboutBox::ShowModeless() {
  if (!Placed) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen) {
      const QRect area = screen->availableGeometry();
      move(area.center() - QPoint(width() / 2, height() / 2));
    }
    Placed = true;
  }
  show();
  raise();
  activateWindow();
}

void TAboutBox::OKButtonClick() {
  close();
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ui->Panel1 && event->type() == QEvent::Paint) {
    // A lowered outer bevel around a raised inner one.
    QPainter painter(ui->Panel1);
    const QRect outer = ui->Panel1->rect();
    qDrawShadePanel(&painter, outer, ui->Panel1->palette(), true, 1);
    qDrawShadePanel(&painter, outer.adjusted(1, 1, -1, -1), ui->Panel1->palette(), false, 1);
    return true;
  }
  return QDialog::eventFilter(watched, event);
}
