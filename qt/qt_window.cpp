#include "qt/qt_window.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>
#include <QScreen>
#include <cmath>

namespace elprops::platform {
namespace {

constexpr double kTwipsPerInch = 1440.0;

// The window's fonts are Windows families. Where they are absent, prefer the
// metric-compatible free families, so that texts take the room they were
// laid out for; fontconfig picks any other substitute after these.
void PreferMetricCompatibleFonts() {
  static const bool done = [] {
    const QStringList sans{QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"), QStringLiteral("DejaVu Sans")};
    QFont::insertSubstitutions(QStringLiteral("Microsoft Sans Serif"), sans);
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), sans);
    QFont::insertSubstitutions(
        QStringLiteral("Times New Roman"),
        {QStringLiteral("Liberation Serif"), QStringLiteral("Tinos"), QStringLiteral("DejaVu Serif")});
    QFont::insertSubstitutions(QStringLiteral("Courier"), {QStringLiteral("Liberation Mono"), QStringLiteral("Cousine"),
                                                           QStringLiteral("DejaVu Sans Mono")});
    return true;
  }();
  static_cast<void>(done);
}

QFont ControlFont(const char* family, double points, bool italic = false) {
  QFont font(QString::fromLatin1(family));
  font.setPointSizeF(points);
  font.setWeight(QFont::Normal);
  font.setItalic(italic);
  return font;
}

void SetColours(QWidget* widget, const QColor* background, const QColor& text) {
  QPalette palette = widget->palette();
  if (background != nullptr) {
    palette.setColor(QPalette::Window, *background);
    palette.setColor(QPalette::Base, *background);
    palette.setColor(QPalette::Button, *background);
    widget->setAutoFillBackground(true);
  }
  palette.setColor(QPalette::WindowText, text);
  palette.setColor(QPalette::Text, text);
  palette.setColor(QPalette::ButtonText, text);
  widget->setPalette(palette);
}

QLabel* MakeLabel(QWidget* parent, const char* name, QFont font) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setFont(font);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setWordWrap(true);
  label->setTextFormat(Qt::PlainText);
  label->setFocusPolicy(Qt::NoFocus);
  return label;
}

}  // namespace

int TwipsToPixels(int twips, double dotsPerInch) {
  return static_cast<int>(std::lround(twips * dotsPerInch / kTwipsPerInch));
}

int PixelsToTwips(int pixels, double dotsPerInch) {
  return static_cast<int>(std::lround(pixels * kTwipsPerInch / dotsPerInch));
}

void SubstanceList::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      emit keyPressed(13);
      event->accept();
      return;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End: {
      const int before = currentRow();
      const bool hadSelection = !selectedItems().isEmpty();
      QListWidget::keyPressEvent(event);
      const bool moved = currentRow() != before || !hadSelection;
      if (moved && !selectedItems().isEmpty()) emit listClicked();
      return;
    }
    default:
      break;
  }
  const QString text = event->text();
  if (text.size() == 1 && text.at(0).unicode() >= 32) {
    emit keyPressed(text.at(0).unicode());
    event->accept();
    return;
  }
  event->ignore();
}

void SubstanceList::keyboardSearch(const QString& search) { static_cast<void>(search); }

void SubstanceList::mouseReleaseEvent(QMouseEvent* event) {
  QListWidget::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && itemAt(event->position().toPoint()) != nullptr) emit listClicked();
}

