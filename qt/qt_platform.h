// The platform operations on a real desktop, with Qt Widgets.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include <QCoreApplication>

#include "platform/platform.h"
#include "qt/qt_locale.h"
#include "qt/qt_printer.h"
#include "qt/qt_window.h"

namespace elprops::platform {

class QtPlatform final : public Platform {
 public:
  QtPlatform();
  ~QtPlatform() override;
  QtPlatform(const QtPlatform&) = delete;
  QtPlatform& operator=(const QtPlatform&) = delete;

  // Connects the window's events to the program.
  void SetEvents(WindowEvents* events);
  MainWindow& Window() { return *window_; }
  // True once the program asked to end.
  [[nodiscard]] bool EndRequested() const { return endRequested_; }
  // What ending the program does after the window is hidden; by default it
  // leaves the event loop. Tests replace it to keep their own loop running.
  void SetEndAction(std::function<void()> action) { endAction_ = std::move(action); }

  // WindowOps
  void SetWindowWidth(int twips) override;
  void SetWindowHeight(int twips) override;
  void SetWindowTop(int twips) override;
  void SetWindowLeft(int twips) override;
  void AppendListEntry(std::string_view text) override;
  [[nodiscard]] int ListSelection() const override;
  void ShowControl(Control control) override;
  void HideControl(Control control) override;
  void SetCaption(Control label, std::string_view text) override;

  // DialogOps
  std::string InputBox(std::string_view prompt, std::string_view title) override;
  Answer MessageBox(std::string_view text, std::string_view title) override;
  void Notify(std::string_view text, std::string_view title) override;
  void Beep() override;
  void EndProgram() override;

  // PrinterOps
  void SetFontName(std::string_view name) override;
  void SetFontSize(float points) override;
  void PrintLine(std::string_view text) override;
  PrintOutcome EndDocument() override;

  // ClockOps
  [[nodiscard]] LocalDateTime Now() const override;

  // LocaleOps
  [[nodiscard]] std::string DecimalSeparator() const override;
  [[nodiscard]] std::string ShortDateDay(int day) const override;
  [[nodiscard]] std::string TimeText(const LocalDateTime& when) const override;

  // KeyboardOps
  void ActivateKeyboardLayout(std::uint32_t layout, std::uint32_t flags) override;

 private:
  std::unique_ptr<MainWindow> window_;
  QtPrinter printer_;
  SystemClock clock_;
  SystemLocale locale_;
  WindowEvents* events_ = nullptr;
  bool endRequested_ = false;
  std::function<void()> endAction_ = [] { QCoreApplication::exit(0); };
};

}  // namespace elprops::platform
