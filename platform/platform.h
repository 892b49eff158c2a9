// Everything the program takes from outside itself: the main window and its
// controls, modal dialogs, the printer, the clock, the user's regional
// settings and the keyboard layout. The frontend and the report reach the
// system only through these operations; the Qt binding implements them for
// the real desktop and the scripted platform of the tests implements them
// from a queue of typed answers.
//
// Texts are UTF-8. Multi-line texts are joined by a lone carriage return
// ("\r"); each one starts a new line, and empty lines stay.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace elprops::platform {

// The controls of the main window.
enum class Control : std::uint8_t { List1, Command1, Label1, Label2, Label3, Label4 };

enum class Answer : std::uint8_t { Yes, No };

class WindowOps {
 public:
  virtual ~WindowOps() = default;
  // Outer width and height, then top and left edge on the screen, in twips
  // (1440 per inch); set in this order.
  virtual void SetWindowWidth(int twips) = 0;
  virtual void SetWindowHeight(int twips) = 0;
  virtual void SetWindowTop(int twips) = 0;
  virtual void SetWindowLeft(int twips) = 0;
  // Appends an entry to List1; entries stay in the order of appending.
  virtual void AppendListEntry(std::string_view text) = 0;
  // The selected entry of List1 counted from 0, or -1 for none.
  [[nodiscard]] virtual int ListSelection() const = 0;
  virtual void ShowControl(Control control) = 0;
  virtual void HideControl(Control control) = 0;
  // Label caption; "\r" starts a new line.
  virtual void SetCaption(Control label, std::string_view text) = 0;
};

class DialogOps {
 public:
  virtual ~DialogOps() = default;
  // Modal input box at 3000 twips from the screen's left and 4000 from its
  // top, no default text, OK and Cancel. Returns the typed text; Cancel
  // returns empty text.
  virtual std::string InputBox(std::string_view prompt, std::string_view title) = 0;
  // Modal message box with Yes and No, Yes the default, no icon.
  virtual Answer MessageBox(std::string_view text, std::string_view title) = 0;
  // Modal information box with a single OK button.
  virtual void Notify(std::string_view text, std::string_view title) = 0;
  virtual void Beep() = 0;
  // Ends the program: no further event is handled, no protocol is printed.
  // The caller returns straight up to the event loop after this call.
  virtual void EndProgram() = 0;
};

// Where the protocol went when the document was ended.
struct PrintOutcome {
  enum class Kind : std::uint8_t {
    Printed,     // the job reached the printer
    SavedAsPdf,  // no printer, or printing failed: saved as a PDF at `path`
    Failed,      // neither: `detail` says why
  };
  Kind kind = Kind::Printed;
  std::string path;
  std::string detail;
};

class PrinterOps {
 public:
  virtual ~PrinterOps() = default;
  virtual void SetFontName(std::string_view name) = 0;
  virtual void SetFontSize(float points) = 0;
  // Prints the text at the start of a new line; "" is an empty line and a
  // "\r" inside starts a new line.
  virtual void PrintLine(std::string_view text) = 0;
  // Outputs the pages and finishes the job.
  virtual PrintOutcome EndDocument() = 0;
};

struct LocalDateTime {
  int year = 2000;
  int month = 1;  // 1..12
  int day = 1;    // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
};

class ClockOps {
 public:
  virtual ~ClockOps() = default;
  [[nodiscard]] virtual LocalDateTime Now() const = 0;
};

// The user's regional settings.
class LocaleOps {
 public:
  virtual ~LocaleOps() = default;
  // The decimal symbol used by picture formatting ("," under Russian
  // settings, "." under English ones).
  [[nodiscard]] virtual std::string DecimalSeparator() const = 0;
  // The day of month as the user's short date format writes it ("08" where
  // the format has a leading zero, "8" where it has none).
  [[nodiscard]] virtual std::string ShortDateDay(int day) const = 0;
  // The time of day in the user's time format, with seconds.
  [[nodiscard]] virtual std::string TimeText(const LocalDateTime& when) const = 0;
};

class KeyboardOps {
 public:
  virtual ~KeyboardOps() = default;
  // Switches the program's input language; the result is not used.
  virtual void ActivateKeyboardLayout(std::uint32_t layout, std::uint32_t flags) = 0;
};

// The whole platform, as the window program sees it.
class Platform : public WindowOps,
                 public DialogOps,
                 public PrinterOps,
                 public ClockOps,
                 public LocaleOps,
                 public KeyboardOps {};

// The events of the main window, delivered by the binding to the program.
class WindowEvents {
 public:
  virtual ~WindowEvents() = default;
  virtual void Form_Load() = 0;
  virtual void List1_Click() = 0;
  virtual void List1_KeyPress(std::int16_t keyAscii) = 0;
  virtual void Command1_Click() = 0;
};

}  // namespace elprops::platform
