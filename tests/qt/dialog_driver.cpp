#include "tests/qt/dialog_driver.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

DialogDriver::DialogDriver() {
  timer_.setInterval(10);
  connect(&timer_, &QTimer::timeout, this, &DialogDriver::Poll);
  timer_.start();
}

void DialogDriver::Type(const QString& text) { steps_.push_back({QStringLiteral("input"), text, true}); }
void DialogDriver::Cancel() { steps_.push_back({QStringLiteral("input"), QString(), false}); }
void DialogDriver::AnswerYes() { steps_.push_back({QStringLiteral("message"), QString(), true}); }
void DialogDriver::AnswerNo() { steps_.push_back({QStringLiteral("message"), QString(), false}); }
void DialogDriver::EscapeCloseThenYes() { steps_.push_back({QStringLiteral("message"), QString(), true, true}); }

void DialogDriver::Poll() {
  QWidget* modal = QApplication::activeModalWidget();
  if (modal == nullptr || !modal->isVisible()) return;
  const QString kind =
      modal->objectName() == QLatin1String("inputBox") ? QStringLiteral("input") : QStringLiteral("message");
  QString text;
  if (kind == QLatin1String("input")) {
    if (auto* prompt = modal->findChild<QLabel*>(QStringLiteral("promptLabel"))) text = prompt->text();
  } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
    text = box->text();
  }
  if (steps_.empty() || steps_.front().kind != kind) {
    unexpected_ << kind + QStringLiteral(": ") + modal->windowTitle() + QStringLiteral(": ") + text;
    // A Yes/No box cannot be dismissed, only answered: No, which ends the
    // program.
    if (auto* no = modal->findChild<QPushButton*>(QStringLiteral("noButton"))) {
      no->click();
    } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
      dialog->reject();
    }
    return;
  }
  const Step step = steps_.front();
  steps_.pop_front();
  seen_.push_back({kind, modal->windowTitle(), text});
  if (step.escapeAndClose) {
    // Escape goes to the widget with the focus, as a key press would.
    QWidget* focus = modal->focusWidget() != nullptr ? modal->focusWidget() : modal;
    QTest::keyClick(focus, Qt::Key_Escape);
    seen_.back().openAfterEscape = modal->isVisible();
    modal->close();
    seen_.back().openAfterClose = modal->isVisible();
    if (!modal->isVisible()) return;
  }
  if (kind == QLatin1String("input")) {
    auto* dialog = qobject_cast<QDialog*>(modal);
    if (auto* edit = modal->findChild<QLineEdit*>(QStringLiteral("valueField"))) edit->setText(step.text);
    if (step.accept) {
      dialog->accept();
    } else {
      dialog->reject();
    }
  } else {
    auto* button =
        modal->findChild<QPushButton*>(step.accept ? QStringLiteral("yesButton") : QStringLiteral("noButton"));
    if (button != nullptr) button->click();
  }
}
