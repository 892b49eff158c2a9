#include "tests/support/scripted_platform.h"

#include <charconv>
#include <cstdio>
#include <utility>

namespace elprops::test_support {

using platform::Answer;
using platform::Control;

std::string ControlName(Control control) {
  switch (control) {
    case Control::List1:
      return "List1";
    case Control::Command1:
      return "Command1";
    case Control::Label1:
      return "Label1";
    case Control::Label2:
      return "Label2";
    case Control::Label3:
      return "Label3";
    case Control::Label4:
      return "Label4";
  }
  return "Control" + std::to_string(static_cast<int>(control));
}

ScriptedPlatform::ScriptedPlatform() {
  for (Control c :
       {Control::List1, Control::Command1, Control::Label1, Control::Label2, Control::Label3, Control::Label4}) {
    visible_[c] = true;
  }
}

void ScriptedPlatform::QueueInput(std::string text) { inputs_.push_back(std::move(text)); }

void ScriptedPlatform::QueueInputs(std::initializer_list<std::string_view> texts) {
  for (std::string_view t : texts) inputs_.emplace_back(t);
}

void ScriptedPlatform::QueueAnswer(Answer answer) { answers_.push_back(answer); }

void ScriptedPlatform::QueueAnswers(std::initializer_list<Answer> answers) {
  for (Answer a : answers) answers_.push_back(a);
}

std::vector<std::string> ScriptedPlatform::OperationsSince(std::size_t count) const {
  if (count >= operations_.size()) return {};
  return {operations_.begin() + static_cast<std::ptrdiff_t>(count), operations_.end()};
}

std::string ScriptedPlatform::Caption(Control label) const {
  auto it = captions_.find(label);
  return it == captions_.end() ? std::string() : it->second;
}

bool ScriptedPlatform::Visible(Control control) const {
  auto it = visible_.find(control);
  return it != visible_.end() && it->second;
}

void ScriptedPlatform::Record(std::string operation) {
  if (ended_) ++afterEnd_;
  operations_.push_back(std::move(operation));
}

void ScriptedPlatform::SetWindowWidth(int twips) { Record("width " + std::to_string(twips)); }
void ScriptedPlatform::SetWindowHeight(int twips) { Record("height " + std::to_string(twips)); }
void ScriptedPlatform::SetWindowTop(int twips) { Record("top " + std::to_string(twips)); }
void ScriptedPlatform::SetWindowLeft(int twips) { Record("left " + std::to_string(twips)); }

void ScriptedPlatform::AppendListEntry(std::string_view text) {
  listEntries_.emplace_back(text);
  Record("list append " + std::string(text));
}

void ScriptedPlatform::ShowControl(Control control) {
  visible_[control] = true;
  Record("show " + ControlName(control));
}

void ScriptedPlatform::HideControl(Control control) {
  visible_[control] = false;
  Record("hide " + ControlName(control));
}

void ScriptedPlatform::SetCaption(Control label, std::string_view text) {
  captions_[label] = std::string(text);
  Record("caption " + ControlName(label) + "=" + std::string(text));
}

std::string ScriptedPlatform::InputBox(std::string_view prompt, std::string_view title) {
  prompts_.emplace_back(prompt);
  Record("input prompt=" + std::string(prompt) + " title=" + std::string(title));
  if (inputs_.empty()) {
    throw ScriptExhausted("input box asked for a text the script does not hold; prompt: " + std::string(prompt));
  }
  std::string text = std::move(inputs_.front());
  inputs_.pop_front();
  return text;
}

Answer ScriptedPlatform::MessageBox(std::string_view text, std::string_view title) {
  messages_.emplace_back(text);
  Record("message text=" + std::string(text) + " title=" + std::string(title));
  if (answers_.empty()) {
    throw ScriptExhausted("message box asked for an answer the script does not hold; text: " + std::string(text));
  }
  Answer a = answers_.front();
  answers_.pop_front();
  return a;
}

void ScriptedPlatform::Notify(std::string_view text, std::string_view title) {
  Record("notify text=" + std::string(text) + " title=" + std::string(title));
}

void ScriptedPlatform::Beep() {
  ++beeps_;
  Record("beep");
}

void ScriptedPlatform::EndProgram() {
  Record("end");
  ended_ = true;
}

void ScriptedPlatform::SetFontName(std::string_view name) {
  fontName_ = std::string(name);
  Record("font name=" + fontName_);
}

void ScriptedPlatform::SetFontSize(float points) {
  fontSize_ = points;
  char buf[32];
  auto res = std::to_chars(buf, buf + sizeof buf, points);
  Record("font size=" + std::string(buf, res.ptr));
}

void ScriptedPlatform::PrintLine(std::string_view text) {
  printedLines_.emplace_back(text);
  Record("print " + std::string(text));
}

platform::PrintOutcome ScriptedPlatform::EndDocument() {
  ++documentsEnded_;
  Record("end document");
  return printOutcome;
}

std::string ScriptedPlatform::ShortDateDay(int day) const {
  std::string text = std::to_string(day);
  if (dayWithLeadingZero && day >= 0 && day < 10) text.insert(0, "0");
  return text;
}

std::string ScriptedPlatform::TimeText(const platform::LocalDateTime& /*when*/) const { return timeText; }

void ScriptedPlatform::ActivateKeyboardLayout(std::uint32_t layout, std::uint32_t flags) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "keyboard %08X %u", static_cast<unsigned>(layout), static_cast<unsigned>(flags));
  Record(buf);
}

}  // namespace elprops::test_support
