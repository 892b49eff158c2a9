#include "qt/qt_platform.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#ifdef _WIN32
#include <windows.h>
#endif

namespace elprops::platform {
namespace {

// A carriage return starts a new line in the program's texts.
QString ToDisplay(std::string_view text) {
  QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return s;
}

QPoint ScreenPointFromTwips(int leftTwips, int topTwips) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const double dpiX = screen != nullptr ? screen->logicalDotsPerInchX() : 96.0;
  const double dpiY = screen != nullptr ? screen->logicalDotsPerInchY() : 96.0;
  const QPoint origin = screen != nullptr ? screen->geometry().topLeft() : QPoint();
  return origin + QPoint(TwipsToPixels(leftTwips, dpiX), TwipsToPixels(topTwips, dpiY));
}

// A message box of the program: its name, title and plain text.
void PrepareBox(QMessageBox& box, const QString& name, std::string_view text, std::string_view title) {
  box.setObjectName(name);
  box.setWindowTitle(ToDisplay(title));
  box.setText(ToDisplay(text));
  box.setTextFormat(Qt::PlainText);
}

// A box answered only by its buttons. It has no Cancel, so Escape and the
// window's close button do nothing: left to itself Qt would take them for
// No, and No ends the program with the run log unprinted.
class YesNoBox final : public QMessageBox {
 public:
  using QMessageBox::QMessageBox;

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->matches(QKeySequence::Cancel)) {
      event->accept();
      return;
    }
    QMessageBox::keyPressEvent(event);
  }
  void closeEvent(QCloseEvent* event) override {
    if (clickedButton() == nullptr) {
      event->ignore();
      return;
    }
    QMessageBox::closeEvent(event);
  }
};

}  // namespace

QtPlatform::QtPlatform() : window_(std::make_unique<MainWindow>()) {}

QtPlatform::~QtPlatform() = default;

void QtPlatform::SetEvents(WindowEvents* events) {
  events_ = events;
  QObject::connect(window_->substanceList(), &SubstanceList::listClicked, window_.get(), [this] {
    if (events_ != nullptr) events_->List1_Click();
  });
  QObject::connect(window_->substanceList(), &SubstanceList::keyPressed, window_.get(), [this](int keyAscii) {
    if (events_ != nullptr) events_->List1_KeyPress(static_cast<std::int16_t>(keyAscii));
  });
  QObject::connect(window_->endButton(), &QPushButton::clicked, window_.get(), [this] {
    if (events_ != nullptr) events_->Command1_Click();
  });
}

void QtPlatform::SetWindowWidth(int twips) { window_->SetOuterWidth(twips); }
void QtPlatform::SetWindowHeight(int twips) { window_->SetOuterHeight(twips); }
void QtPlatform::SetWindowTop(int twips) { window_->SetOuterTop(twips); }
void QtPlatform::SetWindowLeft(int twips) { window_->SetOuterLeft(twips); }

void QtPlatform::AppendListEntry(std::string_view text) {
  window_->substanceList()->addItem(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

int QtPlatform::ListSelection() const {
  const auto selected = window_->substanceList()->selectedItems();
  if (selected.isEmpty()) return -1;
  return window_->substanceList()->row(selected.first());
}

void QtPlatform::ShowControl(Control control) { window_->control(control)->setVisible(true); }

void QtPlatform::HideControl(Control control) { window_->control(control)->setVisible(false); }

void QtPlatform::SetCaption(Control label, std::string_view text) {
  if (auto* widget = qobject_cast<QLabel*>(window_->control(label))) widget->setText(ToDisplay(text));
}

std::string QtPlatform::InputBox(std::string_view prompt, std::string_view title) {
  QDialog dialog(window_.get());
  dialog.setObjectName(QStringLiteral("inputBox"));
  dialog.setWindowTitle(ToDisplay(title));
  dialog.setModal(true);
  auto* layout = new QVBoxLayout(&dialog);
  auto* promptLabel = new QLabel(ToDisplay(prompt), &dialog);
  promptLabel->setObjectName(QStringLiteral("promptLabel"));
  promptLabel->setTextFormat(Qt::PlainText);
  layout->addWidget(promptLabel);
  auto* valueField = new QLineEdit(&dialog);
  valueField->setObjectName(QStringLiteral("valueField"));
  layout->addWidget(valueField);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
  buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
  layout->addWidget(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  dialog.adjustSize();
  dialog.move(ScreenPointFromTwips(3000, 4000));
  valueField->setFocus();
  if (dialog.exec() != QDialog::Accepted) return {};
  return valueField->text().toStdString();
}

Answer QtPlatform::MessageBox(std::string_view text, std::string_view title) {
  YesNoBox box(window_.get());
  PrepareBox(box, QStringLiteral("questionBox"), text, title);
  box.setIcon(QMessageBox::NoIcon);
  QPushButton* yes = box.addButton(QStringLiteral("Да"), QMessageBox::YesRole);
  QPushButton* no = box.addButton(QStringLiteral("Нет"), QMessageBox::NoRole);
  yes->setObjectName(QStringLiteral("yesButton"));
  no->setObjectName(QStringLiteral("noButton"));
  box.setDefaultButton(yes);
  box.exec();
  return box.clickedButton() == yes ? Answer::Yes : Answer::No;
}

void QtPlatform::Notify(std::string_view text, std::string_view title) {
  QMessageBox box(window_.get());
  PrepareBox(box, QStringLiteral("noticeBox"), text, title);
  box.setIcon(QMessageBox::Information);
  box.setStandardButtons(QMessageBox::Ok);
  box.exec();
}

void QtPlatform::Beep() { QApplication::beep(); }

void QtPlatform::EndProgram() {
  endRequested_ = true;
  window_->hide();
  if (endAction_) endAction_();
}

void QtPlatform::SetFontName(std::string_view name) { printer_.SetFontName(name); }
void QtPlatform::SetFontSize(float points) { printer_.SetFontSize(points); }
void QtPlatform::PrintLine(std::string_view text) { printer_.PrintLine(text); }
PrintOutcome QtPlatform::EndDocument() { return printer_.EndDocument(); }

LocalDateTime QtPlatform::Now() const { return clock_.Now(); }

std::string QtPlatform::DecimalSeparator() const { return locale_.DecimalSeparator(); }
std::string QtPlatform::ShortDateDay(int day) const { return locale_.ShortDateDay(day); }
std::string QtPlatform::TimeText(const LocalDateTime& when) const { return locale_.TimeText(when); }

void QtPlatform::ActivateKeyboardLayout(std::uint32_t layout, std::uint32_t flags) {
#ifdef _WIN32
  ::ActivateKeyboardLayout(reinterpret_cast<HKL>(static_cast<std::uintptr_t>(layout)), flags);
#else
  // There is no per-program layout switch on X11 or Wayland; the user's
  // layout is theirs to choose, so nothing is changed here.
  static_cast<void>(layout);
  static_cast<void>(flags);
#endif
}

}  // namespace elprops::platform