MainWindow::MainWindow() {
  PreferMetricCompatibleFonts();
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("Физико-химические свойства растворов электролитов"));
  setFont(ControlFont("Courier", 9.75));
  {
    // The system's 3D-light colour.
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Midlight));
    setPalette(palette);
    setAutoFillBackground(true);
  }

  endButton_ = new QPushButton(QStringLiteral("Окончание работы с программой"), this);
  endButton_->setObjectName(QStringLiteral("Command1"));
  endButton_->setFont(ControlFont("MS Sans Serif", 9.75));
  endButton_->setAutoDefault(true);  // Enter presses the button that has the focus
  {
    const QColor face(236, 117, 236);
    SetColours(endButton_, &face, QColor(0, 0, 0));
  }

  substanceList_ = new SubstanceList(this);
  substanceList_->setObjectName(QStringLiteral("List1"));
  substanceList_->setFont(ControlFont("Times New Roman", 8.25));
  substanceList_->setSelectionMode(QAbstractItemView::SingleSelection);
  substanceList_->setSortingEnabled(false);
  {
    const QColor yellow(255, 255, 0);
    SetColours(substanceList_, &yellow, QColor(0, 0, 255));
  }

  instructionLabel_ = MakeLabel(this, "Label1", ControlFont("Microsoft Sans Serif", 9.75));
  {
    const QColor red(255, 0, 0);
    SetColours(instructionLabel_, &red, QColor(255, 255, 255));
  }
  inputsLabel_ = MakeLabel(this, "Label2", ControlFont("MS Sans Serif", 8.25));
  SetColours(inputsLabel_, nullptr, QColor(0, 0, 192));
  resultsLabel_ = MakeLabel(this, "Label3", ControlFont("MS Sans Serif", 8.25));
  SetColours(resultsLabel_, nullptr, QColor(192, 0, 0));
  creditLabel_ = MakeLabel(this, "Label4", ControlFont("Times New Roman", 12, true));
  SetColours(creditLabel_, nullptr, QColor(0, 0, 192));
  creditLabel_->setText(QString::fromUtf8(CreditCaption()));

  PlaceControl(substanceList_, 3840, 840, 3615, 4050);
  PlaceControl(endButton_, 240, 5280, 3495, 495);
  PlaceControl(instructionLabel_, 4200, 120, 3015, 735);
  PlaceControl(inputsLabel_, 240, 480, 3255, 495);
  PlaceControl(resultsLabel_, 240, 1080, 3255, 3735);
  PlaceControl(creditLabel_, 4800, 5400, 2175, 255);
  // The client area at design time; start-up sets the outer size.
  resize(TwipsToPixels(7920, DpiX()), TwipsToPixels(6030, DpiY()));

  setTabOrder(endButton_, substanceList_);
  endButton_->setFocus();
}

const char* MainWindow::CreditCaption() { return "elprops версия 1.0"; }

double MainWindow::DpiX() const {
  const QScreen* s = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
  return s != nullptr ? s->logicalDotsPerInchX() : 96.0;
}

double MainWindow::DpiY() const {
  const QScreen* s = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
  return s != nullptr ? s->logicalDotsPerInchY() : 96.0;
}

void MainWindow::PlaceControl(QWidget* widget, int left, int top, int width, int height) {
  widget->setGeometry(TwipsToPixels(left, DpiX()), TwipsToPixels(top, DpiY()), TwipsToPixels(width, DpiX()),
                      TwipsToPixels(height, DpiY()));
}

void MainWindow::SetOuterWidth(int twips) {
  outerWidth_ = twips;
  ApplyOuterGeometry();
}

void MainWindow::SetOuterHeight(int twips) {
  outerHeight_ = twips;
  ApplyOuterGeometry();
}

void MainWindow::SetOuterTop(int twips) {
  outerTop_ = twips;
  ApplyOuterGeometry();
}

void MainWindow::SetOuterLeft(int twips) {
  outerLeft_ = twips;
  ApplyOuterGeometry();
}

void MainWindow::ApplyOuterGeometry() {
  // The frame is known only once the window is shown; until then the outer
  // size is the client size, and showEvent applies it again.
  const QSize frame = frameGeometry().size() - size();
  resize(TwipsToPixels(outerWidth_, DpiX()) - frame.width(), TwipsToPixels(outerHeight_, DpiY()) - frame.height());
  move(TwipsToPixels(outerLeft_, DpiX()), TwipsToPixels(outerTop_, DpiY()));
}

void MainWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  ApplyOuterGeometry();
}

QWidget* MainWindow::control(Control which) const {
  switch (which) {
    case Control::List1:
      return substanceList_;
    case Control::Command1:
      return endButton_;
    case Control::Label1:
      return instructionLabel_;
    case Control::Label2:
      return inputsLabel_;
    case Control::Label3:
      return resultsLabel_;
    case Control::Label4:
      return creditLabel_;
  }
  return nullptr;
}

}  // namespace elprops::platform
