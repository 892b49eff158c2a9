// A platform for tests: the typed texts and the Yes/No answers come from a
// script queued by the test, and every operation is recorded in order as a
// readable line ("hide Label2", "input prompt=... title=...", "beep").
//
// Asking for a text or an answer that the script does not hold throws
// ScriptExhausted, so a test that does not expect a dialog fails loudly
// instead of hanging or inventing an answer.
#pragma once

#include <cstddef>
#include <deque>
#include <initializer_list>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace elprops::test_support {

class ScriptExhausted : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

// The name of a control as the window calls it: "List1", "Label3", ...
std::string ControlName(platform::Control control);

class ScriptedPlatform : public platform::Platform {
 public:
  ScriptedPlatform();

  // --- The script -------------------------------------------------------
  // Texts returned by InputBox, in order ("" stands for Cancel).
  void QueueInput(std::string text);
  void QueueInputs(std::initializer_list<std::string_view> texts);
  // Answers returned by MessageBox, in order.
  void QueueAnswer(platform::Answer answer);
  void QueueAnswers(std::initializer_list<platform::Answer> answers);
  [[nodiscard]] std::size_t PendingInputs() const { return inputs_.size(); }
  [[nodiscard]] std::size_t PendingAnswers() const { return answers_.size(); }

  // --- Settings the test may change --------------------------------------
  // The list selection ListSelection returns (-1: none).
  void Select(int position) { selection_ = position; }
  std::string decimalSeparator = ".";
  bool dayWithLeadingZero = true;  // ShortDateDay(8) gives "08", else "8"
  std::string timeText = "12:34:56";
  platform::LocalDateTime now{2024, 3, 8, 12, 34, 56};
  platform::PrintOutcome printOutcome{};  // returned by EndDocument

  // --- What happened -----------------------------------------------------
  // Every operation in order, e.g. "width 8000", "keyboard 04090409 0",
  // "hide Label2", "show Command1", "caption Label1=<text>",
  // "list append <text>", "input prompt=<p> title=<t>",
  // "message text=<t> title=<t>", "notify text=<t> title=<t>", "beep",
  // "end", "font name=<n>", "font size=<s>", "print <line>", "end document".
  [[nodiscard]] const std::vector<std::string>& Operations() const { return operations_; }
  // The operations recorded since the given count of operations.
  [[nodiscard]] std::vector<std::string> OperationsSince(std::size_t count) const;
  void ClearOperations() { operations_.clear(); }

  [[nodiscard]] std::string Caption(platform::Control label) const;
  // Controls start visible, as designed; Label1..Label4, List1, Command1.
  [[nodiscard]] bool Visible(platform::Control control) const;
  [[nodiscard]] const std::vector<std::string>& ListEntries() const { return listEntries_; }
  [[nodiscard]] const std::vector<std::string>& PrintedLines() const { return printedLines_; }
  [[nodiscard]] const std::vector<std::string>& Prompts() const { return prompts_; }
  [[nodiscard]] const std::vector<std::string>& Messages() const { return messages_; }
  [[nodiscard]] const std::string& FontName() const { return fontName_; }
  [[nodiscard]] float FontSize() const { return fontSize_; }
  [[nodiscard]] int DocumentsEnded() const { return documentsEnded_; }
  [[nodiscard]] int Beeps() const { return beeps_; }
  [[nodiscard]] bool Ended() const { return ended_; }
  // Operations requested after EndProgram (the program must make none).
  [[nodiscard]] std::size_t OperationsAfterEnd() const { return afterEnd_; }

  // --- platform::Platform ----------------------------------------------
  void SetWindowWidth(int twips) override;
  void SetWindowHeight(int twips) override;
  void SetWindowTop(int twips) override;
  void SetWindowLeft(int twips) override;
  void AppendListEntry(std::string_view text) override;
  [[nodiscard]] int ListSelection() const override { return selection_; }
  void ShowControl(platform::Control control) override;
  void HideControl(platform::Control control) override;
  void SetCaption(platform::Control label, std::string_view text) override;

  std::string InputBox(std::string_view prompt, std::string_view title) override;
  platform::Answer MessageBox(std::string_view text, std::string_view title) override;
  void Notify(std::string_view text, std::string_view title) override;
  void Beep() override;
  void EndProgram() override;

  void SetFontName(std::string_view name) override;
  void SetFontSize(float points) override;
  void PrintLine(std::string_view text) override;
  platform::PrintOutcome EndDocument() override;

  [[nodiscard]] platform::LocalDateTime Now() const override { return now; }

  [[nodiscard]] std::string DecimalSeparator() const override { return decimalSeparator; }
  [[nodiscard]] std::string ShortDateDay(int day) const override;
  [[nodiscard]] std::string TimeText(const platform::LocalDateTime& when) const override;

  void ActivateKeyboardLayout(std::uint32_t layout, std::uint32_t flags) override;

 private:
  void Record(std::string operation);

  std::deque<std::string> inputs_;
  std::deque<platform::Answer> answers_;
  int selection_ = -1;

  std::vector<std::string> operations_;
  std::map<platform::Control, std::string> captions_;
  std::map<platform::Control, bool> visible_;
  std::vector<std::string> listEntries_;
  std::vector<std::string> printedLines_;
  std::vector<std::string> prompts_;
  std::vector<std::string> messages_;
  std::string fontName_;
  float fontSize_ = 0.0f;
  int documentsEnded_ = 0;
  int beeps_ = 0;
  bool ended_ = false;
  std::size_t afterEnd_ = 0;
};

}  // namespace elprops::test_support
